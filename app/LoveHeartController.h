#pragma once
// The care tab of the start tab set: a menu opening the screen captures of a
// day, the black lists, the relatives' position map and the two service
// package pages.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"

class LoveHeartController : public UIViewController {
public:
    // Outlets of the interface file.
    std::shared_ptr<UILabel> lblImgBrowser, lblBlacklist, lblRelativesPos, lblFree, lblBooked;

    void viewDidLoad() override;
    void showCapPicture();
    void showBlackList();
    void showServiceSon();
    void showServiceFree();
    void showServiceSenior();
};
