#pragma once
// The callout bubble ("paopao") shown above a selected annotation view: a
// body of two stretched halves with a title and a detail line that sizes
// itself to the text, the view that places it over a point and reports taps,
// and the variant with accessory views at both ends.

#include <memory>

#include "platform/uikit/UIControl.h"

// Stretchable images and views from the SDK's bundle.
class StretchImageUtil {
public:
    // Caps from the point (x the left cap width, y the top cap height); nil
    // for a nil name.
    static std::shared_ptr<UIImage> getStretchImage(const NSString& name, CGPoint stretchPoint);
    // Sized to the image, then to the rectangle's width and height where
    // those are above 0.
    static std::shared_ptr<UIImageView> getStretchImageViewWithImageName(const NSString& name,
                                                                         const NSString& highlightedName,
                                                                         CGRect stretchRect);
    static std::shared_ptr<UIButton> getStretchButtonWithImageName(const NSString& name,
                                                                   const NSString& highlightedName,
                                                                   const NSString& disabledName, CGRect stretchRect);
};

class PaopaoButton : public UIControl {
public:
    static std::shared_ptr<PaopaoButton> initWithLeftImage(const NSString& left, const NSString& highlightedLeft,
                                                           CGRect leftStretchRect, const NSString& right,
                                                           const NSString& highlightedRight, CGRect rightStretchRect);

    UILabel* label() const { return _label.get(); }
    UILabel* detailLabel() const { return _detailLabel.get(); }
    UIImageView* leftImage() const { return _leftImage.get(); }
    UIImageView* rightImage() const { return _rightImage.get(); }
    CGFloat minWidth() const { return _minWidth; }
    void setMinWidth(CGFloat w) { _minWidth = w; }
    CGFloat maxWidth() const { return _maxWidth; }
    void setMaxWidth(CGFloat w) { _maxWidth = w; }
    CGFloat paopaoHeight() const { return _paopaoHeight; }
    void setPaopaoHeight(CGFloat h) { _paopaoHeight = h; }

    // The halves show their pressed images; the control's own state stays.
    void setHighlighted(bool highlighted) override;
    // Fits the width to the texts between the minimum and the maximum; a nil
    // detail hides the detail line and centres the title.
    void setText(const NSString& text, const NSString& detailText);
    // Splits the width between the halves; a positive offset moves the
    // labels right.
    void adjustPaopaoForWidth(CGFloat width, CGFloat leftOffset);

private:
    void initElements();

    std::shared_ptr<UIImageView> _leftImage;
    std::shared_ptr<UIImageView> _rightImage;
    std::shared_ptr<UILabel> _label;
    std::shared_ptr<UILabel> _detailLabel;
    CGFloat _minWidth = 86;
    CGFloat _maxWidth = 300;
    CGFloat _textPadding = 5;
    CGFloat _paopaoHeight = 41;
};

class PaopaoBaseViewDelegate {
public:
    virtual ~PaopaoBaseViewDelegate() = default;
    virtual void onMoreButtonClicked() = 0;
};

// A selector for a bubble's delegate: performed only on a delegate of that
// class, one that answers it.
#define VIZ_PAOPAO_SEL(Class, method)                                                     \
    SEL{#method, [](NSObject* receiver, const id&) {                                      \
            if (auto* answering = dynamic_cast<Class*>(receiver)) answering->method();     \
        }}

class PaopaoBaseView : public UIView {
public:
    static std::shared_ptr<PaopaoBaseView> init();
    static std::shared_ptr<PaopaoBaseView> initWithText(const NSString& text, const NSString& detailText);

    PaopaoButton* paopaoButton() const { return _paopaoButton.get(); }
    std::shared_ptr<NSObject> delegate() const { return _delegate.lock(); }
    void setDelegate(const std::shared_ptr<NSObject>& d) { _delegate = d; }

    // The body's images (from the SDK's bundle) and their stretch caps (x
    // the left cap width, y the top cap height); a variant gives its own.
    virtual NSString middlePaopaoLeftImage() const { return "icon_paopao_middle_left"; }
    virtual NSString middlePaopaoLeftHighlightedImage() const { return "icon_paopao_middle_left_highlighted"; }
    virtual CGRect middlePaopaoLeftImageStretchRect() const { return CGRectMake(10, 0, 0, 0); }
    virtual NSString middlePaopaoRightImage() const { return "icon_paopao_middle_right"; }
    virtual NSString middlePaopaoRightHighlightedImage() const { return "icon_paopao_middle_right_highlighted"; }
    virtual CGRect middlePaopaoRightImageStretchRect() const { return CGRectMake(9, 0, 0, 0); }
    // What a tap on the body performs on the delegate: nothing here.
    virtual SEL middlePaopaoClickedSelector() const { return {}; }

    // Builds the body anew from the images above, so that a variant's
    // apply, in place of the one it had; no tap is wired to it.
    void initPaopaoButton();
    // Performs the selector on the delegate when there are both (a selector
    // made with VIZ_PAOPAO_SEL passes over a delegate that does not answer it).
    void clickPaopao(const SEL& selector);

    // The view takes the button's size at its own origin.
    virtual void setText(const NSString& text, const NSString& detailText);
    // The bubble's bottom centre, where its pointer is, on the point.
    void showAtPoint(CGPoint point);
    // A tap on the body: the delegate's onMoreButtonClicked when it adopts
    // PaopaoBaseViewDelegate.
    void onClickContentButton();

protected:
    // The body with the plain bubble's images (also for subclasses), its tap
    // wired to onClickContentButton.
    static void setUp(PaopaoBaseView& view);

private:
    std::shared_ptr<PaopaoButton> _paopaoButton;
    std::weak_ptr<NSObject> _delegate;
};

class ActionPaopaoView : public PaopaoBaseView {
public:
    static std::shared_ptr<ActionPaopaoView> initWithLeftView(const std::shared_ptr<UIView>& leftView,
                                                              const std::shared_ptr<UIView>& rightView);
    // Takes the bubble's own accessory views out of it, and no other view.
    ~ActionPaopaoView() override;

    // The action bubble's own images: its body, and its "nearby" and "route"
    // ends. (The bubble made by initWithLeftView wears the plain body.)
    NSString middlePaopaoLeftImage() const override { return "icon_action_paopao_middle_left"; }
    NSString middlePaopaoLeftHighlightedImage() const override { return "icon_action_paopao_middle_left_highlighted"; }
    CGRect middlePaopaoLeftImageStretchRect() const override { return CGRectMake(1, 0, 0, 0); }
    NSString middlePaopaoRightImage() const override { return "icon_action_paopao_middle_right"; }
    NSString middlePaopaoRightHighlightedImage() const override { return "icon_action_paopao_middle_right_highlighted"; }
    CGRect middlePaopaoRightImageStretchRect() const override { return CGRectMake(8, 0, 0, 0); }
    virtual NSString leftPaopaoImage() const { return "icon_action_paopao_left_nearby"; }
    virtual NSString leftPaopaoHighlightedImage() const { return "icon_action_paopao_left_nearby_highlighted"; }
    virtual CGRect leftPaopaoImageStretchRect() const { return CGRectZero; }
    virtual NSString rightPaopaoImage() const { return "icon_action_paopao_right_route"; }
    virtual NSString rightPaopaoHighlightedImage() const { return "icon_action_paopao_right_route_highlighted"; }
    virtual CGRect rightPaopaoImageStretchRect() const { return CGRectZero; }
    // What taps on the ends perform on the delegate: nothing here.
    virtual SEL leftPaopaoClickedSelector() const { return {}; }
    virtual SEL rightPaopaoClickedSelector() const { return {}; }
    // The ends' taps: nothing here.
    virtual void onClickLeftButton() {}
    virtual void onClickRightButton() {}

    // Room for the accessory views is taken from the maximum width, which
    // never drops below the minimum.
    void setText(const NSString& text, const NSString& detailText) override;
    void adjustLeftRightPaopaos(CGFloat leftWidth, CGFloat rightWidth);

    static constexpr int kMaxAccessoryWidth = 32;
    static constexpr int kAccessoryGap = 3;

private:
    // Borrowed from the annotation view.
    std::weak_ptr<UIView> _leftView;
    std::weak_ptr<UIView> _rightView;
    int _leftViewRightViewWidth = 0;
};
