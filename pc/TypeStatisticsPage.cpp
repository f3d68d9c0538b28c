#include "pc/TypeStatisticsPage.h"

#include <algorithm>

#include "app/AppText.h"
#include "pc/ListViewController.h"
#include "pc/PCRecordCommon.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"
#include "protocol/Internet.h"

namespace {

// The interface file of both pages: the table filling the page, the no-data
// label in the middle.
std::vector<id> buildPage(NSObject* owner, bool withPiePicture)
{
    auto* page = dynamic_cast<TypeStatisticsPage*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 294, 304));
    addStatisticsTable(view.get(), page->scrollview, page->tableview, page->dataNotFound, page->lblNoData,
                       CGRectMake(0, 110, 294, 60));
    if (withPiePicture) {
        auto* game = dynamic_cast<GameTypeViewController*>(owner);
        game->piePic = UIImageView::initWithFrame(CGRectZero);
        game->piePic->setHidden(true);
        view->addSubview(game->piePic);
    }
    return {view};
}

const bool kUrlNib = (UINib::registerNib("UrlTypeViewController", [](NSObject* o) { return buildPage(o, false); }), true);
const bool kGameNib = (UINib::registerNib("GameTypeViewController", [](NSObject* o) { return buildPage(o, true); }), true);

}  // namespace

NSString TypeStatisticsPage::key(const char* suffix) const { return localized(NSString(std::string(keyPrefix()) + suffix)); }

void TypeStatisticsPage::viewDidLoad()
{
    UIViewController::viewDidLoad();
    tableview->setDataSource(std::static_pointer_cast<UITableViewDataSource>(strong()));
    tableview->setDelegate(std::static_pointer_cast<UITableViewDelegate>(strong()));
    lblNoData->setText(key("nodata"));
    setPageTitle(key("softlist"));
    colorList = typeColorList();
    loading = startLoadingBox(view().get(), key("loading"));
    downList(dateString);
}

void TypeStatisticsPage::reload() { downList(dateString); }

void TypeStatisticsPage::downList(const NSString& day)
{
    NSObject::cancelPreviousPerformRequestsWithTarget(this);
    if (!topTenList.empty())
        tableview->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0), UITableViewScrollPositionTop, true);
    loading->startAnimating();
    topTenList.clear();
    percentRows_.removeAll();
    for (auto subviews = scrollview->subviews(); const auto& v : subviews) v->removeFromSuperview();
    tableview->reloadData();

    const unsigned long number = ++loadNumber_;
    std::weak_ptr<TypeStatisticsPage> weak = strong();
    auto body = Body::initWithDataDate(day, "1", "20");
    NSThread::detachNewThreadWithBlock([weak, body, number, fetch = request()] {
        auto reply = fetch(body);
        NSThread::performBlockOnMainThread([weak, reply, number] {
            auto p = weak.lock();
            if (p && p->loadNumber_ == number) p->apply(reply);
        }, false);
    });
}

void TypeStatisticsPage::apply(const std::shared_ptr<AnalysisReturnMessage>& reply)
{
    if (reply && reply->list().empty()) dataNotFound->setHidden(false);
    if (reply && !reply->list().empty()) {
        dataNotFound->setHidden(true);
        list.clear();
        for (const auto& entry : reply->list())
            if (auto row = std::dynamic_pointer_cast<AnalysisMessage>(entry)) list.push_back(row);
        std::stable_sort(list.begin(), list.end(),
                         [](const auto& a, const auto& b) { return a->compareNum(*b) == NSOrderedAscending; });
        topTenList.assign(1, nullptr);
        topTenList.insert(topTenList.end(), list.begin(), list.begin() + std::min(list.size(), kShownRows));
        // The base of the shares, summed wide so that large counts cannot overflow.
        totalRecord = 0;
        imgURL = NSString("");
        const auto first = baseIsShownRows() ? topTenList.begin() + 1 : list.begin();
        const auto last = baseIsShownRows() ? topTenList.end() : list.end();
        for (auto it = first; it != last; ++it) {
            const long long count = countValue((*it)->num());
            totalRecord += count;
            imgURL = NSString(imgURL.str() + std::to_string(count) + ",");
        }
        tableview->reloadData();
    }
    tellDelegate();
    updateView();
}

void TypeStatisticsPage::tellDelegate()
{
    if (auto d = delegate.lock()) d->allSubviewDidload();
}

void TypeStatisticsPage::updateView()
{
    if (loading) loading->stopAnimating();
}

std::shared_ptr<UITableViewCell> TypeStatisticsPage::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    auto cell = tv->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "Cell");
    cell->setBackgroundColor(UIColor::clearColor());
    const size_t r = static_cast<size_t>(ip.row);
    if (r == 0 || r >= topTenList.size()) {
        PercentRows::clear(cell.get());
        cell->accessoryType = UITableViewCellAccessoryNone;
        return cell;
    }
    const auto& entry = topTenList[r];
    percentRows_.show(tv, cell.get(), ip.row, entry->type(), colorList[(r - 1) % colorList.size()],
                   shareOf(countValue(entry->num()), totalRecord));
    cell->accessoryType = UITableViewCellAccessoryDisclosureIndicator;
    return cell;
}

void TypeStatisticsPage::tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    tv->deselectRowAtIndexPath(ip, true);
    const size_t r = static_cast<size_t>(ip.row);
    if (r == 0 || r >= topTenList.size()) return;
    // The category is kept now: a reload may change the rows before the day comes.
    selectedType_ = topTenList[r]->type();
    askForDay(ip.row);
}

void TypeStatisticsPage::showLoading()
{
    if (loading) loading->startAnimating();
}

void TypeStatisticsPage::getDataByType(const NSString& typeName)
{
    // The day and the request are read here, on the main thread.
    std::weak_ptr<TypeStatisticsPage> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, fetch = recordsRequest(), typeName, day = chosenDay()] {
        didStartGetDataByType(weak, fetch, typeName, day);
    });
}

void TypeStatisticsPage::didStartGetDataByType(const std::weak_ptr<TypeStatisticsPage>& page, const RecordsRequest& fetch,
                                               const NSString& typeName, const NSString& day)
{
    CategoryRecords records = fetch(day);
    NSThread::performBlockOnMainThread([page, typeName, day, records] {
        if (auto p = page.lock()) p->didFinishGetDataByType(typeName, day, records);
    }, false);
}

void TypeStatisticsPage::didFinishGetDataByType(const NSString& typeName, const NSString& day,
                                                const CategoryRecords& records)
{
    auto list = UIViewController::init<ListViewController>();
    list->setType(recordListType());
    list->setByTypeName(typeName);
    list->setDate(dateString);
    if (records.arrived) {
        list->setList(records.rows, records.endsWithMoreRow);
        list->setTotalRecord(records.totalRecord);
        list->setNavTitle(typeName);
        list->setSelectdate(day);
    }
    if (auto d = delegate.lock()) d->getDataByType(list);
    updateView();
}

void UrlTypeViewController::loadListViewCtrl()
{
    NX_LOG("current select index === %d", static_cast<int>(mCurSelelectIndex));
    showLoading();
    getDataByType(selectedType());
}

TypeStatisticsPage::RecordsRequest UrlTypeViewController::recordsRequest() const
{
    return [](const NSString& day) {
        CategoryRecords records;
        if (auto reply = Internet::init()->RQUrlBrowseByType(day)) {
            auto rows = reply->list();
            sortByCount(rows);
            records.arrived = true;
            records.rows = ids(rows);
            records.totalRecord = reply->totalRecord().intValue();
        }
        return records;
    };
}

void GameTypeViewController::showDetailInfoView()
{
    NX_LOG("show game type info index ===== %d", static_cast<int>(mCurTableViewSelect));
    showLoading();
    getDataByType(selectedType());
}

TypeStatisticsPage::RecordsRequest GameTypeViewController::recordsRequest() const
{
    return [](const NSString& day) {
        NX_LOG("game type =========== %@", day);
        CategoryRecords records;
        if (auto reply = Game::init()->RQGameBrowseByType(day)) {
            auto rows = reply->list();
            sortByCount(rows);
            records.arrived = true;
            records.rows = ids(rows);
            // Software records come without a total: a page that is not full
            // ends in the more row, which then tells that nothing more is there.
            records.endsWithMoreRow = rows.size() % ListViewController::kPageNum != 0;
        }
        return records;
    };
}

void UrlTypeViewController::setPageTitle(const NSString& title) { navigationItem()->title = title; }

void UrlTypeViewController::askForDay(NSInteger row)
{
    mCurSelelectIndex = row;
    std::weak_ptr<UrlTypeViewController> weak = std::static_pointer_cast<UrlTypeViewController>(strong());
    NSThread::performBlockOnMainThread([weak] {
        auto page = weak.lock();
        if (!page) return;
        if (auto d = page->delegate.lock()) d->showTimeSelectView(page);
    }, false);
}

void GameTypeViewController::askForDay(NSInteger row)
{
    mCurTableViewSelect = row;
    if (auto d = delegate.lock()) d->showTimeSelectViewFromGameType(strong());
}
