#include "app/EquipListViewController.h"

#include "app/AppText.h"
#include "app/ScreenParts.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UINavigationController.h"
#include "protocol/Constant.h"
#include "ui/ProgressHUD.h"
#include "ui/UIImageCategories.h"

namespace {

std::shared_ptr<UILabel> rowLabel(NSInteger tag)
{
    auto l = UILabel::initWithFrame(CGRectZero);
    l->setTag(tag);
    l->setBackgroundColor(UIColor::clearColor());
    return l;
}

std::shared_ptr<UIButton> sheetButton(CGFloat y, const NSString& title, const id& target, SEL action)
{
    auto b = UIButton::buttonWithType(UIButtonTypeCustom);
    b->setFrame(CGRectMake(36, y, 258, 37));
    b->setBackgroundImage(scaleToSize(UIImage::imageNamed("addequip_vesk.png"), CGSizeMake(258, 37)), UIControlStateNormal);
    b->setTitle(title, UIControlStateNormal);
    b->setTitle(title, UIControlStateHighlighted);
    b->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    b->setTitleColor(UIColor::blueColor(), UIControlStateHighlighted);
    b->addTarget(target, std::move(action), UIControlEventTouchUpInside);
    return b;
}

}  // namespace

std::shared_ptr<EquipTempVO> EquipListViewController::itemAt(int index) const
{
    return index >= 0 && static_cast<size_t>(index) < list_.size() ? list_[index] : nullptr;
}

void EquipListViewController::viewDidLoad()
{
    currentPage_ = 1;
    pageSize_ = 20;
    isEditing_ = false;
    buildSheet();
    view()->setBackgroundColor(UIColor::clearColor());
    tableView()->separatorStyle = UITableViewCellSeparatorStyleNone;
    list_.clear();
    downList();
}

void EquipListViewController::buildSheet()
{
    sheet_ = ZarpeActionSheet::initWithHeight(284, localized("equiplist_editdevice"));
    sheet_->toolBar()->tintColor = UIColor::blackColor();
    sheet_->toolBar()->barStyle = UIBarStyleBlack;
    sheet_->view()->setBackgroundColor(UIColor::blackColor());
    sheet_->setTag(kSheetTag);
}

void EquipListViewController::reload()
{
    list_.clear();
    tableView()->reloadData();
    currentPage_ = 1;
    downList();
}

void EquipListViewController::downList()
{
    const unsigned generation = ++fetchGeneration_;
    auto self = std::static_pointer_cast<EquipListViewController>(shared_from_this());
    NSThread::detachNewThreadWithBlock([self, generation] {
        auto reply = EquipList::init()->RQEquipList();
        // The rows change on the main thread, where the table reads them.
        NSThread::performBlockOnMainThread(
            [self, generation, reply] {
                if (generation != self->fetchGeneration_) return;
                if (reply && !reply->list().empty()) self->list_ = reply->list();
                self->updateView();
                if (auto d = self->delegate.lock()) d->EquipListViewController_callBackInfo(self.get(), !self->list_.empty());
            },
            false);
    });
}

void EquipListViewController::updateView() { tableView()->reloadData(); }

NSInteger EquipListViewController::tableView_numberOfRowsInSection(UITableView* tv, NSInteger section)
{
    return static_cast<NSInteger>(list_.size());
}

std::shared_ptr<UITableViewCell> EquipListViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    const NSString identifier = NSString::stringWithFormat("GameViewCell%d", static_cast<int>(ip.row));
    auto cell = tv->dequeueReusableCellWithIdentifier(identifier);
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, identifier);
        cell->setFrame(CGRectMake(0, 0, 220, 41));
        cell->addGestureRecognizer(UIGestureRecognizer::initWithTarget<UILongPressGestureRecognizer>(
            shared_from_this(), NX_SEL(EquipListViewController, longPress)));
        auto background = UIImageView::initWithImage(UIImage::imageNamed("addequip_vesk.png"));
        cell->setBackgroundView(background);
        // The two lines are made once per cell and refilled at every display.
        cell->contentView()->addSubview(rowLabel(kLine1Tag));
        auto line2 = rowLabel(kLine2Tag);
        line2->font = UIFont::systemFontOfSize(12);
        cell->contentView()->addSubview(line2);
    }
    cell->selectionStyle = UITableViewCellSelectionStyleNone;
    auto item = itemAt(static_cast<int>(ip.row));
    auto* line1 = static_cast<UILabel*>(cell->contentView()->viewWithTag(kLine1Tag));
    auto* line2 = static_cast<UILabel*>(cell->contentView()->viewWithTag(kLine2Tag));
    line1->setHidden(!item);
    line2->setHidden(!item);
    if (!item) return cell;

    const CGFloat x = isEditing_ ? 40 : 5, width = tv->bounds().size.width - (isEditing_ ? 45 : 10);
    line1->setFrame(CGRectMake(x, 0, width, isEditing_ ? 20 : 21));
    line2->setFrame(CGRectMake(x, 21, width, 20));
    const NSString nick = item->typeNick();
    const bool hasNick = !nick.isNil() && nick.length() > 0 && nick != "(null)";
    const bool online = item->isOnline() == "1";
    line1->setText(NSString::stringWithFormat("%@%@", hasNick ? NSString::stringWithFormat("%@-", nick) : NSString(""),
                                              localized(online ? "equiplist_deviceonline" : "equiplist_deviceoffline")));
    NSString second = NSString::stringWithFormat("(%@)", item->typeName());
    if (item->managerType() == "School")
        second = NSString::stringWithFormat("%@-%@", second, localized("equiplist_shooluser"));
    else if (item->managerType() == "Home")
        second = NSString::stringWithFormat("%@-%@", second, localized("equiplist_homeuser"));
    line2->setText(second);
    const auto color = online ? UIColor::greenColor() : UIColor::whiteColor();
    line1->textColor = color;
    line2->textColor = color;
    NX_LOG("managerType: %@", item->managerType());
    return cell;
}

void EquipListViewController::postChosen() const
{
    auto center = NSNotificationCenter::defaultCenter();
    center->postNotificationName("reloadTabs", nullptr);
    center->postNotificationName("GotoMainProject", nullptr);
    center->postNotificationName("PopToRootView", nullptr);
}

void EquipListViewController::tableView_didSelectRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    if (auto item = itemAt(static_cast<int>(ip.row))) {
        auto defaults = NSUserDefaults::standardUserDefaults();
        defaults->setValue(item->typeName(), "DeviceId");
        defaults->setValue(item->typeNick(), "NickName");
        defaults->setValue(item->equipType(), "DeviceType");
        defaults->setValue(item->managerType(), "ManagerType");
        Constant::setUserID(item->userID());
        NX_LOG("%@", item->taoCan());
        if (item->managerType() != "School") {
            if (item->taoCan() != "A") {
                Constant_alert(NSString::stringWithFormat(" %@%@", item->typeName(), localized("equiplist_reachdate")), nullptr);
                return;
            }
            const NSString days = Constant::taocanDays();
            if (days.intValue() <= 10 && !days.isEqualToString(localized("equiplist_monthpay")) && Constant::isShowTaocanAlert()) {
                auto alert = UIAlertView::initWithTitle(
                    localized("equiplist_alertinfo"),
                    NSString::stringWithFormat("%@%@%@", localized("equiplist_daysleft"), days, localized("equiplist_day")),
                    std::dynamic_pointer_cast<UIAlertViewDelegate>(shared_from_this()), localized("equiplist_alertknow"),
                    {localized("equiplist_alertnever")});
                alert->setTag(kPackageAlertTag);
                alert->show();
                return;
            }
        }
    }
    postChosen();
}

void EquipListViewController::longPress(const id& recognizer)
{
    auto* press = dynamic_cast<UIGestureRecognizer*>(recognizer.get());
    if (!press || press->state() != UIGestureRecognizerStateBegan) return;
    auto* cell = dynamic_cast<UITableViewCell*>(press->view());
    const auto ip = cell ? tableView()->indexPathForCell(cell) : std::nullopt;
    longPressIndex_ = ip ? static_cast<int>(ip->row) : -1;
    NX_LOG("Long-pressed cell at row %d", longPressIndex_);
    const auto old = sheet_->view()->subviews();
    for (const auto& v : old) v->removeFromSuperview();
    // The row's user ID signs the request the sheet leads to, when one is
    // sent; the stored one stays that of the chosen device.
    auto self = shared_from_this();
    sheet_->view()->addSubview(sheetButton(10, localized("equiplist_editnick"), self, NX_SEL0(EquipListViewController, showEditNick)));
    sheet_->view()->addSubview(sheetButton(60, localized("equiplist_deletdevice"), self, NX_SEL0(EquipListViewController, deletOneEquip)));
    auto info = whiteLabel(CGRectMake(5, 110, 258, 21), 12);
    info->numberOfLines = 0;
    auto item = itemAt(longPressIndex_);
    info->setText(NSString::stringWithFormat("%@%@", localized("equiplist_selectdevice"), item ? item->typeName() : NSString()));
    sheet_->view()->addSubview(info);
    sheet_->showInView(view()->superview());
}

void EquipListViewController::showDialog(NSInteger tag, const NSString& caption, const NSString& text)
{
    auto alert = UIAlertView::initWithTitle(NSString(""), NSString("\n\n"),
                                            std::dynamic_pointer_cast<UIAlertViewDelegate>(shared_from_this()),
                                            localized("equiplist_alertok"), {localized("equiplist_alertcancel")});
    alert->setTag(tag);
    const auto buttons = alert->subviews();
    auto label = whiteLabel(CGRectMake(20, 25, 60, 30), 15);
    label->setText(caption);
    equiNickName_ = UITextField::initWithFrame(CGRectMake(80, 25, 180, 30));
    equiNickName_->borderStyle = UITextBorderStyleBezel;
    equiNickName_->setBackgroundColor(UIColor::whiteColor());
    equiNickName_->delegate = std::dynamic_pointer_cast<UITextFieldDelegate>(shared_from_this());
    equiNickName_->setText(text);
    moveButtonsTo(buttons, 100);
    alert->addSubview(label);
    alert->addSubview(equiNickName_);
    alert->show();
    alert->setTransform(CGAffineTransformMakeTranslation(0, -60));
}

void EquipListViewController::showEditNick()
{
    sheet_->dismissWithClickedButtonIndex(0, false);
    auto item = itemAt(longPressIndex_);
    showDialog(kRenameTag, localized("equiplist_devicenick"), item ? item->typeNick() : NSString(""));
}

void EquipListViewController::showEditDevice()
{
    sheet_->dismissWithClickedButtonIndex(0, false);
    auto item = itemAt(longPressIndex_);
    showDialog(kNumberTag, localized("equiplist_devicenumber"), item ? item->typeName() : NSString(""));
}

void EquipListViewController::deletOneEquip()
{
    sheet_->dismissWithClickedButtonIndex(0, false);
    deleteListItemByListIndex(longPressIndex_);
}

void EquipListViewController::sendUpdate(const std::shared_ptr<EquipTempVO>& item,
                                         std::function<std::shared_ptr<MessageInfo>(const EquipList&)> request,
                                         const NSString& successKey, const NSString& failureKey)
{
    auto self = std::static_pointer_cast<EquipListViewController>(shared_from_this());
    const NSString rowUserID = item->userID();
    NSThread::detachNewThreadWithBlock([self, rowUserID, request, successKey, failureKey] {
        auto list = EquipList::init();
        list->setSigningUserID(rowUserID);
        auto reply = request(*list);
        const bool ok = reply && reply->code() == "0";
        NSThread::performBlockOnMainThread(
            [self, ok, successKey, failureKey] {
                if (!ok || !successKey.isNil()) {
                    self->addHud(localized(ok ? successKey : failureKey));
                    self->hideHUD();
                }
                if (ok) self->reload();
                Ulvo::setNetworkActivityIndicatorVisible(false);
            },
            false);
    });
}

void EquipListViewController::alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index)
{
    if (alert->tag() == kPackageAlertTag) {
        if (index == 1) Constant::setTaocanAlertLastShowTime(Constant::currentTime());
        if (!list_.empty()) postChosen();
        return;
    }
    if (index != 0) return;
    auto item = itemAt(longPressIndex_);
    if (!item) return;
    const NSString typed = equiNickName_->text().stringByReplacingOccurrencesOfString(" ", "");
    if (alert->tag() == kRenameTag) {
        if (stringLengthCount(typed) > kNickLimit) {
            addHud(localized("equiplist_devicenickNametoolong"));
            hideHUD();
            return;
        }
        const NSString body = NSString::stringWithFormat("<BODY><BID>%@</BID><Nick>%@</Nick></BODY></MSG>", item->typeName(), typed);
        sendUpdate(item, [body](const EquipList& e) { return e.RQEditEquipNick(body); }, "serviceBackMessage_ok",
                   "serviceBackMessage_failed");
    } else if (alert->tag() == kNumberTag) {
        const NSString body = NSString::stringWithFormat("<BODY><OldId>%@</OldId><NewId>%@</NewId></BODY></MSG>", item->typeName(), typed);
        sendUpdate(item, [body](const EquipList& e) { return e.UDEquip(body); }, "serviceBackMessage_ok",
                   "serviceBackMessage_failed");
    }
}

void EquipListViewController::deleteListItemByListIndex(int index)
{
    auto item = itemAt(index);
    if (!item) return;
    const NSString number = item->typeName();
    if (number.isEqualToString(Constant::userName())) {
        Constant_alert(localized("equiplist_shouldnotdeleteself"), nullptr);
        return;
    }
    sendUpdate(item, [number](const EquipList& e) { return e.RQDELdevice(number); }, NSString(),
               "equipListView_failed");
}

void EquipListViewController::tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                                             NSIndexPath ip)
{
    if (style == UITableViewCellEditingStyleDelete) deleteListItemByListIndex(static_cast<int>(ip.row));
}

void EquipListViewController::setTableViewEdit(bool editing)
{
    isEditing_ = editing;
    UITableView* tv = tableView();
    const CGFloat x = editing ? 40 : 5, width = tv->bounds().size.width - (editing ? 45 : 10);
    for (NSInteger row = 0; row < static_cast<NSInteger>(list_.size()); ++row) {
        auto cell = tv->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
        if (!cell) continue;
        UIView::beginAnimations(NSString(), nullptr);
        UIView::setAnimationDuration(0.3);
        UIView::setAnimationDelegate(shared_from_this());
        auto* line1 = cell->contentView()->viewWithTag(kLine1Tag);
        auto* line2 = cell->contentView()->viewWithTag(kLine2Tag);
        line1->setFrame(CGRectMake(x, 0, width, 20));
        line2->setFrame(CGRectMake(x, 21, width, 20));
        line2->setNeedsDisplay();
        UIView::commitAnimations();
        NX_LOG("indexPath %d:", static_cast<int>(row));
    }
    tv->setEditing(editing, true);
}

int EquipListViewController::stringLengthCount(const NSString& text)
{
    if (text.isNil() || text.length() == 0) return 0;
    int nonZero = 0;
    for (char16_t unit : text.utf16()) nonZero += ((unit & 0xff) != 0) + ((unit >> 8) != 0);
    return (nonZero + 1) / 2;
}

void EquipListViewController::addHud(const NSString& text) { addWindowHud(text); }

void EquipListViewController::hideHUD() { hideWindowHud(); }

std::optional<bool> EquipListViewController::textField_shouldChangeCharactersInRange_replacementString(UITextField* tf,
                                                                                                       NSRange range,
                                                                                                       const NSString& string)
{
    return acceptsTyping(tf, range);
}
