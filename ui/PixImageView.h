#pragma once
// An image view and a button that show a picture given by URL: the
// placeholder at once, the picture when the shared loader announces it for
// their current URL (or at once when it is cached). Delegates are held weakly.

#include "platform/uikit/UIControl.h"
#include "ui/PixImageLoader.h"

class PixImageView;
class PixImageButton;

class PixImageViewDelegate {
public:
    virtual ~PixImageViewDelegate() = default;
    virtual void imageViewLoadedImage(PixImageView* view) {}
    virtual void imageViewFailedToLoadImage_error(PixImageView* view, const std::shared_ptr<NSError>& error) {}
};

class PixImageButtonDelegate {
public:
    virtual ~PixImageButtonDelegate() = default;
    virtual void imageButtonLoadedImage(PixImageButton* button) {}
    virtual void imageButtonFailedToLoadImage_error(PixImageButton* button, const std::shared_ptr<NSError>& error) {}
};

// What the view and the button share: the URL, the placeholder, the delegate,
// and the loader's answers for the current URL only.
template <class Base, class Delegate>
class PixRemoteImage : public Base, public PixImageLoaderObserver {
public:
    ~PixRemoteImage() override;

    const std::shared_ptr<NSURL>& imageURL() const { return imageURL_; }
    // Shows the URL's cached picture or the placeholder, and observes the URL
    // (once) until its picture comes; nil shows the placeholder.
    void setImageURL(const std::shared_ptr<NSURL>& url);
    std::shared_ptr<UIImage> placeholderImage() const { return placeholderImage_; }
    void setPlaceholderImage(std::shared_ptr<UIImage> image) { placeholderImage_ = std::move(image); }
    std::shared_ptr<Delegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<Delegate>& d) { delegate_ = d; }

    // Stops the download of the current URL; what is shown stays.
    void cancelImageLoad();

    void imageLoaderDidLoad(const id& notification) override;
    void imageLoaderDidFailToLoad(const id& notification) override;

protected:
    virtual void showImage(const std::shared_ptr<UIImage>& image) = 0;
    virtual void tellLoaded(Delegate& d) = 0;
    virtual void tellFailed(Delegate& d, const std::shared_ptr<NSError>& error) = 0;

private:
    bool isForCurrentURL(const id& notification) const;
    std::shared_ptr<NSURL> imageURL_;
    std::shared_ptr<UIImage> placeholderImage_;
    std::weak_ptr<Delegate> delegate_;
};

class PixImageView : public PixRemoteImage<UIImageView, PixImageViewDelegate> {
public:
    static std::shared_ptr<PixImageView> initWithPlaceholderImage(std::shared_ptr<UIImage> image,
                                                                  const std::shared_ptr<PixImageViewDelegate>& delegate = nullptr);

protected:
    void showImage(const std::shared_ptr<UIImage>& image) override { setImage(image); }
    void tellLoaded(PixImageViewDelegate& d) override { d.imageViewLoadedImage(this); }
    void tellFailed(PixImageViewDelegate& d, const std::shared_ptr<NSError>& error) override { d.imageViewFailedToLoadImage_error(this, error); }
};

// Its pictures are those of the normal state.
class PixImageButton : public PixRemoteImage<UIButton, PixImageButtonDelegate> {
public:
    static std::shared_ptr<PixImageButton> initWithPlaceholderImage(std::shared_ptr<UIImage> image,
                                                                    const std::shared_ptr<PixImageButtonDelegate>& delegate = nullptr);

protected:
    void showImage(const std::shared_ptr<UIImage>& image) override { setImage(image, UIControlStateNormal); }
    void tellLoaded(PixImageButtonDelegate& d) override { d.imageButtonLoadedImage(this); }
    void tellFailed(PixImageButtonDelegate& d, const std::shared_ptr<NSError>& error) override { d.imageButtonFailedToLoadImage_error(this, error); }
};
