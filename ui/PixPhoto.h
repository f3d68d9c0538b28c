#pragma once
// The photo viewer's model: one picture (PixPhoto) and an ordered, fixed list
// of pictures (PixPhotoSource), with the two pairs of record classes that
// implement them: MyPhoto/MyPhotoSource (the capture screens) and
// PixQuickPhoto/PixQuickPhotoSource (the viewer's own, for one image or URL).

#include <memory>
#include <vector>

#include "platform/cfnetwork/NSURL.h"
#include "platform/uikit/UIImage.h"

class PixPhoto : public NSObject {
public:
    // A file or remote URL; nil for a photo made from an image.
    virtual std::shared_ptr<NSURL> URL() const = 0;
    // Nil or blank: no caption.
    virtual NSString caption() const = 0;
    virtual CGSize size() const = 0;
    virtual void setSize(CGSize size) = 0;
    virtual std::shared_ptr<UIImage> image() const = 0;
    virtual void setImage(std::shared_ptr<UIImage> image) = 0;
    virtual bool didFail() const = 0;
    virtual void setFailed(bool failed) = 0;
};

class PixPhotoSource : public NSObject {
public:
    virtual const std::vector<std::shared_ptr<PixPhoto>>& photos() const = 0;
    virtual NSInteger numberOfPhotos() const = 0;
    // Raises NSRangeException for an index outside 0 .. numberOfPhotos - 1.
    virtual std::shared_ptr<PixPhoto> photoAtIndex(NSInteger index) const = 0;
};

// The plain record both photo classes are.
template <class Self>
class PixPhotoRecord : public PixPhoto {
public:
    static std::shared_ptr<Self> initWithImageURL(std::shared_ptr<NSURL> url, const NSString& name, std::shared_ptr<UIImage> image)
    {
        auto photo = std::make_shared<Self>();
        photo->URL_ = std::move(url);
        photo->caption_ = name;
        photo->image_ = std::move(image);
        return photo;
    }
    static std::shared_ptr<Self> initWithImageURL(std::shared_ptr<NSURL> url, const NSString& name)
    {
        return initWithImageURL(std::move(url), name, nullptr);
    }
    static std::shared_ptr<Self> initWithImageURL(std::shared_ptr<NSURL> url) { return initWithImageURL(std::move(url), NSString(), nullptr); }
    static std::shared_ptr<Self> initWithImage(std::shared_ptr<UIImage> image) { return initWithImageURL(nullptr, NSString(), std::move(image)); }

    std::shared_ptr<NSURL> URL() const override { return URL_; }
    NSString caption() const override { return caption_; }
    CGSize size() const override { return size_; }
    void setSize(CGSize size) override { size_ = size; }
    std::shared_ptr<UIImage> image() const override { return image_; }
    void setImage(std::shared_ptr<UIImage> image) override { image_ = std::move(image); }
    bool didFail() const override { return failed_; }
    void setFailed(bool failed) override { failed_ = failed; }

private:
    std::shared_ptr<NSURL> URL_;
    NSString caption_;
    CGSize size_;
    std::shared_ptr<UIImage> image_;
    bool failed_ = false;
};

// The plain list both source classes are; the count is taken once.
template <class Self>
class PixPhotoList : public PixPhotoSource {
public:
    static std::shared_ptr<Self> initWithPhotos(std::vector<std::shared_ptr<PixPhoto>> photos)
    {
        auto source = std::make_shared<Self>();
        source->numberOfPhotos_ = static_cast<NSInteger>(photos.size());
        source->photos_ = std::move(photos);
        return source;
    }
    const std::vector<std::shared_ptr<PixPhoto>>& photos() const override { return photos_; }
    NSInteger numberOfPhotos() const override { return numberOfPhotos_; }
    std::shared_ptr<PixPhoto> photoAtIndex(NSInteger index) const override;

private:
    std::vector<std::shared_ptr<PixPhoto>> photos_;
    NSInteger numberOfPhotos_ = 0;
};

class MyPhoto : public PixPhotoRecord<MyPhoto> {};
class PixQuickPhoto : public PixPhotoRecord<PixQuickPhoto> {};
class MyPhotoSource : public PixPhotoList<MyPhotoSource> {};
class PixQuickPhotoSource : public PixPhotoList<PixQuickPhotoSource> {};
