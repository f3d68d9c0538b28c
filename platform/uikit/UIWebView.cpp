#include "platform/uikit/UIWebView.h"

#include "platform/uikit/UIKitClock.h"

void UIWebView::loadHTMLString(const NSString& html, const NSString& baseURL)
{
    html_ = html;
    baseURL_ = baseURL;
    std::weak_ptr<UIView> weak = self();
    nxuiAfterDelay(0, [weak] {
        auto v = std::static_pointer_cast<UIWebView>(weak.lock());
        if (!v) return;
        if (auto d = v->delegate.lock()) d->webViewDidStartLoad(v.get());
        if (auto d = v->delegate.lock()) d->webViewDidFinishLoad(v.get());
    });
}
