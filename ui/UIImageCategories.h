#pragma once
// The image categories the screens share: scaling (UIImage(scale)) and
// one-colour images (UIImage(Color)).

#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

// The image drawn into a new image of the size; nil for a nil image.
std::shared_ptr<UIImage> scaleToSize(const std::shared_ptr<UIImage>& image, CGSize size);
// A 1 x 1 image filled with the colour.
std::shared_ptr<UIImage> createImageWithColor(const std::shared_ptr<UIColor>& color);
