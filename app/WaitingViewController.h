#pragma once
// A waiting view that can be laid over any view (tag 2008).

#include "platform/uikit/UIViewController.h"

class WaitingViewController : public UIViewController {
public:
    static constexpr NSInteger kTag = 2008;
    // Lays a new waiting view over the view.
    static void initTeset(UIView* view);
    // Removes the waiting view laid over the view, if any.
    static void removeFromView(UIView* view);
    void removeView(UIView* view) { view->removeFromSuperview(); }
};
