#pragma once
// The modal form in which the user types a user name, a password and, for
// NTLM, a domain when a server or a proxy asks a request for credentials that
// neither the stores nor the delegate supply. One dialog is on screen at a
// time; other requests wait in a class-wide list. Logging in hands the typed
// credentials to every waiting request for the same place; cancelling fails
// them all with the authentication error. Everything runs on the main thread.

#include <vector>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"
#include "platform/uikit/UITextField.h"

class NXHTTPRequest;

// The bare controller the dialog is presented from; every orientation suits it.
class NXAutorotatingViewController : public UIViewController {
public:
    virtual bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) { return true; }
};

class NXAuthenticationDialog : public NXAutorotatingViewController, public UITableViewDataSource, public UITableViewDelegate {
public:
    enum Type { Server = 0, Proxy = 1 };

    // Makes this dialog the one requests show when a challenge is left to
    // it, while the application has a key window. The application does this
    // as it starts.
    static void install();
    // Shows a dialog for the request, or queues the request while one is up.
    static void presentAuthenticationDialogForRequest(const std::shared_ptr<NXHTTPRequest>& request);
    // The current dialog's presenting controller dismisses it.
    static void dismissCurrent();
    // The dialog on screen, if any (tests).
    static std::shared_ptr<NXAuthenticationDialog> currentDialog();
    // Requests waiting for a dialog, in order (tests).
    static std::vector<std::shared_ptr<NXHTTPRequest>> waitingRequests();

    ~NXAuthenticationDialog() override;

    std::shared_ptr<NXHTTPRequest> request() const { return request_; }
    Type type() const { return type_; }
    UITableView* tableView() const { return tableView_.get(); }
    UINavigationBar* navigationBar() const { return bar_.get(); }
    bool didEnableRotationNotifications() const { return didEnableRotationNotifications_; }
    // Made on first use: an invisible controller on the key window.
    std::shared_ptr<UIViewController> presentingController();

    void dismiss();
    void show();
    void showTitle();
    void loginWithCredentialsFromDialog();
    void cancelAuthenticationFromDialog();
    // Waiting requests that need credentials for the same place, then the
    // dialog's own request.
    std::vector<std::shared_ptr<NXHTTPRequest>> requestsRequiringTheseCredentials() const;
    void presentNextDialog();

    UITextField* usernameField() const { return textFieldInRow(0, 0); }
    UITextField* passwordField() const { return textFieldInRow(1, 0); }
    UITextField* domainField() const { return textFieldInRow(0, 1); }

    void viewDidDisappear(bool animated) override;
    void keyboardWillShow(const id& notification);
    void orientationChanged(const id& notification);

    // The form.
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView* tv) override;
    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    NSString tableView_titleForHeaderInSection(UITableView* tv, NSInteger section) override;
    NSString tableView_titleForFooterInSection(UITableView* tv, NSInteger section) override;
    std::optional<CGFloat> tableView_heightForHeaderInSection(UITableView* tv, NSInteger section) override;
    std::optional<CGFloat> tableView_heightForFooterInSection(UITableView* tv, NSInteger section) override;

private:
    static std::shared_ptr<NXAuthenticationDialog> make();
    std::shared_ptr<NXAuthenticationDialog> me() { return std::static_pointer_cast<NXAuthenticationDialog>(shared_from_this()); }
    UITextField* textFieldInRow(NSInteger row, NSInteger section) const;
    NSString scheme() const;
    bool usesNTLM() const;
    bool onTablet() const;
    void layoutForm();

    std::shared_ptr<NXHTTPRequest> request_;
    Type type_ = Server;
    std::shared_ptr<UITableView> tableView_;
    std::shared_ptr<UINavigationBar> bar_;
    std::shared_ptr<UINavigationItem> item_;
    std::shared_ptr<UIViewController> presentingController_;
    bool didEnableRotationNotifications_ = false;
};
