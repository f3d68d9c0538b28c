#pragma once
// The drawing of every navigation bar of the application: the bar image, or
// nothing but the black style while the full-screen photo viewer shows.
// Installed once at launch through UINavigationBar::setDrawHook.

#include "platform/uikit/UINavigationController.h"

void UINavigationBar_CustomImage_drawRect(UINavigationBar& bar, CGRect rect);
