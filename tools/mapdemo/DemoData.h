// The demo data set: a few places, the city, streets, a driving and a
// walking route and a transit plan around central Beijing, in the map
// service's integer map units. The parser tests build their replies from it,
// and the map-service double answers its searches from it.
#pragma once

#include <string>
#include <vector>

#include "tools/mapdemo/PointEncoder.h"

namespace mapdemo {

struct Place {
  const char* uid;
  const char* name;
  const char* addr;      // as the service sends it, repeated items included
  const char* tel;
  const char* zip;
  int poiType;           // 0 place, 1 bus stop, 3 subway station
  Point at;
};

struct City {
  int code;
  const char* name;
  const char* uid;
  int type;
  int level;
  Point centre;
};

struct Street {
  const char* name;
  int attribute;
  std::vector<Point> shape;
};

// One manoeuvre and the road stretch that follows it.
struct RouteStep {
  int routePointType;    // 1 start, 2 end, 4 on the way, 5/6 end on the left/right
  int turnType;
  Point at;
  const char* road;      // "" for none
  int attribute;
  int length;            // metres
  std::vector<Point> shape;
};

struct CarRoute {
  const char* from;
  const char* to;
  int distance;
  int time;
  std::vector<RouteStep> steps;
};

struct TransitLeg {
  const char* name;
  const char* onUid;
  const char* offUid;
  int distance;
  int stations;
  int type;              // 0 bus, 1 subway
  std::vector<Point> shape;
};

// Where a leg ends (off), the walk, and where the next leg begins (on).
struct TransitStop {
  const char* offName;
  const char* offUid;
  Point off;
  const char* onName;
  const char* onUid;
  Point on;
  int walkDirection;
  int walkDistance;
  std::vector<Point> walk;
};

struct TransitScheme {
  std::vector<TransitLeg> legs;      // b legs
  std::vector<TransitStop> stops;    // b + 1 stops
};

struct TransitPlan {
  const char* from;
  const char* to;
  std::vector<TransitScheme> schemes;
};

// An offline city package of the task list.
struct OfflineCity {
  int cityId;
  const char* name;
  int size;
  Point centre;
  int level, startLevel, endLevel;
  const char* version;
  const char* gridNames;  // "x_y|x_y"
};

const std::vector<Place>& Places();
// The place of that name; throws std::out_of_range when there is none.
const Place& PlaceNamed(const std::string& name);
const City& Beijing();
const std::vector<Street>& Streets();
// 天安门 to 王府井 by car, 天安门 to 中国国家博物馆 on foot.
const CarRoute& DriveRoute();
const CarRoute& WalkRoute();
// 天安门 to 北京站: two schemes, 1路 then 地铁2号线, or 52路.
const TransitPlan& Transit();
const OfflineCity& BeijingPackage();

}  // namespace mapdemo
