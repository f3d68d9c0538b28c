#pragma once
// The screens' waiting box: a 280 x 200 transparent view that, once started,
// draws a dark rounded box with a white spinner, a bold title and a smaller
// message, centred. Stopping fades it out in steps of 0.1 alpha every 0.1 s
// and ends with a short flip transition that hides it.

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIControl.h"

class LoadingBoxView : public UIView {
public:
    static std::shared_ptr<LoadingBoxView> initWithTitle(const NSString& title, const NSString& message);
    static std::shared_ptr<LoadingBoxView> initWithTitle(const NSString& title);
    ~LoadingBoxView() override;

    NSString title() const { return title_; }
    void setTitle(const NSString& title);
    NSString message() const { return message_; }
    void setMessage(const NSString& message);
    // Stored only: the box's corners are always rounded by 10.
    CGFloat radius() const { return radius_; }
    void setRadius(CGFloat radius);
    std::shared_ptr<NSTimer> loadingTimer() const { return loadingTimer_; }
    void setLoadingTimer(std::shared_ptr<NSTimer> timer) { loadingTimer_ = std::move(timer); }

    // Shows the box and starts the spinner; does nothing while shown or fading.
    void startAnimating();
    // Starts the fade; does nothing while hidden or already fading.
    void stopAnimating();
    // One fade step (the fade timer's selector).
    void handleLoadingTimer(const id& timer);
    // The end of the closing transition.
    void animationDidStop(const id& stop);

    // The size of the text in the font within the width (nil or empty: zero).
    static CGSize calculateHeightOfTextFromWidth(const NSString& text, const UIFontRef& font, CGFloat width, UILineBreakMode mode);
    static CGSize heightWithString(const NSString& text, const UIFontRef& font, CGFloat width, UILineBreakMode mode)
    {
        return calculateHeightOfTextFromWidth(text, font, width, mode);
    }
    // The frame's height becomes title height + message height + 20.
    void adjustHeight();

    // Whether the box is in its hidden state (nothing drawn).
    bool boxHidden() const { return hidden_; }
    UIActivityIndicatorView* activity() const { return activity_.get(); }

    void drawRect(CGRect rect) override;

private:
    std::shared_ptr<UIActivityIndicatorView> activity_;
    bool hidden_ = true;
    NSString title_;
    NSString message_;
    CGFloat radius_ = 0;
    std::shared_ptr<NSTimer> loadingTimer_;
};
