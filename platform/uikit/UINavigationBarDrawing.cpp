#include <mutex>

#include "platform/uikit/UINavigationController.h"

namespace {

std::mutex hookMutex;
UINavigationBar::DrawHook& drawHook()
{
    static UINavigationBar::DrawHook hook;
    return hook;
}

}  // namespace

void UINavigationBar::setDrawHook(DrawHook hook)
{
    std::lock_guard<std::mutex> lock(hookMutex);
    drawHook() = std::move(hook);
}

void UINavigationBar::drawRect(CGRect rect)
{
    DrawHook hook;
    {
        std::lock_guard<std::mutex> lock(hookMutex);
        hook = drawHook();
    }
    if (hook) hook(*this, rect);
    else NXDrawBarFace(bounds(), barStyle, tintColor, translucent_);
}
