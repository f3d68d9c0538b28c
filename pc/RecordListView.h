#pragma once
// What the supervised PC did on one day, in two pages side by side: the web
// addresses it visited (UrlViewController) and the programs it used
// (GameViewController). Each page loads 20 records at a time behind a
// trailing row that loads more, and puts a record on the PC's black list
// from the row's detail button. A calendar button picks another day.

#include <optional>
#include <vector>

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableViewController.h"

// What both pages share. One load runs per page at a time: the page number
// advances when it starts, the records are merged on the main thread into the
// list of the day that asked, and only the marker row is ever taken away.
class RecordPageController : public UITableViewController, public UIAlertViewDelegate {
public:
    std::vector<id> list;      // the records
    bool marker = false;       // the trailing row that loads more follows them
    int currentPage = 1;
    int pageSize = 20;
    NSString dateString;
    std::optional<NSIndexPath> selectedIndex;
    bool fetching() const { return fetching_; }

    void viewDidLoad() override;
    // Starts again from page 1.
    void reload();

    NSInteger tableView_numberOfRowsInSection(UITableView* tv, NSInteger section) override;
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip) override;
    void tableView_accessoryButtonTappedForRowWithIndexPath(UITableView* tv, NSIndexPath ip) override;
    void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) override;

protected:
    // "urlviewctrl" or "gameviewctrl": the prefix of the page's texts.
    virtual const char* keys() const = 0;
    // One page of records (worker thread); nothing when no reply came.
    virtual std::optional<std::vector<id>> fetch(const NSString& day, int page, int size) const = 0;
    // Puts the record on the black list (worker thread); whether the service took it.
    virtual bool addToBlackList(const id& record) const = 0;
    virtual NSString nameOf(const id& record) const = 0;
    virtual std::shared_ptr<UITableViewCell> recordCell(UITableView* tv, NSIndexPath ip, const id& record) = 0;
    NSString text(const char* key) const;

private:
    std::shared_ptr<RecordPageController> strong() { return std::static_pointer_cast<RecordPageController>(shared_from_this()); }
    void downList();
    void nextPage();
    void finishAddToBlackList(const NSString& message);

    bool fetching_ = false;
    unsigned generation_ = 0;  // a reload makes the load under way stale
};

class UrlViewController : public RecordPageController {
public:
    NSString tableView_titleForHeaderInSection(UITableView* tv, NSInteger section) override;

protected:
    const char* keys() const override { return "urlviewctrl"; }
    std::optional<std::vector<id>> fetch(const NSString& day, int page, int size) const override;
    bool addToBlackList(const id& record) const override;
    NSString nameOf(const id& record) const override;
    std::shared_ptr<UITableViewCell> recordCell(UITableView* tv, NSIndexPath ip, const id& record) override;
};

class GameViewCell : public UITableViewCell {
public:
    std::shared_ptr<UILabel> gameNameLabel, procNameLabel, authorLabel, numLabel;
};

class GameViewController : public RecordPageController {
public:
    using RecordPageController::reload;
    // Starts again from the first page (the object is not looked at).
    void reload(const id&) { reload(); }
    std::optional<CGFloat> tableView_heightForRowAtIndexPath(UITableView*, NSIndexPath) override { return 65.0; }

protected:
    const char* keys() const override { return "gameviewctrl"; }
    std::optional<std::vector<id>> fetch(const NSString& day, int page, int size) const override;
    bool addToBlackList(const id& record) const override;
    NSString nameOf(const id& record) const override;
    std::shared_ptr<UITableViewCell> recordCell(UITableView* tv, NSIndexPath ip, const id& record) override;
};

class RecordListView : public UIViewController, public UIActionSheetDelegate, public UIScrollViewDelegate {
public:
    // Outlets of the interface file.
    std::shared_ptr<UILabel> dateLabel;
    std::shared_ptr<UIScrollView> scrollView;
    std::shared_ptr<UIButton> firstBtn, secondBtn;

    UrlViewController* urlView() const { return urlView_.get(); }
    GameViewController* gameView() const { return gameView_.get(); }

    // The page in view at the offset x of a scroll view w wide: 0 or 1; 0
    // for a view without width.
    static int pageAt(CGFloat x, CGFloat w);

    void viewDidLoad() override;
    void reload(const id& sender);
    void dateChanged(const id& sender);
    void typeChange(const id& sender);
    void actionSheet_didDismissWithButtonIndex(UIActionSheet* sheet, NSInteger index) override;
    void scrollViewDidScroll(UIScrollView* sv) override;

private:
    void loadData();
    void showDay(const NSString& day);

    std::shared_ptr<UrlViewController> urlView_;
    std::shared_ptr<GameViewController> gameView_;
};
