#include "platform/uikit/MessageUI.h"

#include <atomic>

namespace {
std::weak_ptr<NXComposeViewController>& shownComposer()
{
    static std::weak_ptr<NXComposeViewController> composer;  // main thread only
    return composer;
}
std::atomic<bool> gCanSendMail{true};
}  // namespace

std::shared_ptr<NXComposeViewController> NXComposeViewController::visibleComposer() { return shownComposer().lock(); }

void NXComposeViewController::finishWithOutcome(NXComposeOutcome outcome)
{
    if (finished_) return;
    finished_ = true;
    auto keep = shared_from_this();  // the delegate usually dismisses and drops it
    deliverOutcome(outcome);
}

void NXComposeViewController::viewWillAppear(bool animated)
{
    UINavigationController::viewWillAppear(animated);
    shownComposer() = std::static_pointer_cast<NXComposeViewController>(shared_from_this());
}

void NXComposeViewController::viewDidDisappear(bool animated)
{
    UINavigationController::viewDidDisappear(animated);
    if (shownComposer().lock().get() == this) shownComposer().reset();
}

const NSString MFMailComposeErrorDomain = "MFMailComposeErrorDomain";

bool MFMailComposeViewController::canSendMail() { return gCanSendMail; }
void MFMailComposeViewController::setCanSendMail(bool can) { gCanSendMail = can; }

void MFMailComposeViewController::deliverOutcome(NXComposeOutcome outcome)
{
    MFMailComposeResult result = MFMailComposeResultCancelled;
    std::shared_ptr<NSError> error;
    if (outcome == NXComposeSent) result = MFMailComposeResultSent;
    if (outcome == NXComposeFailed) {
        result = MFMailComposeResultFailed;
        error = NSError::errorWithDomain(MFMailComposeErrorDomain, MFMailComposeErrorCodeSendFailed, {});
    }
    if (auto d = mailComposeDelegate.lock()) d->mailComposeController_didFinishWithResult_error(this, result, error);
}
