#include "pc/RecordListView.h"

#include <cmath>

#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/ListViewController.h"
#include "pc/PCRecordCommon.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/uikit/UIPickerView.h"
#include "protocol/Constant.h"
#include "protocol/Internet.h"
#include "protocol/UserRule.h"
#include "ui/ProgressHUD.h"

namespace {

constexpr NSInteger kFirstTag = 101, kSecondTag = 102, kPickerTag = 1;

std::shared_ptr<UILabel> label(UIView* parent, CGRect frame, CGFloat size, std::shared_ptr<UIColor> color)
{
    auto l = UILabel::initWithFrame(frame);
    l->font = UIFont::systemFontOfSize(size);
    l->textColor = std::move(color);
    l->setBackgroundColor(UIColor::clearColor());
    parent->addSubview(l);
    return l;
}

// The interface file: the day and the two switch buttons above the pages.
const bool kNib = (UINib::registerNib("RecordListView", [](NSObject* owner) {
    auto* screen = dynamic_cast<RecordListView*>(owner);
    auto self = std::static_pointer_cast<RecordListView>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::blackColor());
    screen->dateLabel = label(view.get(), CGRectMake(10, 6, 130, 24), 15, UIColor::whiteColor());
    auto tab = [&](NSInteger tag, CGFloat x, const char* key) {
        auto b = UIButton::buttonWithType(UIButtonTypeRoundedRect);
        b->setFrame(CGRectMake(x, 3, 85, 30));
        b->setTag(tag);
        b->setTitle(L(key), UIControlStateNormal);
        b->addTarget(self, NX_SEL(RecordListView, typeChange), UIControlEventTouchUpInside);
        view->addSubview(b);
        return b;
    };
    screen->firstBtn = tab(kFirstTag, 140, "reclistview_web");
    screen->secondBtn = tab(kSecondTag, 230, "reclistview_soft");
    screen->scrollView = UIScrollView::initWithFrame(CGRectMake(0, 38, 320, 304));
    screen->scrollView->pagingEnabled = true;
    screen->scrollView->setDelegate(self);
    view->addSubview(screen->scrollView);
    return std::vector<id>{view};
}), true);

// A program row: name and process on the left, publisher below, count right.
const bool kCellNib = (UINib::registerNib("GameViewCell", [](NSObject*) {
    auto cell = UITableViewCell::initWithStyle<GameViewCell>(UITableViewCellStyleDefault, "GameViewCell");
    UIView* content = cell->contentView();
    // Light on the page's black, like the web page's rows.
    cell->gameNameLabel = label(content, CGRectMake(10, 3, 200, 22), 16, UIColor::whiteColor());
    cell->procNameLabel = label(content, CGRectMake(10, 24, 200, 18), 13, UIColor::lightGrayColor());
    cell->authorLabel = label(content, CGRectMake(10, 42, 200, 18), 13, UIColor::lightGrayColor());
    cell->numLabel = label(content, CGRectMake(210, 20, 60, 24), 16, UIColor::whiteColor());
    cell->numLabel->textAlignment = UITextAlignmentRight;
    return std::vector<id>{cell};
}), true);

std::shared_ptr<Body> pageBody(const NSString& day, int page, int size)
{
    return Body::initWithDataDate(day, NSString::stringWithFormat("%d", page), NSString::stringWithFormat("%d", size));
}

}  // namespace

NSString RecordPageController::text(const char* key) const
{
    return L(NSString::stringWithFormat("%s_%s", keys(), key).UTF8String());
}

void RecordPageController::viewDidLoad()
{
    currentPage = 1;
    pageSize = 20;
    list.clear();
    marker = false;
    ProgressHUD::showHUDAddedTo(view().get(), true, text("loading"));
    downList();
}

void RecordPageController::reload()
{
    currentPage = 1;
    list.clear();
    marker = false;
    ++generation_;
    tableView()->reloadData();
    ProgressHUD::showHUDAddedTo(view().get(), true, text("loading"));
    downList();
}

void RecordPageController::downList()
{
    fetching_ = true;
    const NSString day = dateString;
    const int page = currentPage, size = pageSize;
    const unsigned generation = generation_;
    auto self = strong();  // the page stays while its load runs, as its thread's target did
    NSThread::detachNewThreadWithBlock([self, day, page, size, generation] {
        auto records = self->fetch(day, page, size);
        NSThread::performBlockOnMainThread([self, records, generation] {
            if (generation != self->generation_) return;
            self->fetching_ = false;
            // No reply leaves the list; a page without records ends it.
            if (records) {
                self->list.insert(self->list.end(), records->begin(), records->end());
                self->marker = !records->empty() && self->list.size() >= size_t(self->pageSize) &&
                               self->list.size() % 20 == 0;
            }
            self->tableView()->reloadData();
            ProgressHUD::hideHUDForView(self->view().get(), true);
        }, false);
    });
}

void RecordPageController::nextPage()
{
    if (fetching_) return;
    ++currentPage;
    downList();
}

NSInteger RecordPageController::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    return static_cast<NSInteger>(list.size()) + (marker ? 1 : 0);
}

std::shared_ptr<UITableViewCell> RecordPageController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    if (ip.row < static_cast<NSInteger>(list.size())) return recordCell(tv, ip, list[static_cast<size_t>(ip.row)]);
    auto cell = loadingRowCell(L("app_more"), 60);
    nextPage();
    return cell;
}

void RecordPageController::tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    if (ip.row < static_cast<NSInteger>(list.size()) || fetching_) return;
    if (std::string(keys()) == "urlviewctrl") ProgressHUD::showHUDAddedTo(view().get(), true, text("loading"));
    nextPage();
}

void RecordPageController::tableView_accessoryButtonTappedForRowWithIndexPath(UITableView*, NSIndexPath ip)
{
    if (ip.row >= static_cast<NSInteger>(list.size())) return;
    selectedIndex = ip;
    auto alert = UIAlertView::initWithTitle(
        text("info"), NSString::stringWithFormat("%@\"%@\"%@", text("willset"), nameOf(list[static_cast<size_t>(ip.row)]), text("toforbiddenlist")),
        strong(), NSString(), {text("yes"), text("no")});
    alert->show();
}

void RecordPageController::alertView_clickedButtonAtIndex(UIAlertView*, NSInteger index)
{
    if (index != 0 || !selectedIndex || selectedIndex->row >= static_cast<NSInteger>(list.size())) return;
    // The record is taken here, on the main thread: a reload may empty the
    // list while the add runs.
    const id record = list[static_cast<size_t>(selectedIndex->row)];
    ProgressHUD::showHUDAddedTo(view().get(), true, text("adding"));
    auto self = strong();
    NSThread::detachNewThreadWithBlock([self, record] {
        const NSString message = self->text(self->addToBlackList(record) ? "addsuccess" : "addfail");
        NSThread::performBlockOnMainThread([self, message] { self->finishAddToBlackList(message); }, false);
    });
}

void RecordPageController::finishAddToBlackList(const NSString& message)
{
    ProgressHUD::hideHUDForView(view().get(), false);
    ProgressHUD::showHUDAddedTo(view().get(), true, message);
    ProgressHUD::hideHUDForView(view().get(), true);
}

NSString UrlViewController::tableView_titleForHeaderInSection(UITableView*, NSInteger) { return L("urlviewctrl_webcount"); }

std::optional<std::vector<id>> UrlViewController::fetch(const NSString& day, int page, int size) const
{
    auto reply = Internet::init()->RQUrlAccess(pageBody(day, page, size));
    if (!reply) return std::nullopt;
    return ids(reply->list());
}

bool UrlViewController::addToBlackList(const id& record) const
{
    auto reply = UserUrlRule::init()->ADUrlRuleSelf({nameOf(record)});
    return reply && reply->code() == "0";
}

NSString UrlViewController::nameOf(const id& record) const
{
    auto web = std::dynamic_pointer_cast<InternetMessage>(record);
    return web ? web->url() : NSString();
}

std::shared_ptr<UITableViewCell> UrlViewController::recordCell(UITableView* tv, NSIndexPath, const id& record)
{
    auto cell = std::dynamic_pointer_cast<ListViewCell>(tv->dequeueReusableCellWithIdentifier("ListViewCell"));
    if (!cell) cell = std::dynamic_pointer_cast<ListViewCell>(UINib::loadNibNamed("ListViewCell", this).back());
    auto web = std::dynamic_pointer_cast<InternetMessage>(record);
    cell->titleLabel->setText(web->url());
    cell->percentLabel->setText(web->count());
    cell->accessoryType = UITableViewCellAccessoryDetailDisclosureButton;
    return cell;
}

std::optional<std::vector<id>> GameViewController::fetch(const NSString& day, int page, int size) const
{
    auto reply = Game::init()->RQGameAccess(pageBody(day, page, size));
    if (!reply) return std::nullopt;
    return ids(reply->list());
}

bool GameViewController::addToBlackList(const id& record) const
{
    auto game = std::dynamic_pointer_cast<GameMessage>(record);
    if (!game) return false;
    auto rule = std::make_shared<UserGameRuleMessage>();
    rule->setProcName(game->procName());
    rule->setAuthor(game->author());
    rule->setGameName(game->gameName());
    rule->setUpdateTime(Constant::currentTime());
    auto reply = UserGameRule::init()->ADGameRuleSelf({rule});
    return reply && reply->code() == "0";
}

NSString GameViewController::nameOf(const id& record) const
{
    auto game = std::dynamic_pointer_cast<GameMessage>(record);
    if (!game) return NSString();
    return game->gameName().isNil() || game->gameName() == "" ? game->procName() : game->gameName();
}

std::shared_ptr<UITableViewCell> GameViewController::recordCell(UITableView* tv, NSIndexPath ip, const id& record)
{
    auto cell = std::dynamic_pointer_cast<GameViewCell>(tv->cellForRowAtIndexPath(ip));
    if (!cell) cell = std::dynamic_pointer_cast<GameViewCell>(UINib::loadNibNamed("GameViewCell", this).back());
    auto game = std::dynamic_pointer_cast<GameMessage>(record);
    cell->gameNameLabel->setText(orText(game->gameName(), "gameviewctrl_didnotknow"));
    cell->procNameLabel->setText(orText(game->procName(), "gameviewctrl_didnotknow"));
    cell->authorLabel->setText(orText(game->author(), "gameviewctrl_didnotknow"));
    cell->numLabel->setText(orText(game->number(), "gameviewctrl_didnotknow"));
    cell->accessoryType = UITableViewCellAccessoryDetailDisclosureButton;
    return cell;
}

int RecordListView::pageAt(CGFloat x, CGFloat w)
{
    if (!(w > 0)) return 0;
    return static_cast<int>(std::floor((x - w / 2) / w)) + 1;
}

void RecordListView::viewDidLoad()
{
    showDay(Constant::currentTime().substringToIndex(10));
    scrollView->setContentSize(CGSizeMake(640, 304));
    reload(nullptr);
    firstBtn->setSelected(true);
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    auto calendar = Ulvo::customBackButton(L("reclistview_calendar"), "button", NSString(), NSString());
    calendar->addTarget(self, NX_SEL(RecordListView, dateChanged), UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithCustomView(calendar));
    auto refresh = Ulvo::customBackButton(L("reclistview_refresh"), "button", NSString(), NSString());
    refresh->addTarget(self, NX_SEL(RecordListView, reload), UIControlEventTouchUpInside);
    navigationItem()->setRightBarButtonItem(UIBarButtonItem::initWithCustomView(refresh));
}

void RecordListView::showDay(const NSString& day)
{
    dateLabel->setText(day);
    setTitle(day);
}

void RecordListView::reload(const id&) { loadData(); }

void RecordListView::loadData()
{
    if (urlView_ && gameView_) {
        for (RecordPageController* page : {static_cast<RecordPageController*>(urlView_.get()), static_cast<RecordPageController*>(gameView_.get())}) {
            page->dateString = dateLabel->text();
            page->reload();
        }
        return;
    }
    urlView_ = UIViewController::init<UrlViewController>();
    urlView_->dateString = dateLabel->text();
    urlView_->view()->setFrame(CGRectMake(0, 0, 320, 304));
    scrollView->addSubview(urlView_->view());
    gameView_ = UIViewController::init<GameViewController>();
    gameView_->dateString = dateLabel->text();
    gameView_->view()->setFrame(CGRectMake(320, 0, 320, 304));
    scrollView->addSubview(gameView_->view());
}

void RecordListView::dateChanged(const id&)
{
    auto sheet = UIActionSheet::initWithTitle("\n\n\n\n\n\n\n\n\n\n\n", std::static_pointer_cast<RecordListView>(shared_from_this()),
                                              L("reclistview_cancel"), L("reclistview_ok"), {});
    sheet->setUserInteractionEnabled(true);
    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 0, 320, 216));
    picker->datePickerMode = UIDatePickerModeDate;
    picker->setTag(kPickerTag);
    if (auto day = Constant::stringToDate(dateLabel->text())) picker->setDate(day->timeIntervalSince1970());
    sheet->addSubview(picker);
    if (auto* tabs = tabBarController())
        sheet->showFromTabBar(tabs->tabBar());
    else
        sheet->showInView(view().get());
}

void RecordListView::actionSheet_didDismissWithButtonIndex(UIActionSheet* sheet, NSInteger index)
{
    if (index != 0) return;
    for (const auto& v : sheet->subviews())
        if (auto* picker = dynamic_cast<UIDatePicker*>(v.get())) {
            showDay(Constant::dateToString(NSDate::dateWithTimeIntervalSince1970(picker->date())).substringToIndex(10));
            reload(nullptr);
            return;
        }
}

void RecordListView::typeChange(const id& sender)
{
    auto* button = dynamic_cast<UIView*>(sender.get());
    const bool web = button && button->tag() == kFirstTag;
    firstBtn->setSelected(web);
    secondBtn->setSelected(!web);
    scrollView->setContentOffset(CGPointMake(web ? 0 : scrollView->frame().size.width, 0), true);
}

void RecordListView::scrollViewDidScroll(UIScrollView* sv)
{
    const int page = pageAt(sv->contentOffset().x, sv->frame().size.width);
    if (page != 0 && page != 1) return;
    firstBtn->setSelected(page == 0);
    secondBtn->setSelected(page == 1);
}
