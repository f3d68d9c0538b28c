// POI, POI detail, city and POI background replies.
#include <cstring>

#include "engine/data/ParserSupport.h"
#include "engine/model/SearchRecords.h"

namespace mapengine {

namespace {

// Sets a field from a number only when the key is there.
void SetFromInt(const VJson* object, const char* key, int* field) {
  int value = 0;
  if (VJsonResultParser::GetInt(object, key, &value)) {
    *field = value;
  }
}

int PoiKind(int poiType) { return poiType >= 1 && poiType <= 4 ? poiType : 0; }

}  // namespace

int VJsonResultParser::ParsePoiInfo(const VJson* node, tag_PoiInfo* poi) {
  if (!IsObject(node)) {
    return 0;
  }
  // Every page holds many POIs: their members are found in one walk.
  enum { kGeo, kPoiType, kName, kUid, kDis, kAddr, kTel, kDetail, kKeys };
  static const char* const kNames[kKeys] = {"geo", "poiType", "name", "uid", "dis", "addr", "tel", "detail"};
  const VJson* member[kKeys];
  FindMembers(node, kNames, kKeys, member);
  ReadGeo(member[kGeo], &poi->point);
  int poiType = 0;
  if (ReadInt(member[kPoiType], &poiType)) {
    poi->poiType = poiType;
  }
  ReadString(member[kName], poi->name, sizeof poi->name);
  ReadString(member[kUid], poi->uid, sizeof poi->uid);
  ReadIntFromDouble(member[kDis], &poi->distance);
  ReadString(member[kAddr], poi->addr, sizeof poi->addr, 1);
  if (ReadString(member[kTel], poi->tel, sizeof poi->tel)) {
    CutAtNonAscii(poi->tel);
  }
  if (member[kDetail]) {
    int detail = 0;
    ReadInt(member[kDetail], &detail);
    poi->detail = detail == 1 ? 1 : 0;
  }
  poi->poiKind = PoiKind(poi->poiType);
  return 1;
}

int VJsonResultParser::ParsePsrs(const VJson* node, tag_TextList* list) {
  if (!IsObject(node)) {
    return 0;
  }
  GetInt(node, "SENum", &list->count);
  const VJson* results = Member(node, "SEResult");
  if (!IsArray(results)) {
    return 0;
  }
  for (const VJson* item = results->child; item; item = item->next) {
    if (IsString(item)) {
      list->texts.Add(CVString(item->valuestring));
    }
  }
  return 1;
}

int VJsonResultParser::ParseQueryList(const VJson* node, tag_TextList* list) {
  if (!IsArray(node)) {
    return 0;
  }
  list->count = VJson_GetArraySize(node);
  for (const VJson* item = node->child; item; item = item->next) {
    const VJson* query = Member(item, "query");
    if (IsString(query)) {
      list->texts.Add(CVString(query->valuestring));
    }
  }
  return 1;
}

int VJsonResultParser::ParsePoiListReply(const VJson* root, tag_PoiResult* result, int withCentre) {
  const VJson* head = Member(root, "result");
  if (!IsObject(head)) {
    return 0;
  }
  GetInt(head, "total", &result->total);
  int opGel = 0;
  GetInt(head, "op_gel", &opGel);
  result->opGel = opGel != 0 ? 1 : 0;
  const VJson* psrs = Member(root, "psrs");
  if (IsObject(psrs)) {
    ParsePsrs(psrs, &result->psrs);
  }
  ParseQueryList(Member(root, "suggest_query"), &result->suggestQuery);
  const VJson* content = Member(root, "content");
  if (IsArray(content)) {
    result->poiCount = VJson_GetArraySize(content);
    ParseEach(content, &result->pois, [this](const VJson* n, tag_PoiInfo* p) { return ParsePoiInfo(n, p); },
              result->poiCount);
  }
  if (!withCentre) {
    return 1;
  }
  const VJson* centre = Member(Member(root, "center"), "poi");
  return ParseEach(centre, &result->centrePois, [this](const VJson* n, tag_PoiInfo* p) { return ParsePoiInfo(n, p); });
}

int VJsonResultParser::ParsePoiList(const VJson* root, tag_PoiResult* result) {
  return ParsePoiListReply(root, result, 1);
}

int VJsonResultParser::ParsePoiListInBounds(const VJson* root, tag_PoiResult* result) {
  return ParsePoiListReply(root, result, 0);
}

int VJsonResultParser::ParsePoiSearchInCity(const VJson* root, tag_PoiResult* result) {
  const VJson* head = Member(root, "result");
  if (!root || !IsObject(head)) {
    return 0;
  }
  result->status = 0;
  GetString(head, "wd", result->keyword, sizeof result->keyword);
  ParsePoiListReply(root, result, 0);
  if (result->psrs.count == 0) {
    result->psrs.count = result->suggestQuery.count;
    result->psrs.texts = result->suggestQuery.texts;
  }
  return 1;
}

int VJsonResultParser::ParseMultiPoiList(const VJson* root, tag_MultiPoiRst* result) {
  const VJson* totals = Member(Member(root, "result"), "result_array");
  if (!IsArray(totals)) {
    return 0;
  }
  result->totals.SetSize(result->totals.GetSize(), VJson_GetArraySize(totals));
  for (const VJson* item = totals->child; item; item = item->next) {
    if (!IsObject(item)) {
      return 0;
    }
    int total = 0;
    GetInt(item, "total", &total);
    result->totals.Add(total);
  }
  const VJson* content = Member(root, "content");
  if (!IsArray(content)) {
    return 1;
  }
  const int lists = VJson_GetArraySize(content);
  result->poiCounts.SetSize(result->poiCounts.GetSize(), lists);
  result->poiLists.SetSize(result->poiLists.GetSize(), lists);
  for (const VJson* item = content->child; item; item = item->next) {
    CVArray<tag_PoiInfo> pois;
    result->poiCounts.Add(IsArray(item) ? VJson_GetArraySize(item) : 0);
    ParseEach(item, &pois, [this](const VJson* n, tag_PoiInfo* p) { return ParsePoiInfo(n, p); });
    result->poiLists.Add(pois);
  }
  return 1;
}

int VJsonResultParser::GetPoiSourceKind(const char* name) {
  static const char* const kSources[] = {"ctrip_hotel", "ctrip_site", "dianping", "house_new",
                                         "house_ershou", "dt_stop", "general_ext", "biaozhu_data"};
  for (int i = 0; i < static_cast<int>(sizeof kSources / sizeof kSources[0]); ++i) {
    if (std::strcmp(name, kSources[i]) == 0) {
      return i;
    }
  }
  return kPoiSourceUnknown;
}

int VJsonResultParser::ParseBusLineInfo(const VJson* node, tag_BusLineInfo* line) {
  if (!IsObject(node)) {
    return 0;
  }
  GetString(node, "addr", line->addr, sizeof line->addr, 1);
  GetString(node, "name", line->name, sizeof line->name);
  GetString(node, "uid", line->uid, sizeof line->uid);
  return 1;
}

int VJsonResultParser::ParsePoiDetail(const VJson* root, tag_PoiDetailRst* result) {
  const VJson* content = Member(root, "content");
  if (!root || !content) {
    return 0;
  }
  tag_PoiInfo& poi = result->poi;
  SetFromInt(content, "poiType", &poi.poiType);
  GetString(content, "uid", poi.uid, sizeof poi.uid);
  GetString(content, "name", poi.name, sizeof poi.name);
  GetString(content, "addr", poi.addr, sizeof poi.addr, 1);
  if (GetString(content, "tel", poi.tel, sizeof poi.tel)) {
    CutAtNonAscii(poi.tel);
  }
  GetString(content, "zip", poi.postcode, sizeof poi.postcode);
  GetGeo(content, "geo", &poi.point);
  const VJson* ext = Member(content, "ext");
  if (IsObject(ext)) {
    ParsePoiDetailExt(ext, &result->ext);
  }
  poi.poiKind = PoiKind(poi.poiType);
  if (poi.poiType == 1 || poi.poiType == 3) {
    return ParseEach(Member(content, "blinfo"), &poi.busLines,
                     [this](const VJson* n, tag_BusLineInfo* l) { return ParseBusLineInfo(n, l); });
  }
  return 1;
}

namespace {

// Items of two texts: "title" and the given second key.
int ParseExtItems(const VJson* node, CVArray<tag_PoiExtItem>* items, const char* second) {
  if (!IsArray(node)) {
    return 0;
  }
  for (const VJson* item = node->child; item; item = item->next) {
    if (IsObject(item)) {
      tag_PoiExtItem element;
      VJsonResultParser::GetText(item, "title", &element.title);
      VJsonResultParser::GetText(item, second, &element.content);
      items->Add(element);
    }
  }
  return 1;
}

}  // namespace

int VJsonResultParser::ParseTitleInfos(const VJson* node, CVArray<tag_PoiExtItem>* items) {
  return ParseExtItems(node, items, "info");
}

int VJsonResultParser::ParseTitleLinks(const VJson* node, CVArray<tag_PoiExtItem>* items) {
  return ParseExtItems(node, items, "link");
}

int VJsonResultParser::ParseSubwayLines(const VJson* node, CVArray<tag_SubWayLineInfo>* lines) {
  if (!IsArray(node)) {
    return 0;
  }
  for (const VJson* item = node->child; item; item = item->next) {
    if (IsObject(item)) {
      tag_SubWayLineInfo line;
      GetString(item, "first_time", line.firstTime, sizeof line.firstTime);
      GetString(item, "last_time", line.lastTime, sizeof line.lastTime);
      GetString(item, "line_name", line.lineName, sizeof line.lineName);
      GetString(item, "terminals", line.terminals, sizeof line.terminals);
      GetString(item, "uid", line.uid, sizeof line.uid);
      lines->Add(line);
    }
  }
  return 1;
}

int VJsonResultParser::ParseSubwayAround(const VJson* node, CVArray<tag_SubWayAroundInfo>* exits) {
  if (!IsArray(node)) {
    return 0;
  }
  for (const VJson* item = node->child; item; item = item->next) {
    if (IsArray(item)) {
      CVArray<tag_SubWayAroundInfo> nested;
      ParseSubwayAround(item, &nested);
      exits->Append(nested);
    } else if (IsString(Member(item, "exit_name"))) {
      tag_SubWayAroundInfo exit;
      GetText(item, "bs_info", &exit.busInfo);
      GetText(item, "exit_name", &exit.exitName);
      GetText(item, "exit_round", &exit.exitRound);
      exits->Add(exit);
    }
  }
  return 1;
}

int VJsonResultParser::ParsePoiDetailExt(const VJson* node, tag_PoiDetailExt* ext) {
  if (!IsObject(node)) {
    return 0;
  }
  const VJson* source = Member(node, "src_name");
  if (IsString(source)) {
    ext->sourceKind = GetPoiSourceKind(source->valuestring);
  }
  ParseTitleInfos(Member(node, "detail_info"), &ext->details);
  ParseTitleLinks(Member(node, "title_link"), &ext->links);
  const VJson* pictures = Member(node, "pic");
  if (IsArray(pictures)) {
    for (const VJson* item = pictures->child; item; item = item->next) {
      if (IsString(item)) {
        ext->pictures.Add(CVString(item->valuestring));
      }
    }
  }
  GetText(node, "price", &ext->price);
  if (ext->sourceKind == kPoiSourceSubwayStop) {
    ParseSubwayLines(Member(node, "line_info"), &ext->subwayLines);
    ParseSubwayAround(Member(node, "around_info"), &ext->subwayExits);
  } else {
    ParseTitleInfos(Member(node, "around_info"), &ext->surroundings);
  }
  return 1;
}

namespace {

void ReadSupportFlags(const VJson* node, tag_CityResult* city) {
  city->supBus = Flag(node, "sup_bus");
  city->supSubway = Flag(node, "sup_subway");
  city->supTraffic = Flag(node, "sup_lukuang");
}

}  // namespace

int VJsonResultParser::ParseCityInfo(const VJson* root, tag_CityResult* city) {
  const VJson* content = Member(root, "content");
  if (!root || !content) {
    return 0;
  }
  GetString(content, "cname", city->name, sizeof city->name);
  SetFromInt(content, "city_type", &city->cityType);
  SetFromInt(content, "code", &city->code);
  SetFromInt(content, "level", &city->level);
  GetString(content, "uid", city->uid, sizeof city->uid);
  GetGeo(content, "geo", &city->centre);
  ReadSupportFlags(content, city);
  return 1;
}

int VJsonResultParser::ParseCurrentCity(const VJson* root, tag_CityResult* city) {
  const VJson* content = Member(root, "content");
  if (!root || !IsObject(content)) {
    return 0;
  }
  GetString(content, "name", city->name, sizeof city->name);
  ReadSupportFlags(content, city);
  SetFromInt(content, "type", &city->cityType);
  SetFromInt(content, "uid", &city->code);
  return 1;
}

int VJsonResultParser::ParseCityListReply(const VJson* root, tag_PoiCityListRst* result) {
  const VJson* head = Member(root, "result");
  if (!root || !IsObject(head)) {
    return 0;
  }
  result->currentNull = Flag(head, "current_null");
  ParseCityList(Member(root, "content"), &result->cities);
  result->count = result->cities.GetSize();
  return 1;
}

int VJsonResultParser::ParseCityList(const VJson* node, CVArray<tag_CityInfo>* cities) {
  return ParseEach(node, cities, [this](const VJson* n, tag_CityInfo* c) { return ParseCityEntry(n, c); });
}

int VJsonResultParser::ParseCityEntry(const VJson* node, tag_CityInfo* city) {
  if (!IsObject(node)) {
    return 0;
  }
  SetFromInt(node, "code", &city->code);
  SetFromInt(node, "num", &city->count);
  GetString(node, "name", city->name, sizeof city->name);
  return 1;
}

int VJsonResultParser::ParsePoiPoint(const VJson* root, tag_ContentRst* content, const tag_CityResult* city) {
  const VJson* items = Member(root, "content");
  if (!root || !IsObject(Member(root, "result")) || !IsArray(items) || VJson_GetArraySize(items) < 1) {
    return 0;
  }
  tag_PoiInfo poi;
  if (!ParsePoiInfo(VJson_GetArrayItem(items, 0), &poi) || poi.point.GetPartSize() < 1 ||
      poi.point.GetPartPointCount(0) < 1) {
    return 0;
  }
  _VPoint first = poi.point.GetPoint(0, 0);
  content->value = city ? city->level : 0;
  content->x = static_cast<double>(first.x / 100);
  content->y = static_cast<double>(first.y / 100);
  return 1;
}

namespace {

// "level_x_y": 1 with the three numbers, 0 when the text has fewer than two
// "_".
int ParseTileId(const char* text, int* level, int* x, int* y) {
  const char* first = std::strchr(text, '_');
  const char* second = first ? std::strchr(first + 1, '_') : nullptr;
  if (!second) {
    return 0;
  }
  *level = VJsonResultParser::TextToInt(text);
  *x = VJsonResultParser::TextToInt(first + 1);
  *y = VJsonResultParser::TextToInt(second + 1);
  return 1;
}

}  // namespace

int VJsonResultParser::ParsePoiBkgData(const VJson* root, tag_PoiBkgDataRst* result) {
  const VJson* head = Member(root, "result");
  if (!IsObject(head)) {
    return 0;
  }
  result->tiles.RemoveAll();
  result->key.Empty();
  GetInt(head, "count", &result->count);
  GetInt(head, "error", &result->error);
  GetText(head, "wd", &result->key);
  const VJson* content = Member(root, "content");
  if (!IsArray(content)) {
    return 1;
  }
  result->tiles.SetSize(result->tiles.GetSize(), VJson_GetArraySize(content));
  for (const VJson* item = content->child; item; item = item->next) {
    if (!IsObject(item)) {
      continue;
    }
    tag_PoiBkgDataElem tile;
    const VJson* tileId = Member(item, "tileid");
    if (!IsString(tileId) || !ParseTileId(tileId->valuestring, &tile.level, &tile.x, &tile.y)) {
      continue;
    }
    const VJson* uids = Member(item, "uids");
    if (!IsArray(uids)) {
      break;
    }
    tile.pois.SetSize(0, VJson_GetArraySize(uids));
    for (const VJson* entry = uids->child; entry; entry = entry->next) {
      tag_PoiBkgBaseData poi;
      GetUIntAsDouble(entry, "x", &poi.x);
      GetUIntAsDouble(entry, "y", &poi.y);
      GetString(entry, "uid", poi.uid, sizeof poi.uid);
      GetString(entry, "name", poi.name, sizeof poi.name);
      tile.pois.Add(poi);
    }
    result->tiles.Add(tile);
  }
  return 1;
}

}  // namespace mapengine
