#pragma once
// One page of the photo viewer and its parts: the page (PixPhotoImageView)
// holds a zooming scroll view around the picture, a spinner while the picture
// loads and a two-finger rotation that springs back; the scroll view turns one
// tap into "PixPhotoViewToggleBars" and two taps into a zoom; the caption
// strip sits at the bottom of the viewer.
//
// A page announces every outcome with "PixPhotoDidFinishLoading", whose
// object is a dictionary box {"photo": the photo, "failed": NSBox<bool>}.

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIScrollView.h"
#include "ui/PixImageLoader.h"
#include "ui/PixPhoto.h"

extern const NSString PixPhotoDidFinishLoadingNotification;  // "PixPhotoDidFinishLoading"
extern const NSString PixPhotoViewToggleBarsNotification;    // "PixPhotoViewToggleBars"
using PixPhotoLoadInfo = NSBox<std::map<NSString, id>>;

class PixPhotoScrollView : public UIScrollView {
public:
    static constexpr CGFloat kZoomDivisor = 2.5;
    static std::shared_ptr<PixPhotoScrollView> initWithFrame(CGRect frame);

    // Zooms on a rect of the frame's size / 2.5 around the point, moved inwards
    // near the black margins; when zoomed in, the page zooms back out instead.
    void zoomRectWithCenter(CGPoint center);
    void toggleBars();

    // One tap toggles the bars 0.2 s later unless a second tap comes, which zooms.
    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;
};

class RotateGesture : public UIRotationGestureRecognizer {
public:
    bool canBePreventedByGestureRecognizer(const UIGestureRecognizer*) const { return false; }
    bool canPreventGestureRecognizer(const UIGestureRecognizer*) const { return true; }
};

class PixPhotoImageView : public UIView,
                          public PixImageLoaderObserver,
                          public UIScrollViewDelegate,
                          public CAAnimationDelegate {
public:
    static constexpr NSInteger kImageViewTag = 257;
    static constexpr NSInteger kFadeAnimationType = 101;
    static constexpr NSInteger kRotateAnimationType = 202;
    // Local files from this size on are read off the main thread.
    static constexpr unsigned long long kBackgroundReadSize = 1048576;

    static std::shared_ptr<PixPhotoImageView> initWithFrame(CGRect frame);
    ~PixPhotoImageView() override;

    const std::shared_ptr<PixPhoto>& photo() const { return photo_; }
    // Shows the photo: its image, a local file, or the loader's picture.
    void setPhoto(const std::shared_ptr<PixPhoto>& photo);
    const std::shared_ptr<PixPhotoScrollView>& scrollView() const { return scrollView_; }
    const std::shared_ptr<UIImageView>& imageView() const { return imageView_; }
    bool isLoading() const { return loading_; }
    void setLoading(bool loading) { loading_ = loading; }

    // Put aside for reuse (the selector is spelled so).
    void prepareForReusue() { setTag(-1); }
    // Fits the scroll view and the picture into the page, zoom 1.
    void layoutScrollViewAnimated(bool animated);
    void rotateToOrientation(UIInterfaceOrientation orientation);
    // Animates a zoomed picture back to its fitted size.
    void killScrollViewZoom();
    void killZoomAnimationDidStop(const id& stop);
    void setupImageViewWithImage(const std::shared_ptr<UIImage>& image);
    void handleFailedImage();
    // The scroll view's fitted frame for the picture shown.
    CGRect frameToFitCurrentView() const;
    std::shared_ptr<CABasicAnimation> fadeAnimation() const;
    void fadeView();
    void resetBackgroundColors();
    CGSize sizeForPopover() const;
    void rotate(const id& gesture);

    void layoutSubviews() override;
    void imageLoaderDidLoad(const id& notification) override;
    void imageLoaderDidFailToLoad(const id& notification) override;
    std::shared_ptr<UIView> viewForZoomingInScrollView(UIScrollView* sv) override;
    void scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView* view, CGFloat scale) override;
    void animationDidStop_finished(CAAnimation* anim, bool finished) override;

private:
    bool isForCurrentPhoto(const id& notification) const;
    void postDidFinishLoading(bool failed);
    void readLargeFileInBackground(const NSString& path);
    void setBackgroundColors(const std::shared_ptr<UIColor>& color);

    std::shared_ptr<PixPhotoScrollView> scrollView_;
    std::shared_ptr<PixPhoto> photo_;
    std::shared_ptr<UIImageView> imageView_;
    std::shared_ptr<UIActivityIndicatorView> activityView_;
    bool loading_ = false;
    CGFloat beginRadians_ = 0;
};

class PixPhotoCaptionView : public UIView {
public:
    static std::shared_ptr<PixPhotoCaptionView> initWithFrame(CGRect frame);
    void layoutSubviews() override;
    // A white line along the top edge.
    void drawRect(CGRect rect) override;
    // Shows the text, or hides the strip when the text is nil or only spaces and tabs.
    void setCaptionText_hidden(const NSString& text, bool hidden);
    // Slides the strip below the bottom edge or back above the toolbar.
    void setCaptionHidden(bool hidden);
    bool captionHidden() const { return captionHidden_; }
    UILabel* textLabel() const { return textLabel_.get(); }

private:
    std::shared_ptr<UILabel> textLabel_;
    bool captionHidden_ = false;
};
