#include "pc/ListViewController.h"

#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/PCRecordCommon.h"
#include "pc/RecordDetailInfoView.h"
#include "platform/foundation/NSLog.h"
#include "protocol/Analysis.h"
#include "protocol/Internet.h"
#include "ui/ProgressHUD.h"

namespace {

std::shared_ptr<UILabel> cellLabel(CGRect frame, UITextAlignment alignment)
{
    auto l = UILabel::initWithFrame(frame);
    l->font = UIFont::systemFontOfSize(15);
    l->textColor = UIColor::whiteColor();
    l->setBackgroundColor(UIColor::clearColor());
    l->textAlignment = alignment;
    return l;
}

// The list's interface file: the table over the whole screen.
const bool kListNib = (UINib::registerNib("ListViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<ListViewController*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    screen->tableview = UITableView::initWithFrame(view->bounds(), UITableViewStylePlain);
    auto self = std::static_pointer_cast<ListViewController>(owner->shared_from_this());
    screen->tableview->setDelegate(self);
    screen->tableview->setDataSource(self);
    view->addSubview(screen->tableview);
    return std::vector<id>{view};
}), true);

// A row: the name at the left, the time or count at the right.
const bool kCellNib = (UINib::registerNib("ListViewCell", [](NSObject*) {
    auto cell = UITableViewCell::initWithStyle<ListViewCell>(UITableViewCellStyleDefault, "ListViewCell");
    cell->titleLabel = cellLabel(CGRectMake(10, 0, 200, 44), UITextAlignmentLeft);
    cell->percentLabel = cellLabel(CGRectMake(210, 0, 100, 44), UITextAlignmentRight);
    // An accessory narrows the content view: the name gives up the room, the
    // count keeps its place at the content's right end, clear of the accessory.
    cell->titleLabel->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    cell->percentLabel->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    cell->contentView()->addSubview(cell->titleLabel);
    cell->contentView()->addSubview(cell->percentLabel);
    cell->selectionStyle = UITableViewCellSelectionStyleGray;
    return std::vector<id>{cell};
}), true);

}  // namespace

void ListViewController::setList(std::vector<id> records, bool endsWithMoreRow)
{
    list_ = std::move(records);
    moreRow_ = endsWithMoreRow;
}

void ListViewController::viewDidLoad()
{
    tableview->setBackgroundColor(UIColor::blackColor());
    tableview->separatorStyle = UITableViewCellSeparatorStyleNone;
    // A full first page ends in the more row; one marker at most.
    if (list_.size() >= kPageNum && list_.size() % kPageNum == 0) moreRow_ = true;
    setCurrentPage(1);
    setPageNum(kPageNum);
    setMoreString(L("app_more"));
    const NSString listTitle = L(isWeb() ? "listviewctrl_webrec" : "listviewctrl_softrec");
    setTitle(listTitle);
    navigationItem()->titleView = titleLabel(NSString::stringWithFormat("%@%@", date(), listTitle));
    auto self = std::static_pointer_cast<NSObject>(strong());
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("listviewctrl_backd"), self, NX_SEL0(ListViewController, goBack)));
    navigationItem()->setRightBarButtonItem(veskBarItem(L("listviewctrl_refresh"), self, NX_SEL0(ListViewController, refresh)));
    tableview->reloadData();
}

NSInteger ListViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    return static_cast<NSInteger>(list_.size()) + (moreRow_ ? 1 : 0);
}

NSString ListViewController::tableView_titleForHeaderInSection(UITableView*, NSInteger)
{
    return L(isWeb() ? "listviewctrl_weblasttime" : "listviewctrl_softlasttime");
}

std::shared_ptr<UIView> ListViewController::tableView_viewForHeaderInSection(UITableView* tv, NSInteger section)
{
    return cellHeadView(tableView_titleForHeaderInSection(tv, section), 12, UIColor::whiteColor());
}

std::shared_ptr<UITableViewCell> ListViewController::moreCell()
{
    auto cell = loadingRowCell(L("app_more"), 60);
    // Drawing the row asks for the next page, unless one is on its way.
    if (!fetching_) {
        const int limit = totalRecord() / pageNum();
        if (currentPage() + 1 > limit + 1) {
            flashHud(view().get(), L("listviewctrl_nomoredata"));
        } else {
            setCurrentPage(currentPage() + 1);
            downMore();
        }
    }
    return cell;
}

std::shared_ptr<UITableViewCell> ListViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    if (ip.row >= static_cast<NSInteger>(list_.size())) return moreCell();
    auto cell = std::dynamic_pointer_cast<ListViewCell>(tv->dequeueReusableCellWithIdentifier("ListViewCell"));
    if (!cell)
        for (const auto& object : UINib::loadNibNamed("ListViewCell", this))
            if ((cell = std::dynamic_pointer_cast<ListViewCell>(object))) break;
    const id& item = list_[static_cast<size_t>(ip.row)];
    if (auto a = std::dynamic_pointer_cast<AnalysisMessage>(item)) {
        cell->titleLabel->setText(a->type());
        cell->percentLabel->setText(a->num());
    } else if (auto w = std::dynamic_pointer_cast<InternetMessage>(item)) {
        cell->titleLabel->setText(w->url());
        cell->percentLabel->setText(clockPartOfVisit(w->visitedTime()));
    } else if (auto g = std::dynamic_pointer_cast<GameMessage>(item)) {
        cell->titleLabel->setText(orText(g->gameName(), "listviewctrl_didnotknow"));
        cell->percentLabel->setText(clockPartOfVisit(g->visitedTime()));
    }
    return cell;
}

void ListViewController::tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    // The more row and the category counts open nothing.
    if (ip.row >= static_cast<NSInteger>(list_.size()) || type() < 3) return;
    auto record = std::make_shared<RecordDetailInfoStruct>();
    const id& item = list_[static_cast<size_t>(ip.row)];
    if (auto w = std::dynamic_pointer_cast<InternetMessage>(item)) {
        record->setEname(w->url());
        record->setImageUrl(w->path());
        record->setName(w->name());
        record->setType(w->type());
        record->setRequestTime(w->visitedTime());
        record->setRequestNumTimes(w->count());
        record->setLogo_or("url");
    } else if (auto g = std::dynamic_pointer_cast<GameMessage>(item)) {
        record->setImageUrl(g->path());
        record->setName(g->gameName());
        record->setType(g->type());
        record->setRequestTime(g->visitedTime());
        record->setRequestNumTimes(g->number());
        record->setProcName(g->procName());
        record->setAuthor(g->author());
        record->setUpdateTime(g->visitedTime());
        record->setPath(g->softPath());
        record->setSHA1(g->SHA1());
        record->setLogo_or("game");
    } else {
        return;
    }
    auto detail = RecordDetailInfoView::init();
    detail->setDataStruct(record);
    detail->resetUIData();
    if (auto* nav = navigationController()) nav->pushViewController(detail, true);
}

void ListViewController::refresh()
{
    if (!list_.empty()) Ulvo::scrollToTableViewTop(tableview.get());
    setCurrentPage(1);
    ProgressHUD::showHUDAddedTo(view().get(), true);
    ++generation_;
    downMore();
}

void ListViewController::downMore()
{
    fetching_ = true;
    // What the worker needs is read here, on the main thread.
    const int t = type(), page = currentPage(), size = pageNum();
    const NSString day = selectdate();
    const unsigned generation = generation_;
    std::weak_ptr<ListViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, t, page, size, day, generation] {
        Page result = fetch(t, day, page, size);
        NSThread::performBlockOnMainThread([weak, page, generation, result] {
            auto screen = weak.lock();
            if (screen && generation == screen->generation_) screen->merge(page, result);
        }, false);
    });
}

ListViewController::Page ListViewController::fetch(int type, const NSString& day, int page, int size)
{
    if (type == 4) NX_LOG("selectdate===%@", day);
    auto body = Body::initWithDataDate(day, NSString::stringWithFormat("%d", page), NSString::stringWithFormat("%d", size));
    auto take = [](const auto& reply) {
        Page p;
        if (reply) {
            p.totalRecord = reply->totalRecord().intValue();
            p.rows = ids(reply->list());
        }
        return p;
    };
    switch (type) {
    case 0: return take(Analysis::init()->RQUrlTypeBrowse(body));
    case 1: return take(Internet::init()->RQUrlBrowse(body));
    case 2: return take(Analysis::init()->RQGameTypeBrowse(body));
    case 3: return take(Game::init()->RQGameBrowse(body));
    case 4: return take(Internet::init()->RQUrlBrowseByType(day, page));
    case 5: return take(Game::init()->RQGameBrowseByType(day, page));
    case 6: return take(Internet::init()->RQUrlAccess(body));
    case 7: return take(Game::init()->RQGameAccess(body));
    default: return Page{};
    }
}

void ListViewController::merge(int page, Page result)
{
    fetching_ = false;
    setTotalRecord(result.totalRecord);
    if (page == 1) list_.clear();
    const bool arrived = !result.rows.empty();
    list_.insert(list_.end(), result.rows.begin(), result.rows.end());
    moreRow_ = arrived && list_.size() >= static_cast<size_t>(pageNum()) && list_.size() % static_cast<size_t>(pageNum()) == 0;
    updateView();
}

void ListViewController::updateView()
{
    Ulvo::setNetworkActivityIndicatorVisible(false);
    ProgressHUD::hideHUDForView(view().get(), true);
    tableview->reloadData();
}

void ListViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
