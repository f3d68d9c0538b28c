#pragma once
// Empties the shared regular-expression cache when the application receives a
// low-memory warning. The handler never waits for the cache's lock: when an
// operation holds it, the flush is tried again 0.1 s later on the same run
// loop, so a warning never blocks the thread that delivers it.

#include "platform/foundation/NSObject.h"

class SRXLowMemoryWarningObserver : public NSObject {
public:
    // Observes the application's low-memory notification; runs once per
    // process, whatever the number of calls. This file also runs it at
    // program load.
    static void registerLowMemoryObserver();
    // The notification's handler: flushes all caches, or retries later.
    static void lowMemoryWarning(const id& notification);
};
