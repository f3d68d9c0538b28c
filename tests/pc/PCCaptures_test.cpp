// The screen captures of a day: the day picked in the calendar, the strip of
// thumbnails page by page, and the viewer on the capture tapped.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/ImageViewListController.h"
#include "protocol/Constant.h"
#include "tests/pc/PCRecordFixture.h"
#include "tools/snapshot/Snapshot.h"
#include "ui/MonthCalendarView.h"
#include "ui/PixImageView.h"

namespace {

class PCCaptures : public PCRecordFixture {
protected:
    void SetUp() override
    {
        PCRecordFixture::SetUp();
        Constant::setServerTime("2026-12-07 08:55:00");
        picker = ImageTimeSelectView::init();
        nav = UINavigationController::initWithRootViewController(picker);
        driver->show(nav);
    }

    // A tap on the day of the month the calendar shows (December 2026).
    void tapDay(int day)
    {
        auto* calendar = dynamic_cast<MonthCalendarView*>(picker->view()->viewWithTag(ImageTimeSelectView::kCalendarTag));
        const int cell = day + calendar->getMonthWeekday(calendar->currentMonthDate()) - 2;
        const CGFloat width = calendar->bounds().size.width / 7;
        const CGPoint at = CGPointMake(width * (cell % 7 + 0.5), MonthCalendarView::kTitleHeight + MonthCalendarView::kRowHeight * (cell / 7 + 0.5));
        driver->tapAt(calendar->convertPoint(at, nullptr));
    }
    ImageViewListController* open(int day)
    {
        tapDay(day);
        driver->tap(driver->buttonWithTitle(L("imagetimeselectview_searchrecord")));
        driver->advanceClock(1);
        return top<ImageViewListController>();
    }
    std::vector<PixImageButton*> thumbnails(ImageViewListController* list) const
    {
        std::vector<PixImageButton*> out;
        for (const auto& v : list->scrollview->subviews())
            if (auto* t = dynamic_cast<PixImageButton*>(v.get())) out.push_back(t);
        return out;
    }
    // Every thumbnail shows its picture from the double (150 points wide).
    // The loader starts its downloads a moment after they are asked for, so
    // the clock moves on while the pictures come.
    bool thumbnailsLoaded(ImageViewListController* list, size_t count)
    {
        auto loaded = [&] {
            auto all = thumbnails(list);
            return all.size() == count && std::all_of(all.begin(), all.end(), [](PixImageButton* t) {
                       auto image = t->currentImage();
                       return image && image->size().width == 150;
                   });
        };
        return whileClockMoves(loaded);
    }
    bool whileClockMoves(const std::function<bool()>& done)
    {
        for (int step = 0; step < 100 && !done(); ++step) {
            driver->advanceClock(0.05);
            driver->pumpUntil(done, 0.1);
        }
        return done();
    }
    size_t viewersOnScreen() const
    {
        size_t n = 0;
        driver->findView([&](UIView& v) {
            if (dynamic_cast<PixPhotoViewController*>(v.viewController())) ++n;
            return false;
        });
        return n;
    }

    std::shared_ptr<ImageTimeSelectView> picker;
};

}  // namespace

TEST_F(PCCaptures, ADayPickedShowsItsThumbnailsAndATapOpensTheViewerOnThatCapture)
{
    tapDay(6);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/capture-day-picker"));
    auto* list = open(6);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->selectDate(), "2026-12-06");
    ASSERT_TRUE(thumbnailsLoaded(list, 20));
    ASSERT_TRUE(whileClockMoves([&] {
        auto page = list->viewer()->photoViews()[0];
        return page && page->imageView()->image && page->imageView()->image->size().width == 640;
    }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(thumbnails(list)[19]->frame().origin.x, 4 + 79 * 19);
    EXPECT_NE(list->scrollview->viewWithTag(ImageViewListController::kLoadMoreTag), nullptr);
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/thumbnails"));

    // The sixth thumbnail: the viewer moves to it and the time follows.
    driver->scrollTo(list->scrollview.get(), CGPointMake(300, 0));
    ASSERT_TRUE(driver->tap(list->scrollview->viewWithTag(ImageViewListController::kFirstThumbTag + 5)));
    ASSERT_NE(list->viewer(), nullptr);
    EXPECT_EQ(list->viewer()->currentPhotoIndex(), 5);
    EXPECT_EQ(list->mTimeLabel->text(), NSString::stringWithFormat("%@ 09:16:07", L("imageviewlistctrl_time")));
    ASSERT_TRUE(whileClockMoves([&] {
        auto page = list->viewer()->photoViews()[5];
        return page && page->imageView()->image && page->imageView()->image->size().width == 640;
    }));
    driver->advanceClock(1);
    // The capture time sits between the strip and the viewer, without gaps.
    const CGRect strip = list->view()->convertRect(list->scrollview->frame(), nullptr);
    const CGRect time = list->view()->convertRect(list->mTimeLabel->frame(), nullptr);
    const CGRect viewer = list->view()->convertRect(list->viewer()->view()->frame(), nullptr);
    EXPECT_EQ(CGRectGetMaxY(strip), CGRectGetMinY(time));
    EXPECT_EQ(CGRectGetMaxY(time), CGRectGetMinY(viewer));
    // The bar keeps its face and the day's title while the viewer shows.
    const snapshot::Image shot = snapshot::renderView(driver->window());
    const size_t at = 4 * (static_cast<size_t>(shot.width) * 40 + 70);
    EXPECT_LT(shot.rgba[at] + shot.rgba[at + 1] + shot.rgba[at + 2], 3 * 200) << "a bare white bar";
    EXPECT_EQ(dynamic_cast<UILabel*>(list->navigationItem()->titleView.get())->superview(),
              list->navigationController()->navigationBar());
    EXPECT_TRUE(snapshot::viewMatchesExpected(driver->window(), "tests/pc/snapshots/capture-viewer"));
    driver->tap(list->scrollview->viewWithTag(ImageViewListController::kFirstThumbTag + 6));
    driver->tap(list->scrollview->viewWithTag(ImageViewListController::kFirstThumbTag + 5));
    EXPECT_EQ(viewersOnScreen(), 1u) << "repeated taps leave one viewer";

    // The next page brings the last six; the strip keeps one thumbnail each.
    list->loadMore();
    ASSERT_TRUE(thumbnailsLoaded(list, 26));
    EXPECT_EQ(list->scrollview->viewWithTag(ImageViewListController::kLoadMoreTag), nullptr);
    EXPECT_NE(sent("RQCapturePic").back().message.find("<PageIndex>2</PageIndex>"), std::string::npos);
    // Refresh starts again from the first page.
    list->refresh();
    ASSERT_TRUE(thumbnailsLoaded(list, 20));
    EXPECT_EQ(list->picUrlArray().size(), 20u);
}

TEST_F(PCCaptures, ADayOutsideTheWindowOpensNothingAndADayOfFewCapturesHasNoLoadMore)
{
    tapDay(3);
    driver->tap(driver->buttonWithTitle(L("imagetimeselectview_searchrecord")));
    EXPECT_NE(driver->visibleAlert(), nullptr);
    driver->pressAlertButton(0);
    EXPECT_TRUE(sent("RQCapturePic").empty());

    auto* list = open(7);
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(thumbnailsLoaded(list, size_t(servicedouble::PCModel::capturesOfDay("2026-12-07"))));
    EXPECT_EQ(list->scrollview->viewWithTag(ImageViewListController::kLoadMoreTag), nullptr);
}
