#include "ui/UIImageCategories.h"

std::shared_ptr<UIImage> scaleToSize(const std::shared_ptr<UIImage>& image, CGSize size)
{
    if (!image) return nullptr;
    UIGraphicsBeginImageContext(size);
    image->drawInRect(CGRectMake(0, 0, size.width, size.height));
    auto scaled = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return scaled;
}

std::shared_ptr<UIImage> createImageWithColor(const std::shared_ptr<UIColor>& color)
{
    const CGRect rect = CGRectMake(0, 0, 1, 1);
    UIGraphicsBeginImageContext(rect.size);
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (color) CGContextSetFillColorWithColor(c, color->CGColor());
    CGContextFillRect(c, rect);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}
