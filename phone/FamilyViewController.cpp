#include "phone/FamilyViewController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "app/ScreenParts.h"
#include "phone/PhoneParts.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLog.h"
#include "protocol/Constant.h"
#include "ui/StringRegex.h"

namespace {

// A refused entry shows this long.
constexpr NSTimeInterval kRefusalShown = 0.5;

std::shared_ptr<UILabel> caption(CGRect frame)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = UIFont::boldSystemFontOfSize(14);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

// The interface file: the column captions, the list, the tip line and the
// add button.
const bool kNib = (UINib::registerNib("FamilyViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<FamilyViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->lblPhone = caption(CGRectMake(2, 10, 116, 24));
    screen->lblName = caption(CGRectMake(120, 10, 120, 24));
    screen->lblTime = caption(CGRectMake(242, 10, 76, 24));
    screen->lblTime->textAlignment = UITextAlignmentRight;
    screen->table = UITableView::initWithFrame(CGRectMake(0, 40, 320, 260), UITableViewStylePlain);
    screen->table->setBackgroundColor(UIColor::clearColor());
    screen->table->setDataSource(std::dynamic_pointer_cast<UITableViewDataSource>(owner->shared_from_this()));
    screen->table->setDelegate(std::dynamic_pointer_cast<UITableViewDelegate>(owner->shared_from_this()));
    screen->lblCount = caption(CGRectMake(10, 305, 300, 40));
    screen->lblCount->font = UIFont::systemFontOfSize(12);
    screen->lblCount->numberOfLines = 0;
    screen->btnAdd = veskButton(CGRectMake(85, 355, 150, 36));
    screen->btnAdd->addTarget(self, NX_SEL(FamilyViewController, addBtnClick), UIControlEventTouchUpInside);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->lblPhone, screen->lblName, screen->lblTime,
                                                              screen->table, screen->lblCount, screen->btnAdd})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

std::shared_ptr<UILabel> cellLabel(NSInteger tag, CGRect frame)
{
    auto label = UILabel::initWithFrame(frame);
    label->setTag(tag);
    label->setBackgroundColor(UIColor::clearColor());
    label->font = UIFont::boldSystemFontOfSize(13);
    label->textColor = UIColor::whiteColor();
    return label;
}

std::shared_ptr<UILabel> alertCaption(CGRect frame, const char* key)
{
    auto label = whiteLabel(frame, 12);
    label->textAlignment = UITextAlignmentRight;
    label->setText(L(key));
    return label;
}

}  // namespace

void FamilyViewController::viewDidLoad()
{
    setTitle(L("pmoreviewctrl_relativescalls"));
    lblPhone->setText(L("familyviewctrl_phone"));
    lblName->setText(L("familyviewctrl_name"));
    lblTime->setText(L("familyviewctrl_time"));
    lblCount->setText(L("familyviewctrl_tips"));
    btnAdd->setTitle(L("familyviewctrl_addphone"), UIControlStateNormal);
    tableData.clear();
    addHud(L("familyviewctrl_loading"));
    reload();
    const id self = std::static_pointer_cast<NSObject>(strong());
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("familyviewctrl_back"), self, NX_SEL0(FamilyViewController, goBack)));
    navigationItem()->setRightBarButtonItem(
        veskBarItem(L("familyviewctrl_refresh"), self, NX_SEL0(FamilyViewController, toReload)));
}

void FamilyViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void FamilyViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void FamilyViewController::toReload()
{
    addHud(L("familyviewctrl_loading"));
    reload();
}

void FamilyViewController::reload()
{
    const NSString body = MessageExchange::body("<BODY><UserID>%@</UserID><DataDate>2011-01-01</DataDate></BODY></MSG>",
                                                Constant::userID());
    std::weak_ptr<FamilyViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body] {
        auto reply = body.isNil() ? nullptr : Family::init()->RQFamilyPhone(body);
        NSThread::performBlockOnMainThread([weak, reply] {
            auto screen = weak.lock();
            if (!screen) return;
            if (reply)
                screen->updateView(reply);
            else
                screen->updateView();
        }, false);
    });
}

void FamilyViewController::updateView(const std::shared_ptr<FamilyReturnMessage>& reply)
{
    lblCount->setText(L("familyviewctrl_tips"));
    tableData.clear();
    for (const auto& row : reply->list())
        if (row && row->isDel() == NSString("0")) tableData.push_back(row);
    table->reloadData();
    hideHUD();
}

void FamilyViewController::updateView() { hideHUD(); }

std::shared_ptr<UITableViewCell> FamilyViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    auto cell = tv->dequeueReusableCellWithIdentifier("infoCell");
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "infoCell");
        auto press = UIGestureRecognizer::initWithTarget<UILongPressGestureRecognizer>(
            std::static_pointer_cast<NSObject>(strong()), NX_SEL(FamilyViewController, cellLongPress));
        cell->addGestureRecognizer(press);
        const CGFloat width = tv->bounds().size.width;
        cell->contentView()->addSubview(cellLabel(kNumberTag, CGRectMake(2, 0, 116, 30)));
        cell->contentView()->addSubview(cellLabel(kNameTag, CGRectMake(120, 0, 120, 30)));
        auto date = cellLabel(kDateTag, CGRectMake(242, 0, width - 244, 30));
        date->textAlignment = UITextAlignmentRight;
        cell->contentView()->addSubview(date);
    }
    cell->selectionStyle = UITableViewCellSelectionStyleNone;
    const auto& row = tableData.at(static_cast<size_t>(ip.row));
    if (row->type() != NSString("0")) {
        auto school = UIView::initWithFrame(CGRectMake(0, 0, tv->bounds().size.width, 30));
        school->setBackgroundColor(UIColor::blueColor());
        cell->setBackgroundView(school);
        school->setFrame(CGRectMake(0, 0, tv->bounds().size.width, 30));  // the row's height, not a new cell's
    } else {
        cell->setBackgroundView(nullptr);
    }
    static_cast<UILabel*>(cell->viewWithTag(kNumberTag))->setText(row->phoneNo());
    static_cast<UILabel*>(cell->viewWithTag(kNameTag))->setText(row->phoneName());
    const NSString day = dayOf(row->updateTime());
    NX_LOG("time:%@", day);
    static_cast<UILabel*>(cell->viewWithTag(kDateTag))->setText(day);
    return cell;
}

void FamilyViewController::addBtnClick(const id&)
{
    auto alert = UIAlertView::initWithTitle(L("familyviewctrl_addphone"), L("\n\n\n\n"),
                                            std::dynamic_pointer_cast<UIAlertViewDelegate>(strong()),
                                            L("familyviewctrl_ok"), {L("familyviewctrl_cancel")});
    alert->setTag(kAddAlertTag);
    const auto buttons = alert->subviews();
    alert->addSubview(alertCaption(CGRectMake(20, 45, 60, 30), "familyviewctrl_phonenumber"));
    alert->addSubview(alertCaption(CGRectMake(20, 80, 60, 30), "familyviewctrl_nametitle"));
    auto field = [this](CGRect frame, const char* placeholder) {
        auto f = UITextField::initWithFrame(frame);
        f->borderStyle = UITextBorderStyleRoundedRect;
        f->setBackgroundColor(UIColor::whiteColor());
        f->placeholder = L(placeholder);
        f->delegate = std::dynamic_pointer_cast<UITextFieldDelegate>(strong());
        return f;
    };
    phoneNo_ = field(CGRectMake(80, 45, 180, 30), "familyviewctrl_inputphone");
    phoneName_ = field(CGRectMake(80, 80, 180, 30), "familyviewctrl_inputname");
    alert->addSubview(phoneNo_);
    alert->addSubview(phoneName_);
    moveButtonsTo(buttons, 100);
    alert->show();
    alert->setTransform(CGAffineTransformMakeTranslation(0, -60));
}

std::optional<bool> FamilyViewController::textField_shouldChangeCharactersInRange_replacementString(
    UITextField* tf, NSRange range, const NSString& string)
{
    // Judged on the text the change leaves, so that neither typing nor a
    // paste takes a field past the limit; a deletion is always taken.
    const NSUInteger now = tf->text().isNil() ? 0 : tf->text().length();
    const NSUInteger after = now - std::min(range.length, now) + (string.isNil() ? 0 : string.length());
    return after <= kFieldLimit || string.isNil() || string.length() == 0;
}

void FamilyViewController::alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index)
{
    if (index == 1) return;
    if (alert->tag() == kAddAlertTag) {
        addRecord();
    } else if (alert->tag() == kDeleteAlertTag && index == 0) {
        addHud(L("familyviewctrl_sending"));
        upload(false, MessageExchange::body("<BODY><BID>%@</BID><List><PhoneNo>%@</PhoneNo></List></BODY></MSG>",
                                            Constant::userName(), strSelectTel));
        hideHUD();
    }
}

void FamilyViewController::addRecord()
{
    const NSString number = phoneNo_ ? phoneNo_->text() : NSString();
    const NSString name = phoneName_ ? phoneName_->text() : NSString();
    const char* refusal = nullptr;
    if (number.isNil() || number.length() == 0 || !isMatchedByRegex(number, "^[0-9]{7,11}$"))
        refusal = "familyviewctrl_phonenumbererr";
    else if (name.isNil() || name.length() == 0)
        refusal = "familyviewctrl_nameempty";
    if (refusal) {
        addHud(L(refusal));
        hideHUDAfter(view(), kRefusalShown);
        return;
    }
    addHud(L("familyviewctrl_sending"));
    upload(true, MessageExchange::body("<BODY><BID>%@</BID><List><PhoneNo>%@</PhoneNo><PhoneName>%@</PhoneName>"
                                       "<PhoneType>亲情</PhoneType><UpdateTime>%@</UpdateTime></List></BODY></MSG>",
                                       Constant::userName(), number, name, Constant::currentTime()));
    hideHUD();
}

void FamilyViewController::upload(bool add, const NSString& body)
{
    std::weak_ptr<FamilyViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, add, body] {
        auto family = Family::init();
        auto reply = body.isNil() ? nullptr : add ? family->ADFamilyPhone(body) : family->DLFamilyPhone(body);
        NSThread::performBlockOnMainThread([weak, reply] {
            if (auto screen = weak.lock()) screen->refresh(reply);
        }, false);
    });
}

void FamilyViewController::refresh(const std::shared_ptr<MessageInfo>& reply)
{
    if (commandSucceeded(reply)) {
        addHud(L("familyviewctrl_loading"));
        reload();
    } else {
        addHud(L("serviceBackMessage_failed"));
        hideHUD();
    }
}

void FamilyViewController::cellLongPress(const id& recognizer)
{
    auto press = std::dynamic_pointer_cast<UIGestureRecognizer>(recognizer);
    if (!press || press->state() != UIGestureRecognizerStateBegan) return;
    auto* cell = dynamic_cast<UITableViewCell*>(press->view());
    if (!cell) return;
    // A cell that no longer shows a row of the list (one left over from an
    // earlier reload) asks nothing.
    const auto at = table->indexPathForCell(cell);
    if (!at || at->row < 0 || static_cast<size_t>(at->row) >= tableData.size()) return;
    const auto& row = tableData[static_cast<size_t>(at->row)];
    strSelectTel = static_cast<UILabel*>(cell->viewWithTag(kNumberTag))->text();
    auto self = std::dynamic_pointer_cast<UIAlertViewDelegate>(strong());
    std::shared_ptr<UIAlertView> alert;
    if (row->type() == NSString("0")) {
        alert = UIAlertView::initWithTitle(L("familyviewctrl_info"),
                                           NSString::stringWithFormat("%@%@ ?", L("familyviewctrl_suretodelete"), strSelectTel),
                                           self, L("familyviewctrl_ok"), {L("familyviewctrl_cancel")});
        alert->setTag(kDeleteAlertTag);
    } else {
        alert = UIAlertView::initWithTitle(L("familyviewctrl_info"),
                                           NSString::stringWithFormat("%@%@ %@", L("familyviewctrl_schoolnumber"), strSelectTel,
                                                                      L("familyviewctrl_cannotdelete")),
                                           self, L("familyviewctrl_ok"), {});
        alert->setTag(kSchoolAlertTag);
    }
    alert->show();
}

void FamilyViewController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void FamilyViewController::hideHUD() { ::hideHUD(view().get()); }
