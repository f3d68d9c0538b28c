#include "pc/TimeHighSetting.h"

#include "app/AppText.h"
#include "app/PCTimeCommon.h"
#include "platform/uikit/UIImage.h"
#include "protocol/TimeInfo.h"
#include "protocol/TimeSettingConstant.h"

std::shared_ptr<TimeHighSetting> TimeHighSetting::initWithFrame(CGRect frame)
{
    auto page = UIView::initWithFrame<TimeHighSetting>(frame);
    page->initUI();
    return page;
}

void TimeHighSetting::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(strong());
    auto info = UILabel::initWithFrame(CGRectMake(0, 0, 320, 63));
    info->setText(L("timehighsetting_info"));
    info->font = UIFont::systemFontOfSize(12);
    info->textColor = UIColor::whiteColor();
    info->setBackgroundColor(UIColor::clearColor());
    info->numberOfLines = 3;
    addSubview(info);

    table_ = UITableView::initWithFrame(CGRectMake(0, 65, bounds().size.width, 180), UITableViewStylePlain);
    table_->setTag(kTableTag);
    table_->setDataSource(strong());
    table_->setDelegate(strong());
    table_->separatorColor = UIColor::clearColor();
    table_->setBackgroundColor(UIColor::clearColor());
    addSubview(table_);

    auto toolbar = UIToolbar::initWithFrame(CGRectMake(0, 250, 320, 48));
    toolbar->barStyle = UIBarStyleBlack;
    auto inUse = UILabel::initWithFrame(CGRectMake(0, 0, 60, 21));
    inUse->setText(L("timehighsetting_inuse"));
    inUse->font = UIFont::boldSystemFontOfSize(12);
    inUse->textColor = UIColor::whiteColor();
    inUse->setBackgroundColor(UIColor::clearColor());
    switchBtn_ = UISwitch::initWithFrame(CGRectZero);
    switchBtn_->addTarget(self, NX_SEL(TimeHighSetting, switchValueChanged), UIControlEventValueChanged);
    toolbar->setItems({UIBarButtonItem::initWithCustomView(inUse), UIBarButtonItem::initWithCustomView(switchBtn_),
                       UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL()),
                       tintedBarItem(UIColor::colorWithRed(0, 0.85, 0, 1), L("timehighsetting_add"), self,
                                     NX_SEL(TimeHighSetting, addTimeHighSetting), 70),
                       tintedBarItem(UIColor::colorWithRed(0.85, 0, 0, 1), L("timehighsetting_deleteall"), self,
                                     NX_SEL(TimeHighSetting, deleteAllHightSeting), 70)});
    addSubview(toolbar);
    showOrHiddenSubmission(false);
}

void TimeHighSetting::setTableEditByEditTag(bool editing) { table_->setEditing(editing, true); }

bool TimeHighSetting::isTableViewEdit() const { return table_->editing(); }

void TimeHighSetting::clearTableViewDataArray()
{
    rows_.clear();
    setTableEditByEditTag(false);
    showOrHiddenSubmission(false);
}

bool TimeHighSetting::addTableViewDataByDataStruct(const std::shared_ptr<TimeHighSettingDataStruct>& record, bool showErr)
{
    for (const auto& row : rows_) {
        if (row->sameAs(*record)) {
            if (showErr) Constant_alert(L("timehighsetting_settingexist"), nullptr);
            return false;
        }
    }
    rows_.push_back(record);
    reloadTableViewData();
    return true;
}

void TimeHighSetting::reloadTableViewData()
{
    table_->reloadData();
    const int type = TimeSettingConstant::timeType().intValue();
    isSwitchOn = !TimeSettingConstant::timeType().isNil() && (type == 2 || type == 4);
    switchBtn_->setOn(isSwitchOn);
}

// ---- Bodies ----------------------------------------------------------------------

NSString TimeHighSetting::periodBody(size_t from, size_t to) const
{
    NSString body = deviceBody("<BODY><BID>%@</BID>");
    if (body.isNil()) return body;
    std::string text = body.str();
    for (size_t i = from; i < to && i < rows_.size(); ++i) {
        const auto& r = *rows_[i];
        text += XMLFormat("<List><STTM>%@</STTM><EDTM>%@</EDTM><Week>%@</Week><Type>%@</Type></List>", r.titleStr(),
                          r.titleStr_1(), r.detailStr(), r.type())
                    .str();
    }
    return text + "</BODY></MSG>";
}

NSString TimeHighSetting::getSubmissionStr() const { return periodBody(0, rows_.size()); }

NSString TimeHighSetting::getSubmissionStrByIndex(NSInteger row) const
{
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return NSString();
    return periodBody(static_cast<size_t>(row), static_cast<size_t>(row) + 1);
}

// ---- Adding and deleting ----------------------------------------------------------------

void TimeHighSetting::addTimeHighSetting(const id&)
{
    auto editor = AddTimeViewCtrl::init();
    editor->delegate = strong();
    if (host_ && host_->navigationController()) host_->navigationController()->pushViewController(editor, true);
}

void TimeHighSetting::AddTimeViewCtrl_addTimeViewCallBack(AddTimeViewCtrl*,
                                                          const std::shared_ptr<TimeHighSettingDataStruct>& record)
{
    const bool added = addTableViewDataByDataStruct(record, true);
    // The list shows what the service has: a period it refused leaves again.
    if (!submissionBtnCallBack() && added) {
        rows_.erase(std::find(rows_.begin(), rows_.end(), record));
        reloadTableViewData();
    }
}

bool TimeHighSetting::submissionBtnCallBack()
{
    auto reply = TimeInfo::shareTimeInfo()->ADTimePeriod(getSubmissionStr());
    const bool succeeded = commandSucceeded(reply);
    if (!succeeded) flashHud(this, resultText(false));
    return succeeded;
}

bool TimeHighSetting::submissionDeletInfo(const NSString& body)
{
    if (body.isNil() || body.length() == 0) {
        flashHud(this, L("timehighsetting_nodata"));
        return false;
    }
    const bool succeeded = commandSucceeded(TimeInfo::shareTimeInfo()->DELTimePeriodList(body));
    if (!succeeded) flashHud(this, resultText(false));
    return succeeded;
}

void TimeHighSetting::deleteDataStructFromDataArrayByDataIndex(NSInteger row)
{
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return;
    if (!submissionDeletInfo(getSubmissionStrByIndex(row))) return;
    rows_.erase(rows_.begin() + row);
    if (rows_.empty()) {
        setTableEditByEditTag(false);
        showOrHiddenSubmission(false);
    }
}

void TimeHighSetting::deleteAllHightSeting(const id&)
{
    if (!submissionDeletInfo(getSubmissionStr())) return;
    clearTableViewDataArray();
    reloadTableViewData();
}

// ---- The period switch ----------------------------------------------------------------

void TimeHighSetting::switchValueChanged(const id&)
{
    isSwitchOn = !isSwitchOn;
    NSString type = TimeSettingConstant::nextTimeType(TimeSettingConstant::timeType(), 2);
    if (type.isNil() || type.length() == 0 || type == "(null)") type = isSwitchOn ? "2" : "-1";
    sendTimeConfig(strong(), deviceBody("<BODY><BID>%@</BID><TimeType>%@</TimeType></BODY></MSG>", type), type);
}

void TimeHighSetting::showOrHiddenSubmission(bool show)
{
    if (auto* submission = viewWithTag(kSubmissionTag)) submission->setHidden(!show);
}

// ---- Table -------------------------------------------------------------------------

NSString TimeHighSetting::getDateStrByIndex(int day)
{
    static const char* const keys[] = {"timehighsetting_monday", "timehighsetting_tuesday", "timehighsetting_wednesday",
                                       "timehighsetting_thursday", "timehighsetting_friday", "timehighsetting_saturday",
                                       "timehighsetting_sunday"};
    return day >= 1 && day <= 7 ? L(keys[day - 1]) : NSString();
}

NSString TimeHighSetting::dayNames(const NSString& days, NSString (*name)(int))
{
    std::string out;
    if (days.isNil()) return "";
    for (const auto& part : days.componentsSeparatedByString(",")) {
        if (part.length() == 0) continue;
        NSString dayName = name(part.intValue());
        if (!out.empty()) out += ',';
        out += dayName.isNil() ? part.str() : dayName.str();
    }
    return out;
}

NSInteger TimeHighSetting::tableView_numberOfRowsInSection(UITableView*, NSInteger)
{
    if (!rows_.empty()) showOrHiddenSubmission(true);
    return static_cast<NSInteger>(rows_.size());
}

std::shared_ptr<UITableViewCell> TimeHighSetting::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    auto cell = tv->dequeueReusableCellWithIdentifier("timerCell");
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "timerCell");
        cell->setBackgroundView(UIImageView::initWithImage(UIImage::imageNamed("middle_round")));
    }
    const auto& record = *rows_[ip.row];
    cell->textLabel()->font = UIFont::boldSystemFontOfSize(20);
    cell->textLabel()->textColor = UIColor::lightGrayColor();
    cell->textLabel()->setText(NSString::stringWithFormat("%@ -- %@", record.titleStr(), record.titleStr_1()));
    cell->detailTextLabel()->font = UIFont::boldSystemFontOfSize(18);
    cell->detailTextLabel()->textColor = UIColor::lightGrayColor();
    cell->detailTextLabel()->setText(dayNames(record.detailStr(), &getDateStrByIndex));
    return cell;
}

std::optional<bool> TimeHighSetting::tableView_canEditRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    if (rows_.empty() || ip.row < 0 || static_cast<size_t>(ip.row) >= rows_.size()) return true;
    return rows_[ip.row]->type() != "1";
}

void TimeHighSetting::tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                                     NSIndexPath ip)
{
    if (style != UITableViewCellEditingStyleDelete) return;
    deleteDataStructFromDataArrayByDataIndex(ip.row);
    tv->reloadData();
}
