// Candidates for ambiguous route end points.
#include "engine/data/ParserSupport.h"
#include "engine/model/RouteRecords.h"

namespace mapengine {

namespace {

// Element i of a two-number array as a flag; the flag is unchanged when the
// element is missing.
void ArrayFlag(const VJson* array, int index, int* flag) {
  int value = 0;
  if (VJsonResultParser::GetArrayInt(array, index, &value)) {
    *flag = value == 1 ? 1 : 0;
  }
}

}  // namespace

int VJsonResultParser::ParseRouteAddrReply(const VJson* root, tag_RPAddrRst* result) {
  if (!root) {
    return 0;
  }
  ParseRouteAddrResult(Member(root, "result"), result);
  const VJson* content = Member(root, "content");
  if (!IsObject(content)) {
    return 1;
  }
  tag_RPAddrHead& head = result->head;
  struct End {
    const char* key;
    int isCity;
    int* count;
    int* priority;
    CVArray<tag_RPAddrPoi>* pois;
    CVArray<tag_CityInfo>* cities;
  };
  const End ends[] = {
      {"start", head.startIsCity, &head.startCount, &head.startPriority, &result->startPois, &result->startCities},
      {"end", head.endIsCity, &head.endCount, &head.endPriority, &result->endPois, &result->endCities}};
  for (const End& end : ends) {
    if (end.isCity == 0) {
      ParseRouteAddrPois(Member(content, end.key), end.pois);
      *end.count = end.pois->GetSize();
      if (*end.count == 1) {
        *end.priority = 1;
      }
    } else {
      ParseCityList(Member(content, end.key), end.cities);
      *end.count = end.cities->GetSize();
    }
  }
  return 1;
}

int VJsonResultParser::ParseRouteAddrResult(const VJson* node, tag_RPAddrRst* result) {
  if (!IsObject(node)) {
    return 0;
  }
  tag_RPAddrHead& head = result->head;
  const VJson* cityList = Member(node, "city_list");
  ArrayFlag(cityList, 0, &head.startIsCity);
  ArrayFlag(cityList, 1, &head.endIsCity);
  const VJson* priority = Member(node, "prio_flag");
  ArrayFlag(priority, 0, &head.startPriority);
  ArrayFlag(priority, 1, &head.endPriority);
  GetString(node, "s_wd", head.startKeyword, sizeof head.startKeyword);
  GetString(node, "e_wd", head.endKeyword, sizeof head.endKeyword);
  head.navigation = Flag(node, "if_nav");
  const VJson* startCity = Member(node, "start_city");
  GetString(startCity, "cname", head.startCityName, sizeof head.startCityName);
  GetInt(startCity, "code", &head.startCityCode);
  const VJson* endCity = Member(node, "end_city");
  GetString(endCity, "cname", head.endCityName, sizeof head.endCityName);
  GetInt(endCity, "code", &head.endCityCode);
  return 1;
}

int VJsonResultParser::ParseRouteAddrPois(const VJson* node, CVArray<tag_RPAddrPoi>* pois) {
  return ParseEach(node, pois, [](const VJson* item, tag_RPAddrPoi* poi) {
    if (!IsObject(item)) {
      return 0;
    }
    GetString(item, "uid", poi->uid, sizeof poi->uid);
    GetString(item, "name", poi->name, sizeof poi->name);
    GetString(item, "addr", poi->addr, sizeof poi->addr, 1);
    GetGeo(item, "geo", &poi->point);
    return 1;
  });
}

}  // namespace mapengine
