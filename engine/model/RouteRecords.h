// Records of walking, driving and transit routes, bus lines, ambiguous route
// end points, the offline task list and the offline record store. Texts,
// points and copies follow the rules of SearchRecords.h.
#pragma once

#include <type_traits>

#include "engine/model/OfflineRecords.h"
#include "engine/model/SearchRecords.h"

namespace mapengine {

// Start or end of a route.
struct tag_RouteNode {
  int busStop = 0;                     // "bus_stop": 1 or 0
  CComplexPt point;                    // "pt"
  char uid[32] = {};                   // "uid"
  char name[100] = {};                 // "wd"
};

// One manoeuvre of a walking or driving route.
struct tag_CarRouteKeyPt {
  int a = 0;                           // "a"
  CComplexPt point;                    // "pt"
  int routePointType = 0;              // "rt"
  int turnType = 0;                    // "tt"
  char routePointText[20] = {};
  char turnText[20] = {};
  CVString plainText;
  CVString plainTextWithDistance;
  CVString markedText;
};

// One road stretch: link i runs from key point i towards key point i + 1.
struct tag_Link {
  char name[100] = {};                 // "n"
  int attribute = 0;                   // "t"
  char attributeText[20] = {};
  int length = 0;                      // "d", metres
  CComplexPt shape;                    // "g"
  CVString plainText;
  CVString markedText;
};

// The route proper of a walking or driving result: its distance and time and
// the key points and links, parallel by index.
struct tag_CarRoute {
  int distance = 0;                    // "dis"
  int time = 0;                        // "time"
  CVArray<tag_CarRouteKeyPt> keyPoints;   // "kps"
  CVArray<tag_Link> links;                // "rss"
};

struct tag_CarRouteRst {
  int total = 0;                       // "total": the route count
  int policy = 0;                      // "sy"
  int policyKind = 0;                  // 0, 1, 2, or 3 for any other policy
  tag_CityResult city;                 // search city
  tag_RouteNode start;                 // "start"
  tag_RouteNode end;                   // "end"
  tag_CityInfo startCity;              // "start_city"
  tag_CityInfo endCity;                // "end_city"
  tag_CarRoute route;
  CVString extra;
};

// The vehicle of one leg of a transit scheme.
struct tag_BusLine {
  int distance = 0;                    // "distance"
  char offUid[32] = {};                // "ed_uid": the alighting stop
  char onUid[32] = {};                 // "st_uid": the boarding stop
  char name[100] = {};                 // "name"
  int stationCount = 0;                // "station_num"
  int type = 0;                        // "type"
  int reserved = 0;
  // Compared to find other lines serving the same leg; no reply fills it.
  char compareText[32] = {};
  CComplexPt shape;                    // "geo"
  CVString plainText;
  CVString markedText;
};

// Stop j of a scheme: where leg j - 1 ends, the walk, and where leg j begins.
struct tag_BusTransStop {
  char onUid[32] = {};                 // "getOn"."uid"
  char offUid[32] = {};                // "getOff"."uid"
  char onName[100] = {};               // "getOn"."name"
  char offName[100] = {};              // "getOff"."name"
  CComplexPt onPoint;                  // "getOn"."geo"
  CComplexPt offPoint;                 // "getOff"."geo"
  int walkDirection = 0;               // "walk"."direction"
  int walkDistance = 0;                // "walk"."distance"
  CComplexPt walkShape;                // "walk"."geo"
  CVString plainWalkText;
  CVString markedWalkText;
  CVString boardingText;
  CVString shortWalkText;
};

// One transit plan: schemes k with their legs and stops (b legs, b + 1
// stops), and the total distance of each. Once the instructions are built
// the three arrays are parallel: a scheme that could not be built is gone.
struct tag_BusRoute {
  CVArray<CVArray<tag_BusLine>> lines;
  CVArray<CVArray<tag_BusTransStop>> stops;
  CVArray<unsigned int> totals;
};

struct tag_BusRouteRst {
  int total = 0;                       // "total"
  int policy = 0;                      // "sy"
  int hasType1Line = 0;                // a first-scheme leg of type 1
  int policyKind = 0;                  // 4, 5, 6, or 3 for any other policy
  tag_CityResult city;
  tag_RouteNode start;
  tag_RouteNode end;
  CVArray<tag_BusRoute> routes;        // "content"
  CVString extra;
};

struct tag_BusStationInfo {
  char name[100] = {};                 // "name"
  char uid[32] = {};                   // "uid"
  CComplexPt point;                    // "geo"
};

struct tag_BusLineDetail {
  char text[100] = {};
  char endTime[12] = {};               // "endTime"
  CComplexPt shape;                    // "geo"
  int monthlyTicket = 0;               // "isMonTicket": 1 or 0
  int maxPrice = 0;                    // "maxPrice"
  char name[100] = {};                 // "name"
  char startTime[12] = {};             // "startTime"
  char uid[32] = {};                   // "uid"
  CVArray<tag_BusStationInfo> stations;   // "stations"
};

struct tag_BusLineDetailRst {
  int total = 0;                       // "result"."total"
  int count = 0;                       // "content" size
  CVArray<tag_BusLineDetail> lines;
};

// One candidate of an ambiguous route end point.
struct tag_RPAddrPoi {
  char uid[32] = {};                   // "uid"
  char name[100] = {};                 // "name"
  char addr[100] = {};                 // "addr"
  CComplexPt point;                    // "geo"
  int reserved[3] = {};
};

// Route kinds of an end-point reply.
enum { kRouteKindDriving = 0, kRouteKindTransit = 1, kRouteKindWalking = 2 };

// The plain fields of tag_RPAddrRst, copied as bytes.
struct tag_RPAddrHead {
  int startCount = 0;
  int endCount = 0;
  int startIsCity = 0;                 // "city_list"[0]
  int endIsCity = 0;                   // "city_list"[1]
  int startPriority = 0;               // "prio_flag"[0]
  int endPriority = 0;                 // "prio_flag"[1]
  int startCityCode = 0;               // "start_city"."code"
  int endCityCode = 0;                 // "end_city"."code"
  char startCityName[100] = {};        // "start_city"."cname"
  char endCityName[100] = {};          // "end_city"."cname"
  char startKeyword[60] = {};          // "s_wd"
  char endKeyword[60] = {};            // "e_wd"
  int routeKind = 0;                   // set from the request
  int navigation = 0;                  // "if_nav": the flag word
};

struct tag_RPAddrRst {
  tag_RPAddrHead head;
  CVArray<tag_RPAddrPoi> startPois;
  CVArray<tag_RPAddrPoi> endPois;
  CVArray<tag_CityInfo> startCities;
  CVArray<tag_CityInfo> endCities;
  tag_CityResult city;
};

// The network location reply.
struct tagLocReply {
  double x = 0;                        // "point"."x"
  double y = 0;                        // "point"."y"
  int radius = 0;                      // "radius", metres
  int type = 0;                        // "result"."error"
};

static_assert(std::is_trivially_copyable_v<tag_RPAddrHead> && std::is_trivially_copyable_v<tagLocReply>,
              "plain records are copied as bytes");

}  // namespace mapengine
