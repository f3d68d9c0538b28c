// The keyword-coloured label: its attributed string and its drawing.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "ui/DetailTextView.h"

namespace {

NXPixel at(const std::shared_ptr<UIImage>& image, double x, double y) { return NXImagePixelAt(image, CGPointMake(x, y)); }

bool isRed(const NXPixel& p) { return p.r > 150 && p.g < 110 && p.b < 110; }
bool isBlue(const NXPixel& p) { return p.b > 150 && p.r < 110 && p.g < 110; }

struct Box {
    int minX = 1 << 20, minY = 1 << 20, maxX = -1, maxY = -1, count = 0;
};
template <class Pred>
Box inkOf(const std::shared_ptr<UIImage>& image, Pred pred)
{
    Box box;
    const auto w = static_cast<int>(image->size().width), h = static_cast<int>(image->size().height);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (pred(at(image, x + 0.5, y + 0.5)))
                box.minX = std::min(box.minX, x), box.maxX = std::max(box.maxX, x), box.minY = std::min(box.minY, y),
                box.maxY = std::max(box.maxY, y), ++box.count;
    return box;
}

id colourAt(const DetailTextView& v, NSUInteger i)
{
    const auto a = v.resultAttributedString()->attributesAtIndex(i, nullptr);
    const auto it = a.find(kCTForegroundColorAttributeName);
    return it == a.end() ? nullptr : it->second;
}

std::shared_ptr<UIFont> fontAt(const DetailTextView& v, NSUInteger i)
{
    const auto a = v.resultAttributedString()->attributesAtIndex(i, nullptr);
    const auto it = a.find(kCTFontAttributeName);
    return it == a.end() ? nullptr : std::dynamic_pointer_cast<UIFont>(it->second);
}

const NSString kText = "今天上网 2 小时, 上网 5 次";

}  // namespace

TEST(DetailTextView, KeywordsTakeTheirStyleAtTheirFirstOccurrence)
{
    auto view = DetailTextView::initWithFrame(CGRectMake(0, 0, 200, 40));
    EXPECT_EQ(view->resultAttributedString()->length(), 0u);
    auto plain = UIFont::systemFontOfSize(14), bold = UIFont::boldSystemFontOfSize(14);
    auto blue = UIColor::blueColor(), red = UIColor::redColor();
    view->setText(kText, plain, blue);
    EXPECT_EQ(view->text(), kText);
    ASSERT_EQ(view->resultAttributedString()->string(), kText);
    for (NSUInteger i = 0; i < kText.length(); ++i) {
        EXPECT_EQ(colourAt(*view, i), blue) << i;
        ASSERT_TRUE(fontAt(*view, i)) << i;
        EXPECT_EQ(fontAt(*view, i)->fontName(), plain->fontName());
        EXPECT_EQ(fontAt(*view, i)->pointSize(), 14);
    }

    view->setKeyWordTextArray({"上网", "小时", "没有", "", NSString()}, bold, red);
    const NSUInteger second = kText.rangeOfString("上网", NSBackwardsSearch).location;
    struct Case {
        NSUInteger index;
        bool keyword;
    };
    for (const Case& k : {Case{1, false}, Case{2, true}, Case{3, true}, Case{4, false}, Case{7, true}, Case{8, true},
                          Case{second, false}, Case{second + 1, false}}) {
        EXPECT_EQ(colourAt(*view, k.index), k.keyword ? red : blue) << k.index;
        EXPECT_EQ(fontAt(*view, k.index)->fontName(), (k.keyword ? bold : plain)->fontName()) << k.index;
    }

    // A new text starts over without the keywords.
    view->setText("上网", plain, blue);
    EXPECT_EQ(colourAt(*view, 0), blue);
    // Nil text: an empty drawn string; nil font and colour leave the attributes out.
    view->setText(NSString(), nullptr, nullptr);
    EXPECT_TRUE(view->text().isNil());
    EXPECT_EQ(view->resultAttributedString()->length(), 0u);
    view->setText("abc", nullptr, nullptr);
    EXPECT_EQ(colourAt(*view, 0), nullptr);
    EXPECT_EQ(fontAt(*view, 0), nullptr);

    // The label's own text changed to a longer one: keywords found past the
    // drawn string's end are skipped instead of raising.
    view->setText("ab", plain, blue);
    view->UILabel::setText("ab and 上网");
    EXPECT_NO_THROW(view->setKeyWordTextArray({"上网", "b"}, bold, red));
    EXPECT_EQ(colourAt(*view, 1), red);
    EXPECT_EQ(colourAt(*view, 0), blue);
}

TEST(DetailTextView, DrawsFromTheTopLeftWithTheKeywordInItsColour)
{
    NXUITestDriver driver;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 200, 60));
    root->setBackgroundColor(UIColor::whiteColor());
    driver.window()->addSubview(root);
    auto view = DetailTextView::initWithFrame(CGRectMake(0, 0, 200, 60));
    view->setBackgroundColor(UIColor::clearColor());
    root->addSubview(view);
    auto plain = UIFont::systemFontOfSize(14), bold = UIFont::boldSystemFontOfSize(16);
    view->setText(kText, plain, UIColor::blueColor());
    view->setKeyWordTextArray({"上网"}, bold, UIColor::redColor());

    const auto image = NXSnapshotImage(root.get());
    ASSERT_TRUE(image);
    const Box red = inkOf(image, isRed), blue = inkOf(image, isBlue);
    // The first 上网 only, right after 今天, on the first line at the top.
    const double before = sizeWithFont("今天", plain).width, keyword = sizeWithFont("上网", bold).width;
    ASSERT_GT(red.count, 30);
    EXPECT_NEAR(red.minX, before, 3);
    EXPECT_NEAR(red.maxX, before + keyword, 3);
    EXPECT_LT(red.minY, 6);
    EXPECT_LT(red.maxY, bold->lineHeight() + 1);
    // The rest, the second 上网 included, is blue and further right.
    ASSERT_GT(blue.count, 100);
    EXPECT_LT(blue.minX, 3);
    EXPECT_GT(blue.maxX, red.maxX + 40);
    EXPECT_LT(blue.minY, 6);

    // Without text nothing is drawn.
    view->setText(NSString(), plain, UIColor::blueColor());
    const auto empty = NXSnapshotImage(root.get());
    EXPECT_EQ(inkOf(empty, isRed).count + inkOf(empty, isBlue).count, 0);
}
