#include "ui/PixPhotoViewController.h"

#include <atomic>
#include <cmath>
#include <cstdlib>

#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIPasteboard.h"

namespace {
const NSString kHideCustomTabBar = "hideCustomTabBar";
const NSString kBringCustomTabBarToFront = "bringCustomTabBarToFront";
std::atomic<void (*)(bool)> gOnScreenHook{nullptr};

void tellOnScreen(bool onScreen)
{
    if (auto hook = gOnScreenHook.load()) hook(onScreen);
}

bool isPad() { return UIDevice::currentDevice().userInterfaceIdiom == UIUserInterfaceIdiomPad; }

// System versions compare as numbers ("3.2", "4.3").
bool systemVersionAtLeast(double version) { return std::strtod(UIDevice::currentDevice().systemVersion.str().c_str(), nullptr) >= version; }

std::shared_ptr<UIBarButtonItem> fixedSpace(CGFloat width)
{
    auto item = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFixedSpace, nullptr, SEL{});
    item->width = width;
    return item;
}
}  // namespace

// ---- Creation ---------------------------------------------------------------------

std::shared_ptr<PixPhotoViewController> PixPhotoViewController::initWithPhotoSource(std::shared_ptr<PixPhotoSource> source)
{
    auto vc = UIViewController::init<PixPhotoViewController>();
    auto center = NSNotificationCenter::defaultCenter();
    center->addObserver(vc.get(), NX_SEL(PixPhotoViewController, toggleBarsNotification), PixPhotoViewToggleBarsNotification, nullptr);
    center->addObserver(vc.get(), NX_SEL(PixPhotoViewController, photoViewDidFinishLoading), PixPhotoDidFinishLoadingNotification,
                        nullptr);
    vc->setHidesBottomBarWhenPushed(true);
    vc->setWantsFullScreenLayout(true);
    vc->photoSource_ = std::move(source);
    return vc;
}

std::shared_ptr<PixPhotoViewController> PixPhotoViewController::initWithPhoto(const std::shared_ptr<PixPhoto>& photo)
{
    return initWithPhotoSource(PixQuickPhotoSource::initWithPhotos({photo}));
}

std::shared_ptr<PixPhotoViewController> PixPhotoViewController::initWithImage(const std::shared_ptr<UIImage>& image)
{
    return initWithPhoto(PixQuickPhoto::initWithImage(image));
}

std::shared_ptr<PixPhotoViewController> PixPhotoViewController::initWithImageURL(const std::shared_ptr<NSURL>& url)
{
    return initWithPhoto(PixQuickPhoto::initWithImageURL(url));
}

PixPhotoViewController::~PixPhotoViewController() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

// ---- View lifecycle ----------------------------------------------------------------

void PixPhotoViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    view()->setBackgroundColor(UIColor::blackColor());
    setWantsFullScreenLayout(true);
    if (!scrollView_) {
        NX_LOG("image view width height ==== %f, %f", view()->frame().size.width, view()->frame().size.height);
        scrollView_ = UIScrollView::initWithFrame(view()->bounds());
        scrollView_->setDelegate(std::static_pointer_cast<PixPhotoViewController>(shared_from_this()));
        scrollView_->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleWidth |
                                         UIViewAutoresizingFlexibleRightMargin | UIViewAutoresizingFlexibleTopMargin |
                                         UIViewAutoresizingFlexibleHeight | UIViewAutoresizingFlexibleBottomMargin);
        scrollView_->setMultipleTouchEnabled(true);
        scrollView_->scrollEnabled = false;
        scrollView_->directionalLockEnabled = true;
        scrollView_->canCancelContentTouches = true;
        scrollView_->delaysContentTouches = true;
        scrollView_->setClipsToBounds(true);
        scrollView_->alwaysBounceHorizontal = false;
        scrollView_->bounces = true;
        scrollView_->pagingEnabled = true;
        scrollView_->showsHorizontalScrollIndicator = false;
        scrollView_->showsVerticalScrollIndicator = false;
        scrollView_->setBackgroundColor(view()->backgroundColor());
        view()->addSubview(scrollView_);
    }
    if (!captionView_) {
        const CGRect f = view()->frame();
        captionView_ = PixPhotoCaptionView::initWithFrame(CGRectMake(0, f.size.height, f.size.width, 1));
        view()->addSubview(captionView_);
    }
    photoViews_.assign(static_cast<size_t>(photoCount()), nullptr);
    if (photoCount() == 1 && isPad()) {
        if (auto* nav = navigationController()) {
            nav->setNavigationBarHidden(true, false);
            nav->setToolbarHidden(true, false);
        }
        enqueuePhotoViewAtIndex(pageIndex_);
        loadScrollViewWithPage(pageIndex_);
        setViewState();
    }
}

void PixPhotoViewController::setOnScreenHook(void (*hook)(bool onScreen)) { gOnScreenHook = hook; }

void PixPhotoViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    tellOnScreen(true);
    NSNotificationCenter::defaultCenter()->postNotificationName(kHideCustomTabBar, nullptr);
    auto& app = UIApplication::sharedApplication();
    auto* nav = navigationController();
    if (nav && isPad()) nav->setNavigationBarHidden(false, false);
    if (!storedOldStyles_) {
        oldStatusBarStyle_ = app.statusBarStyle();
        if (nav) {
            oldNavBarTintColor_ = nav->navigationBar()->tintColor;
            oldNavBarStyle_ = nav->navigationBar()->barStyle;
            oldNavBarTranslucent_ = nav->navigationBar()->translucent();
            oldToolBarTintColor_ = nav->toolbar()->tintColor;
            oldToolBarStyle_ = nav->toolbar()->barStyle;
            oldToolBarTranslucent_ = nav->toolbar()->translucent();
            oldToolBarHidden_ = nav->toolbarHidden();
        }
        storedOldStyles_ = true;
    }
    if (nav) {
        if (nav->toolbarHidden()) nav->setToolbarHidden(false, true);
        nav->navigationBar()->tintColor = nullptr;
        nav->navigationBar()->barStyle = UIBarStyleBlack;
        nav->navigationBar()->setTranslucent(true);
        nav->toolbar()->tintColor = nullptr;
        nav->toolbar()->barStyle = UIBarStyleBlackTranslucent;
        nav->toolbar()->setTranslucent(true);
    }
    setupToolbar();
    setupScrollViewContentSize();
    moveToPhotoAtIndex_animated(pageIndex_, false);
}

void PixPhotoViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    tellOnScreen(false);
    NSNotificationCenter::defaultCenter()->postNotificationName(kBringCustomTabBarToFront, nullptr);
    auto* nav = navigationController();
    if (nav && storedOldStyles_) {
        nav->navigationBar()->barStyle = oldNavBarStyle_;
        nav->navigationBar()->tintColor = oldNavBarTintColor_;
        nav->navigationBar()->setTranslucent(oldNavBarTranslucent_);
    }
    if (storedOldStyles_) UIApplication::sharedApplication().setStatusBarStyle(oldStatusBarStyle_, true);
    if (nav && storedOldStyles_) {
        if (oldToolBarHidden_) {
            nav->setToolbarHidden(true, true);
        } else {
            if (nav->toolbarHidden()) nav->setToolbarHidden(false, true);
            nav->toolbar()->barStyle = oldToolBarStyle_;
            nav->toolbar()->tintColor = oldToolBarTintColor_;
            nav->toolbar()->setTranslucent(oldToolBarTranslucent_);
        }
    }
}

void PixPhotoViewController::viewDidUnload()
{
    UIViewController::viewDidUnload();
    photoViews_.clear();
    scrollView_ = nullptr;
    captionView_ = nullptr;
}

// ---- Toolbar and bars ----------------------------------------------------------------

void PixPhotoViewController::setupToolbar()
{
    auto& app = UIApplication::sharedApplication();
    if (isPad()) {
        navigationItem()->setRightBarButtonItem(
            UIBarButtonItem::initWithTitle("Done", UIBarButtonItemStyleDone, shared_from_this(), NX_SEL(PixPhotoViewController, done)));
    } else {
        app.setStatusBarStyle(UIStatusBarStyleBlackTranslucent, true);
    }
    // The action slot is an empty space: its action never fires without a target.
    actionButton_ = fixedSpace(40);
    actionButton_->action = NX_SEL(PixPhotoViewController, actionButtonHit);
    auto flex = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL{});
    if (photoCount() < 2) {
        toolbarItems_ = {flex, actionButton_};
    } else {
        const id me = shared_from_this();
        leftButton_ = UIBarButtonItem::initWithImage(UIImage::imageNamed("pixpv_left.png"), UIBarButtonItemStylePlain, me,
                                                     NX_SEL(PixPhotoViewController, moveBack));
        rightButton_ = UIBarButtonItem::initWithImage(UIImage::imageNamed("pixpv_right.png"), UIBarButtonItemStylePlain, me,
                                                      NX_SEL(PixPhotoViewController, moveForward));
        toolbarItems_ = {fixedSpace(40), flex, leftButton_, fixedSpace(80), rightButton_, flex, actionButton_};
    }
    if (auto* nav = navigationController()) nav->toolbar()->setItems(toolbarItems_);
}

void PixPhotoViewController::setupScrollViewContentSize()
{
    auto* nav = navigationController();
    const CGFloat toolbarSize = nav ? nav->toolbar()->frame().size.height : 0;
    const CGRect b = view()->bounds();
    const CGSize content = CGSizeMake(b.size.width * static_cast<CGFloat>(photoCount()), b.size.height);
    if (scrollView_->contentSize() != content) scrollView_->setContentSize(content);
    captionView_->setFrame(CGRectMake(0, b.size.height - (toolbarSize + kCaptionHeight), b.size.width, kCaptionHeight));
}

void PixPhotoViewController::setBarsHidden_animated(bool hidden, bool animated)
{
    if (hidden && barsHidden_) return;
    setStatusBarHidden_animated(hidden, animated);
    auto* nav = navigationController();
    if (!isPad()) {
        if (nav) {
            nav->setNavigationBarHidden(hidden, animated);
            nav->setToolbarHidden(hidden, animated);
        }
    } else if (nav) {
        if (animated) {
            UIView::beginAnimations(NSString(), nullptr);
            UIView::setAnimationDuration(0.3);
            UIView::setAnimationCurve(UIViewAnimationCurveEaseInOut);
        }
        nav->navigationBar()->setAlpha(hidden ? 0 : 1);
        nav->toolbar()->setAlpha(hidden ? 0 : 1);
        if (animated) UIView::commitAnimations();
    }
    captionView_->setCaptionHidden(hidden);
    barsHidden_ = hidden;
}

void PixPhotoViewController::setStatusBarHidden_animated(bool hidden, bool)
{
    if (isPad() || !systemVersionAtLeast(3.2)) return;
    UIApplication::sharedApplication().setStatusBarHidden(hidden, UIStatusBarAnimationFade);
}

// ---- Paging ---------------------------------------------------------------------------

NSInteger PixPhotoViewController::centerPhotoIndex() const
{
    if (!scrollView_) return 0;
    const CGFloat width = scrollView_->frame().size.width;
    if (width <= 0) return 0;
    return static_cast<NSInteger>(std::floor((scrollView_->contentOffset().x - width * 0.5) / width) + 1);
}

NSInteger PixPhotoViewController::shownPhotoIndex() const
{
    return scrollView_ && !scrollView_->scrollEnabled ? pageIndex_ : centerPhotoIndex();
}

PixPhotoImageView* PixPhotoViewController::pageAt(NSInteger index) const
{
    if (index < 0 || index >= static_cast<NSInteger>(photoViews_.size())) return nullptr;
    return photoViews_[static_cast<size_t>(index)].get();
}

CGRect PixPhotoViewController::pageFrame() const
{
    return CGRectMake(0, 0, scrollView_->bounds().size.width, scrollView_->bounds().size.height);
}

void PixPhotoViewController::moveToPhotoAtIndex_animated(NSInteger index, bool animated)
{
    if (index < 0 || index >= photoCount()) {
        NX_LOG("no photo at index %ld of %ld", index, photoCount());
        return;
    }
    view();  // the pages live in the view
    pageIndex_ = index;
    setViewState();
    enqueuePhotoViewAtIndex(index);
    loadScrollViewWithPage(index);
    if (auto* page = pageAt(index)) scrollView_->scrollRectToVisible(page->frame(), animated);
    if (photoSource_->photoAtIndex(pageIndex_)->didFail()) setBarsHidden_animated(false, true);
    if (index + 1 < photoCount())
        if (auto* next = pageAt(index + 1)) next->killScrollViewZoom();
    if (index >= 1)
        if (auto* previous = pageAt(index - 1)) previous->killScrollViewZoom();
}

void PixPhotoViewController::enqueuePhotoViewAtIndex(NSInteger index)
{
    for (NSInteger p = 0; p < static_cast<NSInteger>(photoViews_.size()); ++p) {
        auto& page = photoViews_[static_cast<size_t>(p)];
        if (!page) continue;
        if (p > index + 1 || p < index - 1) {
            page->prepareForReusue();
            page->removeFromSuperview();
        } else {
            page->setTag(0);
        }
    }
}

std::shared_ptr<PixPhotoImageView> PixPhotoViewController::dequeuePhotoView()
{
    for (size_t p = 0; p < photoViews_.size(); ++p) {
        const auto& page = photoViews_[p];
        if (page && !page->superview()) {
            page->setTag(static_cast<NSInteger>(p));
            return page;
        }
    }
    return nullptr;
}

void PixPhotoViewController::loadScrollViewWithPage(NSInteger page)
{
    if (page < 0 || page >= photoCount() || !scrollView_) return;
    auto& slot = photoViews_[static_cast<size_t>(page)];
    if (!slot) {
        if (auto reused = dequeuePhotoView()) std::swap(photoViews_[static_cast<size_t>(reused->tag())], slot);
    }
    if (!slot) slot = PixPhotoImageView::initWithFrame(pageFrame());
    slot->setPhoto(photoSource_->photoAtIndex(page));
    if (!slot->superview()) scrollView_->addSubview(slot);
    slot->setFrame(CGRectMake(0, 0, scrollView_->frame().size.width, scrollView_->frame().size.height));
}

void PixPhotoViewController::layoutScrollViewSubviews()
{
    const NSInteger index = currentPhotoIndex();
    for (NSInteger page = index - 1; page < index + 3; ++page) {
        if (page < 0 || page >= photoCount()) continue;
        if (!pageAt(page) || !pageAt(page)->superview()) loadScrollViewWithPage(page);
        auto* view = pageAt(page);
        if (view && view->frame() != pageFrame()) {
            UIView::beginAnimations(NSString(), nullptr);
            UIView::setAnimationDuration(0.1);
            view->setFrame(pageFrame());
            UIView::commitAnimations();
        }
    }
}

void PixPhotoViewController::setViewState()
{
    if (leftButton_) leftButton_->enabled = pageIndex_ > 0;
    if (rightButton_) rightButton_->enabled = pageIndex_ + 1 < photoCount();
    if (actionButton_) {
        auto* page = pageAt(shownPhotoIndex());
        actionButton_->enabled = page && !page->isLoading();
    }
    setTitle(photoCount() < 2 ? NSString("")
                              : NSString::stringWithFormat("%i of %i", static_cast<int>(pageIndex_ + 1), static_cast<int>(photoCount())));
    if (captionView_ && pageIndex_ < photoCount()) captionView_->setCaptionText_hidden(photoSource_->photoAtIndex(pageIndex_)->caption(), false);
}

void PixPhotoViewController::photoViewDidFinishLoading(const id& notification)
{
    auto* n = dynamic_cast<NSNotification*>(notification.get());
    auto* info = n ? dynamic_cast<PixPhotoLoadInfo*>(n->object().get()) : nullptr;
    const NSInteger shown = shownPhotoIndex();
    if (!info || shown < 0 || shown >= photoCount()) return;
    auto photo = info->value.find("photo");
    if (photo == info->value.end() || photo->second != photoSource_->photoAtIndex(shown)) return;
    auto failed = info->value.find("failed");
    auto* flag = failed == info->value.end() ? nullptr : dynamic_cast<NSBox<bool>*>(failed->second.get());
    if (flag && flag->value && barsHidden_) setBarsHidden_animated(false, true);
    setViewState();
}

// ---- Photo actions ----------------------------------------------------------------------

std::shared_ptr<UIImage> PixPhotoViewController::shownImage() const
{
    auto* page = pageAt(shownPhotoIndex());
    return page ? page->imageView()->image : nullptr;
}

void PixPhotoViewController::actionButtonHit(const id&)
{
    std::vector<NSString> buttons{"Save", "Copy"};
    if (MFMailComposeViewController::canSendMail()) buttons.push_back("Email");
    auto sheet = UIActionSheet::initWithTitle("", std::static_pointer_cast<PixPhotoViewController>(shared_from_this()),
                                              isPad() ? NSString() : NSString("Cancel"), NSString(), buttons);
    sheet->actionSheetStyle = UIActionSheetStyleBlackTranslucent;
    sheet->showInView(view().get());
    setBarsHidden_animated(true, true);
}

void PixPhotoViewController::actionSheet_clickedButtonAtIndex(UIActionSheet* sheet, NSInteger index)
{
    setBarsHidden_animated(false, true);
    if (index == sheet->cancelButtonIndex) return;
    const NSInteger choice = index - sheet->firstOtherButtonIndex;
    if (choice == 0) savePhoto();
    else if (choice == 1) copyPhoto();
    else if (choice == 2) emailPhoto();
}

void PixPhotoViewController::savePhoto() { UIImageWriteToSavedPhotosAlbum(shownImage()); }

void PixPhotoViewController::copyPhoto()
{
    if (auto png = UIImagePNGRepresentation(shownImage())) UIPasteboard::generalPasteboard().setData(*png, "public.png");
}

void PixPhotoViewController::emailPhoto()
{
    auto png = UIImagePNGRepresentation(shownImage());
    if (!png) return;
    auto composer = MFMailComposeViewController::init();
    composer->setSubject("Shared Photo");
    composer->addAttachmentData(*png, "png", "Photo.png");
    composer->mailComposeDelegate = std::static_pointer_cast<PixPhotoViewController>(shared_from_this());
    presentModalViewController(composer, true);
}

void PixPhotoViewController::mailComposeController_didFinishWithResult_error(MFMailComposeViewController*, MFMailComposeResult result,
                                                                             const std::shared_ptr<NSError>&)
{
    dismissModalViewControllerAnimated(true);
    if (result == MFMailComposeResultFailed)
        UIAlertView::initWithTitle("", "Failed sending media, please try again...", nullptr, "OK", {})->show();
}

void PixPhotoViewController::doneSavingImage() { NX_LOG("done saving image"); }

// ---- Rotation ------------------------------------------------------------------------------

bool PixPhotoViewController::shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) const
{
    return isPad() || orientation != UIInterfaceOrientationPortraitUpsideDown;
}

void PixPhotoViewController::willRotateToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval)
{
    rotating_ = true;
    if (orientation == UIInterfaceOrientationLandscapeLeft || orientation == UIInterfaceOrientationLandscapeRight) {
        const CGRect screen = UIScreen::mainScreen().bounds();
        scrollView_->setContentSize(CGSizeMake(screen.size.height * static_cast<CGFloat>(photoCount()), screen.size.width));
    }
    for (NSInteger p = 0; p < static_cast<NSInteger>(photoViews_.size()); ++p)
        if (auto* page = pageAt(p); page && p != pageIndex_) page->setHidden(true);
}

void PixPhotoViewController::willAnimateRotationToInterfaceOrientation(UIInterfaceOrientation orientation, NSTimeInterval)
{
    for (const auto& page : photoViews_)
        if (page) page->rotateToOrientation(orientation);
}

void PixPhotoViewController::didRotateFromInterfaceOrientation(UIInterfaceOrientation)
{
    setupScrollViewContentSize();
    moveToPhotoAtIndex_animated(pageIndex_, false);
    if (auto* page = pageAt(pageIndex_)) scrollView_->scrollRectToVisible(page->frame(), true);
    for (const auto& page : photoViews_)
        if (page) page->setHidden(false);
    rotating_ = false;
}
