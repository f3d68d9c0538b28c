#pragma once
// The screen as the map SDK and the engine see it, written once when the SDK
// boots: the current mode in pixels and the density of each axis. On a
// 640-pixel-wide screen one view point is two engine pixels.

extern int ScreenWidthPixels;
extern int ScreenHeightPixels;
extern int ScreenDensity[2];
