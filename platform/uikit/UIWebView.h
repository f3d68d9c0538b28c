#pragma once
// The web view: what it was asked to load is recorded; nothing is fetched.

#include "platform/uikit/UIView.h"

class UIWebView;

class UIWebViewDelegate {
public:
    virtual ~UIWebViewDelegate() = default;
    virtual void webViewDidStartLoad(UIWebView* wv) {}
    virtual void webViewDidFinishLoad(UIWebView* wv) {}
};

class UIWebView : public UIView {
public:
    static std::shared_ptr<UIWebView> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIWebView>(frame); }
    std::weak_ptr<UIWebViewDelegate> delegate;
    bool scalesPageToFit = false;
    // Records the page; the delegate hears of start and finish on the run loop.
    void loadHTMLString(const NSString& html, const NSString& baseURL);
    const NSString& loadedHTML() const { return html_; }
    const NSString& baseURL() const { return baseURL_; }

private:
    NSString html_, baseURL_;
};
