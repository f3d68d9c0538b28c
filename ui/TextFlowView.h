#pragma once
// A one-line text that scrolls sideways like a marquee when it is wider than
// its frame: one point every 0.02 s, copies 50 points apart. The timer keeps
// the view alive until cancelRun.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIControl.h"

class TextFlowView : public UIView {
public:
    static std::shared_ptr<TextFlowView> initWithFrame(CGRect frame, const NSString& text);

    CGSize computeTextSize(const NSString& text) const;
    void startRun();
    void cancelRun();
    void timerAction();
    // The rectangle with its origin moved to the point and its far edges kept.
    static CGRect moveNewPoint(CGPoint point, CGRect rect);

    // Neither measures again nor redraws.
    void setText(const NSString& text) { text_ = text; }
    void setFont(UIFontRef font) { font_ = std::move(font); }
    bool needFlow() const { return needFlow_; }
    CGFloat XOffset() const { return XOffset_; }
    CGSize textSize() const { return textSize_; }
    bool isRunning() const { return timer_ && timer_->isValid(); }

    void drawRect(CGRect rect) override;

private:
    NSString text_;
    UIFontRef font_ = UIFont::systemFontOfSize(16);
    CGSize textSize_;
    bool needFlow_ = false;
    CGFloat XOffset_ = 0;
    std::shared_ptr<NSTimer> timer_;
};
