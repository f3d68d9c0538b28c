// The engine's global manager and code-page tables, set up once per harness
// process as the engine sets them up at start.
#pragma once

#include <cstdlib>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"

namespace fuzz {

inline void StartEngine()
{
    using namespace mapengine;
    if (!CreateGlobalMan()) std::abort();
    auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
    if (!tables || tables->LoadTables() != 1) std::abort();
}

}  // namespace fuzz
