#include "app/NavigationBarImage.h"

#include "platform/uikit/UIImage.h"
#include "protocol/Constant.h"

void UINavigationBar_CustomImage_drawRect(UINavigationBar& bar, CGRect)
{
    // The style is part of the bar's state, set before drawing and never
    // while the image is drawn.
    if (Constant::isImageView()) {
        bar.barStyle = UIBarStyleBlack;
        return;
    }
    if (auto image = UIImage::imageNamed("dingtu1_vesk.png")) image->drawInRect(CGRectMake(0, 0, 320, 44));
}
