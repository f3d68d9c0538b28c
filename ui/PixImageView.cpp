#include "ui/PixImageView.h"

template <class Base, class Delegate>
PixRemoteImage<Base, Delegate>::~PixRemoteImage()
{
    // The centre holds observers weakly and skips gone ones; only the
    // registrations are dropped here (this object can no longer be shared).
    NSNotificationCenter::defaultCenter()->removeObserver(this);
}

template <class Base, class Delegate>
void PixRemoteImage<Base, Delegate>::setImageURL(const std::shared_ptr<NSURL>& url)
{
    auto loader = PixImageLoader::sharedImageLoader();
    if (imageURL_) {
        loader->removeObserver(this, imageURL_);
        imageURL_ = nullptr;
    }
    if (!url) {
        showImage(placeholderImage_);
        return;
    }
    imageURL_ = url;
    auto image = loader->imageForURL_shouldLoadWithObserver(url, this);
    showImage(image ? image : placeholderImage_);
}

template <class Base, class Delegate>
void PixRemoteImage<Base, Delegate>::cancelImageLoad()
{
    auto loader = PixImageLoader::sharedImageLoader();
    loader->cancelLoadForURL(imageURL_);
    loader->removeObserver(this, imageURL_);
}

template <class Base, class Delegate>
bool PixRemoteImage<Base, Delegate>::isForCurrentURL(const id& notification) const
{
    auto* n = dynamic_cast<NSNotification*>(notification.get());
    if (!n || !imageURL_) return false;
    auto it = n->userInfo().find("imageURL");
    auto* url = it == n->userInfo().end() ? nullptr : dynamic_cast<NSURL*>(it->second.get());
    return url && *url == *imageURL_;
}

template <class Base, class Delegate>
void PixRemoteImage<Base, Delegate>::imageLoaderDidLoad(const id& notification)
{
    if (!isForCurrentURL(notification)) return;
    const auto& info = static_cast<NSNotification*>(notification.get())->userInfo();
    auto it = info.find("image");
    showImage(it == info.end() ? nullptr : std::dynamic_pointer_cast<UIImage>(it->second));
    this->setNeedsDisplay();
    if (auto d = delegate()) tellLoaded(*d);
}

template <class Base, class Delegate>
void PixRemoteImage<Base, Delegate>::imageLoaderDidFailToLoad(const id& notification)
{
    if (!isForCurrentURL(notification)) return;
    const auto& info = static_cast<NSNotification*>(notification.get())->userInfo();
    auto it = info.find("error");
    if (auto d = delegate()) tellFailed(*d, it == info.end() ? nullptr : std::dynamic_pointer_cast<NSError>(it->second));
}

template class PixRemoteImage<UIImageView, PixImageViewDelegate>;
template class PixRemoteImage<UIButton, PixImageButtonDelegate>;

std::shared_ptr<PixImageView> PixImageView::initWithPlaceholderImage(std::shared_ptr<UIImage> image,
                                                                     const std::shared_ptr<PixImageViewDelegate>& delegate)
{
    auto view = std::make_shared<PixImageView>();
    if (image) view->setFrame(CGRect{CGPointZero, image->size()});
    view->setImage(image);
    view->setPlaceholderImage(std::move(image));
    view->setDelegate(delegate);
    return view;
}

std::shared_ptr<PixImageButton> PixImageButton::initWithPlaceholderImage(std::shared_ptr<UIImage> image,
                                                                         const std::shared_ptr<PixImageButtonDelegate>& delegate)
{
    auto button = UIView::initWithFrame<PixImageButton>(CGRectZero);
    button->setImage(image, UIControlStateNormal);
    button->setPlaceholderImage(std::move(image));
    button->setDelegate(delegate);
    return button;
}
