#include <gtest/gtest.h>

#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIPickerView.h"

namespace {

struct AlertLog : UIAlertViewDelegate, UIActionSheetDelegate {
    std::vector<std::string> events;
    void alertView_clickedButtonAtIndex(UIAlertView*, NSInteger i) override { events.push_back("clicked " + std::to_string(i)); }
    void alertView_didDismissWithButtonIndex(UIAlertView*, NSInteger i) override { events.push_back("dismissed " + std::to_string(i)); }
    void actionSheet_clickedButtonAtIndex(UIActionSheet*, NSInteger i) override { events.push_back("sheet " + std::to_string(i)); }
    void actionSheet_didDismissWithButtonIndex(UIActionSheet*, NSInteger i) override { events.push_back("sheet gone " + std::to_string(i)); }
};

}  // namespace

TEST(UIAlertView, CancelIsIndexZeroAndPressesReachTheDelegate)
{
    NXUITestDriver driver;
    auto log = std::make_shared<AlertLog>();
    auto alert = UIAlertView::initWithTitle("Title", "Message", log, "Cancel", {"OK", "Retry"});
    alert->setTag(58001);
    EXPECT_EQ(alert->cancelButtonIndex, 0);
    EXPECT_EQ(alert->firstOtherButtonIndex, 1);
    EXPECT_EQ(alert->buttonTitleAtIndex(2), "Retry");
    auto field = UITextField::initWithFrame(CGRectMake(12, 45, 260, 25));
    alert->addSubview(field);
    alert->show();
    EXPECT_EQ(driver.window()->shownAlerts().size(), 1u);
    EXPECT_EQ(driver.visibleAlert(), alert.get());
    EXPECT_EQ(driver.viewWithTag(58001), alert.get());
    EXPECT_TRUE(driver.type(field.get(), "new name"));
    // The alert's own buttons are views like any other.
    EXPECT_TRUE(driver.tap(driver.buttonWithTitle("OK")));
    EXPECT_EQ(log->events, (std::vector<std::string>{"clicked 1", "dismissed 1"}));
    EXPECT_EQ(field->text(), "new name");
    EXPECT_EQ(driver.visibleAlert(), nullptr);
    EXPECT_FALSE(driver.pressAlertButton(0));

    auto noCancel = UIAlertView::initWithTitle("T", NSString(), log, NSString(), {"Only"});
    EXPECT_EQ(noCancel->cancelButtonIndex, -1);
    EXPECT_EQ(noCancel->firstOtherButtonIndex, 0);
    noCancel->show();
    log->events.clear();
    noCancel->dismissWithClickedButtonIndex(0, true);
    EXPECT_EQ(log->events, (std::vector<std::string>{"dismissed 0"}));
    EXPECT_EQ(driver.window()->shownAlerts().size(), 2u);
}

TEST(UIAlertView, SheetPutsDestructiveFirstAndCancelLast)
{
    NXUITestDriver driver;
    auto log = std::make_shared<AlertLog>();
    auto sheet = UIActionSheet::initWithTitle("\n\n", log, "cancel", "ok", {});
    EXPECT_EQ(sheet->destructiveButtonIndex, 0);
    EXPECT_EQ(sheet->cancelButtonIndex, 1);
    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 40, 320, 216));
    picker->datePickerMode = UIDatePickerModeDate;
    sheet->addSubview(picker);
    sheet->showInView(driver.window());
    picker->pick(86400);
    EXPECT_TRUE(driver.pressAlertButton(0));
    EXPECT_EQ(log->events, (std::vector<std::string>{"sheet 0", "sheet gone 0"}));
    EXPECT_EQ(picker->date(), 86400);
}
