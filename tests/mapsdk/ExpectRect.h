#pragma once
// A map rectangle compared value by value, each failure named.

#include <gtest/gtest.h>

#include "mapsdk/VIZGeometry.h"

inline void ExpectRect(const VIZMapRect& r, double x, double y, double w, double h)
{
    EXPECT_EQ(r.origin.x, x);
    EXPECT_EQ(r.origin.y, y);
    EXPECT_EQ(r.size.width, w);
    EXPECT_EQ(r.size.height, h);
}
