#pragma once
// The object the application makes once, before any map view, to bring the
// map engine up, and whose release takes the engine down again. The first
// manager boots the engine (global manager, screen metrics, folders, code
// pages, engine root with its data folder under Caches, engine threads,
// message dispatcher); later ones share it. Main thread only.

#include <memory>

#include "mapsdk/VIZNotifier.h"
#include "platform/foundation/NSString.h"

class VIZMapManager : public NSObject {
public:
    // Nil when the engine's global manager cannot be made.
    static std::shared_ptr<VIZMapManager> init();
    // Tears the engine down: stops it, releases the map control, the
    // positioning object, the search manager, the screen window, the root
    // and the global manager.
    ~VIZMapManager() override;

    // Lets engine messages flow to the interface and installs the general
    // delegate (nil leaves none). NO before the bootstrap or when the engine
    // could not start.
    bool start(const NSString& key, const std::shared_ptr<VIZGeneralDelegate>& generalDelegate);
    // Engine timers are no longer served. NO without an engine.
    bool stop();
};

// The bootstrap steps; each returns 1 (or nothing).
int BootstrapSdk();
int BootstrapEngine();
void InitScreenMetrics();
void InitDataPaths();
// The folder the SDK keeps its data in: Caches followed by "VurivMapSdk/".
inline constexpr const char* kSdkDataFolderName = "VurivMapSdk/";
