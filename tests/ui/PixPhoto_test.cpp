#include "ui/PixPhoto.h"

#include <gtest/gtest.h>

#include "platform/foundation/NSException.h"

template <class Photo, class Source>
void checkPair()
{
    auto url = NSURL::URLWithString("http://127.0.0.1/captures/1-full.png");
    auto image = std::make_shared<UIImage>(nullptr, 1);
    auto fromImage = Photo::initWithImage(image);
    EXPECT_FALSE(fromImage->URL());
    EXPECT_TRUE(fromImage->caption().isNil());
    EXPECT_EQ(fromImage->image(), image);
    auto fromURL = Photo::initWithImageURL(url);
    EXPECT_EQ(fromURL->URL(), url);
    EXPECT_TRUE(fromURL->caption().isNil());
    EXPECT_FALSE(fromURL->image());
    EXPECT_FALSE(fromURL->didFail());
    fromURL->setFailed(true);
    EXPECT_TRUE(fromURL->didFail());
    fromURL->setSize(CGSizeMake(3, 4));
    EXPECT_EQ(fromURL->size(), CGSizeMake(3, 4));
    auto named = Photo::initWithImageURL(url, "capture 1");
    EXPECT_EQ(named->caption(), NSString("capture 1"));

    EXPECT_EQ(Source::initWithPhotos({})->numberOfPhotos(), 0);
    auto source = Source::initWithPhotos({fromImage, fromURL});
    EXPECT_EQ(source->numberOfPhotos(), 2);
    EXPECT_EQ(source->photoAtIndex(1), fromURL);
    for (NSInteger outside : {-1L, 2L}) {
        try {
            source->photoAtIndex(outside);
            ADD_FAILURE() << outside;
        } catch (const NSException& e) {
            EXPECT_EQ(e.name(), NSRangeException);
        }
    }
}

TEST(PixPhoto, BothPairsAreThePlainRecordsTheViewerReads)
{
    checkPair<MyPhoto, MyPhotoSource>();
    checkPair<PixQuickPhoto, PixQuickPhotoSource>();
}
