#pragma once
// An annotation view showing a coloured pin from the SDK's bundle, which the
// map view may drop in with an animation.

#include "mapsdk/VIZAnnotationView.h"

enum VIZPinAnnotationColor : unsigned {
    VIZPinAnnotationColorRed = 0,
    VIZPinAnnotationColorGreen = 1,
    VIZPinAnnotationColorPurple = 2
};

class VIZPinAnnotationView : public VIZAnnotationView {
public:
    // A red pin whose tip (the bottom centre) marks the coordinate.
    static std::shared_ptr<VIZPinAnnotationView> initWithAnnotation(const std::shared_ptr<VIZAnnotation>& annotation,
                                                                    const NSString& reuseIdentifier);

    unsigned pinColor() const { return _pinColor; }
    // 0 red, 1 green, 2 purple; other values and the current colour change
    // nothing. The centre offset stays the one of the first image.
    void setPinColor(unsigned color);
    bool animatesDrop() const { return _animatesDrop; }
    void setAnimatesDrop(bool drop) { _animatesDrop = drop; }

    // The bundle image of a pin colour ("pin_red", "pin_green", "pin_purple").
    static std::shared_ptr<UIImage> pinImage(unsigned color);

private:
    unsigned _pinColor = VIZPinAnnotationColorRed;
    bool _animatesDrop = false;
};
