#include <algorithm>
#include <cmath>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/CoreGraphics.h"
#include "ui/PixPhotoViews.h"

const NSString PixPhotoDidFinishLoadingNotification = "PixPhotoDidFinishLoading";
const NSString PixPhotoViewToggleBarsNotification = "PixPhotoViewToggleBars";

namespace {
const NSString kAnimationType = "AnimationType";

// The picture's rect fitted into a page of the given size; the whole page when
// there is no picture to fit.
CGRect fittedRect(const std::shared_ptr<UIImage>& image, CGSize page)
{
    const CGSize s = image ? image->size() : CGSizeZero;
    if (s.width <= 0 || s.height <= 0 || page.width <= 0 || page.height <= 0) return CGRect{CGPointZero, page};
    const CGFloat factor = std::max(s.width / page.width, s.height / page.height);
    const CGFloat w = s.width / factor, h = s.height / factor;
    return CGRectMake((page.width - w) / 2, (page.height - h) / 2, w, h);
}

CGPoint middle(CGRect r) { return CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r)); }
}  // namespace

std::shared_ptr<PixPhotoImageView> PixPhotoImageView::initWithFrame(CGRect frame)
{
    auto page = UIView::initWithFrame<PixPhotoImageView>(frame);
    page->setBackgroundColor(UIColor::blackColor());
    page->setUserInteractionEnabled(false);
    page->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    page->setOpaque(true);

    page->scrollView_ = PixPhotoScrollView::initWithFrame(page->bounds());
    page->scrollView_->setBackgroundColor(UIColor::blackColor());
    page->scrollView_->setOpaque(true);
    page->scrollView_->setDelegate(page);
    page->addSubview(page->scrollView_);

    page->imageView_ = UIImageView::initWithFrame(page->bounds());
    page->imageView_->setOpaque(true);
    page->imageView_->setContentMode(UIViewContentModeScaleAspectFit);
    page->imageView_->setTag(kImageViewTag);
    page->scrollView_->addSubview(page->imageView_);

    page->activityView_ = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleWhite);
    page->activityView_->setFrame(CGRectMake(frame.size.width / 2 - 11, frame.size.height - 100, 22, 22));
    page->activityView_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                                             UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
    page->addSubview(page->activityView_);

    page->addGestureRecognizer(UIGestureRecognizer::initWithTarget<RotateGesture>(page, NX_SEL(PixPhotoImageView, rotate)));
    return page;
}

PixPhotoImageView::~PixPhotoImageView()
{
    if (photo_ && photo_->URL()) PixImageLoader::sharedImageLoader()->cancelLoadForURL(photo_->URL());
    NSNotificationCenter::defaultCenter()->removeObserver(this);
}

// ---- Loading -----------------------------------------------------------------

void PixPhotoImageView::setPhoto(const std::shared_ptr<PixPhoto>& photo)
{
    if (!photo || photo == photo_) return;
    auto loader = PixImageLoader::sharedImageLoader();
    if (photo_ && photo_->URL()) {
        loader->cancelLoadForURL(photo_->URL());
        loader->removeObserver(this, photo_->URL());
    }
    photo_ = photo;
    imageView_->setImage(nullptr);  // a reused page must not show the last photo as this one's

    const auto url = photo->URL();
    if (photo->image()) {
        imageView_->setImage(photo->image());
    } else if (url && url->scheme() == "file") {
        const NSString path = url->path();
        const auto attributes = NSFileManager::defaultManager()->attributesOfItemAtPath(path);
        if (attributes && attributes->fileSize() >= kBackgroundReadSize) {
            readLargeFileInBackground(path);
        } else {
            const auto data = NSDataWithContentsOfFile(path);
            auto image = data ? UIImage::imageWithData(*data, PixImageLoader::kMaxImageSide) : nullptr;
            if (!image) return handleFailedImage();  // an unreadable file would spin for ever
            imageView_->setImage(image);
        }
    } else if (url) {
        imageView_->setImage(loader->imageForURL_shouldLoadWithObserver(url, this));
    } else {
        return handleFailedImage();  // nothing to show and nowhere to load it from
    }

    if (imageView_->image) {
        activityView_->stopAnimating();
        setUserInteractionEnabled(true);
        loading_ = false;
        postDidFinishLoading(false);
    } else {
        loading_ = true;
        activityView_->startAnimating();
        setUserInteractionEnabled(false);
        imageView_->setImage(UIImage::imageNamed("pixpv_photo_placeholder.png"));
    }
    layoutScrollViewAnimated(false);
}

void PixPhotoImageView::readLargeFileInBackground(const NSString& path)
{
    auto page = std::static_pointer_cast<PixPhotoImageView>(shared_from_this());
    auto photo = photo_;
    NSThread::detachNewThreadWithBlock([page, photo, path] {
        const auto data = NSDataWithContentsOfFile(path);
        auto image = data ? UIImage::imageWithData(*data, PixImageLoader::kMaxImageSide) : nullptr;
        NSThread::performBlockOnMainThread(
            [page, photo, image] {
                if (page->photo_ != photo) return;  // the page shows another photo by now
                if (image) page->setupImageViewWithImage(image);
                else page->handleFailedImage();
            },
            false);
    });
}

void PixPhotoImageView::setupImageViewWithImage(const std::shared_ptr<UIImage>& image)
{
    if (!image) return;
    loading_ = false;
    activityView_->stopAnimating();
    imageView_->setImage(image);
    layoutScrollViewAnimated(false);
    layer()->addAnimation(fadeAnimation(), "opacity");
    setUserInteractionEnabled(true);
    postDidFinishLoading(false);
}

void PixPhotoImageView::handleFailedImage()
{
    imageView_->setImage(UIImage::imageNamed("pixpv_error_placeholder.png"));
    if (photo_) photo_->setFailed(true);
    layoutScrollViewAnimated(false);
    setUserInteractionEnabled(false);
    activityView_->stopAnimating();
    loading_ = false;
    postDidFinishLoading(true);
}

void PixPhotoImageView::postDidFinishLoading(bool failed)
{
    std::map<NSString, id> info{{"photo", photo_}, {"failed", NSBox<bool>::box(failed)}};
    NSNotificationCenter::defaultCenter()->postNotificationName(PixPhotoDidFinishLoadingNotification,
                                                                PixPhotoLoadInfo::box(std::move(info)));
}

bool PixPhotoImageView::isForCurrentPhoto(const id& notification) const
{
    auto* n = dynamic_cast<NSNotification*>(notification.get());
    if (!n || !photo_ || !photo_->URL()) return false;
    auto it = n->userInfo().find("imageURL");
    auto* url = it == n->userInfo().end() ? nullptr : dynamic_cast<NSURL*>(it->second.get());
    return url && *url == *photo_->URL();
}

void PixPhotoImageView::imageLoaderDidLoad(const id& notification)
{
    if (!isForCurrentPhoto(notification)) return;
    const auto& info = static_cast<NSNotification*>(notification.get())->userInfo();
    auto it = info.find("image");
    setupImageViewWithImage(it == info.end() ? nullptr : std::dynamic_pointer_cast<UIImage>(it->second));
}

void PixPhotoImageView::imageLoaderDidFailToLoad(const id& notification)
{
    if (isForCurrentPhoto(notification)) handleFailedImage();
}

// ---- Fitting and zoom ------------------------------------------------------------

CGRect PixPhotoImageView::frameToFitCurrentView() const { return fittedRect(imageView_->image, frame().size); }

void PixPhotoImageView::layoutScrollViewAnimated(bool animated)
{
    if (animated) {
        UIView::beginAnimations(NSString(), nullptr);
        UIView::setAnimationDuration(0.0001);
    }
    scrollView_->setFrame(frameToFitCurrentView());
    scrollView_->setCenter(middle(bounds()));
    scrollView_->setContentSize(scrollView_->bounds().size);
    scrollView_->setContentOffset(CGPointZero);
    imageView_->setFrame(scrollView_->bounds());
    if (animated) UIView::commitAnimations();
}

void PixPhotoImageView::layoutSubviews()
{
    UIView::layoutSubviews();
    if (scrollView_->zoomScale() == 1.0) layoutScrollViewAnimated(true);
}

void PixPhotoImageView::killScrollViewZoom()
{
    if (scrollView_->zoomScale() <= 1.0) return;
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.3);
    UIView::setAnimationDelegate(shared_from_this());
    UIView::setAnimationDidStopSelector(NX_SEL(PixPhotoImageView, killZoomAnimationDidStop));
    scrollView_->setFrame(frameToFitCurrentView());
    imageView_->setFrame(scrollView_->bounds());
    UIView::commitAnimations();
}

void PixPhotoImageView::killZoomAnimationDidStop(const id& stop)
{
    auto* s = dynamic_cast<UIViewAnimationStop*>(stop.get());
    if (!s || !s->finished) return;
    scrollView_->setZoomScale(1.0, false);
    imageView_->setFrame(scrollView_->bounds());
    layoutScrollViewAnimated(false);
}

void PixPhotoImageView::rotateToOrientation(UIInterfaceOrientation)
{
    if (scrollView_->zoomScale() <= 1.0) return layoutScrollViewAnimated(false);
    // Height goes with the x origin and width with the y origin, as the
    // viewer has always paired them.
    const CGRect f = imageView_->frame();
    const CGRect b = bounds();
    const CGFloat height = std::min(f.size.height + f.origin.x, b.size.height);
    const CGFloat width = std::min(f.size.width + f.origin.y, b.size.width);
    scrollView_->setFrame(CGRectMake(b.size.width / 2 - width / 2, b.size.height / 2 - height / 2, width, height));
}

std::shared_ptr<UIView> PixPhotoImageView::viewForZoomingInScrollView(UIScrollView* sv)
{
    UIView* v = scrollView_->viewWithTag(kImageViewTag);
    return v ? v->self() : nullptr;
}

void PixPhotoImageView::scrollViewDidEndZooming_withView_atScale(UIScrollView* sv, UIView*, CGFloat)
{
    if (scrollView_->zoomScale() <= 1.0) return layoutScrollViewAnimated(true);
    // Keep a zoomed picture filling the page without black margins inside.
    const CGRect f = imageView_->frame();
    const CGRect b = bounds();
    const CGFloat width = std::min(CGRectGetMaxX(f), b.size.width);
    const CGFloat height = std::min(CGRectGetMaxY(f), b.size.height);
    const CGRect old = scrollView_->frame();
    scrollView_->setFrame(CGRectMake(b.size.width / 2 - width / 2, b.size.height / 2 - height / 2, width, height));
    scrollView_->setCenter(middle(b));
    const CGRect now = scrollView_->frame();
    if (now != old) {
        const CGPoint o = scrollView_->contentOffset();
        const CGFloat y = std::max<CGFloat>(o.y - std::fabs(now.origin.y - old.origin.y), 0);
        const CGFloat x = std::max<CGFloat>(o.x - std::fabs(now.origin.x - old.origin.x), 0);
        scrollView_->setContentOffset(CGPointMake(x, y));
    }
}

CGSize PixPhotoImageView::sizeForPopover() const
{
    constexpr CGFloat kLongest = 480, kShortest = 320;
    const auto& image = imageView_->image;
    if (!image) return CGSizeMake(kLongest, kLongest);
    CGSize s = image->size();
    if (s.width > kLongest || s.height > kLongest) {
        s = s.height < s.width ? CGSizeMake(kLongest, std::floor(s.height * kLongest / s.width))
                               : CGSizeMake(std::floor(s.width * kLongest / s.height), kLongest);
    }
    if (s.width < kShortest || s.height < kShortest) {
        const CGFloat divisor = std::max(s.width / kShortest, s.height / kShortest);
        if (divisor > 0) s = CGSizeMake(s.width / divisor, s.height / divisor);
    }
    return s;
}

// ---- Animations and the rotate gesture ----------------------------------------------

std::shared_ptr<CABasicAnimation> PixPhotoImageView::fadeAnimation() const
{
    auto fade = CABasicAnimation::animationWithKeyPath("opacity");
    fade->fromValue = 0.0;
    fade->toValue = 1.0;
    fade->duration = 0.3;
    fade->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseOut);
    return fade;
}

void PixPhotoImageView::fadeView()
{
    setBackgroundColors(UIColor::clearColor());
    auto fade = CABasicAnimation::animationWithKeyPath("backgroundColor");
    fade->fromValue = UIColor::clearColor();
    fade->toValue = UIColor::blackColor();
    fade->duration = 0.4;
    fade->delegate = std::static_pointer_cast<PixPhotoImageView>(shared_from_this());
    fade->setValue(NSBox<NSInteger>::box(kFadeAnimationType), kAnimationType);
    layer()->addAnimation(fade, "FadeAnimation");
}

void PixPhotoImageView::resetBackgroundColors() { setBackgroundColors(UIColor::blackColor()); }

// The page, the paging scroll view and the viewer's view.
void PixPhotoImageView::setBackgroundColors(const std::shared_ptr<UIColor>& color)
{
    setBackgroundColor(color);
    if (UIView* s = superview()) {
        s->setBackgroundColor(color);
        if (UIView* ss = s->superview()) ss->setBackgroundColor(color);
    }
}

void PixPhotoImageView::rotate(const id& gesture)
{
    auto* g = dynamic_cast<UIRotationGestureRecognizer*>(gesture.get());
    if (!g) return;
    switch (g->state()) {
    case UIGestureRecognizerStateBegan:
        layer()->removeAllAnimations();
        beginRadians_ = g->rotation;
        layer()->transform = CATransform3DMakeRotation(beginRadians_, 0, 0, 1);
        break;
    case UIGestureRecognizerStateChanged:
        layer()->transform = CATransform3DMakeRotation(beginRadians_ + g->rotation, 0, 0, 1);
        break;
    default: {
        auto spring = CABasicAnimation::animationWithKeyPath("transform");
        spring->toValue = CATransform3DIdentity;
        spring->duration = 0.3;
        spring->removedOnCompletion = false;
        spring->fillMode = kCAFillModeForwards;
        spring->delegate = std::static_pointer_cast<PixPhotoImageView>(shared_from_this());
        spring->setValue(NSBox<NSInteger>::box(kRotateAnimationType), kAnimationType);
        layer()->addAnimation(spring, "RotateAnimation");
        break;
    }
    }
}

void PixPhotoImageView::animationDidStop_finished(CAAnimation* anim, bool finished)
{
    if (!finished || !anim) return;
    auto type = std::dynamic_pointer_cast<NSBox<NSInteger>>(anim->valueForKey(kAnimationType));
    if (!type) return;
    if (type->value == kFadeAnimationType) resetBackgroundColors();
    if (type->value == kRotateAnimationType) layer()->transform = CATransform3DIdentity;
}
