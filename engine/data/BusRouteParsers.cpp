// Transit route and bus line replies and the transit step instructions.
#include <climits>
#include <cstring>

#include "engine/model/RouteRecords.h"
#include "engine/data/ParserSupport.h"
#include "engine/data/VJsonResultParser.h"

namespace mapengine {

int VJsonResultParser::ParseBusRoutes(const VJson* root, tag_BusRouteRst* result) {
  const VJson* head = Member(root, "result");
  if (!head) {
    return 0;
  }
  GetInt(head, "total", &result->total);
  GetInt(head, "sy", &result->policy);
  result->policyKind = result->policy >= 2 && result->policy <= 4 ? result->policy + 2 : 3;
  ParseRouteNodeInto(Member(head, "start"), &result->start);
  ParseRouteNodeInto(Member(head, "end"), &result->end);
  const VJson* content = Member(root, "content");
  if (!IsArray(content)) {
    return 0;
  }
  for (const VJson* item = content->child; item; item = item->next) {
    tag_BusRoute route;
    if (ParseBusRoute(item, &route)) {
      result->routes.Add(route);
    }
    if (!result->hasType1Line && route.lines.GetSize() > 0) {
      const CVArray<tag_BusLine>& legs = route.lines[0];
      for (int j = 0; j < legs.GetSize() && !result->hasType1Line; ++j) {
        result->hasType1Line = legs[j].type == 1 ? 1 : 0;
      }
    }
  }
  BuildBusStepText(result);
  return 1;
}

int VJsonResultParser::ParseBusRoute(const VJson* node, tag_BusRoute* route) {
  return ParseEach(Member(node, "lines"), &route->lines,
                   [this](const VJson* n, CVArray<tag_BusLine>* legs) { return ParseBusLines(n, legs); }) &&
                 ParseEach(Member(node, "stops"), &route->stops,
                           [this](const VJson* n, CVArray<tag_BusTransStop>* stops) { return ParseBusStops(n, stops); })
             ? 1
             : 0;
}

int VJsonResultParser::ParseBusLines(const VJson* node, CVArray<tag_BusLine>* lines) {
  return ParseEach(node, lines, [this](const VJson* n, tag_BusLine* line) { return ParseBusLine(n, line); });
}

int VJsonResultParser::ParseBusLine(const VJson* node, tag_BusLine* line) {
  if (!IsObject(node)) {
    return 0;
  }
  GetInt(node, "distance", &line->distance);
  GetString(node, "ed_uid", line->offUid, sizeof line->offUid);
  GetString(node, "st_uid", line->onUid, sizeof line->onUid);
  GetString(node, "name", line->name, sizeof line->name);
  GetInt(node, "station_num", &line->stationCount);
  GetInt(node, "type", &line->type);
  GetGeo(node, "geo", &line->shape);
  return 1;
}

int VJsonResultParser::ParseBusStops(const VJson* node, CVArray<tag_BusTransStop>* stops) {
  return ParseEach(node, stops, [this](const VJson* n, tag_BusTransStop* stop) { return ParseBusStop(n, stop); });
}

int VJsonResultParser::ParseBusStop(const VJson* node, tag_BusTransStop* stop) {
  const VJson* on = Member(node, "getOn");
  const VJson* off = Member(node, "getOff");
  const VJson* walk = Member(node, "walk");
  if (!IsObject(on)) {
    return 0;
  }
  GetString(on, "name", stop->onName, sizeof stop->onName);
  GetString(on, "uid", stop->onUid, sizeof stop->onUid);
  GetGeo(on, "geo", &stop->onPoint);
  if (!IsObject(off)) {
    return 0;
  }
  GetString(off, "name", stop->offName, sizeof stop->offName);
  GetString(off, "uid", stop->offUid, sizeof stop->offUid);
  GetGeo(off, "geo", &stop->offPoint);
  if (!IsObject(walk)) {
    return 0;
  }
  GetInt(walk, "direction", &stop->walkDirection);
  GetInt(walk, "distance", &stop->walkDistance);
  GetGeo(walk, "geo", &stop->walkShape);
  return 1;
}

namespace {

bool EndsWith(const CVString& text, char16_t unit) {
  return text.GetLength() > 0 && text[text.GetLength() - 1] == unit;
}

// A stop's name with "站" unless it already ends with it.
CVString StationName(const char* gbk) {
  CVString name(gbk);
  if (!EndsWith(name, u'站')) {
    name += VStr(u"站");
  }
  return name;
}

// A line's name up to its first "(", with "路" unless it ends with 线 or 路.
CVString LineName(const tag_BusLine& line) {
  CVString name(line.name);
  int paren = name.Find(static_cast<unsigned short>('('));
  if (paren >= 0) {
    name = name.Left(paren);
  }
  if (!EndsWith(name, u'线') && !EndsWith(name, u'路')) {
    name += VStr(u"路");
  }
  return name;
}

CVString Formatted(const char16_t* format, int value) {
  CVString text;
  text.Format(VStr(format), value);
  return text;
}

CVString Distance(int metres) {
  CVString text;
  VJsonResultParser::FormatDistance(metres, &text);
  return text;
}

bool IsLongWalk(const tag_BusTransStop& stop) { return stop.walkDistance >= 11; }

unsigned NonNegative(int metres) { return metres > 0 ? static_cast<unsigned>(metres) : 0u; }

// The names of other lines serving leg j in the schemes numbered 1 and up,
// each once, joined with ","; schemes without a leg j are passed over.
CVString AlternativeLines(const tag_BusRoute& route, int j, const tag_BusLine& leg) {
  CVString names;
  CVArray<CVString> seen;
  for (int m = 1; m < route.lines.GetSize(); ++m) {
    const CVArray<tag_BusLine>& legs = route.lines[m];
    if (j >= legs.GetSize() || std::strncmp(legs[j].compareText, leg.compareText, sizeof leg.compareText) == 0) {
      continue;
    }
    CVString name = LineName(legs[j]);
    bool known = false;
    for (int s = 0; s < seen.GetSize() && !known; ++s) {
      known = seen[s].Compare(name.GetBuffer()) == 0;
    }
    if (!known) {
      seen.Add(name);
      names += seen.GetSize() > 1 ? Wide(u",") + name : name;
    }
  }
  return names;
}

void SetLongWalkTexts(tag_BusTransStop* stop, const CVString& distance, const CVString& station) {
  stop->plainWalkText = Wide(u"步行") + distance + Wide(u",到达") + station;
  stop->markedWalkText = Wide(u"<font bold=\"1\">步行</font>") + distance + Wide(u",到达<font bold=\"1\">") +
                         station + Wide(u"</font>");
}

CVString BoardingText(const CVString& station, const tag_BusLine& leg) {
  return Wide(u"在") + station + Wide(u"上车,乘坐") + LineName(leg) + Formatted(u" - %d站", leg.stationCount);
}

// The texts of one scheme of b legs and b + 1 stops; its total distance.
unsigned BuildSchemeTexts(const tag_BusRoute& route, CVArray<tag_BusLine>& legs,
                          CVArray<tag_BusTransStop>& stops) {
  int b = legs.GetSize();
  tag_BusTransStop& first = stops[0];
  CVString s0 = StationName(first.onName);
  CVString d0 = Distance(first.walkDistance);
  first.shortWalkText = IsLongWalk(first) ? Wide(u"步行,到达") + s0 + Wide(u" - ") + d0 : Wide(u"步行,到达") + s0;
  first.boardingText = BoardingText(s0, legs[0]);
  if (IsLongWalk(first)) {
    SetLongWalkTexts(&first, d0, s0);
  }
  unsigned long long total = NonNegative(first.walkDistance);
  for (int j = 0; j < b; ++j) {
    tag_BusLine& leg = legs[j];
    tag_BusTransStop& next = stops[j + 1];
    CVString line = LineName(leg);
    CVString s2 = StationName(next.offName);
    CVString t = StationName(next.onName);
    CVString d = Distance(next.walkDistance);
    leg.plainText = Wide(u"乘坐") + line + Formatted(u", 经过%d站, 到达", leg.stationCount) + s2;
    leg.markedText = Wide(u"乘坐<font bold=\"1\">") + line +
                     Formatted(u"</font>, 经过%d站, 到达<font bold=\"1\">", leg.stationCount) + s2 +
                     Wide(u"</font>");
    CVString others = AlternativeLines(route, j, leg);
    if (!others.IsEmpty()) {
      leg.plainText += Wide(u".也可乘坐") + others;
      leg.markedText +=
          Wide(u"<br/><font color=\"0x808080\">也可乘坐:</font><font color=\"0x3d6dcc\">") + others + Wide(u"</font>");
    }
    if (IsLongWalk(next)) {
      SetLongWalkTexts(&next, d, t);
      next.shortWalkText = Wide(u"在") + s2 + Wide(u"下车,步行 - ") + d;
    } else {
      next.shortWalkText = Wide(u"在") + s2 + Wide(u"下车");
    }
    next.boardingText = j + 1 < b ? BoardingText(t, legs[j + 1]) : Wide(u"到达") + CVString(next.onName);
    total += NonNegative(leg.distance) + NonNegative(next.walkDistance);
  }
  return total > UINT_MAX ? UINT_MAX : static_cast<unsigned>(total);
}

}  // namespace

int VJsonResultParser::BuildBusStepText(tag_BusRouteRst* result) {
  for (int r = 0; r < result->routes.GetSize(); ++r) {
    tag_BusRoute& route = result->routes[r];
    route.totals.RemoveAll();
    // A scheme that cannot be built (no leg, a stop too many or too few, no
    // stops at all) is left out, so lines, stops and totals stay parallel:
    // plan j takes scheme j's distance, never a neighbour's.
    int k = 0;
    while (k < route.lines.GetSize()) {
      if (k >= route.stops.GetSize() || route.lines[k].GetSize() < 1 ||
          route.stops[k].GetSize() != route.lines[k].GetSize() + 1) {
        route.lines.RemoveAt(k);
        if (k < route.stops.GetSize()) {
          route.stops.RemoveAt(k);
        }
        continue;
      }
      ++k;
    }
    route.stops.SetSize(route.lines.GetSize());
    for (k = 0; k < route.lines.GetSize(); ++k) {
      route.totals.Add(BuildSchemeTexts(route, route.lines[k], route.stops[k]));
    }
  }
  return 1;
}

int VJsonResultParser::ParseBusLineDetails(const VJson* root, tag_BusLineDetailRst* result) {
  const VJson* head = Member(root, "result");
  if (!head) {
    return 0;
  }
  GetInt(head, "total", &result->total);
  const VJson* content = Member(root, "content");
  result->count = IsArray(content) ? VJson_GetArraySize(content) : 0;
  return ParseEach(content, &result->lines,
                   [this](const VJson* n, tag_BusLineDetail* line) { return ParseBusLineDetail(n, line); });
}

int VJsonResultParser::ParseBusLineDetail(const VJson* node, tag_BusLineDetail* line) {
  if (!IsObject(node)) {
    return 0;
  }
  GetString(node, "endTime", line->endTime, sizeof line->endTime);
  GetGeo(node, "geo", &line->shape);
  line->monthlyTicket = Flag(node, "isMonTicket");
  GetInt(node, "maxPrice", &line->maxPrice);
  GetString(node, "name", line->name, sizeof line->name);
  GetString(node, "startTime", line->startTime, sizeof line->startTime);
  GetString(node, "uid", line->uid, sizeof line->uid);
  return ParseEach(Member(node, "stations"), &line->stations,
                   [this](const VJson* n, tag_BusStationInfo* station) { return ParseBusStation(n, station); });
}

int VJsonResultParser::ParseBusStation(const VJson* node, tag_BusStationInfo* station) {
  if (!IsObject(node)) {
    return 0;
  }
  GetString(node, "name", station->name, sizeof station->name);
  GetString(node, "uid", station->uid, sizeof station->uid);
  GetGeo(node, "geo", &station->point);
  return 1;
}

}  // namespace mapengine
