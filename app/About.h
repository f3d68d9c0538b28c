#pragma once
// The about screen: the version, the service's name, rights and contact
// lines, and a button that calls the service hotline once the parent agrees.

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"

class About : public UIViewController, public UIAlertViewDelegate {
public:
    // The service hotline as the parent reads it; only its digits are dialled.
    static constexpr const char* kServiceHotline = "400-820 6018";

    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblTop, lbltitle, version, lblpower, lblCompany, lblCompanyForTech, lblSMSForTech, lblUrlForCompany;
    std::shared_ptr<UIButton> btnCall;

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    // The call button: asks first.
    void dial(const id& sender);
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;
    void goBack();
};
