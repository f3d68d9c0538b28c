#pragma once
// Controls with target/action per control event, and the small views.

#include <map>

#include "platform/uikit/UIStringDrawing.h"
#include "platform/uikit/UIView.h"

enum UIControlEvents : NSUInteger {
    UIControlEventTouchDown = 1 << 0,
    UIControlEventTouchDownRepeat = 1 << 1,
    UIControlEventTouchDragInside = 1 << 2,
    UIControlEventTouchDragOutside = 1 << 3,
    UIControlEventTouchUpInside = 1 << 6,
    UIControlEventTouchUpOutside = 1 << 7,
    UIControlEventTouchCancel = 1 << 8,
    UIControlEventValueChanged = 1 << 12,
    UIControlEventEditingDidBegin = 1 << 16,
    UIControlEventEditingChanged = 1 << 17,
    UIControlEventEditingDidEnd = 1 << 18,
    UIControlEventEditingDidEndOnExit = 1 << 19,
    UIControlEventAllTouchEvents = 0x00000FFF,
    UIControlEventAllEditingEvents = 0x000F0000,
    UIControlEventAllEvents = 0xFFFFFFFF,
};

enum UIControlState : NSUInteger {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1 << 0,
    UIControlStateDisabled = 1 << 1,
    UIControlStateSelected = 1 << 2,
};

enum UIControlContentHorizontalAlignment : NSInteger {
    UIControlContentHorizontalAlignmentCenter = 0,
    UIControlContentHorizontalAlignmentLeft = 1,
    UIControlContentHorizontalAlignmentRight = 2,
};

class UIControl : public UIView {
public:
    void addTarget(const id& target, SEL action, NSUInteger events);
    // Removes the pairs of this target (all targets for nullptr) and action
    // (all actions for an empty one) on the events.
    void removeTarget(const NSObject* target, const SEL& action, NSUInteger events);
    // Sends each action registered for any of the events; targets gone are skipped.
    void sendActionsForControlEvents(NSUInteger events);
    // The action names registered for a target and event (tests).
    std::vector<std::string> actionsForTarget(const NSObject* target, UIControlEvents event) const;

    bool enabled() const { return enabled_; }
    virtual void setEnabled(bool e) { enabled_ = e; }
    bool selected() const { return selected_; }
    virtual void setSelected(bool s) { selected_ = s; }
    bool highlighted() const { return highlighted_; }
    virtual void setHighlighted(bool h) { highlighted_ = h; }
    NSUInteger state() const;
    UIControlContentHorizontalAlignment contentHorizontalAlignment = UIControlContentHorizontalAlignmentCenter;

    // A disabled control takes no touches.
    UIView* hitTest(CGPoint p, UIEvent* event) override;
    // Touch tracking: down, drag, up inside or outside, cancel.
    void touchesBegan(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesMoved(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
    void touchesCancelled(const NSSetOfTouches& t, UIEvent* e) override;

protected:
    bool touchInside(const NSSetOfTouches& t) const;

private:
    struct Action {
        std::weak_ptr<NSObject> target;
        bool hasTarget;
        SEL action;
        NSUInteger events;
    };
    std::vector<Action> actions_;
    bool enabled_ = true;
    bool selected_ = false;
    bool highlighted_ = false;
};


class UILabel : public UIView {
public:
    UILabel() { setUserInteractionEnabled(false); }
    static std::shared_ptr<UILabel> initWithFrame(CGRect frame) { return UIView::initWithFrame<UILabel>(frame); }
    NSString text() const { return text_; }
    virtual void setText(const NSString& t) { text_ = t; setNeedsDisplay(); }
    std::shared_ptr<UIFont> font = UIFont::systemFontOfSize(17);
    std::shared_ptr<UIColor> textColor = UIColor::blackColor();
    std::shared_ptr<UIColor> highlightedTextColor;
    // Drawn first, offset by shadowOffset, when set.
    std::shared_ptr<UIColor> shadowColor;
    CGSize shadowOffset = CGSizeMake(0, -1);
    UITextAlignment textAlignment = UITextAlignmentLeft;
    UILineBreakMode lineBreakMode = UILineBreakModeTailTruncation;
    NSInteger numberOfLines = 1;
    // A one-line label whose text is wider than it draws the text smaller,
    // down to minimumFontSize (0: as small as it takes), before cutting it.
    bool adjustsFontSizeToFitWidth = false;
    CGFloat minimumFontSize = 0;
    bool highlighted = false;
    // The text centred vertically, in as many lines as numberOfLines allows
    // (0: as many as fit).
    void drawRect(CGRect rect) override;

private:
    NSString text_;
};

class UIImageView : public UIView {
public:
    UIImageView() { setUserInteractionEnabled(false); }
    static std::shared_ptr<UIImageView> initWithImage(std::shared_ptr<UIImage> image);
    static std::shared_ptr<UIImageView> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIImageView>(frame); }
    std::shared_ptr<UIImage> image;
    std::shared_ptr<UIImage> highlightedImage;
    bool highlighted = false;
    void setImage(std::shared_ptr<UIImage> i) { image = std::move(i); setNeedsDisplay(); }
    // The image placed by the content mode.
    void drawRect(CGRect rect) override;
};

enum UIButtonType : NSInteger {
    UIButtonTypeCustom = 0,
    UIButtonTypeRoundedRect = 1,
    UIButtonTypeDetailDisclosure = 2,
    UIButtonTypeInfoLight = 3,
    UIButtonTypeInfoDark = 4,
    UIButtonTypeContactAdd = 5,
};

// Title, title colour, image and background per state; a state without a value
// shows the normal state's.
class UIButton : public UIControl {
public:
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);
    static std::shared_ptr<UIButton> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIButton>(frame); }
    UIButtonType buttonType() const { return type_; }

    void setTitle(const NSString& title, UIControlState state);
    NSString titleForState(UIControlState state) const;
    void setTitleColor(std::shared_ptr<UIColor> color, UIControlState state);
    std::shared_ptr<UIColor> titleColorForState(UIControlState state) const;
    void setImage(std::shared_ptr<UIImage> image, UIControlState state);
    std::shared_ptr<UIImage> imageForState(UIControlState state) const;
    void setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state);
    std::shared_ptr<UIImage> backgroundImageForState(UIControlState state) const;
    // What the button shows in its current state.
    NSString currentTitle() const { return titleForState(static_cast<UIControlState>(state())); }
    std::shared_ptr<UIImage> currentImage() const { return imageForState(static_cast<UIControlState>(state())); }
    std::shared_ptr<UIImage> currentBackgroundImage() const { return backgroundImageForState(static_cast<UIControlState>(state())); }
    UILabel* titleLabel();
    UIImageView* imageView();

    UIEdgeInsets contentEdgeInsets, titleEdgeInsets, imageEdgeInsets;
    bool showsTouchWhenHighlighted = false;
    bool adjustsImageWhenHighlighted = true;

    void setEnabled(bool e) override { UIControl::setEnabled(e); refresh(); }
    void setSelected(bool s) override { UIControl::setSelected(s); refresh(); }
    void setHighlighted(bool h) override { UIControl::setHighlighted(h); refresh(); }

    // Image and title side by side, centred in the content rectangle.
    void layoutSubviews() override;
    // The rounded-rect type's white face, then the background image.
    void drawRect(CGRect rect) override;

private:
    template <class T>
    static T forState(const std::map<NSUInteger, T>& m, UIControlState state);
    void refresh();
    UIButtonType type_ = UIButtonTypeCustom;
    std::map<NSUInteger, NSString> titles_;
    std::map<NSUInteger, std::shared_ptr<UIColor>> titleColors_;
    std::map<NSUInteger, std::shared_ptr<UIImage>> images_;
    std::map<NSUInteger, std::shared_ptr<UIImage>> backgrounds_;
    std::shared_ptr<UILabel> titleLabel_;
    std::shared_ptr<UIImageView> imageView_;
};

enum UISegmentedControlStyle : NSInteger {
    UISegmentedControlStylePlain = 0,
    UISegmentedControlStyleBordered = 1,
    UISegmentedControlStyleBar = 2,
    UISegmentedControlStyleBezeled = 3,
};
inline constexpr NSInteger UISegmentedControlNoSegment = -1;

class UISegmentedControl : public UIControl {
public:
    static std::shared_ptr<UISegmentedControl> initWithItems(const std::vector<NSString>& titles);
    NSUInteger numberOfSegments() const { return titles_.size(); }
    NSString titleForSegmentAtIndex(NSUInteger i) const { return i < titles_.size() ? titles_[i] : NSString(); }
    void setTitle(const NSString& title, NSUInteger segment);
    void insertSegmentWithTitle(const NSString& title, NSUInteger segment, bool animated);
    void removeAllSegments() { titles_.clear(); selected_ = UISegmentedControlNoSegment; }
    NSInteger selectedSegmentIndex() const { return selected_; }
    // Setting the index in code sends no event.
    void setSelectedSegmentIndex(NSInteger i) { selected_ = i; }
    // A touch on a segment selects it and sends value-changed (momentary
    // controls do not keep the selection).
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
    UISegmentedControlStyle segmentedControlStyle = UISegmentedControlStylePlain;
    bool momentary = false;
    std::shared_ptr<UIColor> tintColor;
    // A rounded outline split into equal segments with their titles centred; the selected
    // one filled with the tint colour (blue without one). Bar style: all tinted, selected darker.
    void drawRect(CGRect rect) override;

private:
    std::vector<NSString> titles_;
    NSInteger selected_ = UISegmentedControlNoSegment;
};

class UISwitch : public UIControl {
public:
    static std::shared_ptr<UISwitch> initWithFrame(CGRect frame) { return UIView::initWithFrame<UISwitch>(CGRectMake(frame.origin.x, frame.origin.y, 94, 27)); }
    bool on() const { return on_; }
    void setOn(bool on, bool animated = false) { on_ = on; }
    // A tap flips it and sends value-changed.
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
    // A rounded track, blue when on and light grey when off, with a white
    // knob at its right or left end.
    void drawRect(CGRect rect) override;

private:
    bool on_ = false;
};

enum UIActivityIndicatorViewStyle : NSInteger {
    UIActivityIndicatorViewStyleWhiteLarge = 0,
    UIActivityIndicatorViewStyleWhite = 1,
    UIActivityIndicatorViewStyleGray = 2,
};

class UIActivityIndicatorView : public UIView {
public:
    static std::shared_ptr<UIActivityIndicatorView> initWithActivityIndicatorStyle(UIActivityIndicatorViewStyle style);
    UIActivityIndicatorViewStyle activityIndicatorViewStyle = UIActivityIndicatorViewStyleWhite;
    bool hidesWhenStopped = true;
    void startAnimating() { animating_ = true; setHidden(false); }
    void stopAnimating() { animating_ = false; if (hidesWhenStopped) setHidden(true); }
    bool isAnimating() const { return animating_; }
    // Twelve spokes fading round the circle.
    void drawRect(CGRect rect) override;

private:
    bool animating_ = false;
};

enum UIProgressViewStyle : NSInteger { UIProgressViewStyleDefault = 0, UIProgressViewStyleBar = 1 };

class UIProgressView : public UIView {
public:
    static std::shared_ptr<UIProgressView> initWithProgressViewStyle(UIProgressViewStyle style);
    UIProgressViewStyle progressViewStyle = UIProgressViewStyleDefault;
    float progress() const { return progress_; }
    // Kept within 0 .. 1.
    void setProgress(float p) { progress_ = p < 0 ? 0 : (p > 1 ? 1 : p); setNeedsDisplay(); }
    // A rounded track filled up to the progress.
    void drawRect(CGRect rect) override;

private:
    float progress_ = 0;
};

class UIPageControl : public UIControl {
public:
    static std::shared_ptr<UIPageControl> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIPageControl>(frame); }
    NSInteger numberOfPages() const { return pages_; }
    void setNumberOfPages(NSInteger n);
    NSInteger currentPage() const { return current_; }
    void setCurrentPage(NSInteger p);
    bool hidesForSinglePage = false;
    // A row of dots centred in the bounds, the current page's white and the
    // others half transparent.
    void drawRect(CGRect rect) override;

private:
    NSInteger pages_ = 0;
    NSInteger current_ = 0;
};
