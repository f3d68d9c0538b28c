#pragma once
// The records home: the day's statistics by type of the supervised PC in two
// pages side by side, web categories and software categories, switched by two
// tab buttons or by swiping. A row of a page asks for a day in the date
// picker; the category's records of that day then open above the picker.
// The bar buttons stay disabled until both pages have loaded; the left one
// opens the four lists of the day (RecordHomeListViewController).

#include <optional>

#include "pc/ListViewController.h"
#include "pc/RequestTimeSelect.h"
#include "pc/StatisticsCommon.h"
#include "pc/TypeStatisticsPage.h"
#include "platform/uikit/UIControl.h"

class UrlRankingViewController;
class GameRankingViewController;

class RecordHomeViewController : public UIViewController,
                                 public StatisticsPageDelegate,
                                 public RequestTimeSelectDelegate,
                                 public UIScrollViewDelegate {
public:
    static constexpr NSInteger kFirstTabTag = 101;
    static constexpr CGFloat kPageWidth = 294, kPageHeight = 304;

    // The tab texts (rechomeviewctrl_webtype, rechomeviewctrl_softtype).
    std::vector<NSString> list;
    // Outlets of the interface file.
    std::shared_ptr<UILabel> dateLabel;
    std::shared_ptr<UIScrollView> scrollview;
    std::shared_ptr<UIPageControl> pageControl;
    std::shared_ptr<UIButton> firstBtn, secondBtn;
    // The two pages; the ranking pages are never made here.
    std::shared_ptr<UrlTypeViewController> utvc;
    std::shared_ptr<UrlRankingViewController> urvc;
    std::shared_ptr<GameTypeViewController> gtvc;
    std::shared_ptr<GameRankingViewController> grvc;

    void viewWillAppear(bool animated) override;
    void viewDidLoad() override;
    void changePage(const id& sender);
    void reload() { reloadByNewThread(); }
    // Makes the pages (or tells them to load again) and disables the bar
    // buttons until both report. Runs on the main thread: it only builds
    // views; the pages' requests run on their own workers.
    void reloadByNewThread();

    void scrollViewDidScroll(UIScrollView* sv) override;
    void allSubviewDidload() override;
    void showTimeSelectView(const std::shared_ptr<UIViewController>& page) override;
    void showTimeSelectViewFromGameType(const std::shared_ptr<UIViewController>& page) override;
    void getDataByType(const std::shared_ptr<ListViewController>& list) override;
    // Opens the four lists of the day; with no web categories loaded, an alert instead.
    void showByList();
    void RequestTimeSelectView_callBackCtrl_callBackInfo_callBackCtrlType(RequestTimeSelect* picker,
                                                                         const std::shared_ptr<UIViewController>& ctrl,
                                                                         const NSString& day, int type) override;

private:
    std::shared_ptr<RecordHomeViewController> strong()
    {
        return std::static_pointer_cast<RecordHomeViewController>(UIViewController::shared_from_this());
    }
    void setBarButtonsEnabled(bool enabled);
    void pushTimeSelect(const std::shared_ptr<UIViewController>& page, int type);

    // Pages that reported since the last load began.
    int finishedPages_ = 0;
};

// The day's four lists in swipeable pages: web categories, web sites,
// software categories and programs (ListViewController types 0 to 3). Each
// element of `args` is (a total, the page's rows); pages without rows fetch
// theirs when refreshed.
class RecordHomeListViewController : public UIViewController, public UIScrollViewDelegate {
public:
    static constexpr CGFloat kPageWidth = 320, kPageHeight = 327;
    struct PageArgs {
        NSString total;
        std::optional<std::vector<id>> rows;
    };

    std::shared_ptr<UILabel> dateLabel;
    std::shared_ptr<UIScrollView> scrollview;
    std::shared_ptr<UIPageControl> pageControl;
    std::shared_ptr<ListViewController> listView, listView1, listView2, listView3;
    NSString dateLabelString;
    std::vector<PageArgs> args;

    void viewDidLoad() override;
    void scrollViewDidScroll(UIScrollView* sv) override;
    // The page control's action: shows its current page.
    void changePage();
    void goBack();
    void reload() { reloadByNewThread(); }
    // Builds the four pages. On the main thread: it only makes views.
    void reloadByNewThread();

private:
    void setTitleOfPage(NSInteger page);
};
