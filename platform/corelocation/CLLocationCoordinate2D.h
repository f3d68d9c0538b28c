#pragma once
// A geographic coordinate: latitude then longitude, in degrees.

struct CLLocationCoordinate2D {
    double latitude = 0;
    double longitude = 0;
};

inline CLLocationCoordinate2D CLLocationCoordinate2DMake(double latitude, double longitude)
{
    return {latitude, longitude};
}
