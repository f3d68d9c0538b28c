#include "pc/RecordHomeViewController.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "pc/PCRecordCommon.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/Constant.h"

namespace {

std::shared_ptr<UIButton> tabButton(CGRect frame, NSInteger tag)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setTag(tag);
    button->titleLabel()->font = UIFont::boldSystemFontOfSize(14);
    button->setTitleColor(UIColor::colorWithWhite(0.8, 1), UIControlStateNormal);
    button->setTitleColor(UIColor::whiteColor(), UIControlStateSelected);
    return button;
}

// The interface file: the day at the top, the two tab buttons under it, the
// paging scroll view of the two pages and the page control below; a reload
// button on the bar.
const bool kNib = (UINib::registerNib("RecordHomeViewController", [](NSObject* owner) {
    auto* home = dynamic_cast<RecordHomeViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    home->dateLabel = UILabel::initWithFrame(CGRectMake(13, 4, 294, 24));
    home->dateLabel->setBackgroundColor(UIColor::clearColor());
    home->dateLabel->textColor = UIColor::whiteColor();
    home->dateLabel->textAlignment = UITextAlignmentCenter;
    home->firstBtn = tabButton(CGRectMake(13, 32, 147, 34), RecordHomeViewController::kFirstTabTag);
    home->secondBtn = tabButton(CGRectMake(160, 32, 147, 34), 102);
    for (const auto& b : {home->firstBtn, home->secondBtn})
        b->addTarget(self, NX_SEL(RecordHomeViewController, changePage), UIControlEventTouchUpInside);
    home->scrollview = UIScrollView::initWithFrame(CGRectMake(13, 70, RecordHomeViewController::kPageWidth,
                                                              RecordHomeViewController::kPageHeight));
    home->scrollview->pagingEnabled = true;
    home->scrollview->setClipsToBounds(true);
    home->scrollview->setDelegate(std::dynamic_pointer_cast<UIScrollViewDelegate>(self));
    home->pageControl = UIPageControl::initWithFrame(CGRectMake(0, 380, 320, 24));
    home->pageControl->setNumberOfPages(2);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{home->dateLabel, home->firstBtn, home->secondBtn,
                                                             home->scrollview, home->pageControl})
        view->addSubview(v);
    home->navigationItem()->setRightBarButtonItem(UIBarButtonItem::initWithTitle(
        localized("rechomeviewctrl_reload"), UIBarButtonItemStyleBordered, self, NX_SEL0(RecordHomeViewController, reload)));
    home->navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithTitle(
        localized("rechomeviewctrl_bylist"), UIBarButtonItemStyleBordered, self, NX_SEL0(RecordHomeViewController, showByList)));
    return std::vector<id>{view};
}), true);

// The four lists' interface file: the day at the top, the paging scroll view
// of the four pages and the page control below.
const bool kListNib = (UINib::registerNib("RecordHomeListViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<RecordHomeListViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::blackColor());
    screen->dateLabel = UILabel::initWithFrame(CGRectMake(0, 4, 320, 24));
    screen->dateLabel->setBackgroundColor(UIColor::clearColor());
    screen->dateLabel->textColor = UIColor::whiteColor();
    screen->dateLabel->textAlignment = UITextAlignmentCenter;
    screen->scrollview = UIScrollView::initWithFrame(
        CGRectMake(0, 32, RecordHomeListViewController::kPageWidth, RecordHomeListViewController::kPageHeight));
    screen->scrollview->pagingEnabled = true;
    screen->scrollview->setClipsToBounds(true);
    screen->scrollview->setDelegate(std::dynamic_pointer_cast<UIScrollViewDelegate>(self));
    screen->pageControl = UIPageControl::initWithFrame(CGRectMake(0, 370, 320, 24));
    screen->pageControl->setNumberOfPages(4);
    screen->pageControl->addTarget(self, NX_SEL0(RecordHomeListViewController, changePage), UIControlEventValueChanged);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->dateLabel, screen->scrollview, screen->pageControl})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

}  // namespace

void RecordHomeViewController::viewWillAppear(bool)
{
    setTitle(localized("rechomeviewctrl_recsearch"));
    view()->setBackgroundColor(UIColor::blackColor());
}

void RecordHomeViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    list = {localized("rechomeviewctrl_webtype"), localized("rechomeviewctrl_softtype")};
    dateLabel->setText(NSString(Constant::currentTime().str().substr(0, 10)));
    setTitle(localized("rechomeviewctrl_recsearch"));
    NX_LOG("字无法显示，用图片代替");
    firstBtn->setBackgroundImage(UIImage::imageNamed("left_tab23.png"), UIControlStateNormal);
    firstBtn->setBackgroundImage(UIImage::imageNamed("left_tab_selected23.png"), UIControlStateSelected);
    secondBtn->setBackgroundImage(UIImage::imageNamed("right_tab23.png"), UIControlStateNormal);
    secondBtn->setBackgroundImage(UIImage::imageNamed("right_tab_selected23.png"), UIControlStateSelected);
    firstBtn->setTitle(list[0], UIControlStateNormal);
    secondBtn->setTitle(list[1], UIControlStateNormal);
    firstBtn->setSelected(true);
    secondBtn->setSelected(false);
    reloadByNewThread();
}

void RecordHomeViewController::changePage(const id& sender)
{
    auto* button = dynamic_cast<UIButton*>(sender.get());
    const bool first = button && button->tag() == kFirstTabTag;
    firstBtn->setSelected(first);
    secondBtn->setSelected(!first);
    scrollview->setContentOffset(CGPointMake(first ? 0 : scrollview->frame().size.width, 0), true);
}

void RecordHomeViewController::scrollViewDidScroll(UIScrollView* sv)
{
    const NSInteger page = pageOfScrollView(sv);
    pageControl->setCurrentPage(page);
    if (page == 2) setTitle(localized("rechomeviewctrl_webrec"));
    if (page == 3) setTitle(localized("rechomeviewctrl_softrec"));
}

void RecordHomeViewController::setBarButtonsEnabled(bool enabled)
{
    for (const auto& item : {navigationItem()->rightBarButtonItem, navigationItem()->leftBarButtonItem})
        if (item) item->enabled = enabled;
}

void RecordHomeViewController::reloadByNewThread()
{
    NSObject::cancelPreviousPerformRequestsWithTarget(this);
    finishedPages_ = 0;
    setBarButtonsEnabled(false);
    scrollview->setContentSize(CGSizeMake(2 * kPageWidth, kPageHeight));
    if (utvc && gtvc) {
        utvc->reload();
        gtvc->reload();
        return;
    }
    auto self = std::static_pointer_cast<StatisticsPageDelegate>(strong());
    utvc = UIViewController::init<UrlTypeViewController>();
    utvc->delegate = self;
    utvc->dateString = dateLabel->text();
    scrollview->addSubview(utvc->view());
    gtvc = UIViewController::init<GameTypeViewController>();
    gtvc->delegate = self;
    gtvc->dateString = dateLabel->text();
    gtvc->view()->setFrame(CGRectMake(kPageWidth, 0, kPageWidth, kPageHeight));
    scrollview->addSubview(gtvc->view());
}

void RecordHomeViewController::allSubviewDidload()
{
    if (++finishedPages_ == 2) setBarButtonsEnabled(true);
}

void RecordHomeViewController::pushTimeSelect(const std::shared_ptr<UIViewController>& page, int type)
{
    auto picker = RequestTimeSelect::init();
    picker->setDelegate(std::static_pointer_cast<RequestTimeSelectDelegate>(strong()));
    picker->setPreCtrlView(page);
    picker->setPreCtrlType(type);
    if (auto* nav = navigationController()) nav->pushViewController(picker, true);
}

void RecordHomeViewController::showTimeSelectView(const std::shared_ptr<UIViewController>& page) { pushTimeSelect(page, 0); }

void RecordHomeViewController::showTimeSelectViewFromGameType(const std::shared_ptr<UIViewController>& page)
{
    pushTimeSelect(page, 1);
}

void RecordHomeViewController::RequestTimeSelectView_callBackCtrl_callBackInfo_callBackCtrlType(
    RequestTimeSelect*, const std::shared_ptr<UIViewController>& ctrl, const NSString& day, int type)
{
    if (type == 1) {
        if (auto game = std::dynamic_pointer_cast<GameTypeViewController>(ctrl)) {
            game->curSelectTime = day;
            game->showDetailInfoView();
        }
    } else if (type == 0) {
        if (auto web = std::dynamic_pointer_cast<UrlTypeViewController>(ctrl)) {
            web->curSelectShowTime = day;
            web->loadListViewCtrl();
        }
    }
}

void RecordHomeViewController::getDataByType(const std::shared_ptr<ListViewController>& list)
{
    // Pushed above the picker, which stays for another day.
    if (auto* nav = navigationController()) nav->pushViewController(list, true);
}

void RecordHomeViewController::showByList()
{
    if (!utvc || utvc->list.empty()) {
        Constant_alert(localized("rechomeviewctrl_connecterr"), nullptr);
        return;
    }
    // The ranking pages are never made here, so the site and program pages
    // start without rows.
    auto screen = UIViewController::init<RecordHomeListViewController>();
    screen->args = {{"0", ids(utvc->list)}, {"0", std::nullopt}, {"", ids(gtvc->list)}, {"", std::nullopt}};
    screen->dateLabelString = dateLabel->text();
    if (auto* nav = navigationController()) nav->pushViewController(screen, true);
}

// ---- The four lists ------------------------------------------------------------

void RecordHomeListViewController::viewDidLoad()
{
    UIViewController::viewDidLoad();
    setTitle(localized("rechomelistviewctrl_webtypelist"));
    navigationItem()->setLeftBarButtonItem(veskBarItem(localized("rechomelistviewctrl_back"),
                                                       std::static_pointer_cast<NSObject>(shared_from_this()),
                                                       NX_SEL0(RecordHomeListViewController, goBack)));
    dateLabel->setText(dateLabelString);
    reloadByNewThread();
}

void RecordHomeListViewController::reloadByNewThread()
{
    scrollview->setContentSize(CGSizeMake(4 * kPageWidth, kPageHeight));
    for (auto subviews = scrollview->subviews(); const auto& v : subviews) v->removeFromSuperview();
    std::shared_ptr<ListViewController>* pages[] = {&listView, &listView1, &listView2, &listView3};
    for (int i = 0; i < 4; ++i) {
        auto page = UIViewController::init<ListViewController>();
        page->setType(i);
        page->setDate(dateLabelString);
        page->setSelectdate(dateLabelString);
        if (static_cast<size_t>(i) < args.size()) {
            page->setTotalRecord(static_cast<int>(countValue(args[i].total)));
            if (args[i].rows) page->setList(*args[i].rows);
        }
        page->view()->setFrame(CGRectMake(kPageWidth * i, 0, kPageWidth, kPageHeight));
        scrollview->addSubview(page->view());
        *pages[i] = std::move(page);
    }
}

void RecordHomeListViewController::setTitleOfPage(NSInteger page)
{
    static const char* const kTitles[] = {"rechomelistviewctrl_webtypelist", "rechomelistviewctrl_webreclist",
                                          "rechomelistviewctrl_softtypelist", "rechomelistviewctrl_softreclist"};
    if (page >= 0 && page < 4) setTitle(localized(kTitles[page]));
}

void RecordHomeListViewController::scrollViewDidScroll(UIScrollView* sv)
{
    const NSInteger page = pageOfScrollView(sv);
    pageControl->setCurrentPage(page);
    setTitleOfPage(page);
}

void RecordHomeListViewController::changePage()
{
    scrollview->setContentOffset(CGPointMake(pageControl->currentPage() * scrollview->frame().size.width, 0), true);
}

void RecordHomeListViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
