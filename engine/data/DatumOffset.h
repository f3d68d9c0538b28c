// The shift of a WGS-84 position into the map service's GCJ-02 datum: a
// closed-form series over the Krasovsky ellipsoid, a small jitter from a
// private sequence, and a plausibility check of the implied speed. Positions
// are unsigned integers in 1/3686400 degree. The state is one per process and
// guarded by a lock, since the positioning timer and the main thread both
// convert.
#pragma once

namespace mapengine {

constexpr double kOffsetUnitsPerDegree = 3686400.0;  // 3600 x 1024
constexpr int kOffsetRejected = -27137;

// flag 0 seeds the state and hands the position back unchanged. 0 with the
// shifted position, or kOffsetRejected with both outputs 0. week is unused.
int wgs84_to_gcj02(int flag, unsigned longitude, unsigned latitude, int height, int week, unsigned time,
                   unsigned* outLongitude, unsigned* outLatitude);

// The series sine the transform uses.
double offset_sin(double x);

// A WGS-84 position in degrees shifted into GCJ-02 the way the positioning
// object does it: the first call of the process seeds the state, time is 0,
// and a rejected position stays as it was. Results are rounded to floats.
void OffsetToGcj02(double longitude, double latitude, int height, double* outLongitude, double* outLatitude);

}  // namespace mapengine
