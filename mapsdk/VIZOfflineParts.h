#pragma once
// The engine's offline managers as the SDK reaches them, kept for the life
// of the process: the first VIZOfflineMap makes the ones missing and later
// ones reuse them; the engine's teardown drops them (reset). While they live
// the engine root points at the version and update-request managers and the
// record store too, so the engine's router hands them their replies and
// timer ticks and the search manager merges the offline task list. The
// package manager is the root's, made with the map view's controller and
// linked to the store by the root. The search manager is the root's alone.
// Main thread only.

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

    static VIZOfflineParts& shared();
    // The root's one search manager, made (engine allocator, freed by the
    // engine's teardown) when the root holds none; null without a root or
    // when it cannot be made.
    static mapengine::CSearchMan* searchMan();
    // Lets the root reach the version and update-request managers and the
    // store, and links the store to the map control's package manager.
    void publish();
    // The map control's package manager; null without a map view.
    static mapengine::COLPackageMan* packageMan();
    // The engine's teardown: the root forgets the managers, then they go,
    // users of others first.
    void reset();
};
