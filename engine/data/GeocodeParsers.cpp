// Geocoding, reverse geocoding, suggestion, content and state replies.
#include <cstring>

#include "engine/model/SearchRecords.h"
#include "engine/data/VJsonResultParser.h"

namespace mapengine {

namespace {

// An object holding the strings "x" and "y".
const VJson* PlainPoint(const VJson* object, const char* key) {
  const VJson* point = Member(object, key);
  return IsString(Member(point, "x")) && IsString(Member(point, "y")) ? point : nullptr;
}

const char* Text(const VJson* object, const char* key) { return Member(object, key)->valuestring; }

// What a geocoding reply holds: its "content" object (kContent), a service
// error, which the parsers answer as a success without data and error 11
// (kServiceError, error set), or nothing readable (kBroken).
enum GeocodeReplyState { kBroken, kServiceError, kContent };

GeocodeReplyState GeocodeContent(const VJson* root, int* error, const VJson** content) {
  const VJson* head = Member(root, "result");
  if (!IsObject(head)) {
    return kBroken;
  }
  int serviceError = 0;
  VJsonResultParser::GetInt(head, "error", &serviceError);
  if (serviceError != 0) {
    *error = 11;
    return kServiceError;
  }
  *content = Member(root, "content");
  return IsObject(*content) ? kContent : kBroken;
}

}  // namespace

int VJsonResultParser::ParseGeocode(const VJson* root, tag_GeoCodeRst* result, int* error) {
  *result = tag_GeoCodeRst();
  const VJson* content = nullptr;
  GeocodeReplyState state = GeocodeContent(root, error, &content);
  if (state != kContent) {
    return state == kServiceError ? 1 : 0;
  }
  GetString(content, "cn", result->cityName, sizeof result->cityName);
  GetString(content, "wd", result->address, sizeof result->address);
  const VJson* coord = PlainPoint(content, "coord");
  if (!coord) {
    return 0;
  }
  result->x = TextToInt(Text(coord, "x"));
  result->y = TextToInt(Text(coord, "y"));
  *error = 0;
  return 1;
}

namespace {

// A surrounding POI of a reverse-geocoding reply; every key is required.
int ParseSurroundPoi(const VJson* node, tag_PoiInfo* poi) {
  using P = VJsonResultParser;
  const VJson* distance = Member(node, "distance");
  const VJson* point = PlainPoint(node, "point");
  if (!P::GetString(node, "name", poi->name, sizeof poi->name) ||
      !P::GetString(node, "addr", poi->addr, sizeof poi->addr) ||
      !P::GetString(node, "tel", poi->tel, sizeof poi->tel) ||
      !P::GetString(node, "zip", poi->postcode, sizeof poi->postcode) ||
      !P::GetString(node, "uid", poi->uid, sizeof poi->uid) || !IsString(distance) || !point) {
    return 0;
  }
  P::CutAtNonAscii(poi->tel);
  poi->poiType = 10;
  poi->distance = P::ClampToInt(P::TextToDouble(distance->valuestring));
  poi->point = CComplexPt(P::ClampToInt(P::TextToDouble(Text(point, "x")) * 100.0),
                          P::ClampToInt(P::TextToDouble(Text(point, "y")) * 100.0));
  return 1;
}

}  // namespace

int VJsonResultParser::ParseReverseGeocode(const VJson* root, tag_PoiResult* holder, int* error) {
  const VJson* content = nullptr;
  GeocodeReplyState state = GeocodeContent(root, error, &content);
  if (state != kContent) {
    return state == kServiceError ? 1 : 0;
  }
  tag_PoiResult result;
  if (!GetString(content, "address", result.address, sizeof result.address)) {
    return 0;
  }
  const VJson* detail = Member(content, "address_detail");
  GetString(detail, "street_number", result.streetNumber, sizeof result.streetNumber);
  GetString(detail, "street", result.street, sizeof result.street);
  GetString(detail, "district", result.district, sizeof result.district);
  GetString(detail, "city", result.cityName, sizeof result.cityName);
  GetString(detail, "province", result.province, sizeof result.province);
  const VJson* point = PlainPoint(content, "point");
  const VJson* around = Member(content, "surround_poi");
  if (!point || !IsArray(around)) {
    return 0;
  }
  result.x = TextToInt(Text(point, "x"));
  result.y = TextToInt(Text(point, "y"));
  result.pois.SetSize(0, VJson_GetArraySize(around));  // one allocation however many
  for (const VJson* item = around->child; item; item = item->next) {
    tag_PoiInfo poi;
    if (!ParseSurroundPoi(item, &poi)) {
      return 0;
    }
    result.pois.Add(poi);
  }
  *holder = result;
  *error = 0;
  return 1;
}

namespace {

// The text between the n-th and the next "$" of a UTF-16 text (n from 0).
CVString DollarPart(const CVString& text, int n) {
  int start = 0;
  for (int i = 0; i < n; ++i) {
    start = text.Find(static_cast<unsigned short>('$'), start) + 1;
  }
  int end = text.Find(static_cast<unsigned short>('$'), start);
  return text.Mid(start, end - start);
}

int CountDollars(const CVString& text) {
  int count = 0;
  for (int i = 0; i < text.GetLength(); ++i) {
    count += text[i] == '$' ? 1 : 0;
  }
  return count;
}

// The number after the last "$" once the text is cut at its last "$": the
// number after the "$" before it.
int SuggestionNumber(const char* gbk) {
  const char* last = std::strrchr(gbk, '$');
  const char* before = nullptr;
  for (const char* p = gbk; p < last; ++p) {
    if (*p == '$') {
      before = p;
    }
  }
  return before ? VJsonResultParser::TextToInt(before + 1) : 0;
}

bool Holds(const CVString& part, const CVString& query) {
  return !part.IsEmpty() && part.Find(query.GetBuffer()) >= 0;
}

}  // namespace

int VJsonResultParser::ParseSuggestion(const VJson* root, tag_SuggestionResult* result) {
  if (!IsObject(root)) {
    return 0;
  }
  if (!GetText(root, "q", &result->query)) {
    return 1;
  }
  GetInt(root, "p", &result->p);
  GetInt(root, "t", &result->t);
  const VJson* items = Member(root, "s");
  if (!IsArray(items)) {
    return 1;
  }
  for (const VJson* item = items->child; item; item = item->next) {
    if (!IsString(item)) {
      continue;
    }
    CVString text(item->valuestring);
    if (CountDollars(text) < 4) {
      continue;
    }
    CVString part[4];
    for (int i = 0; i < 4; ++i) {
      part[i] = DollarPart(text, i);
    }
    result->numbers.Add(SuggestionNumber(item->valuestring));
    CVString matched, prefix;
    if (Holds(part[3], result->query)) {
      matched = part[3];
      prefix = part[0] + part[1] + part[2];
    } else if (Holds(part[2], result->query)) {
      matched = part[2] + part[3];
      prefix = part[0] + part[1];
    } else if (Holds(part[1], result->query)) {
      matched = part[1] + part[2] + part[3];
      prefix = part[0];
    } else if (Holds(part[0], result->query)) {
      matched = part[0] + part[1] + part[2] + part[3];
    } else if (part[3].IsEmpty()) {
      continue;
    } else {
      matched = part[3];
      prefix = part[0] + part[1] + part[2];
    }
    result->matched.Add(matched);
    result->prefixes.Add(prefix);
    result->part0.Add(part[0]);
    result->part1.Add(part[1]);
    result->part2.Add(part[2]);
  }
  return 1;
}

int VJsonResultParser::ParseContent(const VJson* root, tag_ContentRst* content) {
  const VJson* items = Member(root, "content");
  const VJson* first = IsArray(items) ? VJson_GetArrayItem(items, 0) : nullptr;
  const char* comma = IsString(first) ? std::strchr(first->valuestring, ',') : nullptr;
  if (VJson_GetArraySize(items) < 2 || !comma) {
    return 0;
  }
  char x[20] = {};
  size_t length = static_cast<size_t>(comma - first->valuestring);
  std::memcpy(x, first->valuestring, length < sizeof x - 1 ? length : sizeof x - 1);
  content->x = TextToDouble(x);
  content->y = TextToDouble(comma + 1);
  const VJson* second = VJson_GetArrayItem(items, 1);
  content->value = IsString(second) ? TextToInt(second->valuestring) : 0;
  return 1;
}

int VJsonResultParser::ParseStateReply(const VJson* root, CVString* url) {
  const VJson* state = Member(root, "state");
  if (!IsString(state) || std::strcmp(state->valuestring, "success") != 0 || !IsString(Member(root, "url"))) {
    return 0;
  }
  return GetText(root, "url", url);
}

}  // namespace mapengine
