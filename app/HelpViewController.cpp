#include "app/HelpViewController.h"

#include <cmath>

#include "app/AppText.h"
#include "app/ScreenParts.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"

namespace {

const bool registered = (UINib::registerNib("HelpViewController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<HelpViewController*>(owner);
    auto view = UIView::initWithFrame(overlayFrame());
    vc->scrollView = UIScrollView::initWithFrame(view->bounds());
    vc->scrollView->setDelegate(std::dynamic_pointer_cast<UIScrollViewDelegate>(owner->shared_from_this()));
    view->addSubview(vc->scrollView);
    return {view};
}), true);

}  // namespace

std::shared_ptr<ImageDataView> ImageDataView::init()
{
    auto data = std::make_shared<ImageDataView>();
    const NSString prefix = localized("imgDataview_img");
    for (int i = 1; i <= HelpViewController::kPages; ++i) data->imgArray.push_back(NSString::stringWithFormat("%@%d.png", prefix, i));
    return data;
}

std::shared_ptr<UIAlertView> endGuideScreen(UIViewController* screen, const NSString& message)
{
    auto alert = UIAlertView::initWithTitle(NSString(""), message, nullptr, NSString(), {});
    alert->show();
    removeWithCurlDown(screen->view().get(), 0.5, screen->shared_from_this());
    return alert;
}

void HelpViewController::viewDidLoad()
{
    view()->setBackgroundColor(UIColor::blackColor());
    const CGSize size = scrollView->bounds().size;
    scrollView->pagingEnabled = true;
    scrollView->setContentSize(CGSizeMake(kPages * size.width, size.height));

    pageControl_ = DotPageControl::init();
    pageControl_->setNumberOfPages(kPages);
    pageControl_->setCenter(CGPointMake(view()->center().x, view()->bounds().size.height - 29));
    pageControl_->setCurrentPage(0);
    pageControl_->addTarget(shared_from_this(), NX_SEL(HelpViewController, pageControlClicked), UIControlEventValueChanged);
    pageControl_->setDefersCurrentPageDisplay(true);
    pageControl_->setType(1);
    pageControl_->setOnColor(UIColor::colorWithWhite(0.9, 1));
    pageControl_->setOffColor(UIColor::colorWithWhite(0.7, 1));
    pageControl_->setIndicatorDiameter(12);
    pageControl_->setIndicatorSpace(12);
    view()->addSubview(pageControl_);

    imageData = ImageDataView::init();
    scrollView->setBackgroundColor(UIColor::clearColor());
    for (int i = 0; i < kPages; ++i) {
        auto page = UIImageView::initWithFrame(CGRectMake(i * size.width, 0, size.width, size.height));
        page->setImage(UIImage::imageNamed(imageData->imgArray[i]));
        scrollView->addSubview(page);
    }
}

void HelpViewController::pageControlClicked(const id& sender)
{
    const CGFloat width = scrollView->bounds().size.width;
    scrollView->setContentOffset(CGPointMake(width * pageControl_->currentPage(), scrollView->contentOffset().y), true);
}

void HelpViewController::scrollViewDidScroll(UIScrollView* sv)
{
    const CGFloat width = sv->bounds().size.width;
    const CGFloat x = sv->contentOffset().x;
    NX_LOG("pageWidth %f", width);
    NX_LOG("scrollView.contentOffset.x %f", x);
    // Before layout there is no page to tell.
    if (ended_ || width == 0) return;
    if (x > (kPages - 1) * width + kEndPull) {
        ended_ = true;
        theEndAlert_ = endGuideScreen(this, localized("helpviewctrl_info"));
        performSelector(NX_SEL0(HelpViewController, endAlertViewDismiss), nullptr, 1.0);
        return;
    }
    const int page = static_cast<int>(std::lround(x / width));
    if (page != pageControl_->currentPage()) {
        pageControl_->setCurrentPage(page);
        if (sv->dragging()) pageControl_->updateCurrentPageDisplay();
    }
}

void HelpViewController::scrollViewDidEndScrollingAnimation(UIScrollView* sv) { pageControl_->updateCurrentPageDisplay(); }

void HelpViewController::endAlertViewDismiss()
{
    if (theEndAlert_) theEndAlert_->dismissWithClickedButtonIndex(0, true);
    theEndAlert_.reset();
}
