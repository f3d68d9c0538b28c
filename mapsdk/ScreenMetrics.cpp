#include "mapsdk/ScreenMetrics.h"

int ScreenWidthPixels = 0;
int ScreenHeightPixels = 0;
int ScreenDensity[2] = {0, 0};
