#include "pc/TimeLenSetting.h"

#include <cmath>

#include "app/PCTimeCommon.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyList.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/UIImage.h"
#include "protocol/TimeInfo.h"

namespace {

NSString formattedNow(double offset, const char* format)
{
    auto formatter = NSDateFormatter::init();
    formatter->setDateFormat(format);
    return formatter->stringFromDate(NSDate::dateWithTimeIntervalSinceNow(offset));
}

std::shared_ptr<UILabel> digitLabel(CGRect frame)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = UIFont::boldSystemFontOfSize(40);
    label->textColor = UIColor::whiteColor();
    label->textAlignment = UITextAlignmentCenter;
    label->setBackgroundColor(UIColor::clearColor());
    label->setText("0");
    return label;
}

}  // namespace

std::shared_ptr<TimeLenSetting> TimeLenSetting::initWithFrame(CGRect frame)
{
    auto view = UIView::initWithFrame<TimeLenSetting>(frame);
    view->addTimeLenSettingUI();
    view->readCurCountDownTimeFromeFile();
    return view;
}

NSString TimeLenSetting::countDownFile()
{
    auto folders = NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
    return folders.empty() ? NSString() : folders[0].stringByAppendingPathComponent("curCountDownTime.plist");
}

void TimeLenSetting::addTimeLenSettingUI()
{
    const CGFloat width = bounds().size.width;
    auto title = UILabel::initWithFrame(CGRectMake(10, 5, 300, 24));
    title->setText(L("timelensetting_lockscreencountdown"));
    title->font = UIFont::boldSystemFontOfSize(16);
    title->textColor = UIColor::lightGrayColor();
    title->setBackgroundColor(UIColor::clearColor());
    addSubview(title);

    auto background = UIImageView::initWithImage(UIImage::imageNamed("time_bg"));
    background->setFrame(CGRectMake(0, 40, width, 100));
    addSubview(background);

    const CGFloat tileX[] = {width / 2 - 125, width / 2 - 70, width / 2 + 20, width / 2 + 75};
    std::shared_ptr<UILabel>* labels[] = {&tmpLable, &tmpLable1, &tmpLable2, &tmpLable3};
    for (int i = 0; i < 4; ++i) {
        auto tile = UIImageView::initWithImage(UIImage::imageNamed("timeshow_vesk"));
        tile->setFrame(CGRectMake(tileX[i], 65, 50, 70));
        addSubview(tile);
        *labels[i] = digitLabel(tile->frame());
        addSubview(*labels[i]);
    }
    auto colon = UILabel::initWithFrame(CGRectMake(width / 2 - 20, 65, 40, 70));
    colon->setText(":");
    colon->font = UIFont::boldSystemFontOfSize(60);
    colon->textColor = UIColor::whiteColor();
    colon->textAlignment = UITextAlignmentCenter;
    colon->setBackgroundColor(UIColor::clearColor());
    addSubview(colon);

    mTimeInfoStr = L("timelensetting_info");
    auto table = UITableView::initWithFrame(CGRectMake(0, 180, width, 69), UITableViewStylePlain);
    table->setTag(kTableTag);
    table->separatorColor = UIColor::clearColor();
    table->setBackgroundColor(UIColor::clearColor());
    table->setDataSource(strong());
    table->setDelegate(strong());
    addSubview(table);
    table->reloadData();
}

UITableView* TimeLenSetting::table() const { return dynamic_cast<UITableView*>(const_cast<TimeLenSetting*>(this)->viewWithTag(kTableTag)); }

// ---- The file ----------------------------------------------------------------------

bool TimeLenSetting::writeCountDownFile(double seconds)
{
    const auto now = static_cast<long long>(NSDate::date().timeIntervalSinceReferenceDate());
    PlistValue entries(std::vector<NSString>{NSString::stringWithFormat("%f", seconds),
                                            NSString::stringWithFormat("%lld", now),
                                            NSString::stringWithFormat("%f", seconds)});
    return entries.writeToFile(countDownFile(), true);
}

void TimeLenSetting::readCurCountDownTimeFromeFile()
{
    // Only the file this view writes is read: three strings, else nothing resumes.
    auto entries = PlistValue::arrayWithContentsOfFile(countDownFile()).stringArray();
    if (!entries || entries->size() != 3) {
        tellDelegate(false);
        return;
    }
    mUserSelectTime = (*entries)[2].intValue();
    mFinishTime = (*entries)[1].intValue();
    const long long now = static_cast<long long>(NSDate::date().timeIntervalSinceReferenceDate());
    const long long elapsed = now - (*entries)[1].longLongValue();
    const double length = (*entries)[0].intValue();
    if (elapsed >= 1 && length >= 1) {
        mCurCountDownTime = length - static_cast<double>(elapsed);
        if (mCurCountDownTime >= 60) {
            addCountDownTime();
            reloadTableVIewDataByTimeValue(mCurCountDownTime);
            return;
        }
    }
    tellDelegate(false);
}

void TimeLenSetting::saveCurCountDownTimeToFile(double seconds)
{
    writeCountDownFile(seconds);
    mUserSelectTime = seconds;
    mFinishTime = seconds;
    sendTimedLock(formattedNow(seconds, "yyyy-MM-dd HH:mm"), true);
}

void TimeLenSetting::sendTimedLock(const NSString& dueTime, bool add)
{
    std::weak_ptr<TimeLenSetting> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, dueTime, add] {
        auto info = TimeInfo::init();
        auto reply = add ? info->setTimeLen(dueTime) : info->delTimeLen(dueTime);
        if (!commandSucceeded(reply)) return;
        NSThread::performBlockOnMainThread([weak] {
            if (auto view = weak.lock()) flashHud(view.get(), resultText(true));
        }, false);
    });
}

// ---- Showing -------------------------------------------------------------------------

void TimeLenSetting::setTimeLabelValue(double seconds)
{
    const long long s = seconds > 0 ? static_cast<long long>(seconds) : 0;
    tmpLable->setText(NSString::stringWithFormat("%lld", s / 36000));
    tmpLable1->setText(NSString::stringWithFormat("%lld", s / 3600 - 10 * (s / 36000)));
    tmpLable2->setText(NSString::stringWithFormat("%lld", (s % 3600) / 600));
    tmpLable3->setText(NSString::stringWithFormat("%lld", ((s % 3600) / 60) % 10));
}

NSString TimeLenSetting::digits() const
{
    return NSString::stringWithFormat("%@%@:%@%@", tmpLable->text(), tmpLable1->text(), tmpLable2->text(), tmpLable3->text());
}

void TimeLenSetting::reloadTableVIewDataByTimeValue(double seconds)
{
    const long long granted = static_cast<long long>(mUserSelectTime);
    mTimeInfoStr = NSString::stringWithFormat("%@%lld%@%lld%@%@%@", L("timelensetting_youallowtousepc"), granted / 3600,
                                              L("timelensetting_hour"), granted % 3600 / 60, L("timelensetting_minpcwillat"),
                                              formattedNow(seconds, "HH:mm"), L("timelensetting_minlockscreen"));
    setTimeLabelValue(seconds);
    table()->reloadData();
    tellDelegate(true);
}

void TimeLenSetting::tellDelegate(bool counting)
{
    if (auto d = delegate.lock()) d->timeLenSetting_timeCountDown(this, counting);
}

// ---- The minute timer ------------------------------------------------------------------

void TimeLenSetting::addCountDownTime()
{
    deleteCountDownTime();
    std::weak_ptr<TimeLenSetting> weak = strong();
    mCountDownTimer = NSTimer::scheduledTimerWithTimeInterval(60, true, [weak](NSTimer&) {
        if (auto view = weak.lock()) view->reduceCountDownTimeValue();
    });
}

void TimeLenSetting::deleteCountDownTime()
{
    if (mCountDownTimer) mCountDownTimer->invalidate();
    mCountDownTimer.reset();
}

void TimeLenSetting::reduceCountDownTimeValue()
{
    mCurCountDownTime -= 60;
    if (mCurCountDownTime <= 0) {
        deleteCountDownTime();
        setTimeLabelValue(0);
        mTimeInfoStr = L("timelensetting_info");
        table()->reloadData();
    } else {
        setTimeLabelValue(mCurCountDownTime);
    }
}

void TimeLenSetting::editTableView(bool editing) { table()->setEditing(editing, true); }

// ---- The row -------------------------------------------------------------------------

std::shared_ptr<UITableViewCell> TimeLenSetting::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath)
{
    auto cell = tv->dequeueReusableCellWithIdentifier("timerCell");
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "timerCell");
        cell->setBackgroundView(UIImageView::initWithImage(UIImage::imageNamed("timecommit_vesk")));
        cell->selectionStyle = UITableViewCellSelectionStyleNone;
        auto label = UILabel::initWithFrame(CGRectMake(7, 0, tv->bounds().size.width - 48, 69));
        label->setTag(kTextTag);
        label->font = UIFont::boldSystemFontOfSize(15);
        label->numberOfLines = 3;
        label->setBackgroundColor(UIColor::clearColor());
        cell->addSubview(label);
    }
    if (auto* label = dynamic_cast<UILabel*>(cell->viewWithTag(kTextTag))) label->setText(mTimeInfoStr);
    return cell;
}

void TimeLenSetting::tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath)
{
    if (auto d = delegate.lock()) d->timeLenSetting_timeLenViewCallBack(this, nullptr);
}

void TimeLenSetting::tableView_commitEditingStyle_forRowAtIndexPath(UITableView* tv, UITableViewCellEditingStyle style,
                                                                    NSIndexPath)
{
    if (style != UITableViewCellEditingStyleDelete) return;
    mCurCountDownTime = 0;
    reduceCountDownTimeValue();
    tv->setEditing(false, true);
    // The removal keeps the file at a zero length and withdraws the lock; it
    // sends no new lock, which would lock the PC at once.
    mUserSelectTime = 0;
    mFinishTime = 0;
    writeCountDownFile(0);
    sendTimedLock(formattedNow(mFinishTime, "yyyy-MM-dd HH:mm"), false);
    tellDelegate(false);
}
