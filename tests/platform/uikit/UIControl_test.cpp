#include <gtest/gtest.h>

#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIPickerView.h"

namespace {

struct Receiver : NSObject {
    std::vector<std::string> calls;
    void pressed(const id& sender) { calls.push_back("pressed"); }
    void changed(const id& sender) { calls.push_back("changed"); }
    void down() { calls.push_back("down"); }
};

struct Typist : UITextFieldDelegate {
    NSUInteger limit = 4;
    int returns = 0;
    std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                  const NSString& s) override
    {
        return tf->text().length() - range.length + s.length() <= limit;
    }
    std::optional<bool> textFieldShouldReturn(UITextField* tf) override
    {
        ++returns;
        tf->resignFirstResponder();
        return true;
    }
};

}  // namespace

TEST(UIControl, TapsSendActionsPerEventAndSkipTargetsThatAreGone)
{
    NXUITestDriver driver;
    auto r = std::make_shared<Receiver>();
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(10, 10, 100, 40));
    button->addTarget(r, NX_SEL(Receiver, pressed), UIControlEventTouchUpInside);
    button->addTarget(r, NX_SEL0(Receiver, down), UIControlEventTouchDown);
    driver.window()->addSubview(button);
    EXPECT_TRUE(driver.tap(button.get()));
    EXPECT_EQ(r->calls, (std::vector<std::string>{"down", "pressed"}));
    button->setEnabled(false);
    EXPECT_FALSE(driver.tap(button.get()));
    button->setEnabled(true);
    button->removeTarget(r.get(), NX_SEL0(Receiver, down), UIControlEventTouchDown);
    r->calls.clear();
    driver.tap(button.get());
    EXPECT_EQ(r->calls, (std::vector<std::string>{"pressed"}));
    // A covered button cannot be tapped.
    auto cover = UIView::initWithFrame(CGRectMake(0, 0, 320, 100));
    driver.window()->addSubview(cover);
    EXPECT_FALSE(driver.tap(button.get()));
    cover->removeFromSuperview();
    r.reset();
    EXPECT_TRUE(driver.tap(button.get()));  // the target is gone: nothing to call
}

TEST(UIControl, ButtonStatesFallBackToNormal)
{
    auto b = UIButton::buttonWithType(UIButtonTypeCustom);
    b->setTitle("normal", UIControlStateNormal);
    b->setTitle("selected", UIControlStateSelected);
    auto bg = std::make_shared<UIImage>(nullptr, 1, "bg.png");
    b->setBackgroundImage(bg, UIControlStateNormal);
    EXPECT_EQ(b->currentTitle(), "normal");
    b->setSelected(true);
    EXPECT_EQ(b->currentTitle(), "selected");
    EXPECT_EQ(b->titleLabel()->text(), "selected");
    EXPECT_EQ(b->currentBackgroundImage()->name(), "bg.png");
    EXPECT_EQ(b->titleForState(UIControlStateHighlighted), "normal");
    EXPECT_EQ(UIImage::imageNamed(""), nullptr);
}

TEST(UIControl, SegmentsSwitchAndPageControl)
{
    NXUITestDriver driver;
    auto r = std::make_shared<Receiver>();
    auto seg = UISegmentedControl::initWithItems({"Sun", "Mon"});
    seg->setFrame(CGRectMake(0, 0, 200, 30));
    seg->addTarget(r, NX_SEL(Receiver, changed), UIControlEventValueChanged);
    driver.window()->addSubview(seg);
    seg->setSelectedSegmentIndex(0);
    EXPECT_TRUE(driver.tapAt(CGPointMake(150, 15)));
    EXPECT_EQ(seg->selectedSegmentIndex(), 1);
    EXPECT_EQ(r->calls.size(), 1u);

    auto sw = UISwitch::initWithFrame(CGRectMake(0, 100, 0, 0));
    sw->addTarget(r, NX_SEL(Receiver, changed), UIControlEventValueChanged);
    driver.window()->addSubview(sw);
    driver.tap(sw.get());
    EXPECT_TRUE(sw->on());
    EXPECT_EQ(r->calls.size(), 2u);

    auto pages = UIPageControl::initWithFrame(CGRectZero);
    pages->hidesForSinglePage = true;
    pages->setNumberOfPages(1);
    EXPECT_TRUE(pages->hidden());
    pages->setNumberOfPages(3);
    pages->setCurrentPage(5);
    EXPECT_EQ(pages->currentPage(), 2);
    EXPECT_FALSE(pages->hidden());
}

TEST(UITextField, TypingGoesThroughTheDelegate)
{
    NXUITestDriver driver;
    auto typist = std::make_shared<Typist>();
    auto r = std::make_shared<Receiver>();
    auto field = UITextField::initWithFrame(CGRectMake(0, 0, 200, 30));
    field->delegate = typist;
    field->addTarget(r, NX_SEL(Receiver, changed), UIControlEventEditingChanged);
    auto other = UITextField::initWithFrame(CGRectMake(0, 40, 200, 30));
    driver.window()->addSubview(field);
    driver.window()->addSubview(other);
    EXPECT_TRUE(driver.type(field.get(), "abcdef"));
    EXPECT_EQ(field->text(), "abcd");
    EXPECT_EQ(r->calls.size(), 4u);
    EXPECT_TRUE(field->isFirstResponder());
    field->deleteBackward();
    EXPECT_EQ(field->text(), "abc");
    driver.type(other.get(), "x");
    EXPECT_FALSE(field->isFirstResponder());
    EXPECT_TRUE(other->isFirstResponder());
    driver.tap(field.get());
    EXPECT_TRUE(field->isFirstResponder());
    field->pressReturn();
    EXPECT_EQ(typist->returns, 1);
    EXPECT_FALSE(field->isFirstResponder());
    auto loose = UITextField::initWithFrame(CGRectZero);
    EXPECT_FALSE(loose->becomeFirstResponder());  // not in a window
}

TEST(UIGestureRecognizer, TapTakesTheTouchAndPanMeasuresTranslation)
{
    NXUITestDriver driver;
    struct Handler : NSObject {
        std::vector<UIGestureRecognizerState> states;
        CGPoint translation;
        void handle(const id& g)
        {
            auto* r = static_cast<UIGestureRecognizer*>(g.get());
            states.push_back(r->state());
            if (auto* pan = dynamic_cast<UIPanGestureRecognizer*>(r)) translation = pan->translationInView(r->view());
        }
    };
    auto h = std::make_shared<Handler>();
    auto v = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    driver.window()->addSubview(v);
    v->addGestureRecognizer(UIGestureRecognizer::initWithTarget<UITapGestureRecognizer>(h, NX_SEL(Handler, handle)));
    EXPECT_TRUE(driver.tap(v.get()));
    EXPECT_EQ(h->states, (std::vector<UIGestureRecognizerState>{UIGestureRecognizerStateEnded}));
    auto pan = UIGestureRecognizer::initWithTarget<UIPanGestureRecognizer>(h, NX_SEL(Handler, handle));
    v->addGestureRecognizer(pan);
    pan->panTo(UIGestureRecognizerStateBegan, CGPointMake(10, 10));
    pan->panTo(UIGestureRecognizerStateChanged, CGPointMake(30, 5));
    EXPECT_EQ(h->translation, CGPointMake(20, -5));
    v->removeGestureRecognizer(pan.get());
    EXPECT_EQ(pan->view(), nullptr);
}

TEST(UIPickerView, SelectionInCodeAndByTheUser)
{
    struct Rows : UIPickerViewDataSource, UIPickerViewDelegate {
        std::vector<NSInteger> picked;
        NSInteger numberOfComponentsInPickerView(UIPickerView*) override { return 2; }
        NSInteger pickerView_numberOfRowsInComponent(UIPickerView*, NSInteger c) override { return c == 0 ? 24 : 4; }
        NSString pickerView_titleForRow_forComponent(UIPickerView*, NSInteger row, NSInteger) override
        {
            return NSString::stringWithFormat("%02ld", static_cast<long>(row));
        }
        void pickerView_didSelectRow_inComponent(UIPickerView*, NSInteger row, NSInteger) override { picked.push_back(row); }
    };
    auto rows = std::make_shared<Rows>();
    auto picker = UIPickerView::initWithFrame(CGRectMake(0, 0, 320, 216));
    picker->dataSource = rows;
    picker->delegate = rows;
    picker->selectRow(3, 1, false);
    picker->selectRow(9, 1, false);  // beyond the component: ignored
    EXPECT_EQ(picker->selectedRowInComponent(1), 3);
    EXPECT_TRUE(rows->picked.empty());
    picker->pickRow(12, 0);
    EXPECT_EQ(rows->picked, (std::vector<NSInteger>{12}));
    EXPECT_EQ(picker->titleForRow(7, 0), "07");

    auto countdown = UIDatePicker::initWithFrame(CGRectZero);
    countdown->datePickerMode = UIDatePickerModeCountDownTimer;
    countdown->pick(3725);
    EXPECT_EQ(countdown->countDownDuration(), 3720);
}
