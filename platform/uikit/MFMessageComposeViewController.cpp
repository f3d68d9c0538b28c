#include <atomic>
#include <mutex>

#include "platform/uikit/MessageUI.h"
#include "platform/uikit/UITextField.h"

namespace {

std::atomic<bool> gCanSendText{true};
std::mutex gOutboxMutex;
std::vector<MFMessageComposeViewController::Message> gOutbox;  // guarded by gOutboxMutex

NSString joined(const std::vector<NSString>& parts)
{
    std::string text;
    for (const NSString& p : parts) {
        if (!text.empty()) text += ", ";
        text += p.str();
    }
    return NSString(text);
}

// The composer's one screen: "To:" with the recipients, the editable body and
// the Send button, under a bar with Cancel.
class NXMessageSheet : public UIViewController {
public:
    std::weak_ptr<MFMessageComposeViewController> composer;
    std::shared_ptr<UILabel> to;
    std::shared_ptr<UITextField> body;

    void loadView() override
    {
        auto self = shared_from_this();
        auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
        view->setBackgroundColor(UIColor::colorWithRed(0.86, 0.88, 0.91, 1));
        auto strip = UIView::initWithFrame(CGRectMake(0, 0, 320, 40));
        strip->setBackgroundColor(UIColor::whiteColor());
        auto caption = UILabel::initWithFrame(CGRectMake(10, 0, 36, 40));
        caption->setText("To:");
        caption->textColor = UIColor::grayColor();
        caption->setBackgroundColor(UIColor::clearColor());
        to = UILabel::initWithFrame(CGRectMake(46, 0, 264, 40));
        to->setBackgroundColor(UIColor::clearColor());
        body = UITextField::initWithFrame(CGRectMake(10, 60, 240, 36));
        body->borderStyle = UITextBorderStyleRoundedRect;
        body->setBackgroundColor(UIColor::whiteColor());
        auto send = UIButton::buttonWithType(UIButtonTypeRoundedRect);
        send->setFrame(CGRectMake(256, 60, 56, 36));
        send->setTitle("Send", UIControlStateNormal);
        send->addTarget(self, NX_SEL(NXMessageSheet, sendTapped), UIControlEventTouchUpInside);
        for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{strip, caption, to, body, send})
            view->addSubview(v);
        setView(view);
        navigationItem()->title = "New Message";
        navigationItem()->setRightBarButtonItem(
            UIBarButtonItem::initWithTitle("Cancel", UIBarButtonItemStyleBordered, self, NX_SEL(NXMessageSheet, cancelTapped)));
        if (auto c = composer.lock()) show(*c);
    }

    void show(const MFMessageComposeViewController& c)
    {
        if (!isViewLoaded()) return;
        to->setText(joined(c.recipients()));
        body->setText(c.body());
    }

    void sendTapped(const id&) { finish(NXComposeSent); }
    void cancelTapped(const id&) { finish(NXComposeCancelled); }

private:
    void finish(NXComposeOutcome outcome)
    {
        if (auto c = composer.lock()) c->finishWithOutcome(outcome);
    }
};

NXMessageSheet* sheetOf(const UINavigationController& composer)
{
    const auto& stack = composer.viewControllers();
    return stack.empty() ? nullptr : dynamic_cast<NXMessageSheet*>(stack.front().get());
}

}  // namespace

std::shared_ptr<MFMessageComposeViewController> MFMessageComposeViewController::init()
{
    auto composer = UIViewController::init<MFMessageComposeViewController>();
    auto sheet = UIViewController::init<NXMessageSheet>();
    sheet->composer = composer;
    composer->setViewControllers({sheet});
    return composer;
}

bool MFMessageComposeViewController::canSendText() { return gCanSendText; }
void MFMessageComposeViewController::setCanSendText(bool can) { gCanSendText = can; }

std::vector<MFMessageComposeViewController::Message> MFMessageComposeViewController::outbox()
{
    std::lock_guard<std::mutex> lock(gOutboxMutex);
    return gOutbox;
}

void MFMessageComposeViewController::clearOutbox()
{
    std::lock_guard<std::mutex> lock(gOutboxMutex);
    gOutbox.clear();
}

void MFMessageComposeViewController::setBody(const NSString& body)
{
    body_ = body;
    if (auto* sheet = sheetOf(*this)) sheet->show(*this);
}

void MFMessageComposeViewController::setRecipients(std::vector<NSString> recipients)
{
    recipients_ = std::move(recipients);
    if (auto* sheet = sheetOf(*this)) sheet->show(*this);
}

void MFMessageComposeViewController::deliverOutcome(NXComposeOutcome outcome)
{
    // The body as the user left it in the composer.
    if (auto* sheet = sheetOf(*this); sheet && sheet->isViewLoaded()) body_ = sheet->body->text();
    MessageComposeResult result = MessageComposeResultCancelled;
    if (outcome == NXComposeSent) {
        result = MessageComposeResultSent;
        std::lock_guard<std::mutex> lock(gOutboxMutex);
        gOutbox.push_back({recipients_, body_});
    }
    if (outcome == NXComposeFailed) result = MessageComposeResultFailed;
    if (auto d = messageComposeDelegate.lock()) d->messageComposeViewController_didFinishWithResult(this, result);
}
