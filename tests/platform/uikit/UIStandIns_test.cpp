// Standalone layers, transactions, the keyboard's notifications, device
// orientation, table footers, toolbars with flexible space, navigation
// prompts and action sheets holding their own subviews.

#include <gtest/gtest.h>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/CATransaction.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIKeyboard.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableView.h"

namespace {

const NXPixel kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

// A picture of w x h pixels at a scale: left half red, right half blue.
std::shared_ptr<UIImage> halves(int w, int h, CGFloat scale = 1)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(w / scale, h / scale), false, scale);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 1, 0, 0, 1);
    CGContextFillRect(c, CGRectMake(0, 0, w / scale / 2, h / scale));
    CGContextSetRGBFillColor(c, 0, 0, 1, 1);
    CGContextFillRect(c, CGRectMake(w / scale / 2, 0, w / scale / 2, h / scale));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

NXPixel at(const std::shared_ptr<UIImage>& image, double x, double y) { return NXImagePixelAt(image, CGPointMake(x, y)); }

struct Listener {
    std::vector<std::pair<NSString, CGRect>> posts;
    std::vector<id> tokens;
    Listener(std::initializer_list<NSString> names)
    {
        for (const auto& name : names)
            tokens.push_back(NSNotificationCenter::defaultCenter()->addObserverForName(name, nullptr, [this](const auto& n) {
                auto it = n->userInfo().find(UIKeyboardFrameEndUserInfoKey);
                auto* box = it == n->userInfo().end() ? nullptr : dynamic_cast<NSBox<CGRect>*>(it->second.get());
                posts.emplace_back(n->name(), box ? box->value : CGRectZero);
            }));
    }
    ~Listener()
    {
        for (const auto& t : tokens) NSNotificationCenter::defaultCenter()->removeObserver(t.get());
    }
};

}  // namespace

TEST(CALayerStandalone, ContentsPlacedByGravityAndScale)
{
    struct Case {
        const char* name;
        NSString gravity;
        CGFloat scale;
        CGFloat redX, blueX, outsideX;  // points expected red, blue, and bare (white)
    };
    // A 40 x 20 layer at (0, 0) holding a 10 x 10 pixel picture.
    const Case cases[] = {
        {"resize", kCAGravityResize, 1, 5, 35, -1},
        {"aspect fit", kCAGravityResizeAspect, 1, 15, 25, 5},
        {"centre at scale 2", kCAGravityCenter, 2, 18, 21, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto view = UIView::initWithFrame(CGRectMake(0, 0, 40, 20));
        view->setBackgroundColor(UIColor::whiteColor());
        auto layer = CALayer::layer();
        layer->setFrame(CGRectMake(0, 0, 40, 20));
        layer->contents = halves(10, 10);
        layer->contentsGravity = c.gravity;
        layer->contentsScale = c.scale;
        view->layer()->addSublayer(layer);
        auto image = NXSnapshotImage(view.get());
        EXPECT_EQ(at(image, c.redX, 10), kRed);
        EXPECT_EQ(at(image, c.blueX, 10), kBlue);
        if (c.outsideX >= 0) {
            EXPECT_EQ(at(image, c.outsideX, 10), kWhite);
        }
    }
}

TEST(CALayerStandalone, TransformHiddenAndTheTree)
{
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 40, 20));
    view->setBackgroundColor(UIColor::whiteColor());
    auto layer = CALayer::layer();
    layer->setFrame(CGRectMake(10, 0, 20, 20));
    EXPECT_EQ(layer->position, CGPointMake(20, 10));
    layer->contents = halves(20, 20);
    view->layer()->addSublayer(layer);
    layer->setAffineTransform(CGAffineTransformMakeRotation(M_PI));  // about its middle
    auto image = NXSnapshotImage(view.get());
    EXPECT_EQ(at(image, 12, 10), kBlue);
    EXPECT_EQ(at(image, 28, 10), kRed);
    EXPECT_EQ(at(image, 5, 10), kWhite);
    layer->hidden = true;
    EXPECT_EQ(at(NXSnapshotImage(view.get()), 12, 10), kWhite);

    auto other = CALayer::layer();
    other->addSublayer(layer);  // moves
    EXPECT_TRUE(view->layer()->sublayers().empty());
    EXPECT_EQ(layer->superlayer(), other.get());
    layer->removeFromSuperlayer();
    EXPECT_EQ(layer->superlayer(), nullptr);
    EXPECT_TRUE(other->sublayers().empty());
}

TEST(CATransaction, DurationAndDisabledActionsPerTransaction)
{
    CATransaction::clearCommittedTransactions();
    EXPECT_EQ(CATransaction::animationDuration(), 0.25);
    EXPECT_FALSE(CATransaction::disableActions());
    CATransaction::begin();
    CATransaction::setAnimationDuration(0.18);
    CATransaction::begin();  // a nested one starts from the outer one's settings
    EXPECT_EQ(CATransaction::animationDuration(), 0.18);
    CATransaction::setDisableActions(true);
    CATransaction::commit();
    EXPECT_FALSE(CATransaction::disableActions());
    CATransaction::commit();
    CATransaction::commit();  // nothing open: ignored
    ASSERT_EQ(CATransaction::committedTransactions().size(), 2u);
    EXPECT_TRUE(CATransaction::committedTransactions()[0].disableActions);
    EXPECT_EQ(CATransaction::committedTransactions()[1].duration, 0.18);
    EXPECT_FALSE(CATransaction::committedTransactions()[1].disableActions);
}

TEST(UIKeyboard, ShowsForTheFirstFieldAndHidesWhenEditingEnds)
{
    NXUITestDriver driver;
    Listener listener{UIKeyboardWillShowNotification, UIKeyboardWillHideNotification};
    auto a = UITextField::initWithFrame(CGRectMake(0, 0, 100, 30));
    auto b = UITextField::initWithFrame(CGRectMake(0, 40, 100, 30));
    driver.window()->addSubview(a);
    driver.window()->addSubview(b);
    ASSERT_TRUE(a->becomeFirstResponder());
    ASSERT_TRUE(b->becomeFirstResponder());  // the focus moves: the keyboard stays
    EXPECT_TRUE(b->resignFirstResponder());
    ASSERT_TRUE(a->becomeFirstResponder());
    a->removeFromSuperview();  // leaving the window ends editing
    EXPECT_FALSE(a->isFirstResponder());
    EXPECT_EQ(driver.window()->firstResponder(), nullptr);
    const CGRect up = CGRectMake(0, 264, 320, 216), down = CGRectMake(0, 480, 320, 216);
    EXPECT_EQ(listener.posts, (std::vector<std::pair<NSString, CGRect>>{{UIKeyboardWillShowNotification, up},
                                                                         {UIKeyboardWillHideNotification, down},
                                                                         {UIKeyboardWillShowNotification, up},
                                                                         {UIKeyboardWillHideNotification, down}}));
}

TEST(UIDevice, OrientationNotificationsOnlyWhileGenerated)
{
    NXUITestDriver driver;
    UIDevice& device = UIDevice::currentDevice();
    int posts = 0;
    auto token = NSNotificationCenter::defaultCenter()->addObserverForName(UIDeviceOrientationDidChangeNotification, nullptr,
                                                                           [&](const auto&) { ++posts; });
    EXPECT_EQ(device.orientation(), UIDeviceOrientationUnknown);
    device.setOrientation(UIDeviceOrientationLandscapeLeft);
    EXPECT_EQ(posts, 0);
    device.beginGeneratingDeviceOrientationNotifications();
    device.beginGeneratingDeviceOrientationNotifications();
    EXPECT_EQ(device.orientation(), UIDeviceOrientationLandscapeLeft);
    device.setOrientation(UIDeviceOrientationPortrait);
    device.setOrientation(UIDeviceOrientationPortrait);  // no change, no post
    EXPECT_EQ(posts, 1);
    device.endGeneratingDeviceOrientationNotifications();
    EXPECT_TRUE(device.isGeneratingDeviceOrientationNotifications());  // they nest
    device.endGeneratingDeviceOrientationNotifications();
    EXPECT_FALSE(device.isGeneratingDeviceOrientationNotifications());
    NSNotificationCenter::defaultCenter()->removeObserver(token.get());
}

namespace {

struct FooterSource : UITableViewDataSource, UITableViewDelegate {
    std::optional<NSInteger> numberOfSectionsInTableView(UITableView*) override { return 2; }
    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger s) override { return s == 0 ? 2 : 1; }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView*, NSIndexPath) override
    {
        return UITableViewCell::initWithStyle(UITableViewCellStyleDefault, NSString());
    }
    NSString tableView_titleForFooterInSection(UITableView*, NSInteger s) override { return s == 1 ? "Sent securely." : NSString(); }
    std::optional<CGFloat> tableView_heightForFooterInSection(UITableView*, NSInteger s) override
    {
        return s == 1 ? std::optional<CGFloat>(30) : std::nullopt;
    }
};

}  // namespace

TEST(UITableViewFooters, FootersSitBelowTheirSectionsRows)
{
    auto source = std::make_shared<FooterSource>();
    auto table = UITableView::initWithFrame(CGRectMake(0, 0, 320, 400), UITableViewStyleGrouped);
    table->setDataSource(source);
    table->setDelegate(source);
    table->reloadData();
    EXPECT_EQ(table->rectForRowAtIndexPath({1, 0}), CGRectMake(0, 88, 320, 44));
    EXPECT_EQ(table->contentSize().height, 88 + 44 + 30);
    UILabel* footer = nullptr;
    for (const auto& v : table->subviews())
        if (auto* l = dynamic_cast<UILabel*>(v.get()); l && l->text() == "Sent securely.") footer = l;
    ASSERT_NE(footer, nullptr);
    EXPECT_EQ(footer->frame(), CGRectMake(0, 132, 320, 30));
}

TEST(UIToolbar, FlexibleSpacesShareTheRest)
{
    auto bar = UIToolbar::initWithFrame(CGRectMake(0, 0, 320, 44));
    auto flexible = [] { return UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemFlexibleSpace, nullptr, SEL()); };
    auto middle = UIBarButtonItem::initWithTitle("OK", UIBarButtonItemStyleBordered, nullptr, SEL());
    bar->setItems({flexible(), middle, flexible()});
    const CGRect f = middle->barView()->frame();
    EXPECT_EQ(f.origin.x, (320 - f.size.width) / 2);
    auto cancel = UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItemCancel, nullptr, SEL());
    EXPECT_EQ(dynamic_cast<UIButton*>(cancel->barView().get())->currentTitle(), "Cancel");
    // The last item keeps the bar's margin from its end, as the first does.
    bar->setItems({cancel, flexible(), middle});
    EXPECT_EQ(cancel->barView()->frame().origin.x, 5);
    EXPECT_EQ(CGRectGetMaxX(middle->barView()->frame()), 315);
}

TEST(UINavigationBar, APromptMakesTheBarTaller)
{
    auto bar = UIView::initWithFrame<UINavigationBar>(CGRectMake(0, 0, 320, 44));
    auto item = std::make_shared<UINavigationItem>();
    item->title = "Title";
    bar->pushNavigationItem(item, false);
    EXPECT_EQ(bar->sizeThatFits(CGSizeZero).height, 44);
    item->prompt = "Log in";
    bar->sizeToFit();
    bar->pushNavigationItem(item, false);
    EXPECT_EQ(bar->frame().size.height, 74);
    auto* prompt = dynamic_cast<UILabel*>(bar->subviews().front().get());
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(prompt->text(), "Log in");
    EXPECT_EQ(prompt->frame(), CGRectMake(0, 0, 320, 30));
}

TEST(UIActionSheet, GrowsToHoldItsOwnSubviews)
{
    NXUITestDriver driver;
    auto sheet = UIActionSheet::init();
    sheet->addButtonWithTitle(" ");
    auto content = UIView::initWithFrame(CGRectMake(0, 44, 320, 216));
    sheet->addSubview(content);
    sheet->showInView(driver.window());
    EXPECT_EQ(sheet->frame(), CGRectMake(0, 220, 320, 260));
}
