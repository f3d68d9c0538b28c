#pragma once
// The screens' shared utilities: custom back buttons, zoom animations, the
// table scroll, the network activity indicator and the reachability test.

#include <memory>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITableView.h"

class Ulvo : public NSObject {
public:
    // A custom button sized to the title (system font 14, plus 15 points) and
    // 30 high, with the named images made stretchable as backgrounds (left
    // cap 30 for the normal image, 21 for the others; top cap 14). A nil name
    // gives no background for that state.
    static std::shared_ptr<UIButton> customBackButton(const NSString& title, const NSString& normalImage,
                                                      const NSString& highLightedImage, const NSString& selectedImage);
    // A 46 x 30 button with the named image stretchable at caps 21 and 14.
    static std::shared_ptr<UIButton> customBackButton(const NSString& title, const NSString& backgroundImageName);
    static void addViewWithZoomInTo(UIView* view, const std::shared_ptr<CAAnimationDelegate>& delegate);
    static void hideViewWithZoomOutFrom(UIView* view, const std::shared_ptr<CAAnimationDelegate>& delegate);
    static void scrollToTableViewTop(UITableView* tableView);
    static void setNetworkActivityIndicatorVisible(bool visible);
    // Whether the service host can be reached now (any thread): the settings
    // store's test.
    static bool isExistenceNetwork();
    // The host the reachability monitors probe: the configured service host,
    // since the client talks to nothing else.
    static NSString probeHost();
};
