#include "engine/base/EngineHost.h"

#include <atomic>

namespace mapengine {

namespace {

// Read from the socket and timer threads when they queue messages.
std::atomic<EngineHost*> g_host{nullptr};

}  // namespace

EngineHost* GetEngineHost() { return g_host.load(std::memory_order_acquire); }

void SetEngineHost(EngineHost* host) { g_host.store(host, std::memory_order_release); }

}  // namespace mapengine
