#include "pc/RankingPage.h"

#include <algorithm>

#include "app/AppText.h"
#include "platform/cfnetwork/NSURL.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"
#include "protocol/Constant.h"
#include "protocol/Internet.h"
#include "protocol/ServiceConfig.h"

namespace {

constexpr NSInteger kChartTag = 51790;

// The interface file of both screens: the table filling the screen, the
// no-data label, and the date view (a date picker and its OK button) that
// waits off screen until the bar button adds it.
std::vector<id> buildRanking(NSObject* owner)
{
    auto* page = dynamic_cast<RankingPage*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    addStatisticsTable(view.get(), page->scrollview, page->tableview, page->dataNotFound, page->lblNoData,
                       CGRectMake(0, 190, 320, 60));
    page->control = UISegmentedControl::initWithItems({});
    page->dateView = UIView::initWithFrame(CGRectMake(0, 156, 320, 260));
    page->dateView->setBackgroundColor(UIColor::colorWithWhite(0.2, 1));
    page->datePicker = UIDatePicker::initWithFrame(CGRectMake(0, 0, 320, 216));
    page->datePicker->datePickerMode = UIDatePickerModeDate;
    page->btnOk = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    page->btnOk->setFrame(CGRectMake(110, 220, 100, 34));
    page->btnOk->addTarget(self, NX_SEL(RankingPage, dateChanged), UIControlEventTouchUpInside);
    page->dateView->addSubview(page->datePicker);
    page->dateView->addSubview(page->btnOk);
    return {view};
}

const bool kUrlNib = (UINib::registerNib("UrlRankingViewController", buildRanking), true);
const bool kGameNib = (UINib::registerNib("GameRankingViewController", buildRanking), true);

}  // namespace

NSString RankingPage::key(const char* suffix) const { return localized(NSString(std::string(keyPrefix()) + suffix)); }

NSString RankingPage::chartURL(const NSString& list)
{
    return NSString(ServiceConfig::chartServerURL().str() + kChartPath + list.str());
}

void RankingPage::viewDidLoad()
{
    UIViewController::viewDidLoad();
    auto self = std::static_pointer_cast<RankingPage>(shared_from_this());
    tableview->setDataSource(std::static_pointer_cast<UITableViewDataSource>(self));
    tableview->setDelegate(std::static_pointer_cast<UITableViewDelegate>(self));
    lblNoData->setText(key("nodata"));
    btnOk->setTitle(key("ok"), UIControlStateNormal);
    // The picker starts on today, as the platform's does.
    datePicker->setDate(NSDate::date().timeIntervalSince1970());
    imgURL = NSString("");
    navigationItem()->setRightBarButtonItem(UIBarButtonItem::initWithTitle(
        key("selectdate"), UIBarButtonItemStyleBordered, std::static_pointer_cast<NSObject>(self),
        NX_SEL0(RankingPage, changeDate)));
    whiteList.clear();
    topTenList.clear();
    colorList = rankColorList();
    loading = startLoadingBox(view().get(), key("loading"));
    reloadData(dateString);
}

void RankingPage::changeDate() { view()->addSubview(dateView); }

void RankingPage::dateChanged(const id&)
{
    const NSDate picked = NSDate::dateWithTimeIntervalSince1970(datePicker->date());
    reloadData(NSString(Constant::dateToString(picked).str().substr(0, 10)));
    dateView->removeFromSuperview();
}

void RankingPage::reloadData(const NSString& day)
{
    const NSString shown = day.isNil() ? NSString(Constant::currentTime().str().substr(0, 10)) : day;
    if (loading) loading->startAnimating();
    const unsigned long number = ++loadNumber_;
    std::weak_ptr<RankingPage> weak = std::static_pointer_cast<RankingPage>(shared_from_this());
    auto body = Body::initWithDataDate(shown, "1", "20");
    NSThread::detachNewThreadWithBlock([weak, body, number, fetch = request()] {
        auto entries = fetch(body);
        NSThread::performBlockOnMainThread([weak, entries, number] {
            auto p = weak.lock();
            if (p && p->loadNumber_ == number) p->apply(entries);
        }, false);
    });
}

void RankingPage::apply(const std::optional<std::vector<RankEntry>>& entries)
{
    if (entries) {
        dataNotFound->setHidden(!entries->empty());
        whiteList = *entries;
        std::stable_sort(whiteList.begin(), whiteList.end(),
                         [](const RankEntry& a, const RankEntry& b) { return a.count > b.count; });
        topTenList.clear();
        percentRows_.removeAll();
        totalRecord = 0;
        std::string counts;
        piePic.reset();
        if (!whiteList.empty()) {
            topTenList.push_back(RankEntry{});
            topTenList.insert(topTenList.end(), whiteList.begin(),
                              whiteList.begin() + std::min(whiteList.size(), kShownRows));
            NX_LOG("%s %d\n", "reloadData", __LINE__);
            // Whole numbers only go into the chart's query, and the base of
            // the shares is summed wide.
            for (auto it = topTenList.begin() + 1; it != topTenList.end(); ++it) {
                totalRecord += it->count;
                counts += std::to_string(it->count) + ",";
            }
            piePic = PixImageView::initWithPlaceholderImage(nullptr);
            piePic->setFrame(CGRectMake(0, 0, 320, kChartHeight));
            piePic->setContentMode(UIViewContentModeScaleAspectFit);
            piePic->setTag(kChartTag);
            piePic->setImageURL(NSURL::URLWithString(chartURL(NSString(counts))));
        }
        imgURL = NSString(counts);
        tableview->reloadData();
    }
    updateView();
    if (auto d = delegate.lock()) d->allSubviewDidload();
}

void RankingPage::updateView()
{
    if (loading) loading->stopAnimating();
}

std::shared_ptr<UITableViewCell> RankingPage::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    auto cell = tv->dequeueReusableCellWithIdentifier("Cell");
    if (!cell) cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "Cell");
    cell->setBackgroundColor(UIColor::clearColor());
    cell->accessoryType = UITableViewCellAccessoryNone;
    if (UIView* old = cell->viewWithTag(kChartTag)) old->removeFromSuperview();
    const size_t r = static_cast<size_t>(ip.row);
    if (r == 0) {
        PercentRows::clear(cell.get());
        if (piePic) cell->addSubview(piePic);
        return cell;
    }
    if (r < topTenList.size()) {
        const RankEntry& entry = topTenList[r];
        percentRows_.show(tv, cell.get(), ip.row, entry.name, colorList[(r - 1) % colorList.size()], shareOf(entry.count, totalRecord));
    }
    return cell;
}

namespace {

// The entries of a ranking reply, by the name and count its rows carry.
template <class Reply, class Name, class Count>
std::optional<std::vector<RankEntry>> entriesOf(const std::shared_ptr<Reply>& reply, Name name, Count count)
{
    if (!reply) return std::nullopt;
    std::vector<RankEntry> entries;
    for (const auto& m : reply->list()) entries.push_back({name(*m), countValue(count(*m))});
    return entries;
}

}  // namespace

RankingPage::Request UrlRankingViewController::request() const
{
    return [](const std::shared_ptr<Body>& body) {
        return entriesOf(Internet::init()->RQUrlBrowse(body), [](const InternetMessage& m) { return m.url(); },
                         [](const InternetMessage& m) { return m.count(); });
    };
}

RankingPage::Request GameRankingViewController::request() const
{
    return [](const std::shared_ptr<Body>& body) {
        return entriesOf(Game::init()->RQGameBrowse(body), [](const GameMessage& m) { return m.gameName(); },
                         [](const GameMessage& m) { return m.number(); });
    };
}
