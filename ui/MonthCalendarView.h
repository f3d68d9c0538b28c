#pragma once
// A drawn month calendar: a title bar with the month and arrows, a weekday
// header starting on Monday, 35-point rows of day cells, today and the chosen
// day highlighted, and a dot on flagged days. A tap on an arrow slides to the
// other month; a tap on a day chooses it.

#include "platform/foundation/CFGregorianDate.h"
#include "platform/uikit/UIControl.h"

class MonthCalendarView;

// Sent without asking whether the delegate answers: all are required.
class CalendarViewDelegate {
public:
    virtual ~CalendarViewDelegate() = default;
    virtual void beforeMonthChange_willto(MonthCalendarView* calendar, CFGregorianDate month) = 0;
    virtual void monthChanged_viewLeftTop_height(CFGregorianDate month, CGPoint viewLeftTop, CGFloat height) = 0;
    virtual void selectDateChanged(CFGregorianDate date) = 0;
};

class MonthCalendarView : public UIView {
public:
    static constexpr CGFloat kTitleHeight = 60;
    static constexpr CGFloat kRowHeight = 35;

    static std::shared_ptr<MonthCalendarView> initWithFrame(CGRect frame);

    CFGregorianDate currentMonthDate() const { return currentMonthDate_; }
    void setCurrentMonthDate(CFGregorianDate d) { currentMonthDate_ = d; }
    CFGregorianDate currentSelectDate() const { return currentSelectDate_; }
    void setCurrentSelectDate(CFGregorianDate d) { currentSelectDate_ = d; }
    CFAbsoluteTime currentTime() const { return currentTime_; }
    void setCurrentTime(CFAbsoluteTime t) { currentTime_ = t; }
    std::shared_ptr<UIImageView> viewImageView() const { return viewImageView_; }
    std::shared_ptr<CalendarViewDelegate> calendarViewDelegate() const { return delegate_.lock(); }
    void setCalendarViewDelegate(const std::shared_ptr<CalendarViewDelegate>& d) { delegate_ = d; }

    // "yyyy-MM-dd" of the chosen day, or of today when none is chosen.
    NSString getCurSelectData() const;
    int getDayCountOfaMonth(CFGregorianDate date) const;
    // 1 Monday .. 7 Sunday, of the 1st of the date's month.
    int getMonthWeekday(CFGregorianDate date) const;
    // The height the calendar needs for the month: rows x 35 + 60.
    CGFloat heightForMonth(CFGregorianDate month) const;

    int getDayFlag(int day) const;
    // Days 1..31: 1 for a positive flag, -1 for a negative one; 0 changes nothing.
    void setDayFlag(int day, int flag);
    void clearAllDayFlag();

    void movePrevMonth();
    void moveNextMonth();
    // After the month has changed: flag 1 slides in from the right (next).
    void movePrevNext(int isNext);

    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;
    void drawRect(CGRect rect) override;

private:
    void initCalView();
    int rowsForMonth(CFGregorianDate month) const;
    int cellWidth() const;
    CGPoint cellOrigin(int day, int weekdayOfFirst) const;
    std::shared_ptr<UIImage> renderedImage();
    void slide(int isNext, const std::shared_ptr<UIImage>& oldMonth);
    void touchAtDate(CGPoint p);
    void drawTopGradientBar();
    void drawTopBarWords();
    void drawGirdLines();
    void drawDateWords();
    void drawToday();
    void drawCurrentSelectDate();
    void drawPrevButton(CGPoint p);
    void drawNextButton(CGPoint p);
    void drawDot(int day, CGPoint origin, bool white);

    CFGregorianDate currentMonthDate_;
    CFGregorianDate currentSelectDate_;
    CFAbsoluteTime currentTime_ = 0;
    std::shared_ptr<UIImageView> viewImageView_;
    std::weak_ptr<CalendarViewDelegate> delegate_;
    int monthFlagArray_[31] = {};
};
