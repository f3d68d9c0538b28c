#pragma once
// MessageUI, headless: composers record what the application gave them and
// stay on screen until the user ends them, which tests do through
// NXUITestDriver::finishComposer (sent, cancelled or failed) or through the
// composer's own Cancel and Send buttons. Every composer
// derives from NXComposeViewController, which keeps the one composer on screen
// and turns the user's ending into the composer's own result and delegate call.

#include <memory>
#include <vector>

#include "platform/foundation/NSException.h"
#include "platform/uikit/UINavigationController.h"

// How the user ended a composer.
enum NXComposeOutcome : NSInteger { NXComposeCancelled = 0, NXComposeSent = 1, NXComposeFailed = 2 };

class NXComposeViewController : public UINavigationController {
public:
    // The composer presented and not yet gone, or nullptr.
    static std::shared_ptr<NXComposeViewController> visibleComposer();

    // The user ends the composer: the subclass tells its delegate, which is
    // expected to dismiss it. A composer is ended once; later calls do nothing.
    void finishWithOutcome(NXComposeOutcome outcome);
    bool isFinished() const { return finished_; }

    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

protected:
    // Maps the outcome to the composer's result and calls its delegate.
    virtual void deliverOutcome(NXComposeOutcome outcome) = 0;

private:
    bool finished_ = false;
};

// ---- Mail ----------------------------------------------------------------------

enum MFMailComposeResult : NSInteger {
    MFMailComposeResultCancelled = 0,
    MFMailComposeResultSaved = 1,
    MFMailComposeResultSent = 2,
    MFMailComposeResultFailed = 3,
};

extern const NSString MFMailComposeErrorDomain;
enum MFMailComposeErrorCode : NSInteger { MFMailComposeErrorCodeSaveFailed = 0, MFMailComposeErrorCodeSendFailed = 1 };

class MFMailComposeViewController;

class MFMailComposeViewControllerDelegate {
public:
    virtual ~MFMailComposeViewControllerDelegate() = default;
    // The error is set for the failed result only.
    virtual void mailComposeController_didFinishWithResult_error(MFMailComposeViewController* controller,
                                                                 MFMailComposeResult result,
                                                                 const std::shared_ptr<NSError>& error) {}
};

class MFMailComposeViewController : public NXComposeViewController {
public:
    struct Attachment {
        NSData data;
        NSString mimeType;
        NSString fileName;
    };

    static std::shared_ptr<MFMailComposeViewController> init() { return UIViewController::init<MFMailComposeViewController>(); }
    // Whether the device has a mail account (YES unless a test says otherwise).
    static bool canSendMail();
    static void setCanSendMail(bool can);

    std::weak_ptr<MFMailComposeViewControllerDelegate> mailComposeDelegate;

    void setSubject(const NSString& subject) { subject_ = subject; }
    void setToRecipients(std::vector<NSString> r) { toRecipients_ = std::move(r); }
    void setCcRecipients(std::vector<NSString> r) { ccRecipients_ = std::move(r); }
    void setBccRecipients(std::vector<NSString> r) { bccRecipients_ = std::move(r); }
    void setMessageBody(const NSString& body, bool isHTML)
    {
        messageBody_ = body;
        isHTML_ = isHTML;
    }
    void addAttachmentData(const NSData& data, const NSString& mimeType, const NSString& fileName)
    {
        attachments_.push_back({data, mimeType, fileName});
    }

    // What the composer was given.
    const NSString& subject() const { return subject_; }
    const std::vector<NSString>& toRecipients() const { return toRecipients_; }
    const std::vector<NSString>& ccRecipients() const { return ccRecipients_; }
    const std::vector<NSString>& bccRecipients() const { return bccRecipients_; }
    const NSString& messageBody() const { return messageBody_; }
    bool isHTML() const { return isHTML_; }
    const std::vector<Attachment>& attachments() const { return attachments_; }

protected:
    void deliverOutcome(NXComposeOutcome outcome) override;

private:
    NSString subject_, messageBody_;
    bool isHTML_ = false;
    std::vector<NSString> toRecipients_, ccRecipients_, bccRecipients_;
    std::vector<Attachment> attachments_;
};

// ---- Text messages ---------------------------------------------------------------

enum MessageComposeResult : NSInteger {
    MessageComposeResultCancelled = 0,
    MessageComposeResultSent = 1,
    MessageComposeResultFailed = 2,
};

class MFMessageComposeViewController;

class MFMessageComposeViewControllerDelegate {
public:
    virtual ~MFMessageComposeViewControllerDelegate() = default;
    virtual void messageComposeViewController_didFinishWithResult(MFMessageComposeViewController* controller,
                                                                  MessageComposeResult result) = 0;
};

// The composer shows the recipients and the body, which the user may edit,
// under a bar with a Cancel button, and a Send button. A message sent goes to
// the outbox as it stood when sent.
class MFMessageComposeViewController : public NXComposeViewController {
public:
    struct Message {
        std::vector<NSString> recipients;
        NSString body;
    };

    static std::shared_ptr<MFMessageComposeViewController> init();
    // Whether the device can send text messages (YES unless a test says otherwise).
    static bool canSendText();
    static void setCanSendText(bool can);
    // Every message sent since the last clearOutbox, oldest first (any thread).
    static std::vector<Message> outbox();
    static void clearOutbox();

    std::weak_ptr<MFMessageComposeViewControllerDelegate> messageComposeDelegate;
    void setMessageComposeDelegate(std::weak_ptr<MFMessageComposeViewControllerDelegate> d) { messageComposeDelegate = std::move(d); }

    const NSString& body() const { return body_; }
    void setBody(const NSString& body);
    const std::vector<NSString>& recipients() const { return recipients_; }
    void setRecipients(std::vector<NSString> recipients);

protected:
    void deliverOutcome(NXComposeOutcome outcome) override;

private:
    NSString body_;
    std::vector<NSString> recipients_;
};
