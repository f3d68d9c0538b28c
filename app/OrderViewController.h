#pragma once
// The service order by SMS: each order button, once the parent confirms,
// prepares a text message with the package's order code to the operator's
// short number in the system composer. Nothing goes to the service.

#include "platform/uikit/MessageUI.h"
#include "platform/uikit/UIAlertView.h"

class OrderViewController : public UIViewController,
                            public UIAlertViewDelegate,
                            public MFMessageComposeViewControllerDelegate {
public:
    // The operator's short number the orders go to.
    static constexpr const char* kOrderShortNumber = "10658099";

    // Outlets of the interface file.
    std::shared_ptr<UIButton> btnOrderA, btnOrderB, btnBack;

    void goBack(const id& sender);
    void orderA(const id& sender);
    void orderB(const id& sender);
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
    void sendSMS_Phone(const NSString& body, const NSString& phone);
    void messageComposeViewController_didFinishWithResult(MFMessageComposeViewController* controller,
                                                          MessageComposeResult result) override;

private:
    void confirm(NSInteger tag);
};
