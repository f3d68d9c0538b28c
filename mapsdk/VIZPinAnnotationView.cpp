#include "mapsdk/VIZPinAnnotationView.h"

#include "mapsdk/VIZBundle.h"

namespace {

const char* const kPinImages[] = {"pin_red", "pin_green", "pin_purple"};

}  // namespace

std::shared_ptr<UIImage> VIZPinAnnotationView::pinImage(unsigned color)
{
    if (color > VIZPinAnnotationColorPurple) return nullptr;
    return UIImage::imageWithContentsOfFile(VIZGetBundleImagePath(kPinImages[color]));
}

std::shared_ptr<VIZPinAnnotationView> VIZPinAnnotationView::initWithAnnotation(
    const std::shared_ptr<VIZAnnotation>& annotation, const NSString& reuseIdentifier)
{
    auto view = std::make_shared<VIZPinAnnotationView>();
    setUp(*view, annotation, reuseIdentifier);
    view->setImage(pinImage(VIZPinAnnotationColorRed));
    view->setCenterOffset(CGPointMake(0, -view->frame().size.height / 2));
    return view;
}

void VIZPinAnnotationView::setPinColor(unsigned color)
{
    if (color == _pinColor || color > VIZPinAnnotationColorPurple) return;
    _pinColor = color;
    setImage(pinImage(color));
    setNeedsDisplay();
}
