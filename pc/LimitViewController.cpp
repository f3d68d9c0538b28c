#include "pc/LimitViewController.h"

#include <algorithm>

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "pc/PCRecordCommon.h"
#include "pc/TimeLimitViewController.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UITextField.h"
#include "protocol/Internet.h"
#include "protocol/MessageExchange.h"
#include "ui/StringRegex.h"

// The care tab opens this screen by its class name.
NX_REGISTER_CLASS(LimitViewController, [] { return UIViewController::init<LimitViewController>(); });

namespace {

std::shared_ptr<UIButton> nibButton(CGRect frame, const id& owner, SEL action)
{
    auto b = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    b->setFrame(frame);
    b->addTarget(owner, std::move(action), UIControlEventTouchUpInside);
    return b;
}

// The interface file: the list switch with the refresh button on top, the
// table, and below it the add, delete-all and time-setting buttons. The list
// switch also brings the Edit button up to date.
const bool kNib = (UINib::registerNib("LimitViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<LimitViewController*>(owner);
    auto self = std::static_pointer_cast<LimitViewController>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->webOrSoft = UISegmentedControl::initWithItems({"", ""});
    screen->webOrSoft->setFrame(CGRectMake(10, 8, 214, 34));
    screen->webOrSoft->setSelectedSegmentIndex(0);
    screen->webOrSoft->addTarget(self, NX_SEL(LimitViewController, webOrSoftValueChanged), UIControlEventValueChanged);
    screen->webOrSoft->addTarget(self, NX_SEL(LimitViewController, timeLimitChanged), UIControlEventValueChanged);
    screen->reloadButton = nibButton(CGRectMake(232, 8, 78, 34), self, NX_SEL0(LimitViewController, reload));
    screen->myTableview = UITableView::initWithFrame(CGRectMake(0, 50, 320, 314), UITableViewStylePlain);
    screen->myTableview->setDelegate(self);
    screen->myTableview->setDataSource(self);
    screen->timeEditView = UIView::initWithFrame(CGRectMake(0, 368, 320, 48));
    screen->addButton = nibButton(CGRectMake(10, 6, 95, 36), self, NX_SEL(LimitViewController, addUrlOrSoft));
    screen->delAllButton = nibButton(CGRectMake(112, 6, 95, 36), self, NX_SEL(LimitViewController, delAllUrlOrSoft));
    screen->timeButton = nibButton(CGRectMake(215, 6, 95, 36), self, NX_SEL(LimitViewController, editTime));
    for (const auto& b : {screen->addButton, screen->delAllButton, screen->timeButton}) screen->timeEditView->addSubview(b);
    view->addSubview(screen->webOrSoft);
    view->addSubview(screen->reloadButton);
    view->addSubview(screen->myTableview);
    view->addSubview(screen->timeEditView);
    return std::vector<id>{view};
}), true);

bool hasRules(const std::shared_ptr<CategoryVO>& page) { return page && !page->list().empty(); }

bool fullPages(size_t count) { return count > 0 && count % 20 == 0; }

bool succeeded(const std::shared_ptr<UserUrlRuleReturnMessage>& reply) { return reply && reply->code() == "0"; }

}  // namespace

void LimitViewController::viewDidLoad()
{
    myTableview->separatorStyle = UITableViewCellSeparatorStyleNone;
    setTitle(L("LimitViewctrl_blacklist"));
    webPageIndex = softPageIndex = 1;
    addButton->setTitle(L("LimitViewctrl_add"), UIControlStateNormal);
    delAllButton->setTitle(L("LimitViewctrl_deleteall"), UIControlStateNormal);
    timeButton->setTitle(L("LimitViewctrl_timesetting"), UIControlStateNormal);
    reloadButton->setTitle(L("LimitViewctrl_refresh"), UIControlStateNormal);
    webOrSoft->setTitle(L("LimitViewctrl_webforbidden"), 0);
    webOrSoft->setTitle(L("LimitViewctrl_softforbidden"), 1);
    myTableview->setBackgroundColor(UIColor::clearColor());
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(L("LimitViewctrl_back"), std::static_pointer_cast<NSObject>(strong()), NX_SEL0(LimitViewController, goBack)));
    loading = LoadingBoxView::initWithTitle(L("LimitViewctrl_loading"));
    view()->addSubview(loading);
    loading->startAnimating();
    loading->setCenter(CGPointMake(view()->bounds().size.width / 2, 250));
    myTableview->setEditing(true);
    downList();
}

void LimitViewController::downList()
{
    const int webPage = webPageIndex, softPage = softPageIndex;
    const unsigned webEpoch = web_.epoch, softEpoch = soft_.epoch;
    std::weak_ptr<LimitViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, webPage, softPage, webEpoch, softEpoch] {
        auto category = Category::init();
        auto web = category->RQUrlType(webPage);
        // Without the web list the program list is not asked for.
        auto soft = web ? category->RQGameType(softPage) : nullptr;
        NSThread::performBlockOnMainThread([weak, web, soft, webEpoch, softEpoch] {
            auto screen = weak.lock();
            if (!screen) return;
            auto fill = [](RuleList& list, unsigned epoch, const std::shared_ptr<CategoryVO>& page, bool soft) {
                if (!hasRules(page) || list.epoch != epoch) return;
                list.rules.clear();
                append(list, page, soft);
            };
            fill(screen->web_, webEpoch, web, false);
            fill(screen->soft_, softEpoch, soft, true);
            screen->reloadData();
        }, false);
    });
}

void LimitViewController::append(RuleList& list, const std::shared_ptr<CategoryVO>& page, bool soft)
{
    size_t added = 0;
    if (page)
        for (const auto& item : page->list()) {
            auto rule = std::dynamic_pointer_cast<CategoryTempVO>(item);
            if (!rule) continue;
            const bool listed = !soft && std::any_of(list.rules.begin(), list.rules.end(), [&](const auto& r) {
                return r->typeId() == rule->typeId();
            });
            if (listed) continue;
            list.rules.push_back(rule);
            ++added;
        }
    list.loadingRow = added > 0 && fullPages(list.rules.size());
}

void LimitViewController::downMore(bool soft)
{
    RuleList& list = soft ? soft_ : web_;
    list.fetching = true;
    const int page = soft ? ++softPageIndex : ++webPageIndex;
    const unsigned epoch = list.epoch;
    std::weak_ptr<LimitViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, soft, page, epoch] {
        auto reply = soft ? Category::init()->RQGameType(page) : Category::init()->RQUrlType(page);
        NSThread::performBlockOnMainThread([weak, soft, reply, epoch] {
            auto screen = weak.lock();
            if (!screen) return;
            RuleList& into = soft ? screen->soft_ : screen->web_;
            into.fetching = false;
            // A page of the list as it was before a delete-all or a reload is dropped.
            if (into.epoch != epoch) return;
            // No reply keeps the loading row: its next display asks again.
            if (reply) append(into, reply, soft);
            screen->reloadData();
        }, false);
    });
}

void LimitViewController::reloadData()
{
    myTableview->reloadData();
    loading->stopAnimating();
    UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(false);
}

NSInteger LimitViewController::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    const RuleList& list = shown();
    return static_cast<NSInteger>(list.rules.size()) + (list.loadingRow ? 1 : 0);
}

std::shared_ptr<UITableViewCell> LimitViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    RuleList& list = shown();
    if (ip.row >= static_cast<NSInteger>(list.rules.size())) {
        auto cell = loadingRowCell(L("LimitViewctrl_loadingmore"), 80);
        if (!list.fetching) downMore(softShown());
        return cell;
    }
    auto cell = tv->cellForRowAtIndexPath(ip);
    if (!cell || !cell->viewWithTag(20001)) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "Cell");
        cell->selectionStyle = UITableViewCellSelectionStyleNone;
        // The labels sit on the cell itself, right of the delete control the
        // rows show from the start: in the content view, which editing moves
        // aside, the rule's name would run past the screen's edge.
        auto add = [&](NSInteger tag, CGRect frame, CGFloat size, std::shared_ptr<UIColor> color) {
            auto l = UILabel::initWithFrame(frame);
            l->setTag(tag);
            l->font = UIFont::systemFontOfSize(size);
            l->textColor = std::move(color);
            l->setBackgroundColor(UIColor::clearColor());
            cell->addSubview(l);
            return l;
        };
        add(20001, CGRectMake(36, 0, 110, 43), 16, UIColor::lightGrayColor());
        auto name = add(20002, CGRectMake(130, 0, 160, 43), 18, UIColor::whiteColor());
        // A long address shrinks before it is cut.
        name->adjustsFontSizeToFitWidth = true;
        name->minimumFontSize = 12;
    }
    cell->accessoryType = UITableViewCellAccessoryDisclosureIndicator;
    const auto& rule = list.rules[static_cast<size_t>(ip.row)];
    const bool soft = softShown();
    dynamic_cast<UILabel*>(cell->viewWithTag(20001))->setText(NSString::stringWithFormat("%@", soft ? rule->gameType() : rule->type()));
    dynamic_cast<UILabel*>(cell->viewWithTag(20002))->setText(NSString::stringWithFormat("%@", soft ? rule->gameName() : rule->typeName()));
    return cell;
}

std::optional<bool> LimitViewController::tableView_canEditRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    return ip.row < static_cast<NSInteger>(shown().rules.size());
}

std::shared_ptr<UIView> LimitViewController::tableView_viewForHeaderInSection(UITableView*, NSInteger)
{
    return cellHeadView(L(softShown() ? "LimitViewctrl_softtabletitle" : "LimitViewctrl_webtabletitle"), 16,
                        UIColor::lightGrayColor());
}

NSString LimitViewController::ruleElement(const CategoryTempVO& r) const
{
    if (!softShown()) return XMLFormat("<List><UrlBlack>%@</UrlBlack></List>", r.typeId());
    return XMLFormat("<List><GameName>%@</GameName><ProcName>%@</ProcName><Author>%@</Author><Type>%@</Type>"
                     "<SHA1>%@</SHA1><Path>%@</Path></List>",
                     r.gameName(), r.procName(), r.author(), r.Type(), r.SHA1(), r.Path());
}

void LimitViewController::tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle,
                                                                         NSIndexPath ip)
{
    RuleList& list = shown();
    if (ip.row >= static_cast<NSInteger>(list.rules.size())) return;
    const NSString bid = MessageExchange::deviceId();
    const NSString body = bid.isNil() ? NSString()
                                      : NSString::stringWithFormat("%@%@</BODY></MSG>", XMLFormat("<BODY><BID>%@</BID>", bid),
                                                                   ruleElement(*list.rules[static_cast<size_t>(ip.row)]));
    auto reply = softShown() ? Internet::init()->DLGameByType(body) : Internet::init()->DLUrlByType(body);
    if (succeeded(reply)) {
        showMessageForTwoSeconds(view(), L("LimitViewctrl_deletesuccess"));
        list.rules.erase(list.rules.begin() + ip.row);
        ++list.epoch;  // a page asked for before the deletion still holds the rule
        tv->deleteRowsAtIndexPaths({ip}, UITableViewRowAnimationLeft);
    } else {
        showMessageForTwoSeconds(view(), L("serviceBackMessage_failed"));
    }
    NX_LOG("＝＝＝＝＝＝ 从服务器删除黑名单 ＝＝＝＝＝＝＝＝＝");
    NX_LOG(softShown() ? "删除软件" : "删除网页");
    tv->reloadData();
}

void LimitViewController::addUrlOrSoft(const id&)
{
    auto alert = UIAlertView::initWithTitle(L("LimitViewctrl_addwebblacklist"), "\n\n\n", strong(), L("LimitViewctrl_ok"),
                                            {L("LimitViewctrl_cancel")});
    alert->setTag(kAddAlertTag);
    auto label = UILabel::initWithFrame(CGRectMake(10, 40, 120, 25));
    label->font = UIFont::systemFontOfSize(16);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    label->setText(L("LimitViewctrl_inputweburl"));
    addField_ = UITextField::initWithFrame(CGRectMake(10, 70, 270, 35));
    addField_->borderStyle = UITextBorderStyleBezel;
    addField_->setBackgroundColor(UIColor::whiteColor());
    addField_->placeholder = "www.example.com";
    // The buttons move below the field, keeping their places to each other.
    CGFloat top = alert->bounds().size.height;
    for (const auto& b : alert->subviews()) top = std::min(top, b->frame().origin.y);
    const CGFloat down = std::max<CGFloat>(0, 110 - top);
    for (const auto& b : alert->subviews()) {
        CGRect f = b->frame();
        f.origin.y += down;
        b->setFrame(f);
    }
    CGRect box = alert->frame();
    box.size.height += down;
    alert->setFrame(box);
    alert->addSubview(label);
    alert->addSubview(addField_);
    alert->setTransform(CGAffineTransformMakeTranslation(0, -60));
    alert->show();
}

void LimitViewController::alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index)
{
    if (alert->tag() == kAddAlertTag) {
        const NSString typed = addField_ ? addField_->text() : NSString();
        addField_ = nullptr;
        if (index == 0) addWebRule(typed.isNil() ? NSString("") : typed);
        std::weak_ptr<LimitViewController> weak = strong();
        NSThread::performBlockOnMainThread([weak] {
            if (auto s = weak.lock()) s->myTableview->reloadData();
        }, false);
    } else if (alert->tag() == kDeleteAllAlertTag && index == 0) {
        deleteAll();
    }
}

void LimitViewController::addWebRule(const NSString& typed)
{
    if (!isMatchedByRegex(typed, "([\\w-]+\\.)+[\\w-]+(/[\\w- ./?%&=]*)?")) {
        showMessageForTwoSeconds(view(), L("LimitViewctrl_urlerr"));
        return;
    }
    if (namesOwnDomain(typed)) {
        showMessageForTwoSeconds(view(), L("LimitViewctrl_notsetblackname"));
        return;
    }
    const NSString address = typed.lowercaseString().stringByReplacingOccurrencesOfString("www.", "");
    if (address.length() == 0) {
        Constant_alert(L("LimitViewctrl_urlempty"), nullptr);
        return;
    }
    auto reply = Category::init()->ADUrlType(
        deviceBody("<BODY><BID>%@</BID><List><UrlBlack>%@</UrlBlack></List></BODY></MSG>", address));
    if (commandSucceeded(reply)) {
        auto rule = std::make_shared<CategoryTempVO>();
        rule->setType("未知");
        rule->setTypeId(address);
        rule->setTypeName(address);
        web_.rules.push_back(rule);
        ++web_.epoch;  // a page asked for before the addition lacks the rule
        showMessageForTwoSeconds(view(), L("LimitViewctrl_addwebblacklistsuccess"));
    } else {
        showMessageForTwoSeconds(view(), L("serviceBackMessage_failed"));
    }
}

void LimitViewController::delAllUrlOrSoft(const id&)
{
    if (shown().rules.empty()) {
        showMessageForTwoSeconds(view(), L("LimitViewctrl_nodatatodel"));
        return;
    }
    auto alert = UIAlertView::initWithTitle(L("LimitViewctrl_infotitle"), L("LimitViewctrl_suretodeleteall"), strong(),
                                            L("LimitViewctrl_ok"), {L("LimitViewctrl_cancel")});
    alert->setTag(kDeleteAllAlertTag);
    alert->show();
}

void LimitViewController::deleteAll()
{
    RuleList& list = shown();
    const NSString bid = MessageExchange::deviceId();
    NSString body;
    if (!bid.isNil()) {
        body = XMLFormat("<BODY><BID>%@</BID>", bid);
        for (const auto& rule : list.rules) body = NSString::stringWithFormat("%@%@", body, ruleElement(*rule));
        body = NSString::stringWithFormat("%@</BODY></MSG>", body);
    }
    auto reply = softShown() ? Internet::init()->DLGameByType(body) : Internet::init()->DLUrlByType(body);
    if (succeeded(reply)) {
        list.rules.clear();
        list.loadingRow = false;
        ++list.epoch;  // a page still on its way was asked for before the deletion
        showMessageForTwoSeconds(view(), L("LimitViewctrl_deletesuccess"));
    } else {
        showMessageForTwoSeconds(view(), L("serviceBackMessage_failed"));
    }
    std::weak_ptr<LimitViewController> weak = strong();
    NSThread::performBlockOnMainThread([weak] {
        if (auto s = weak.lock()) s->myTableview->reloadData();
    }, false);
}

void LimitViewController::webOrSoftValueChanged(const id&)
{
    addButton->setHidden(softShown());
    myTableview->reloadData();
}

void LimitViewController::reload()
{
    webPageIndex = softPageIndex = 1;
    ++web_.epoch;
    ++soft_.epoch;
    myTableview->setContentOffset(CGPointZero);
    loading->startAnimating();
    downList();
}

void LimitViewController::timeLimitChanged(const id& sender)
{
    if (auto control = std::dynamic_pointer_cast<UIControl>(sender)) control->setSelected(!control->selected());
    isShowEditBtn();
}

void LimitViewController::isShowEditBtn()
{
    if (tableView_numberOfRowsInSection(myTableview.get(), 0) > 0) {
        navigationItem()->setRightBarButtonItem(
            veskBarItem(L("LimitViewctrl_edit"), std::static_pointer_cast<NSObject>(strong()), NX_SEL0(LimitViewController, edit)));
        setEditTitle();
    } else {
        navigationItem()->setRightBarButtonItem(nullptr);
        myTableview->setEditing(false);
    }
}

void LimitViewController::edit()
{
    myTableview->setEditing(!myTableview->editing(), true);
    setEditTitle();
}

// The button says what a tap on it does: Done while the table is editing.
void LimitViewController::setEditTitle()
{
    auto item = navigationItem()->rightBarButtonItem;
    if (auto* button = item ? dynamic_cast<UIButton*>(item->customView.get()) : nullptr)
        button->setTitle(L(myTableview->editing() ? "LimitViewctrl_complete" : "LimitViewctrl_edit"), UIControlStateNormal);
}

void LimitViewController::editTime(const id&)
{
    auto grid = UIViewController::init<TimeLimitViewController>();
    grid->index = static_cast<int>(webOrSoft->selectedSegmentIndex());
    grid->setTitle(L(softShown() ? "LimitViewctrl_softtimesetting" : "LimitViewctrl_webtimesetting"));
    if (auto* nav = navigationController()) nav->pushViewController(grid, true);
}

void LimitViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void LimitViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
