#pragma once
// A panel from an interface file that slides open and shut vertically: open
// it has the frame the file gave it, shut it is 0 high at that frame's bottom
// edge (or top edge, after direction(true)).

#include <atomic>

#include "platform/uikit/UIView.h"

class VerticalPopupPanel : public UIView {
public:
    // What an interface file's builder calls with the frame the file gives
    // the panel: the panel starts shut.
    static std::shared_ptr<VerticalPopupPanel> initWithCoder(CGRect frameFromFile);

    CGRect popupRect() const { return popupRect_; }
    CGRect hideRect() const { return hideRect_; }
    bool isPopup() const { return isPopup_; }
    void setIsPopup(bool p) { isPopup_ = p; }
    bool isDirectionUp() const { return isDirectionUp_; }

    // YES: the shut frame lies at the top edge, and the panel moves there at once.
    void direction(bool up);
    // Slide open or shut in 0.2 s, linear.
    void popup();
    void hide();

private:
    void slideTo(CGRect frame);
    CGRect popupRect_, hideRect_;
    std::atomic<bool> isPopup_{false};
    bool isDirectionUp_ = false;
};
