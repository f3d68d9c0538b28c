#include "mapsdk/Paopao.h"

#include <algorithm>
#include <cmath>

#include "mapsdk/VIZBundle.h"

namespace {

std::shared_ptr<UIImage> BundleImage(const NSString& name)
{
    return UIImage::imageWithContentsOfFile(VIZGetBundleImagePath(name));
}

CGRect WithSize(CGRect frame, CGFloat width, CGFloat height)
{
    frame.size = CGSizeMake(width, height);
    return frame;
}

std::shared_ptr<UILabel> MakeLabel(CGFloat fontSize)
{
    auto label = UILabel::initWithFrame(CGRectZero);
    label->setBackgroundColor(UIColor::clearColor());
    label->textColor = UIColor::colorWithRed(59 / 255.0, 59 / 255.0, 59 / 255.0, 1);
    label->textAlignment = UITextAlignmentCenter;
    label->font = UIFont::systemFontOfSize(fontSize);
    return label;
}

}  // namespace

// ---- StretchImageUtil ---------------------------------------------------------

std::shared_ptr<UIImage> StretchImageUtil::getStretchImage(const NSString& name, CGPoint stretchPoint)
{
    if (name.isNil()) return nullptr;
    auto image = BundleImage(name);
    if (!image) return nullptr;
    return image->stretchableImageWithLeftCapWidth(static_cast<NSInteger>(stretchPoint.x),
                                                   static_cast<NSInteger>(stretchPoint.y));
}

std::shared_ptr<UIImageView> StretchImageUtil::getStretchImageViewWithImageName(const NSString& name,
                                                                                const NSString& highlightedName,
                                                                                CGRect stretchRect)
{
    auto view = UIImageView::initWithImage(getStretchImage(name, stretchRect.origin));
    view->highlightedImage = getStretchImage(highlightedName, stretchRect.origin);
    CGRect f = view->frame();
    if (view->image) f.size = view->image->size();
    if (stretchRect.size.width > 0) f.size.width = stretchRect.size.width;
    if (stretchRect.size.height > 0) f.size.height = stretchRect.size.height;
    view->setFrame(f);
    return view;
}

std::shared_ptr<UIButton> StretchImageUtil::getStretchButtonWithImageName(const NSString& name,
                                                                          const NSString& highlightedName,
                                                                          const NSString& disabledName,
                                                                          CGRect stretchRect)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    auto normal = getStretchImage(name, stretchRect.origin);
    auto highlighted = getStretchImage(highlightedName, stretchRect.origin);
    button->setBackgroundImage(normal, UIControlStateNormal);
    button->setBackgroundImage(highlighted, UIControlStateHighlighted);
    button->setBackgroundImage(getStretchImage(disabledName, stretchRect.origin), UIControlStateDisabled);
    CGSize natural = normal ? normal->size() : highlighted ? highlighted->size() : CGSizeZero;
    button->setFrame(WithSize(button->frame(), stretchRect.size.width > 0 ? stretchRect.size.width : natural.width,
                              stretchRect.size.height > 0 ? stretchRect.size.height : natural.height));
    return button;
}

// ---- PaopaoButton -------------------------------------------------------------

std::shared_ptr<PaopaoButton> PaopaoButton::initWithLeftImage(const NSString& left, const NSString& highlightedLeft,
                                                              CGRect leftStretchRect, const NSString& right,
                                                              const NSString& highlightedRight,
                                                              CGRect rightStretchRect)
{
    auto button = UIView::initWithFrame<PaopaoButton>(CGRectZero);
    button->_leftImage = StretchImageUtil::getStretchImageViewWithImageName(left, highlightedLeft, leftStretchRect);
    button->_rightImage =
        StretchImageUtil::getStretchImageViewWithImageName(right, highlightedRight, rightStretchRect);
    button->addSubview(button->_leftImage);
    button->addSubview(button->_rightImage);
    button->initElements();
    return button;
}

void PaopaoButton::initElements()
{
    _label = MakeLabel(15);
    _detailLabel = MakeLabel(13);
    addSubview(_label);
    addSubview(_detailLabel);
}

void PaopaoButton::setHighlighted(bool highlighted)
{
    _leftImage->highlighted = highlighted;
    _rightImage->highlighted = highlighted;
    _leftImage->setNeedsDisplay();
    _rightImage->setNeedsDisplay();
}

void PaopaoButton::setText(const NSString& text, const NSString& detailText)
{
    CGSize title = sizeWithFont(text, _label->font);
    CGSize detail = detailText.isNil() ? CGSizeZero : sizeWithFont(detailText, _detailLabel->font);
    CGFloat content = std::max(title.width, detail.width) + 2 * _textPadding;
    CGFloat width = content > _maxWidth ? _maxWidth : content < _minWidth ? _minWidth : content;

    CGFloat y = std::floor((_paopaoHeight - (title.height + detail.height)) / 2);
    _label->setFrame(CGRectMake(_textPadding, y, width - 2 * _textPadding, title.height));
    _label->setText(text);
    if (!detailText.isNil()) {
        _detailLabel->setHidden(false);
        _detailLabel->setFrame(CGRectMake(_textPadding, y + title.height, width - 2 * _textPadding, detail.height));
        _detailLabel->setText(detailText);
    } else {
        _detailLabel->setHidden(true);
    }
    adjustPaopaoForWidth(width, 0);
}

void PaopaoButton::adjustPaopaoForWidth(CGFloat width, CGFloat leftOffset)
{
    CGFloat leftHalf = std::floor(width / 2);
    _leftImage->setFrame(CGRectMake(0, 0, leftHalf, _leftImage->frame().size.height));
    _rightImage->setFrame(CGRectMake(leftHalf, 0, width - leftHalf, _rightImage->frame().size.height));
    setFrame(WithSize(frame(), width, _leftImage->frame().size.height));
    if (leftOffset > 0.00001) {
        for (UILabel* label : {_label.get(), _detailLabel.get()}) {
            if (label->hidden()) continue;
            CGRect f = label->frame();
            f.origin.x += leftOffset;
            label->setFrame(f);
        }
    }
}

// ---- PaopaoBaseView -----------------------------------------------------------

void PaopaoBaseView::setUp(PaopaoBaseView& view)
{
    // The plain bubble's images, whatever the variant.
    const PaopaoBaseView& plain = view;
    view._paopaoButton = PaopaoButton::initWithLeftImage(
        plain.PaopaoBaseView::middlePaopaoLeftImage(), plain.PaopaoBaseView::middlePaopaoLeftHighlightedImage(),
        plain.PaopaoBaseView::middlePaopaoLeftImageStretchRect(), plain.PaopaoBaseView::middlePaopaoRightImage(),
        plain.PaopaoBaseView::middlePaopaoRightHighlightedImage(),
        plain.PaopaoBaseView::middlePaopaoRightImageStretchRect());
    view.addSubview(view._paopaoButton);
    view._paopaoButton->addTarget(view.self(), NX_SEL0(PaopaoBaseView, onClickContentButton),
                                  UIControlEventTouchUpInside);
}

std::shared_ptr<PaopaoBaseView> PaopaoBaseView::init()
{
    auto view = UIView::initWithFrame<PaopaoBaseView>(CGRectZero);
    setUp(*view);
    return view;
}

std::shared_ptr<PaopaoBaseView> PaopaoBaseView::initWithText(const NSString& text, const NSString& detailText)
{
    auto view = init();
    view->setText(text, detailText);
    return view;
}

void PaopaoBaseView::setText(const NSString& text, const NSString& detailText)
{
    _paopaoButton->setText(text, detailText);
    setFrame(WithSize(frame(), _paopaoButton->frame().size.width, _paopaoButton->frame().size.height));
    CGRect b = _paopaoButton->frame();
    b.origin = CGPointZero;
    _paopaoButton->setFrame(b);
}

void PaopaoBaseView::showAtPoint(CGPoint point)
{
    CGRect f = frame();
    f.origin = CGPointMake(point.x - std::floor(f.size.width / 2), point.y - f.size.height);
    setFrame(f);
}

void PaopaoBaseView::initPaopaoButton()
{
    if (_paopaoButton) _paopaoButton->removeFromSuperview();
    _paopaoButton = PaopaoButton::initWithLeftImage(middlePaopaoLeftImage(), middlePaopaoLeftHighlightedImage(),
                                                    middlePaopaoLeftImageStretchRect(), middlePaopaoRightImage(),
                                                    middlePaopaoRightHighlightedImage(),
                                                    middlePaopaoRightImageStretchRect());
    addSubview(_paopaoButton);
}

void PaopaoBaseView::clickPaopao(const SEL& selector)
{
    if (auto d = delegate(); d && selector) selector.perform(d.get());
}

void PaopaoBaseView::onClickContentButton()
{
    auto d = std::dynamic_pointer_cast<PaopaoBaseViewDelegate>(delegate());
    if (d) d->onMoreButtonClicked();
}

// ---- ActionPaopaoView ---------------------------------------------------------

std::shared_ptr<ActionPaopaoView> ActionPaopaoView::initWithLeftView(const std::shared_ptr<UIView>& leftView,
                                                                     const std::shared_ptr<UIView>& rightView)
{
    auto view = UIView::initWithFrame<ActionPaopaoView>(CGRectZero);
    setUp(*view);
    for (const auto& accessory : {leftView, rightView}) {
        if (!accessory) continue;
        view->addSubview(accessory);
        view->_leftViewRightViewWidth += static_cast<int>(accessory->frame().size.width);
    }
    view->_leftView = leftView;
    view->_rightView = rightView;
    return view;
}

ActionPaopaoView::~ActionPaopaoView()
{
    // The annotation view may have put its accessories into a newer bubble
    // meanwhile: leave them there.
    for (const auto& weak : {_leftView, _rightView}) {
        auto accessory = weak.lock();
        if (accessory && accessory->superview() == this) accessory->removeFromSuperview();
    }
}

void ActionPaopaoView::setText(const NSString& text, const NSString& detailText)
{
    auto left = _leftView.lock();
    auto right = _rightView.lock();
    auto space = [](const std::shared_ptr<UIView>& v) {
        return v ? std::min<CGFloat>(v->frame().size.width, kMaxAccessoryWidth) + kAccessoryGap : 0;
    };
    CGFloat leftSpace = space(left);
    CGFloat rightSpace = space(right);
    PaopaoButton* button = paopaoButton();
    // Wide accessories must not squeeze the body below its minimum.
    button->setMaxWidth(std::max(button->minWidth(), 300 - _leftViewRightViewWidth - leftSpace - rightSpace));
    PaopaoBaseView::setText(text, detailText);
    adjustLeftRightPaopaos(leftSpace, rightSpace);
}

void ActionPaopaoView::adjustLeftRightPaopaos(CGFloat leftWidth, CGFloat rightWidth)
{
    PaopaoButton* button = paopaoButton();
    CGFloat buttonWidth = button->frame().size.width;
    CGRect f = frame();
    f.size = CGSizeMake(buttonWidth + leftWidth + rightWidth, button->frame().size.height);
    setFrame(f);
    auto place = [&](const std::shared_ptr<UIView>& v, CGFloat x) {
        if (!v) return;
        CGRect r = v->frame();
        r.origin = CGPointMake(x, std::floor((button->paopaoHeight() - r.size.height) / 2));
        v->setFrame(r);
    };
    place(_leftView.lock(), 6);
    place(_rightView.lock(), buttonWidth + leftWidth - kAccessoryGap);
    button->adjustPaopaoForWidth(f.size.width, leftWidth);
}
