// Walking and driving route replies and their step instructions.
#include "engine/base/VCMMap.h"
#include "engine/model/RouteRecords.h"
#include "engine/data/ParserSupport.h"
#include "engine/data/VJsonResultParser.h"

namespace mapengine {

namespace {

const char16_t* const kDriveRoutePointTexts[] = {u"", u"从起点出发", u"到达终点", u"到达途经点",
                                                  u"行驶", u"到达终点(在左侧)", u"到达终点(在右侧)"};
const char16_t* const kWalkRoutePointTexts[] = {u"", u"从起点出发", u"到达终点", u"到达途经点",
                                                 u"步行", u"到达终点(在左侧)", u"到达终点(在右侧)"};
const char16_t* const kTurnTexts[] = {u"", u"直行", u"稍向右转", u"右前方转弯", u"右转", u"稍向右后转弯",
                                      u"右后方转弯", u"调头", u"左后方转弯", u"稍向左后转弯", u"左转",
                                      u"左前方转弯", u"稍向左转", u"正北方向", u"东北方向", u"正东方向",
                                      u"东南方向", u"正南方向", u"西南方向", u"正西方向", u"西北方向"};
const char16_t* const kRoadAttributeTexts[] = {
    u"", u"环岛", u"无属性道路", u"主路", u"高速连接路", u"交叉点内路段", u"连接道路", u"停车场内部道路",
    u"服务区内部道路", u"桥", u"步行街", u"辅路", u"匝道", u"全封闭道路", u"未定义交通区域", u"POI连接路",
    u"隧道", u"步行道", u"公交专用道", u"提前右转道"};

template <size_t N>
const char16_t* TableText(const char16_t* const (&table)[N], int index) {
  return index >= 0 && index < static_cast<int>(N) ? table[index] : u"";
}

bool IsEndPoint(int routePointType) { return routePointType == 2 || routePointType == 5 || routePointType == 6; }

// The marked-up text of an end point.
CVString EndMarkup(int routePointType) {
  CVString text(Wide(u"到达<font bold=\"1\">终点</font>"));
  if (routePointType == 5) {
    text += Wide(u"(在<font bold=\"1\">左侧</font>)");
  } else if (routePointType == 6) {
    text += Wide(u"(在<font bold=\"1\">右侧</font>)");
  }
  return text;
}

// The road a step runs on: the link's name, or for a nameless roundabout,
// bridge, ramp or tunnel its attribute text.
CVString RoadOf(const tag_Link& link) {
  CVString road(link.name);
  int a = link.attribute;
  if (road.IsEmpty() && (a == 1 || a == 9 || a == 12 || a == 16)) {
    road = link.attributeText;
  }
  return road;
}

void SetTexts(tag_CarRouteKeyPt* keyPoint, const CVString& plain, const CVString& withDistance,
              const CVString& marked) {
  keyPoint->plainText = plain;
  keyPoint->plainTextWithDistance = withDistance;
  keyPoint->markedText = marked;
}

}  // namespace

void ParseRouteNodeInto(const VJson* node, tag_RouteNode* routeNode) {
  using P = VJsonResultParser;
  int busStop = 0;
  if (P::GetInt(node, "bus_stop", &busStop)) {
    routeNode->busStop = busStop == 1 ? 1 : 0;
  }
  P::GetString(node, "uid", routeNode->uid, sizeof routeNode->uid);
  P::GetString(node, "wd", routeNode->name, sizeof routeNode->name);
  P::GetGeo(node, "pt", &routeNode->point);
}

void CopyGbkText(char* field, int width, const char16_t* text) {
  int n = WideToMultiByte(kCodePageGbk, VStr(text), -1, field, width - 1);
  field[n] = 0;
}

int VJsonResultParser::ParseDriveRoute(const VJson* root, tag_CarRouteRst* result) {
  return ParseCarRoute(root, result, kRouteKindDriving);
}

int VJsonResultParser::ParseWalkRoute(const VJson* root, tag_CarRouteRst* result) {
  return ParseCarRoute(root, result, kRouteKindWalking);
}

int VJsonResultParser::ParseCarRoute(const VJson* root, tag_CarRouteRst* result, int routeKind) {
  const VJson* head = Member(root, "result");
  if (!IsObject(head)) {
    return 0;
  }
  GetInt(head, "total", &result->total);
  ParseCityEntry(Member(head, "start_city"), &result->startCity);
  const VJson* endCities = Member(head, "end_city");
  if (IsArray(endCities)) {
    ParseCityEntry(VJson_GetArrayItem(endCities, 0), &result->endCity);
  }
  GetInt(head, "sy", &result->policy);
  result->policyKind = result->policy >= 0 && result->policy <= 2 ? result->policy : 3;
  ParseRouteNodeInto(Member(head, "start"), &result->start);
  const VJson* ends = Member(head, "end");
  if (IsArray(ends)) {
    const VJson* last = VJson_GetArrayItem(ends, VJson_GetArraySize(ends) - 1);
    if (IsObject(last)) {
      ParseRouteNodeInto(last, &result->end);
    }
  }
  const VJson* content = Member(root, "content");
  if (!IsObject(content)) {
    return 0;
  }
  tag_CarRoute& route = result->route;
  ParseCarRouteContent(content, &route, routeKind);
  if (routeKind == kRouteKindDriving || routeKind == kRouteKindWalking) {
    BuildCarStepText(result);
  }
  // Consecutive shapes touch: each starts where the one before ended.
  for (int k = 1; k < route.links.GetSize(); ++k) {
    const CComplexPt& before = route.links[k - 1].shape;
    int parts = before.GetPartSize();
    auto* first = route.links[k].shape.GetPart(0);
    if (parts >= 1 && before.GetPartPointCount(parts - 1) >= 1 && first) {
      first->InsertAt(0, before.GetPoint(parts - 1, before.GetPartPointCount(parts - 1) - 1));
    }
  }
  return 1;
}

int VJsonResultParser::ParseCarRouteContent(const VJson* content, tag_CarRoute* route, int routeKind) {
  if (!IsObject(content)) {
    return 0;
  }
  GetInt(content, "dis", &route->distance);
  GetInt(content, "time", &route->time);
  const VJson* keyPoints = Member(content, "kps");
  const VJson* links = Member(content, "rss");
  return ParseEach(keyPoints, &route->keyPoints,
                   [this, routeKind](const VJson* n, tag_CarRouteKeyPt* k) { return ParseCarKeyPoint(n, k, routeKind); }) &&
                 ParseEach(links, &route->links, [this](const VJson* n, tag_Link* l) { return ParseLink(n, l); })
             ? 1
             : 0;
}

int VJsonResultParser::ParseCarKeyPoint(const VJson* node, tag_CarRouteKeyPt* keyPoint, int routeKind) {
  if (!IsObject(node)) {
    return 0;
  }
  GetInt(node, "a", &keyPoint->a);
  GetGeo(node, "pt", &keyPoint->point);
  if (GetInt(node, "rt", &keyPoint->routePointType)) {
    if (routeKind == kRouteKindDriving) {
      CopyGbkText(keyPoint->routePointText, sizeof keyPoint->routePointText,
                  TableText(kDriveRoutePointTexts, keyPoint->routePointType));
    } else if (routeKind == kRouteKindWalking) {
      CopyGbkText(keyPoint->routePointText, sizeof keyPoint->routePointText,
                  TableText(kWalkRoutePointTexts, keyPoint->routePointType));
    }
  }
  if (GetInt(node, "tt", &keyPoint->turnType)) {
    CopyGbkText(keyPoint->turnText, sizeof keyPoint->turnText, TableText(kTurnTexts, keyPoint->turnType));
  }
  return 1;
}

int VJsonResultParser::ParseLink(const VJson* node, tag_Link* link) {
  if (!IsObject(node)) {
    return 0;
  }
  GetString(node, "n", link->name, sizeof link->name);
  if (GetInt(node, "t", &link->attribute)) {
    CopyGbkText(link->attributeText, sizeof link->attributeText, TableText(kRoadAttributeTexts, link->attribute));
  }
  GetInt(node, "d", &link->length);
  GetGeo(node, "g", &link->shape);
  return 1;
}

void VJsonResultParser::FormatDistance(int metres, CVString* out) {
  if (metres >= 1000) {
    out->Format(VStr(u"%.1f公里"), static_cast<double>(static_cast<float>(metres) / 1000.0f));
  } else if (metres >= 11) {
    out->Format(VStr(u"%d米"), (metres + 5) - (metres + 5) % 10);
  } else if (metres >= 1) {
    out->Format(VStr(u"%d米"), 10);
  }
}

int VJsonResultParser::BuildCarStepText(tag_CarRouteRst* result) {
  CVArray<tag_CarRouteKeyPt>& keyPoints = result->route.keyPoints;
  CVArray<tag_Link>& links = result->route.links;
  int keyCount = keyPoints.GetSize();
  int linkCount = links.GetSize();
  for (int i = 0; i < keyCount && i < linkCount; ++i) {
    if (links[i].length == 0) {
      tag_CarRouteKeyPt& k = keyPoints[i];
      if (IsEndPoint(k.routePointType)) {
        CVString text(k.routePointText);
        SetTexts(&k, text, text, EndMarkup(k.routePointType));
        break;
      }
      if (k.routePointType == 1) {
        CVString turn(k.turnText);
        CVString plain = Wide(u"从起点向") + turn + Wide(u"出发");
        SetTexts(&k, plain, plain, Wide(u"从<font bold=\"1\">起点</font>向") + turn + Wide(u"出发"));
        if (i + 1 < keyCount && i + 1 < linkCount) {
          ++i;
        }
      }
    }
    tag_CarRouteKeyPt& k = keyPoints[i];
    tag_Link& l = links[i];
    CVString road = RoadOf(l);
    CVString plainRoad, markedRoad;
    if (!road.IsEmpty()) {
      plainRoad = Wide(u"沿") + road;
      markedRoad = Wide(u"沿<font bold=\"1\">") + road + Wide(u"</font>");
    }
    CVString length;
    FormatDistance(l.length, &length);
    CVString tail = CVString(k.routePointText) + length + Wide(u",");
    l.plainText = plainRoad + tail;
    l.markedText = markedRoad + tail;

    CVString turn(k.turnText);
    CVString plain = turn;
    CVString withDistance = turn;
    CVString marked = Wide(u"<font bold=\"1\">") + turn + Wide(u"</font>");
    if (i + 1 < linkCount) {
      const tag_Link& next = links[i + 1];
      if (next.length < 1) {
        if (i + 1 < keyCount && IsEndPoint(keyPoints[i + 1].routePointType)) {
          plain += keyPoints[i + 1].routePointText;
          marked += EndMarkup(keyPoints[i + 1].routePointType);
          withDistance = plain;
        }
      } else {
        CVString road2 = RoadOf(next);
        if (!road2.IsEmpty()) {
          bool onto = next.name[0] == 0 && (next.attribute == 9 || next.attribute == 12);
          plain += (onto ? Wide(u"上") : Wide(u"进入")) + road2;
          marked += (onto ? Wide(u"上<font bold=\"1\">") : Wide(u"进入<font bold=\"1\">")) + road2 + Wide(u"</font>");
        }
        CVString distance;
        FormatDistance(next.length, &distance);
        withDistance = distance.IsEmpty() ? plain : plain + Wide(u" - ") + distance;
      }
    }
    SetTexts(&k, plain, withDistance, marked);
  }
  return 1;
}

}  // namespace mapengine
