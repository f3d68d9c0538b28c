#include "ui/PixImageLoader.h"

#include <gtest/gtest.h>

#include "platform/foundation/NSThread.h"
#include "platform/testing/NXUITestDriver.h"
#include "tests/ui/ImageTestSupport.h"
#include "ui/PixImageView.h"

namespace {

class Recorder : public NSObject, public PixImageViewDelegate, public PixImageButtonDelegate {
public:
    void imageViewLoadedImage(PixImageView*) override { ++loaded; }
    void imageViewFailedToLoadImage_error(PixImageView*, const std::shared_ptr<NSError>& e) override { failed.push_back(e); }
    void imageButtonLoadedImage(PixImageButton*) override { ++loaded; }
    void imageButtonFailedToLoadImage_error(PixImageButton*, const std::shared_ptr<NSError>& e) override { failed.push_back(e); }
    int loaded = 0;
    std::vector<std::shared_ptr<NSError>> failed;
};

}  // namespace

class PixImageLoaderTest : public testing::Test {
protected:
    void SetUp() override { uitest::emptyCaches(); }
    void TearDown() override { EXPECT_TRUE(NSThread::joinDetachedThreads(10)); }

    std::shared_ptr<NSURL> url(const std::string& path) const { return NSURL::URLWithString(NSString(server.url(path))); }
    // The delayed start, then the run loop until the condition holds.
    bool load(const std::function<bool()>& done)
    {
        driver.advanceClock(0.01);
        return driver.pumpUntil(done, 10);
    }

    NXUITestDriver driver;
    uitest::ImageServer server;
    std::shared_ptr<PixImageLoader> loader = PixImageLoader::sharedImageLoader();
    const std::shared_ptr<UIImage> placeholderImage = UIImage::imageNamed("pixpv_photo_placeholder.png");
    const std::shared_ptr<UIImage>& placeholder() const { return placeholderImage; }
};

TEST_F(PixImageLoaderTest, ObserversOfOneURLShareOneDownloadAndACachedURLAsksNobody)
{
    auto recorder = std::make_shared<Recorder>();
    auto picture = url("/captures/1-thumb.png");
    auto first = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
    auto second = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
    auto button = PixImageButton::initWithPlaceholderImage(placeholder(), recorder);
    first->setImageURL(picture);
    second->setImageURL(picture);
    button->setImageURL(picture);
    button->setImageURL(picture);  // asking twice registers once
    ASSERT_TRUE(placeholder());
    EXPECT_EQ(first->image, placeholder());
    EXPECT_TRUE(loader->isLoadingImageURL(picture));
    EXPECT_EQ(loader->currentConnections().size(), 1u);

    ASSERT_TRUE(load([&] { return recorder->loaded == 3; }));
    driver.pumpUntil([] { return false; }, 0.05);  // nothing more arrives
    EXPECT_EQ(recorder->loaded, 3);
    EXPECT_EQ(server.requestsFor("/captures/1-thumb.png"), 1);
    EXPECT_FALSE(loader->isLoadingImageURL(picture));
    ASSERT_TRUE(first->image);
    EXPECT_EQ(first->image->size(), CGSizeMake(150, 124));
    EXPECT_EQ(second->image->size(), CGSizeMake(150, 124));
    EXPECT_EQ(button->imageForState(UIControlStateNormal)->size(), CGSizeMake(150, 124));

    // The picture is on disk now: a new view shows it at once, and no
    // notification follows.
    ASSERT_TRUE(driver.pumpUntil([] { return PixCache::currentCache()->diskOperationQueue()->operationCount() == 0; }));
    EXPECT_TRUE(loader->hasLoadedImageURL(picture));
    auto later = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
    later->setImageURL(picture);
    ASSERT_TRUE(later->image);
    EXPECT_EQ(later->image->size(), CGSizeMake(150, 124));
    EXPECT_FALSE(loader->isLoadingImageURL(picture));
    driver.advanceClock(0.05);
    driver.pumpUntil([] { return false; }, 0.05);
    EXPECT_EQ(server.requestsFor("/captures/1-thumb.png"), 1);
    EXPECT_EQ(recorder->loaded, 3);

    // Clearing the URL's cache means the next view downloads it afresh.
    loader->clearCacheForURL(picture);
    EXPECT_FALSE(loader->hasLoadedImageURL(picture));
    auto fresh = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
    fresh->setImageURL(picture);
    EXPECT_EQ(fresh->image, placeholder());
    ASSERT_TRUE(load([&] { return fresh->image != placeholder(); }));
    EXPECT_EQ(server.requestsFor("/captures/1-thumb.png"), 2);
}

TEST_F(PixImageLoaderTest, ACancelBeforeTheStartSendsNothing)
{
    auto recorder = std::make_shared<Recorder>();
    auto view = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
    view->setImageURL(url("/captures/2-thumb.png"));
    view->cancelImageLoad();
    EXPECT_FALSE(loader->isLoadingImageURL(url("/captures/2-thumb.png")));
    driver.advanceClock(0.05);
    driver.pumpUntil([] { return false; }, 0.1);
    EXPECT_EQ(server.requestCount(), 0);
    EXPECT_EQ(recorder->loaded, 0);
    EXPECT_TRUE(recorder->failed.empty());
    EXPECT_EQ(view->image, placeholder());
}

TEST_F(PixImageLoaderTest, RepliesThatAreNoUsablePictureFailAndCacheNothing)
{
    const struct {
        const char* path;
        NSInteger code;
    } cases[] = {
        {"/notimage", 406},                  // an error page
        {"/huge.png", 406},                  // too large to decode
    };
    for (const auto& c : cases) {
        auto recorder = std::make_shared<Recorder>();
        auto view = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
        view->setImageURL(url(c.path));
        ASSERT_TRUE(load([&] { return !recorder->failed.empty(); })) << c.path;
        ASSERT_TRUE(recorder->failed.front()) << c.path;
        EXPECT_EQ(recorder->failed.front()->code(), c.code) << c.path;
        EXPECT_EQ(recorder->failed.front()->domain(), NSString("127.0.0.1")) << c.path;
        EXPECT_EQ(view->image, placeholder()) << c.path;
        EXPECT_EQ(recorder->loaded, 0) << c.path;
        EXPECT_FALSE(loader->hasLoadedImageURL(url(c.path))) << c.path;
        EXPECT_FALSE(loader->isLoadingImageURL(url(c.path))) << c.path;
    }
}

TEST_F(PixImageLoaderTest, AConnectionFailureReachesTheObserverWithItsError)
{
    auto recorder = std::make_shared<Recorder>();
    auto button = PixImageButton::initWithPlaceholderImage(placeholder(), recorder);
    auto refused = NSURL::URLWithString(NSString::stringWithFormat("http://127.0.0.1:%u/x.png", testserver::Server::refusedPort()));
    button->setImageURL(refused);
    ASSERT_TRUE(load([&] { return !recorder->failed.empty(); }));
    ASSERT_TRUE(recorder->failed.front());
    EXPECT_EQ(recorder->failed.front()->code(), NXConnectionFailureErrorType);
    EXPECT_EQ(button->imageForState(UIControlStateNormal), placeholder());
}

TEST_F(PixImageLoaderTest, OnlyTheCurrentURLChangesTheView)
{
    auto recorder = std::make_shared<Recorder>();
    auto view = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
    auto other = PixImageView::initWithPlaceholderImage(placeholder(), nullptr);
    view->setImageURL(url("/captures/3-thumb.png"));
    other->setImageURL(url("/captures/3-thumb.png"));  // keeps the old URL's download going
    view->setImageURL(url("/captures/4-middle.png"));
    ASSERT_TRUE(load([&] { return recorder->loaded == 1 && other->image != placeholder(); }));
    driver.pumpUntil([] { return false; }, 0.05);
    EXPECT_EQ(recorder->loaded, 1);
    EXPECT_EQ(view->image->size(), CGSizeMake(320, 200));

    view->setImageURL(nullptr);  // the placeholder, and no more observing
    EXPECT_EQ(view->image, placeholder());
    EXPECT_FALSE(view->imageURL());
}

TEST_F(PixImageLoaderTest, AGoneDelegateOrViewIsSkipped)
{
    auto picture = url("/captures/5-thumb.png");
    {
        auto recorder = std::make_shared<Recorder>();
        auto view = PixImageView::initWithPlaceholderImage(placeholder(), recorder);
        view->setImageURL(picture);
    }  // view and delegate gone before the answer
    auto keeper = PixImageView::initWithPlaceholderImage(placeholder(), nullptr);
    keeper->setImageURL(picture);
    ASSERT_TRUE(load([&] { return keeper->image != placeholder(); }));
    EXPECT_EQ(server.requestsFor("/captures/5-thumb.png"), 1);
}
