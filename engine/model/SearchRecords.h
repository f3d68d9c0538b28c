// Search result records: POI, city, geocoding, suggestion, POI background and
// the small results. The reply parsers fill them, the search service keeps
// them, the SDK reads them.
//
// Fixed-width texts are zero-terminated GBK bytes whose last byte always stays
// 0; CVString members hold UTF-16; points and shapes are CComplexPt in the
// service's units. Every record starts zeroed (texts empty, arrays empty,
// geometry empty) unless a field says otherwise. Copies are member by member:
// arrays element by element, geometry through its own assignment; records
// made of plain fields alone are trivially copyable.
#pragma once

#include <type_traits>

#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/model/ComplexPt.h"

namespace mapengine {

// Kept only as element types of tag_PoiInfo's lists.
struct tag_PoiClaInfo {
  int code = 0;
  char name[32] = {};
};

struct tag_BusLineInfo {
  char addr[100] = {};
  char name[100] = {};
  char uid[32] = {};
};

struct tag_PoiInfo {
  CComplexPt point;                    // "geo"
  char name[100] = {};                 // "name"
  int poiType = 0;                     // "poiType"
  int poiKind = 0;                     // the POI type when it is 1 to 4, else 0
  int reserved = 0;
  char uid[32] = {};                   // "uid"
  CVArray<tag_PoiClaInfo> classes;
  char addr[100] = {};                 // "addr"
  char tel[80] = {};                   // "tel", its ASCII prefix
  char postcode[8] = {};               // "zip"
  int detail = 0;                      // "detail": 1 or 0
  CVArray<tag_BusLineInfo> busLines;   // "blinfo" of a stop's detail
  int distance = -1;                   // "dis"
};

struct tag_CityResult {
  int cityType = 0;                    // "city_type" or "type"
  int code = 0;                        // "code"; below 1: no city
  char name[100] = {};                 // "cname" or "name"
  CComplexPt centre;                   // "geo"
  int level = 0;                       // "level"
  char uid[32] = {};                   // "uid"
  int supBus = 0;                      // "sup_bus"
  int supSubway = 0;                   // "sup_subway"
  int supTraffic = 0;                  // "sup_lukuang"
};

// One city of a city list.
struct tag_CityInfo {
  int code = 0;                        // "code"
  int count = 0;                       // "num"
  char name[100] = {};                 // "name"
};

// A count from the reply followed by its texts.
struct tag_TextList {
  int count = 0;
  CVArray<CVString> texts;
};

// A page of POIs; also the reverse-geocoding result.
struct tag_PoiResult {
  int status = 0;
  int total = 0;                       // "total"
  int poiCount = 0;                    // POIs of the page; below 1: none
  int pageNumber = 0;                  // from the request
  int reserved = 0;
  int opGel = 0;                       // "op_gel": 1 or 0
  char keyword[60] = {};               // from the request
  char keywordTail[8] = {};
  tag_CityResult city;                 // search city
  char address[100] = {};              // "address" (reverse geocoding)
  char streetNumber[40] = {};          // "address_detail"
  char street[40] = {};
  char district[40] = {};
  char cityName[40] = {};
  char province[40] = {};
  int x = 0;                           // "point" (reverse geocoding)
  int y = 0;
  CVArray<tag_PoiInfo> pois;           // "content"
  tag_TextList psrs;                   // "psrs": "SENum", "SEResult"
  tag_TextList suggestQuery;           // "suggest_query"
  int reserved2 = 0;
  CVArray<tag_PoiInfo> centrePois;     // "center"."poi"
  double left = 0, top = 0, right = 0, bottom = 0;
  CVString extra;
};

// A multi-keyword POI search: one total, one POI count and one POI list per
// keyword, in reply order. The totals come from "result_array" and the lists
// from "content", so their lengths may differ: read them up to the shorter.
struct tag_MultiPoiRst {
  int status = 0;
  int pageNumber = 0;
  char keyword[60] = {};
  tag_CityResult city;
  CVArray<CVArray<tag_PoiInfo>> poiLists;
  CVArray<int> totals;
  CVArray<int> poiCounts;
  double left = 0, top = 0, right = 0, bottom = 0;
};

// The "current_null" city list reply.
struct tag_PoiCityListRst {
  int currentNull = 0;                 // "current_null": 1 or 0
  int count = 0;                       // cities listed
  char keyword[60] = {};
  char text[60] = {};
  int reserved = 0;
  CVArray<tag_CityInfo> cities;
  tag_CityResult city;
};

struct tag_PoiExtItem {
  CVString title;
  CVString content;
};

struct tag_SubWayAroundInfo {
  CVString busInfo;                    // "bs_info"
  CVString exitName;                   // "exit_name"
  CVString exitRound;                  // "exit_round"
};

struct tag_SubWayLineInfo {
  char firstTime[12] = {};             // "first_time"
  char lastTime[12] = {};              // "last_time"
  char lineName[100] = {};             // "line_name"
  char terminals[100] = {};            // "terminals"
  char uid[32] = {};                   // "uid"
};

// Where a POI detail's extras come from ("src_name").
enum PoiSourceKind {
  kPoiSourceUnknown = -1,
  kPoiSourceCtripHotel = 0,
  kPoiSourceCtripSite = 1,
  kPoiSourceDianping = 2,
  kPoiSourceHouseNew = 3,
  kPoiSourceHouseErshou = 4,
  kPoiSourceSubwayStop = 5,
  kPoiSourceGeneral = 6,
  kPoiSourceBiaozhu = 7
};

struct tag_PoiDetailExt {
  int sourceKind = 0;
  CVArray<tag_PoiExtItem> details;     // "detail_info"
  CVArray<tag_PoiExtItem> links;       // "title_link"
  CVArray<CVString> pictures;          // "pic"
  CVString price;                      // "price"
  CVArray<tag_SubWayLineInfo> subwayLines;   // "line_info"
  CVArray<tag_SubWayAroundInfo> subwayExits; // "around_info" of a subway stop
  CVArray<tag_PoiExtItem> surroundings;      // "around_info" of the others
};

struct tag_PoiDetailRst {
  tag_PoiInfo poi;
  tag_PoiDetailExt ext;
};

// Keyword suggestions: for every kept "s" element the matched text, its
// prefix and parts 0 to 2, parallel by index. The number list also holds the
// numbers of elements dropped after their number was read, so it is not
// parallel to the text lists.
struct tag_SuggestionResult {
  CVString query;                      // "q"
  CVArray<CVString> matched;
  CVArray<CVString> prefixes;
  CVArray<CVString> part0;
  CVArray<CVString> part1;
  CVArray<CVString> part2;
  CVArray<int> numbers;
  int t = 0;                           // "t"
  int p = 0;                           // "p"
};

struct tag_GeoCodeRst {
  char address[100] = {};              // "wd"
  char cityName[40] = {};              // "cn"
  int x = 0;                           // "coord"
  int y = 0;
};

struct tag_ContentRst {
  double x = 0;
  double y = 0;
  int value = 0;
};

struct tag_PoiBkgBaseData {
  double x = 0;                        // "x"
  double y = 0;                        // "y"
  char uid[32] = {};                   // "uid"
  char name[100] = {};                 // "name"
};

// One tile of POI background data, named by "tileid" "level_x_y".
struct tag_PoiBkgDataElem {
  int level = 0;
  int x = 0;
  int y = 0;
  CVArray<tag_PoiBkgBaseData> pois;    // "uids"
};

struct tag_PoiBkgDataRst {
  CVString key;                        // "wd"
  int count = 0;                       // "count"
  int error = 0;                       // "error"
  CVArray<tag_PoiBkgDataElem> tiles;
};

// Route end points (tag_RPNode) are the URL builder's (UrlTranslater.h).

static_assert(std::is_trivially_copyable_v<tag_CityInfo> && std::is_trivially_copyable_v<tag_SubWayLineInfo> &&
                  std::is_trivially_copyable_v<tag_PoiBkgBaseData> && std::is_trivially_copyable_v<tag_GeoCodeRst> &&
                  std::is_trivially_copyable_v<tag_ContentRst> &&
                  std::is_trivially_copyable_v<tag_BusLineInfo> && std::is_trivially_copyable_v<tag_PoiClaInfo>,
              "plain records are copied as bytes");

}  // namespace mapengine
