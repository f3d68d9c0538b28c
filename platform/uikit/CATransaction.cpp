#include "platform/uikit/CATransaction.h"

namespace {

// Transactions belong to the main thread, as the layers they change.
std::vector<CATransactionRecord>& open()
{
    static std::vector<CATransactionRecord> stack;
    return stack;
}

std::vector<CATransactionRecord>& committed()
{
    static std::vector<CATransactionRecord> records;
    return records;
}

}  // namespace

void CATransaction::begin() { open().push_back(open().empty() ? CATransactionRecord{} : open().back()); }

void CATransaction::commit()
{
    if (open().empty()) return;
    committed().push_back(open().back());
    open().pop_back();
}

NSTimeInterval CATransaction::animationDuration() { return open().empty() ? CATransactionRecord{}.duration : open().back().duration; }

void CATransaction::setAnimationDuration(NSTimeInterval duration)
{
    if (!open().empty()) open().back().duration = duration;
}

bool CATransaction::disableActions() { return !open().empty() && open().back().disableActions; }

void CATransaction::setDisableActions(bool disable)
{
    if (!open().empty()) open().back().disableActions = disable;
}

const std::vector<CATransactionRecord>& CATransaction::committedTransactions() { return committed(); }

void CATransaction::clearCommittedTransactions() { committed().clear(); }
