#pragma once
// The engine's offline managers as the SDK reaches them, kept for the life
// of the process: the first VIZOfflineMap makes the ones missing and later
// ones reuse them; the engine's teardown drops them (reset). The package
// manager belongs to the map view's controller, which hands it over (null
// without a map view). Main thread only.

#include <memory>

#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/data/SearchMan.h"
#include "engine/data/UpdateReqMan.h"
#include "engine/data/VerDatsetMan.h"

struct VIZOfflineParts {
    std::unique_ptr<mapengine::CVerDatsetMan> versions;
    std::unique_ptr<mapengine::COLRecordMan> records;
    std::unique_ptr<mapengine::CUpdateReqMan> updates;
    std::unique_ptr<mapengine::CSearchMan> search;
    mapengine::COLPackageMan* packages = nullptr;

    static VIZOfflineParts& shared();
    // Links the store to the package manager (or to none).
    void setPackageMan(mapengine::COLPackageMan* manager);
    // The engine's teardown: the managers go, users of others first.
    void reset();
};
