#include "ui/PixPhotoViews.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "tests/ui/ImageTestSupport.h"

namespace fs = std::filesystem;

namespace {

// Every "PixPhotoDidFinishLoading" a page posts.
class LoadListener : public NSObject {
public:
    void finished(const id& n)
    {
        auto* info = dynamic_cast<PixPhotoLoadInfo*>(static_cast<NSNotification*>(n.get())->object().get());
        ASSERT_TRUE(info);
        outcomes.push_back({info->value.at("photo"), std::dynamic_pointer_cast<NSBox<bool>>(info->value.at("failed"))->value});
    }
    std::vector<std::pair<id, bool>> outcomes;
};

std::shared_ptr<UIImage> imageOfSize(CGFloat w, CGFloat h) { return UIImage::imageWithData(*UIImagePNGRepresentation([&] {
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), true, 1);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}())); }

}  // namespace

class PhotoPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        NSNotificationCenter::defaultCenter()->addObserver(listener.get(), NX_SEL(LoadListener, finished),
                                                           PixPhotoDidFinishLoadingNotification, nullptr);
    }
    void TearDown() override
    {
        EXPECT_TRUE(NSThread::joinDetachedThreads(10));
    }
    // A local file: a picture padded to the size asked for, or bytes that are none.
    std::shared_ptr<NSURL> file(const std::string& name, size_t size, bool picture = true) const
    {
        std::string bytes = picture ? uitest::pngOfSize(64, 32) : std::string("no picture");
        bytes.resize(std::max(size, bytes.size()), '\0');  // PNG readers stop at IEND
        std::ofstream(dir_ / name, std::ios::binary) << bytes;
        return NSURL::URLWithString(NSString("file://" + (dir_ / name).string()));
    }

    NXUITestDriver driver;
    std::shared_ptr<LoadListener> listener = std::make_shared<LoadListener>();
    std::shared_ptr<PixPhotoImageView> page = PixPhotoImageView::initWithFrame(CGRectMake(0, 0, 320, 480));
    TempFolder folder_;
    fs::path dir_ = folder_.path().str();
};

TEST_F(PhotoPageTest, APhotoWithItsImageShowsAtOnceAndSettingItAgainDoesNothing)
{
    auto photo = MyPhoto::initWithImage(imageOfSize(640, 400));
    page->setPhoto(photo);
    EXPECT_FALSE(page->isLoading());
    ASSERT_EQ(listener->outcomes.size(), 1u);
    EXPECT_EQ(listener->outcomes[0], (std::pair<id, bool>{photo, false}));
    EXPECT_EQ(page->scrollView()->frame(), CGRectMake(0, 140, 320, 200));  // fitted, centred
    EXPECT_EQ(page->imageView()->frame(), CGRectMake(0, 0, 320, 200));
    page->setPhoto(photo);
    page->setPhoto(nullptr);
    EXPECT_EQ(listener->outcomes.size(), 1u);
    EXPECT_EQ(page->photo(), photo);
}

TEST_F(PhotoPageTest, LocalFilesAreReadAtOnceOrInTheBackgroundFromOneMebibyteOn)
{
    const struct {
        size_t size;
        bool picture;
        bool atOnce;
        bool failed;
    } cases[] = {
        {1048575, true, true, false},
        {1048576, true, false, false},
        {100, false, true, true},       // unreadable small file: the error placeholder, no endless spinner
        {1048576, false, false, true},  // the same, read in the background
    };
    int n = 0;
    for (const auto& c : cases) {
        listener->outcomes.clear();
        auto photo = MyPhoto::initWithImageURL(file("f" + std::to_string(n++), c.size, c.picture));
        page->setPhoto(photo);
        EXPECT_EQ(listener->outcomes.size(), c.atOnce ? 1u : 0u) << c.size;
        if (!c.atOnce) {
            EXPECT_TRUE(page->isLoading());
            ASSERT_TRUE(driver.pumpUntil([&] { return !listener->outcomes.empty(); }, 10)) << c.size;
        }
        ASSERT_EQ(listener->outcomes.size(), 1u);
        EXPECT_EQ(listener->outcomes[0].second, c.failed) << c.size;
        EXPECT_EQ(photo->didFail(), c.failed) << c.size;
        EXPECT_FALSE(page->isLoading());
        if (!c.failed) {
            EXPECT_EQ(page->imageView()->image->size(), CGSizeMake(64, 32));
        }
    }
}

TEST_F(PhotoPageTest, ABackgroundReadForAPhotoThePageNoLongerShowsIsDropped)
{
    auto large = MyPhoto::initWithImageURL(file("large", 2 << 20));
    auto shown = MyPhoto::initWithImage(imageOfSize(30, 30));
    page->setPhoto(large);
    page->setPhoto(shown);
    ASSERT_TRUE(NSThread::joinDetachedThreads(10));
    driver.pumpUntil([] { return false; }, 0.1);  // the read's answer arrives and is dropped
    EXPECT_EQ(page->imageView()->image->size(), CGSizeMake(30, 30));
    ASSERT_EQ(listener->outcomes.size(), 1u);
    EXPECT_EQ(listener->outcomes[0].first, shown);
}

TEST_F(PhotoPageTest, FittingWithoutAPictureFillsThePage)
{
    page->setFrame(CGRectMake(0, 0, 0, 0));
    page->setPhoto(MyPhoto::initWithImage(imageOfSize(10, 10)));
    page->layoutScrollViewAnimated(false);
    const CGRect f = page->scrollView()->frame();
    EXPECT_FALSE(std::isnan(f.origin.x) || std::isnan(f.size.width));
    page->setFrame(CGRectMake(0, 0, 320, 480));
    page->imageView()->setImage(nullptr);
    page->layoutScrollViewAnimated(false);
    EXPECT_EQ(page->scrollView()->frame(), CGRectMake(0, 0, 320, 480));
}

TEST_F(PhotoPageTest, PopoverSizes)
{
    const struct {
        CGFloat w, h;
        CGSize expected;
    } cases[] = {
        {1000, 800, {480, 384}},
        {1000, 500, {320, 160}},
        {100, 50, {320, 160}},
        {400, 400, {400, 400}},
    };
    for (const auto& c : cases) {
        page->imageView()->setImage(std::make_shared<UIImage>(imageOfSize(c.w, c.h)->CGImage(), 1));
        EXPECT_EQ(page->sizeForPopover(), c.expected) << c.w << "x" << c.h;
    }
    page->imageView()->setImage(nullptr);
    EXPECT_EQ(page->sizeForPopover(), CGSizeMake(480, 480));
}

TEST_F(PhotoPageTest, TheCaptionHidesForBlankTextAndSlidesWithTheBars)
{
    auto host = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    auto caption = PixPhotoCaptionView::initWithFrame(CGRectMake(0, 440, 320, 40));
    host->addSubview(caption);
    caption->setCaptionText_hidden("Capture 7", false);
    EXPECT_FALSE(caption->hidden());
    EXPECT_EQ(caption->textLabel()->text(), NSString("Capture 7"));
    for (const NSString& blank : {NSString(" \t "), NSString(""), NSString()}) {
        caption->setCaptionText_hidden(blank, false);
        EXPECT_TRUE(caption->hidden());
        EXPECT_TRUE(caption->textLabel()->text().isNil());
    }
    caption->setCaptionText_hidden(" a line\n", false);
    EXPECT_EQ(caption->textLabel()->text(), NSString(" a line\n"));  // shown untrimmed

    caption->setCaptionHidden(true);
    EXPECT_EQ(caption->frame().origin.y, 480);
    caption->setCaptionHidden(false);
    EXPECT_EQ(caption->frame().origin.y, 480 - (44 + 40));
}
