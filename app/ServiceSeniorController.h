#pragma once
// The booked (paid) service package page: a title picture and the package's
// text as a tall picture scrolling in a window under it. It only goes back;
// the opener gives it its title.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScrollView.h"

class ServiceSeniorController : public UIViewController {
public:
    // Outlets of the interface file.
    std::shared_ptr<UIImageView> imgvTaocanTitle;
    std::shared_ptr<UIButton> buyButton;
    // Built when the view loads.
    std::shared_ptr<UIScrollView> scrollView;

    void viewDidLoad() override;
    void viewDidUnload() override;
    void viewWillDisappear(bool animated) override;
    void goBack();
};
