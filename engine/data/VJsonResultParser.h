// The readers and parsers that turn the map service's JSON replies (a VJson
// tree of GBK texts) into result records. The parser keeps no state and no
// pointer into the tree; callers make one on the stack per reply and free the
// tree right after. Every operation answers 1 for success and 0 for failure;
// a null node always counts as missing.
//
// Plain keys are optional: a missing or wrongly typed key leaves its field as
// the record was made. List elements are parsed into a fresh element and
// appended only when they parse. Flags are 1 when the reply's number is 1,
// else 0. Numbers are held to the range of the field they go into.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VJson.h"
#include "engine/base/VString.h"

namespace mapengine {

class CComplexPt;
struct tag_PoiInfo;
struct tag_CityResult;
struct tag_CityInfo;
struct tag_PoiResult;
struct tag_MultiPoiRst;
struct tag_PoiCityListRst;
struct tag_PoiDetailRst;
struct tag_PoiDetailExt;
struct tag_PoiExtItem;
struct tag_SubWayLineInfo;
struct tag_SubWayAroundInfo;
struct tag_TextList;
struct tag_BusLineInfo;
struct tag_SuggestionResult;
struct tag_GeoCodeRst;
struct tag_ContentRst;
struct tag_PoiBkgDataRst;
struct tag_RouteNode;
struct tag_CarRouteRst;
struct tag_CarRoute;
struct tag_CarRouteKeyPt;
struct tag_Link;
struct tag_BusRouteRst;
struct tag_BusRoute;
struct tag_BusLine;
struct tag_BusTransStop;
struct tag_BusLineDetailRst;
struct tag_BusLineDetail;
struct tag_BusStationInfo;
struct tag_RPAddrRst;
struct tag_RPAddrPoi;
struct tag_OfflineTask;
struct tagLocReply;

class VJsonResultParser {
public:
  // --- Readers ---------------------------------------------------------------
  // A number's integer value (0 and 0 when missing).
  static int GetInt(const VJson* object, const char* key, int* out);
  // A number's value truncated toward zero and held to the int range.
  static int GetIntFromDouble(const VJson* object, const char* key, int* out);
  // A number's value truncated and held to 0 .. 4294967295, as a double.
  static int GetUIntAsDouble(const VJson* object, const char* key, double* out);
  // The number at a 0-based index of an array; out unchanged when missing.
  static int GetArrayInt(const VJson* array, int index, int* out);
  // A string copied into a zeroed field of width bytes: at most width - 1
  // bytes, never half a GBK character, then a terminator. With collapse set,
  // repeated neighbouring ";" items are removed first. The field is unchanged
  // when the key is missing, the field is null or width is below 2.
  static int GetString(const VJson* object, const char* key, char* out, int width, int collapse = 0);
  // A string converted from GBK into a CVString; unchanged when missing.
  static int GetText(const VJson* object, const char* key, CVString* out);
  // An encoded point or shape ("geo", "pt", "g"); the geometry is unchanged
  // when the key is missing or the text is too short or of no known kind.
  static int GetGeo(const VJson* object, const char* key, CComplexPt* out);
  // root."result"."type"; out unchanged when missing.
  static int GetResultType(const VJson* root, int* out);
  // root."result"."error"; out = 0 when missing.
  static int GetResultError(const VJson* root, int* out);
  // A decimal integer at the start of a text ("-" and digits), held to the
  // int range; 0 when there is none.
  static int TextToInt(const char* text);
  static int TextToInt(const CVString& text);
  // A decimal number at the start of a text, held to the finite range.
  static double TextToDouble(const char* text);
  // A double truncated toward zero and held to the int range (NaN gives 0).
  static int ClampToInt(double value);

  // --- Text operations --------------------------------------------------------
  // Removes ";" items equal to the item kept before them, in place.
  static void RemoveRepeatedItems(char* text);
  // Ends the text at its first non-ASCII byte; the length it had before.
  static int CutAtNonAscii(char* text);

  // --- POI and city replies ---------------------------------------------------
  int ParsePoiInfo(const VJson* node, tag_PoiInfo* poi);
  int ParsePoiList(const VJson* root, tag_PoiResult* result);            // 12
  int ParsePoiListInBounds(const VJson* root, tag_PoiResult* result);    // 21
  int ParsePoiSearchInCity(const VJson* root, tag_PoiResult* result);    // 11
  int ParseMultiPoiList(const VJson* root, tag_MultiPoiRst* result);     // 45
  int ParsePsrs(const VJson* node, tag_TextList* list);
  int ParseQueryList(const VJson* node, tag_TextList* list);
  int ParsePoiDetail(const VJson* root, tag_PoiDetailRst* result);       // 6
  int ParsePoiDetailExt(const VJson* node, tag_PoiDetailExt* ext);
  int ParseTitleInfos(const VJson* node, CVArray<tag_PoiExtItem>* items);
  int ParseTitleLinks(const VJson* node, CVArray<tag_PoiExtItem>* items);
  int ParseSubwayLines(const VJson* node, CVArray<tag_SubWayLineInfo>* lines);
  int ParseSubwayAround(const VJson* node, CVArray<tag_SubWayAroundInfo>* exits);
  int ParseBusLineInfo(const VJson* node, tag_BusLineInfo* line);
  static int GetPoiSourceKind(const char* name);
  int ParseCityInfo(const VJson* root, tag_CityResult* city);            // 2
  int ParseCurrentCity(const VJson* root, tag_CityResult* city);         // 4
  int ParseCityListReply(const VJson* root, tag_PoiCityListRst* result); // 7
  int ParseCityList(const VJson* node, CVArray<tag_CityInfo>* cities);
  int ParseCityEntry(const VJson* node, tag_CityInfo* city);
  int ParsePoiPoint(const VJson* root, tag_ContentRst* content, const tag_CityResult* city);  // 28
  int ParsePoiBkgData(const VJson* root, tag_PoiBkgDataRst* result);     // 510

  // --- Geocoding, suggestion, content and state replies -----------------------
  int ParseGeocode(const VJson* root, tag_GeoCodeRst* result, int* error);        // 35
  int ParseReverseGeocode(const VJson* root, tag_PoiResult* holder, int* error);  // 44
  int ParseSuggestion(const VJson* root, tag_SuggestionResult* result);          // 506
  int ParseContent(const VJson* root, tag_ContentRst* content);                  // 26
  int ParseStateReply(const VJson* root, CVString* url);                         // 500

  // --- Walking and driving routes ----------------------------------------------
  int ParseDriveRoute(const VJson* root, tag_CarRouteRst* result);  // 20
  int ParseWalkRoute(const VJson* root, tag_CarRouteRst* result);   // 31
  int ParseCarRoute(const VJson* root, tag_CarRouteRst* result, int routeKind);
  int ParseCarRouteContent(const VJson* content, tag_CarRoute* route, int routeKind);
  int ParseCarKeyPoint(const VJson* node, tag_CarRouteKeyPt* keyPoint, int routeKind);
  int ParseLink(const VJson* node, tag_Link* link);
  // The distance text: "%.1f公里" from 1000 m, else metres rounded to tens;
  // nothing for 0 or less.
  static void FormatDistance(int metres, CVString* out);
  static int BuildCarStepText(tag_CarRouteRst* result);

  // --- Transit routes and bus lines ----------------------------------------------
  int ParseBusRoutes(const VJson* root, tag_BusRouteRst* result);  // 14
  int ParseBusRoute(const VJson* node, tag_BusRoute* route);
  int ParseBusLines(const VJson* node, CVArray<tag_BusLine>* lines);
  int ParseBusLine(const VJson* node, tag_BusLine* line);
  int ParseBusStops(const VJson* node, CVArray<tag_BusTransStop>* stops);
  int ParseBusStop(const VJson* node, tag_BusTransStop* stop);
  // The instruction texts and total distance of every scheme; a scheme that
  // cannot be built is removed from its plan. 1.
  static int BuildBusStepText(tag_BusRouteRst* result);
  int ParseBusLineDetails(const VJson* root, tag_BusLineDetailRst* result);  // 18
  int ParseBusLineDetail(const VJson* node, tag_BusLineDetail* line);
  int ParseBusStation(const VJson* node, tag_BusStationInfo* station);

  // --- Route end points ----------------------------------------------------------
  int ParseRouteAddrReply(const VJson* root, tag_RPAddrRst* result);  // 23
  int ParseRouteAddrResult(const VJson* node, tag_RPAddrRst* result);
  int ParseRouteAddrPois(const VJson* node, CVArray<tag_RPAddrPoi>* pois);

  // --- Offline task list, versions, location -------------------------------------
  int ParseOfflineTaskList(const VJson* root, CVArray<tag_OfflineTask>* tasks);  // 507
  int ParseVersionReply(const VJson* root, CVString* cityVersion, CVString* pictureVersion,
                        CVString* taskVersion);
  int ParseLocation(const VJson* root, tagLocReply* reply);

private:
  int ParsePoiListReply(const VJson* root, tag_PoiResult* result, int withCentre);
};

// Node kinds.
inline bool IsObject(const VJson* node) { return node && node->type == VJson_Object; }
inline bool IsArray(const VJson* node) { return node && node->type == VJson_Array; }
inline bool IsString(const VJson* node) { return node && node->type == VJson_String && node->valuestring; }
inline bool IsNumber(const VJson* node) { return node && node->type == VJson_Number; }
// A member of an object node; null when the node is not an object or lacks it.
inline VJson* Member(const VJson* node, const char* key) {
  return IsObject(node) ? VJson_GetObjectItem(node, key) : nullptr;
}

}  // namespace mapengine
