#pragma once
// The free service page: what the free service offers, as its interface file
// shows it. It only goes back.

#include "platform/uikit/UINavigationController.h"

class ServiceFreeController : public UIViewController {
public:
    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void goBack();
};
