#pragma once
// The photo viewer: the pictures of a photo source one page at a time over
// black, a caption strip, the title "%i of %i", black translucent bars that a
// single tap hides and shows, and the application's own rules: the custom tab
// bar steps aside while the viewer is on screen ("hideCustomTabBar" /
// "bringCustomTabBarToFront"), the application's settings follow it (see
// setOnScreenHook), swiping is off (the host picks the page), and the toolbar's
// action slot is an empty 40-point space.
//
// The pad-only popover and full-screen paths are not built: this platform
// has no popover, so the viewer is never inside one.

#include <vector>

#include "platform/uikit/MessageUI.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"
#include "ui/PixPhotoViews.h"

class PixPhotoViewController : public UIViewController,
                               public UIScrollViewDelegate,
                               public UIActionSheetDelegate,
                               public MFMailComposeViewControllerDelegate {
public:
    static constexpr CGFloat kCaptionHeight = 40;

    // The application keeps in its settings whether the viewer is on screen;
    // it installs this as it starts. The viewer calls it with YES as it
    // appears and NO as it goes.
    static void setOnScreenHook(void (*hook)(bool onScreen));

    static std::shared_ptr<PixPhotoViewController> initWithPhotoSource(std::shared_ptr<PixPhotoSource> source);
    static std::shared_ptr<PixPhotoViewController> initWithPhoto(const std::shared_ptr<PixPhoto>& photo);
    static std::shared_ptr<PixPhotoViewController> initWithImage(const std::shared_ptr<UIImage>& image);
    static std::shared_ptr<PixPhotoViewController> initWithImageURL(const std::shared_ptr<NSURL>& url);
    ~PixPhotoViewController() override;

    const std::shared_ptr<PixPhotoSource>& photoSource() const { return photoSource_; }
    // One slot per photo: the page serving it, or nullptr (NSNull).
    const std::vector<std::shared_ptr<PixPhotoImageView>>& photoViews() const { return photoViews_; }
    const std::shared_ptr<UIScrollView>& scrollView() const { return scrollView_; }
    PixPhotoCaptionView* captionView() const { return captionView_.get(); }
    bool barsHidden() const { return barsHidden_; }
    const std::vector<std::shared_ptr<UIBarButtonItem>>& toolbarItems() const { return toolbarItems_; }
    UIBarButtonItem* leftButton() const { return leftButton_.get(); }
    UIBarButtonItem* rightButton() const { return rightButton_.get(); }
    UIBarButtonItem* actionButton() const { return actionButton_.get(); }

    // Paging. An index outside the source is logged and ignored.
    void moveToPhotoAtIndex_animated(NSInteger index, bool animated);
    NSInteger currentPhotoIndex() const { return pageIndex_; }
    NSInteger centerPhotoIndex() const;
    void setViewState();
    void enqueuePhotoViewAtIndex(NSInteger index);
    std::shared_ptr<PixPhotoImageView> dequeuePhotoView();
    void loadScrollViewWithPage(NSInteger page);
    void layoutScrollViewSubviews();
    void setupScrollViewContentSize();
    void moveForward(const id&) {}
    void moveBack(const id&) {}

    // Bars.
    void setBarsHidden_animated(bool hidden, bool animated);
    void toggleBarsNotification(const id& notification) { setBarsHidden_animated(!barsHidden_, true); }
    void setStatusBarHidden_animated(bool hidden, bool animated);
    void setupToolbar();
    void done(const id&) { dismissModalViewControllerAnimated(true); }
    void photoViewDidFinishLoading(const id& notification);

    // Photo actions (no toolbar item reaches them).
    void actionButtonHit(const id& sender);
    void savePhoto();
    void copyPhoto();
    void emailPhoto();
    void doneSavingImage();
    void actionSheet_clickedButtonAtIndex(UIActionSheet* sheet, NSInteger index) override;
    void mailComposeController_didFinishWithResult_error(MFMailComposeViewController* controller, MFMailComposeResult result,
                                                         const std::shared_ptr<NSError>& error) override;

    // Interface rotation, as the platform calls it.
    bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) const;
    void willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration);
    void willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval duration);
    void didRotateFromInterfaceOrientation(UIInterfaceOrientation from);

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void viewDidUnload() override;
    void scrollViewWillBeginDecelerating(UIScrollView*) override { layoutScrollViewSubviews(); }

private:
    // The page the user sees: with scrolling off every page sits at the
    // origin, so the offset cannot tell it and the page index does.
    NSInteger shownPhotoIndex() const;
    NSInteger photoCount() const { return photoSource_ ? photoSource_->numberOfPhotos() : 0; }
    PixPhotoImageView* pageAt(NSInteger index) const;
    std::shared_ptr<UIImage> shownImage() const;
    CGRect pageFrame() const;

    std::shared_ptr<PixPhotoSource> photoSource_;
    std::shared_ptr<PixPhotoCaptionView> captionView_;
    std::vector<std::shared_ptr<PixPhotoImageView>> photoViews_;
    std::shared_ptr<UIScrollView> scrollView_;
    NSInteger pageIndex_ = 0;
    bool rotating_ = false;
    bool barsHidden_ = false;
    std::shared_ptr<UIBarButtonItem> leftButton_, rightButton_, actionButton_;
    std::vector<std::shared_ptr<UIBarButtonItem>> toolbarItems_;
    bool storedOldStyles_ = false;
    UIStatusBarStyle oldStatusBarStyle_ = UIStatusBarStyleDefault;
    UIBarStyle oldNavBarStyle_ = UIBarStyleDefault;
    bool oldNavBarTranslucent_ = false;
    std::shared_ptr<UIColor> oldNavBarTintColor_;
    UIBarStyle oldToolBarStyle_ = UIBarStyleDefault;
    bool oldToolBarTranslucent_ = false;
    std::shared_ptr<UIColor> oldToolBarTintColor_;
    bool oldToolBarHidden_ = true;
};
