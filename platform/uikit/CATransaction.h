#pragma once
// Core Animation transactions: the duration of the implicit animations of the
// layer changes made inside, and whether actions are disabled. Headless, the
// changes apply at once (as the view animations' final values do); each
// commit is recorded for tests.

#include <vector>

#include "platform/foundation/NSObject.h"

struct CATransactionRecord {
    NSTimeInterval duration = 0.25;
    bool disableActions = false;
};

class CATransaction {
public:
    static void begin();
    static void commit();
    // Of the innermost open transaction (the defaults outside one).
    static NSTimeInterval animationDuration();
    static void setAnimationDuration(NSTimeInterval duration);
    static bool disableActions();
    static void setDisableActions(bool disable);

    // Every transaction committed since the last clear, in order.
    static const std::vector<CATransactionRecord>& committedTransactions();
    static void clearCommittedTransactions();
};
