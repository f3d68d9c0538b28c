// The location record the positioning object hands out.
#pragma once

namespace mapengine {

struct tagLocInfo {
  int source = 1;        // 1 nothing yet, 3 network or cell cache, 5 GPS
  int status = 1;        // 1 reset, 2 no valid position, 3 valid
  int mcc = 0, mnc = 0, lac = 0, cid = 0;
  double x = 0, y = 0;                 // map units
  double longitude = 0, latitude = 0;  // in the coordinate form asked for
  int radius = 0;        // metres, at most 2000 when handed out
  float course = 0, speed = 0, height = 0;  // GPS only
  int count = 0;         // GPS only
};

}  // namespace mapengine
