#include "ui/ImageDownload.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>

#include "platform/foundation/NSThread.h"
#include "tests/ui/ImageTestSupport.h"
#include "ui/MyButton.h"
#include "ui/MyScrollView.h"

class ImageDownloadTest : public testing::Test {
protected:
    void SetUp() override
    {
        ImageDownload::setTimeOutSource([] { return 1.0; });
    }
    void TearDown() override
    {
        ImageDownload::setTimeOutSource(nullptr);
        server.stop();
        EXPECT_TRUE(NSThread::joinDetachedThreads(10));
    }
    uitest::ImageServer server;
};

TEST_F(ImageDownloadTest, APictureComesBackDecoded)
{
    auto image = ImageDownload::downloadImageByImageURL(NSString(server.url("/captures/1-middle.png")));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(320, 200));
}

TEST_F(ImageDownloadTest, AnythingElseIsNilWithinTheTimeOutAndTheCap)
{
    const std::string cases[] = {
        "",
        "not a url",
        "file:///dev/zero",
        "ftp://127.0.0.1/picture.png",
        server.url("/notimage"),  // an error page
        server.url("/huge.png"),  // a picture too large to decode
        server.url("/endless"),   // a body without end stops at the cap
        server.url("/silent"),    // a server that never answers
        "http://127.0.0.1:" + std::to_string(testserver::Server::refusedPort()) + "/x.png",
    };
    for (const auto& text : cases) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(ImageDownload::downloadImageByImageURL(NSString(text))) << text;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8)) << text;
    }
    EXPECT_EQ(server.requestsFor("/endless"), 1);
    EXPECT_EQ(server.requestsFor("/silent"), 1);
}

TEST(MyButton, KeepsItsPictureURL)
{
    auto button = MyButton::initWithFrame(CGRectMake(0, 0, 40, 40));
    EXPECT_TRUE(button->imgURL().isNil());
    button->setImgURL("http://127.0.0.1/icon.png");
    EXPECT_EQ(button->imgURL(), NSString("http://127.0.0.1/icon.png"));
}

TEST(MyScrollView, ShowsItsImageAndSnapsAPinchToAWholeStepTheWidthAllows)
{
    auto view = MyScrollView::initWithFrame(CGRectMake(0, 0, 320, 240));
    view->maximumZoomScale = 4;
    auto image = std::make_shared<UIImage>(nullptr, 1);
    view->setImage(image);
    EXPECT_EQ(view->imageView()->image, image);
    EXPECT_FALSE(view->image());
    EXPECT_EQ(view->imageView()->contentMode(), UIViewContentModeScaleAspectFit);

    const struct {
        CGFloat pinch;      // where the fingers stop
        CGFloat imageWidth; // the image view's frame width, unzoomed
        CGFloat expected;   // where the zoom rests
    } cases[] = {
        {1.4, 320, 1.0},  // rounds down; 1 <= 320 / 320
        {2.6, 320, 2.6},  // 3 needs a frame of at least 960 wide at that moment: 2.6 * 320 = 832
        {2.6, 400, 3.0},  // 2.6 * 400 = 1040 allows 3
        {1.0, 320, 1.0},  // and the smallest zoom never goes below 1
    };
    for (const auto& c : cases) {
        view->setZoomScale(1);
        view->imageView()->setFrame(CGRectMake(0, 0, c.imageWidth, 240));
        view->pinch(c.pinch);
        EXPECT_DOUBLE_EQ(view->zoomScale(), c.expected) << c.pinch << " " << c.imageWidth;
    }
}
