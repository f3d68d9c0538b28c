#include "pc/ImageViewListController.h"

#include "app/AppText.h"
#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/PCRecordCommon.h"
#include "platform/cfnetwork/NSURL.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "protocol/Constant.h"
#include "ui/MonthCalendarView.h"
#include "ui/PixImageView.h"
#include "ui/ProgressHUD.h"

// The care tab opens this screen by its class name.
NX_REGISTER_CLASS(ImageTimeSelectView, [] { return ImageTimeSelectView::init(); });

namespace {

constexpr CGFloat kPitch = 79;

// The interface file: the strip of thumbnails on top and the capture time
// right under it, so that the viewer's place follows without a gap and the
// time stays in sight above a tab bar.
const bool kNib = (UINib::registerNib("ImageViewListController", [](NSObject* owner) {
    auto* screen = dynamic_cast<ImageViewListController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    screen->mImageView = UIImageView::initWithImage(nullptr);
    screen->mImageView->setFrame(CGRectMake(0, 0, 320, 96));
    screen->scrollview = UIScrollView::initWithFrame(CGRectMake(0, 4, 320, 70));
    screen->scrollview->setClipsToBounds(true);
    screen->mTimeLabel = UILabel::initWithFrame(CGRectMake(10, 74, 300, 22));
    screen->mTimeLabel->textColor = UIColor::whiteColor();
    screen->mTimeLabel->font = UIFont::systemFontOfSize(14);
    screen->mTimeLabel->setBackgroundColor(UIColor::clearColor());
    screen->mTimeLabel->textAlignment = UITextAlignmentCenter;
    view->addSubview(screen->mImageView);
    view->addSubview(screen->scrollview);
    view->addSubview(screen->mTimeLabel);
    return std::vector<id>{view};
}), true);

// Hands the page to the screen that asked while no refresh has overtaken it.
class CaptureReceiver : public NSObject, public GetCaptureDelegate {
public:
    CaptureReceiver(std::function<void(std::shared_ptr<CaptureReturnMessage>)> deliver) : deliver_(std::move(deliver)) {}
    void didFinishRequest(std::shared_ptr<CaptureReturnMessage> result) override { deliver_(std::move(result)); }

private:
    std::function<void(std::shared_ptr<CaptureReturnMessage>)> deliver_;
};

}  // namespace

void ImageViewListController::viewDidLoad()
{
    setCurrentPage(1);
    setPageNum(20);
    setMoreString(L("app_more"));
    view()->setBackgroundColor(UIColor::blackColor());
    mImageView->setBackgroundColor(UIColor::clearColor());
    auto self = std::static_pointer_cast<NSObject>(strong());
    navigationItem()->setRightBarButtonItem(veskBarItem(L("imageviewlistctrl_refresh"), self, NX_SEL0(ImageViewListController, refresh)));
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("imageviewlistctrl_back"), self, NX_SEL0(ImageViewListController, goBack)));
    navigationItem()->titleView = titleLabel(NSString::stringWithFormat("%@%@", selectDate(), L("imageviewlistctrl_screenshotrecord")));
    picUrlArray_.clear();
    refresh();
}

void ImageViewListController::refresh()
{
    ProgressHUD::showHUDAddedTo(view().get(), true, L("imageviewlistctrl_iamgeloading"));
    const auto strip = scrollview->subviews();  // a copy: each removal changes the list
    for (const auto& v : strip) v->removeFromSuperview();
    setCurrentPage(1);
    ++generation_;
    downList();
}

void ImageViewListController::loadMore()
{
    if (fetching_) return;
    if (auto* spinner = dynamic_cast<UIActivityIndicatorView*>(scrollview->viewWithTag(kLoadMoreSpinnerTag))) spinner->startAnimating();
    setCurrentPage(currentPage() + 1);
    downList();
}

void ImageViewListController::downList()
{
    fetching_ = true;
    const NSString day = selectDate();
    const long page = currentPage();
    const unsigned generation = generation_;
    std::weak_ptr<ImageViewListController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, day, page, generation] {
        auto receiver = std::make_shared<CaptureReceiver>([weak, generation](std::shared_ptr<CaptureReturnMessage> result) {
            auto screen = weak.lock();
            if (!screen || generation != screen->generation_) return;
            screen->fetching_ = false;
            screen->didFinishRequest(result);
        });
        auto request = GetCapture::init();
        request->setDelegate(receiver);
        request->RQCapturePic(day, page);
        // The receiver lives until the main thread has heard the page.
        NSThread::performBlockOnMainThread([receiver] {}, false);
    });
}

void ImageViewListController::setStripWidth(bool withLoadMore)
{
    const CGFloat width = 4 + kPitch * static_cast<CGFloat>(picUrlArray_.size()) + (withLoadMore ? 150 : 0);
    scrollview->setContentSize(CGSizeMake(width, 62));
}

void ImageViewListController::didFinishRequest(const std::shared_ptr<CaptureReturnMessage>& result)
{
    if (!result || result->list().empty()) {
        if (UIView* more = scrollview->viewWithTag(kLoadMoreTag)) more->removeFromSuperview();
        setStripWidth(false);
        ProgressHUD::hideHUDForView(view().get(), false);
        ProgressHUD::showHUDAddedTo(view().get(), true, L("imageviewlistctrl_nomoreimage"));
        ProgressHUD::hideHUDForView(view().get(), true);
        return;
    }
    if (currentPage() == 1) picUrlArray_.clear();
    const size_t shown = picUrlArray_.size();
    picUrlArray_.insert(picUrlArray_.end(), result->list().begin(), result->list().end());
    // Only the captures that came now get a thumbnail; the earlier ones keep theirs.
    auto self = std::static_pointer_cast<NSObject>(strong());
    for (size_t i = shown; i < picUrlArray_.size(); ++i) {
        auto thumb = PixImageButton::initWithPlaceholderImage(UIImage::imageNamed("loadingImage_M"));
        thumb->setFrame(CGRectMake(4 + kPitch * static_cast<CGFloat>(i), 4, 75, 62));
        thumb->layer()->borderWidth = 1.0;
        thumb->layer()->borderColor = UIColor::grayColor();
        thumb->setTag(kFirstThumbTag + static_cast<NSInteger>(i));
        thumb->setImageURL(NSURL::URLWithString(picUrlArray_[i]->picThumb()));
        thumb->addTarget(self, NX_SEL(ImageViewListController, showPhotos), UIControlEventTouchUpInside);
        scrollview->addSubview(thumb);
    }
    showViewerAt(0);
    ProgressHUD::hideHUDForView(view().get(), false);

    const bool full = static_cast<int>(result->list().size()) == pageNum();
    UIView* more = scrollview->viewWithTag(kLoadMoreTag);
    if (!full && more) more->removeFromSuperview();
    if (full) {
        if (!more) {
            auto button = UIButton::buttonWithType(UIButtonTypeRoundedRect);
            button->setTag(kLoadMoreTag);
            button->setTitle(L("imageviewlistctrl_loadmoreimage"), UIControlStateNormal);
            button->addTarget(self, NX_SEL0(ImageViewListController, loadMore), UIControlEventTouchUpInside);
            auto spinner = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray);
            spinner->setTag(kLoadMoreSpinnerTag);
            spinner->setCenter(CGPointMake(-15, 15));
            button->addSubview(spinner);
            scrollview->addSubview(button);
            more = button.get();
        }
        // The button follows the last thumbnail.
        more->setFrame(CGRectMake(4 + kPitch * static_cast<CGFloat>(picUrlArray_.size()) + 5, 20, 140, 30));
        if (auto* spinner = dynamic_cast<UIActivityIndicatorView*>(more->viewWithTag(kLoadMoreSpinnerTag))) spinner->stopAnimating();
    }
    setStripWidth(full);
    Ulvo::setNetworkActivityIndicatorVisible(false);
}

void ImageViewListController::showPhotos(const id& sender)
{
    auto* thumb = dynamic_cast<UIView*>(sender.get());
    if (!thumb) return;
    const NSInteger index = thumb->tag() - kFirstThumbTag;
    if (index >= 0 && index < static_cast<NSInteger>(picUrlArray_.size())) showViewerAt(static_cast<size_t>(index));
}

void ImageViewListController::showViewerAt(size_t index)
{
    std::vector<std::shared_ptr<PixPhoto>> photos;
    for (const auto& capture : picUrlArray_)
        photos.push_back(MyPhoto::initWithImageURL(NSURL::URLWithString(capture->picPath()), capture->picName()));
    auto in = NSDateFormatter::init();
    in->setDateFormat("yyyy-MM-dd HH:mm:ss");
    auto out = NSDateFormatter::init();
    out->setDateFormat("HH:mm:ss");
    const auto time = in->dateFromString(picUrlArray_[index]->captureTime());
    mTimeLabel->setText(NSString::stringWithFormat("%@ %@", L("imageviewlistctrl_time"), time ? out->stringFromDate(*time) : NSString("")));
    // The viewer shown before goes: one viewer at a time.
    if (viewer_) viewer_->view()->removeFromSuperview();
    viewer_ = PixPhotoViewController::initWithPhotoSource(MyPhotoSource::initWithPhotos(std::move(photos)));
    viewer_->view()->setFrame(CGRectMake(0, 96, 320, 300));
    viewer_->view()->setClipsToBounds(true);
    view()->addSubview(viewer_->view());
    // The embedded viewer hears no appearance of its own, so the screen does
    // what its appearance would: lay out the caption strip in the viewer's
    // frame and take the tab bar out of the way of the viewer's bottom.
    viewer_->setupScrollViewContentSize();
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
    keepOwnBarLook();
    viewer_->moveToPhotoAtIndex_animated(static_cast<NSInteger>(index), false);
}

void ImageViewListController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    if (viewer_) NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
}

void ImageViewListController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    if (viewer_) NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
}

void ImageViewListController::viewDidAppear(bool)
{
    // After the views inside have appeared, the viewer's among them.
    keepOwnBarLook();
}

void ImageViewListController::keepOwnBarLook()
{
    // The viewer's appearance marks the full-screen viewer as shown, which
    // turns every navigation bar's drawing into the viewer's bare black style.
    if (viewer_ && viewer_->view()->window()) Constant::setImageView(false);
}

void ImageViewListController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void ImageTimeSelectView::loadView()
{
    auto v = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    v->setBackgroundColor(UIColor::blackColor());
    v->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    setView(v);
    setTitle(L("imagetimeselectview_screenshotbrowser"));
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    auto back = Ulvo::customBackButton(L("imagetimeselectview_back"), "button_vesk", NSString(), NSString());
    back->addTarget(self, NX_SEL(ImageTimeSelectView, backBtnCallBack), UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithCustomView(back));
    auto calendar = MonthCalendarView::initWithFrame(CGRectMake(0, 0, 320, 275));
    calendar->setBackgroundColor(UIColor::lightGrayColor());
    calendar->setTag(kCalendarTag);
    v->addSubview(calendar);
    auto green = UIImage::imageNamed("green_big_vesk.png");
    auto search = UIButton::buttonWithType(UIButtonTypeCustom);
    search->setFrame(CGRectMake(25, 310, green ? green->size().width : 270, 45));
    search->setBackgroundImage(green, UIControlStateNormal);
    search->setTitle(L("imagetimeselectview_searchrecord"), UIControlStateNormal);
    search->titleLabel()->font = UIFont::boldSystemFontOfSize(18);
    search->addTarget(self, NX_SEL(ImageTimeSelectView, sureBtnCallBack), UIControlEventTouchUpInside);
    v->addSubview(search);
}

void ImageTimeSelectView::sureBtnCallBack(const id&)
{
    auto* calendar = dynamic_cast<MonthCalendarView*>(view()->viewWithTag(kCalendarTag));
    if (!calendar) return;
    const NSString day = calendar->getCurSelectData();
    NX_LOG("[Constant serverTime]:%@", Constant::serverTime());
    if (!inRecordDayWindow(day)) {
        Constant_alert(NSString::stringWithFormat("%@%d%@", L("imagetimeselectview_youcanview"), 3, L("imagetimeselectview_dayrecord")),
                       nullptr);
        return;
    }
    auto list = ImageViewListController::init();
    list->setSelectDate(day);
    if (auto* nav = navigationController()) nav->pushViewController(list, true);
}

void ImageTimeSelectView::backBtnCallBack(const id&)
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
