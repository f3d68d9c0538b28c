#pragma once
// A button that carries the URL text of the picture it stands for.

#include "platform/uikit/UIControl.h"

class MyButton : public UIButton {
public:
    static std::shared_ptr<MyButton> initWithFrame(CGRect frame) { return UIView::initWithFrame<MyButton>(frame); }
    const NSString& imgURL() const { return imgURL_; }
    void setImgURL(const NSString& url) { imgURL_ = url; }

private:
    NSString imgURL_;
};
