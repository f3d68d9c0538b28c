// The text view: wrapped text gives the content its height, so a long text
// scrolls; a narrower view wraps into more lines.

#include <gtest/gtest.h>

#include "platform/uikit/UITextView.h"

TEST(UITextView, ContentFollowsTheWrappedText)
{
    auto view = UITextView::initWithFrame(CGRectMake(0, 0, 300, 100));
    view->setFont(UIFont::systemFontOfSize(14));
    EXPECT_EQ(view->contentSize().height, 2 * UITextView::kInset);
    view->setText("one line");
    const CGFloat one = view->contentSize().height;
    EXPECT_GT(one, 2 * UITextView::kInset);

    NSString longText = "";
    for (int i = 0; i < 40; ++i) longText = NSString::stringWithFormat("%@word%d ", longText, i);
    view->setText(longText);
    const CGFloat wide = view->contentSize().height;
    EXPECT_GT(wide, 100);  // taller than the view: it scrolls
    view->setFrame(CGRectMake(0, 0, 150, 100));
    EXPECT_GT(view->contentSize().height, wide);
    EXPECT_EQ(view->contentSize().width, 150);
}
