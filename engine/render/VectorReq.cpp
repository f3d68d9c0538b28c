#include "engine/render/VectorReq.h"

#include <cstring>

#include "engine/render/MapView.h"
#include "engine/model/Projection.h"

namespace mapengine {

void Attribute::SetText(const char* value) {
  size_t length = strnlen(value, sizeof text - 1);
  std::memcpy(text, value, length);
  text[length] = '\0';
}

namespace {

CGeoElement MakeElement(int kind, int shape, int style, int index, const char* text, const CVString& label,
                        const CComplexPt& geometry) {
  CGeoElement element;
  element.attr.kind = kind;
  element.attr.shape = shape;
  element.attr.style = style;
  element.attr.index = index;
  element.attr.SetText(text);
  element.attr.label = label;
  element.geometry = geometry;
  return element;
}

// POIs of these kind words (bus and subway lines) have no marker.
bool IsShownPoi(const tag_PoiInfo& poi) { return poi.poiKind != 2 && poi.poiKind != 4; }

bool IsSinglePoint(const CComplexPt& geometry) {
  return geometry.GetPartSize() == 1 && geometry.GetPartPointCount(0) == 1;
}

// The holder's bounds over the first point of every single-point element.
void BoundSinglePoints(tagGeoElementList& list) {
  bool first = true;
  for (int i = 0; i < list.elements.GetSize(); ++i) {
    const CComplexPt& geometry = list.elements[i].geometry;
    if (!IsSinglePoint(geometry)) {
      continue;
    }
    const _VPoint p = geometry.GetPoint(0, 0);
    if (first) {
      list.bounds = {p.x, p.y, p.x, p.y};
      first = false;
    } else {
      list.bounds.grow_up(p);
    }
  }
}

void BoundAllPoints(const CComplexPt& geometry, tagMBR& bounds) {
  _VRect r;
  geometry.GetBound(&r);
  bounds = {r.left, r.bottom < r.top ? r.bottom : r.top, r.right, r.bottom < r.top ? r.top : r.bottom};
}

// A step's line: its own points with the last point of the step before in
// front, so that consecutive steps touch (nothing in front of the first
// step, or when the step before has no points).
CComplexPt JoinedStep(const CComplexPt* before, const CComplexPt& shape) {
  CVArray<_VPoint, _VPoint> points;
  const int parts = before ? before->GetPartSize() : 0;
  const int count = parts > 0 ? before->GetPartPointCount(parts - 1) : 0;
  if (count > 0) {
    points.Add(before->GetPoint(parts - 1, count - 1));
  }
  for (int part = 0; part < shape.GetPartSize(); ++part) {
    for (int i = 0; i < shape.GetPartPointCount(part); ++i) {
      points.Add(shape.GetPoint(part, i));
    }
  }
  CComplexPt joined;
  if (points.GetSize() > 0) {
    joined.AddPart(&points);
  }
  return joined;
}

CComplexPt JoinedLink(const CVArray<tag_Link>& links, int step) {
  return JoinedStep(step > 0 ? &links[step - 1].shape : nullptr, links[step].shape);
}

CGeoElement StepMarker(const tag_CarRouteKeyPt& node, int index) {
  return MakeElement(kElementStepMarker, kShapePoint, kStyleStepMarker, index, "", node.plainText, node.point);
}

}  // namespace

void CVectorReq::Init(tagGeoElementList* built, tagGeoElementList* projected, CMapDataSource* source) {
  m_pBuilt = built;
  m_pProjected = projected;
  m_pSource = source;
}

int CVectorReq::BuildPoiMarkers(const tag_PoiResult* result, tagGeoElementList& out) {
  if (!result) {
    return 0;
  }
  int number = 0;
  for (int i = 0; i < result->pois.GetSize(); ++i) {
    const tag_PoiInfo& poi = result->pois[i];
    if (IsShownPoi(poi)) {
      out.elements.Add(MakeElement(kElementPoi, kShapePoint, ++number, i, poi.uid, CVString(poi.name), poi.point));
    }
  }
  for (int i = 0; i < result->centrePois.GetSize(); ++i) {
    const tag_PoiInfo& poi = result->centrePois[i];
    out.elements.Add(
        MakeElement(kElementSecondPoi, kShapePoint, kStyleSecondPoi, i, poi.uid, CVString(poi.name), poi.point));
  }
  BoundSinglePoints(out);
  return 1;
}

int CVectorReq::BuildSelectedPoi(const tag_PoiResult* result, int index, CGeoElementArray& out) {
  if (!result || index < 0 || index >= result->pois.GetSize() || !IsShownPoi(result->pois[index])) {
    return 0;
  }
  // Hidden POIs among the first two lower the numbers after them.
  int offset = 1;
  for (int i = 0; i < 2 && i < index; ++i) {
    offset -= IsShownPoi(result->pois[i]) ? 0 : 1;
  }
  const tag_PoiInfo& poi = result->pois[index];
  out.Add(MakeElement(kElementPoi, kShapePoint, index + offset, index, poi.uid, CVString(poi.name), poi.point));
  return 1;
}

int CVectorReq::BuildPinMarker(const tag_PoiInfo& place, tagGeoElementList& out) {
  out.elements.Add(MakeElement(0, kShapePoint, kStylePin, 0, place.uid, CVString(place.name), place.point));
  BoundSinglePoints(out);
  return 1;
}

int CVectorReq::BuildPlaceMarker(const tag_PoiInfo* place, tagGeoElementList& out) {
  if (!place) {
    return 0;
  }
  out.elements.Add(MakeElement(kElementPlace, kShapePoint, kStylePlace, 0, place->uid, CVString(place->name),
                               place->point));
  BoundSinglePoints(out);
  return 1;
}

int CVectorReq::BuildBusLine(const tag_BusLineDetailRst* holder, int line, tagGeoElementList& out) {
  if (!holder || line < 0 || line >= holder->lines.GetSize()) {
    return 0;
  }
  const tag_BusLineDetail& detail = holder->lines[line];
  out.elements.Add(MakeElement(0, kShapeLine, kStyleBusLine, line, detail.uid, CVString(detail.name), detail.shape));
  BoundAllPoints(detail.shape, out.bounds);
  for (int i = 0; i < detail.stations.GetSize(); ++i) {
    const tag_BusStationInfo& station = detail.stations[i];
    out.elements.Add(MakeElement(kElementBusStation, kShapePoint, kStyleBusStation, i, station.uid,
                                 CVString(station.name), station.point));
  }
  return 1;
}

int CVectorReq::BuildRoute(const tag_CarRouteRst* route, tagGeoElementList& out) {
  if (!route) {
    return 0;
  }
  const CVArray<tag_Link>& links = route->route.links;
  for (int step = 0; step < links.GetSize(); ++step) {
    out.elements.Add(MakeElement(0, kShapeLine, kStyleRouteLine, step, "", CVString(links[step].name),
                                 JoinedLink(links, step)));
  }
  const CVArray<tag_CarRouteKeyPt>& nodes = route->route.keyPoints;
  for (int i = 0; i < nodes.GetSize(); ++i) {
    out.elements.Add(StepMarker(nodes[i], i));
  }
  out.elements.Add(MakeElement(kElementStart, kShapePoint, kStyleStart, 0, route->start.uid,
                               CVString(route->start.name), route->start.point));
  out.elements.Add(MakeElement(kElementEnd, kShapePoint, kStyleEnd, 0, route->end.uid, CVString(route->end.name),
                               route->end.point));
  BoundSinglePoints(out);
  return 1;
}

int CVectorReq::BuildRouteStep(const tag_CarRouteRst* route, const tagRouteSelection& selection,
                               CGeoElementArray& out) {
  const int step = selection.step + 1;
  if (!route || selection.step < 0 || step >= route->route.links.GetSize()) {
    return 0;
  }
  out.Add(MakeElement(0, kShapeLine, kStyleStepLine, step, "", CVString(route->route.links[step].name),
                      JoinedLink(route->route.links, step)));
  if (step < route->route.keyPoints.GetSize()) {
    out.Add(StepMarker(route->route.keyPoints[step], step));
  }
  return 1;
}

namespace {

// The plan (scheme) of the selection: its legs and their stops (one more
// stop than legs: where each leg boards, and where the last alights).
bool TransitPlan(const tag_BusRouteRst* result, int plan, const CVArray<tag_BusLine>*& legs,
                 const CVArray<tag_BusTransStop>*& stops) {
  if (!result || result->routes.GetSize() == 0) {
    return false;
  }
  const tag_BusRoute& route = result->routes[0];
  if (plan < 0 || plan >= route.lines.GetSize() || plan >= route.stops.GetSize()) {
    return false;
  }
  legs = &route.lines[plan];
  stops = &route.stops[plan];
  return true;
}

int LegStyle(const tag_BusLine& leg) { return leg.type == 1 ? kStyleSubwayLine : kStyleBusRouteLine; }
int StationStyle(const tag_BusLine& leg) { return leg.type == 1 ? kStyleSubwayStation : kStyleTransitStation; }

}  // namespace

int CVectorReq::BuildTransitRoute(const tag_BusRouteRst* result, int plan, tagGeoElementList& out) {
  const CVArray<tag_BusLine>* legs = nullptr;
  const CVArray<tag_BusTransStop>* stops = nullptr;
  if (!TransitPlan(result, plan, legs, stops)) {
    return 0;
  }
  for (int i = 0; i < stops->GetSize(); ++i) {
    const tag_BusTransStop& stop = (*stops)[i];
    if (stop.walkShape.GetPartSize() > 0) {
      out.elements.Add(MakeElement(0, kShapeLine, kStyleWalkLine, i, "", stop.plainWalkText, stop.walkShape));
    }
  }
  for (int i = 0; i < legs->GetSize(); ++i) {
    const tag_BusLine& leg = (*legs)[i];
    out.elements.Add(MakeElement(0, kShapeLine, LegStyle(leg), i, "", CVString(leg.name), leg.shape));
  }
  for (int i = 0; i < legs->GetSize() && i + 1 < stops->GetSize(); ++i) {
    const tag_BusTransStop& on = (*stops)[i];
    const tag_BusTransStop& off = (*stops)[i + 1];
    const int style = StationStyle((*legs)[i]);
    out.elements.Add(MakeElement(kElementBusStation, kShapePoint, style, i, on.onUid, CVString(on.onName),
                                 on.onPoint));
    out.elements.Add(MakeElement(kElementBusStation, kShapePoint, style, i, off.offUid, CVString(off.offName),
                                 off.offPoint));
  }
  out.elements.Add(MakeElement(kElementStart, kShapePoint, kStyleStart, 0, result->start.uid,
                               CVString(result->start.name), result->start.point));
  out.elements.Add(MakeElement(kElementEnd, kShapePoint, kStyleEnd, 0, result->end.uid, CVString(result->end.name),
                               result->end.point));
  BoundSinglePoints(out);
  return 1;
}

int CVectorReq::BuildTransitRouteStep(const tag_BusRouteRst* result, const tagRouteSelection& selection,
                                      CGeoElementArray& out) {
  const CVArray<tag_BusLine>* legs = nullptr;
  const CVArray<tag_BusTransStop>* stops = nullptr;
  const int step = selection.step + 1;
  if (!TransitPlan(result, selection.route, legs, stops) || selection.step < 0 || step >= legs->GetSize()) {
    return 0;
  }
  const tag_BusLine& leg = (*legs)[step];
  out.Add(MakeElement(0, kShapeLine, kStyleStepLine, step, "", CVString(leg.name),
                      JoinedStep(&(*legs)[step - 1].shape, leg.shape)));
  if (step < stops->GetSize()) {
    const tag_BusTransStop& on = (*stops)[step];
    out.Add(MakeElement(kElementStepMarker, kShapePoint, kStyleStepMarker, step, on.onUid, CVString(on.onName),
                        on.onPoint));
  }
  return 1;
}

const tag_CarRouteRst* CVectorReq::Route() const {
  const int type = m_nKind == kVectorDrive ? kResultDrive : kResultWalk;
  return static_cast<const tag_CarRouteRst*>(m_pSource->GetResult(type));
}

const tag_BusRouteRst* CVectorReq::Transit() const {
  return static_cast<const tag_BusRouteRst*>(m_pSource->GetResult(kResultTransit));
}

void CVectorReq::Rebuild() {
  m_pBuilt->elements.RemoveAll();
  m_pBuilt->bounds = {};
  switch (m_nKind) {
    case kVectorPois: {
      auto* list = static_cast<const tag_PoiResult*>(m_pSource->GetResult(kResultPoiList));
      BuildPoiMarkers(list, *m_pBuilt);
      break;
    }
    case kVectorPin:
      BuildPinMarker(m_place, *m_pBuilt);
      break;
    case kVectorBusLine:
      BuildBusLine(static_cast<const tag_BusLineDetailRst*>(m_pSource->GetResult(kResultBusLine)),
                   m_selection.route, *m_pBuilt);
      break;
    case kVectorDrive:
    case kVectorWalk:
      BuildRoute(Route(), *m_pBuilt);
      break;
    case kVectorTransit:
      BuildTransitRoute(Transit(), m_selection.route, *m_pBuilt);
      break;
    case kVectorPlace:
      if (m_pSource->GetPendingType() == kResultPoiDetail) {
        auto* detail = static_cast<const tag_PoiDetailRst*>(m_pSource->GetResult(kResultPoiDetail));
        BuildPlaceMarker(detail ? &detail->poi : nullptr, *m_pBuilt);
      }
      break;
    default:
      break;
  }
  m_working.bounds = m_pBuilt->bounds;
  m_working.elements = m_pBuilt->elements;
  Simplify(m_working.elements);
  m_built = tagRouteSelection{0, -1, 0};
}

void CVectorReq::Simplify(CGeoElementArray& elements) {
  const int level = GetMapViewState().nLevel;
  for (int i = 0; i < elements.GetSize(); ++i) {
    CComplexPt simplified;
    if (SimplifyForLevel(&elements[i].geometry, level, &simplified) > 0) {
      elements[i].geometry = simplified;
    }
  }
  ++m_nSimplified;
}

void CVectorReq::BuildSteps() {
  if (m_selection == m_built) {
    return;
  }
  m_steps.RemoveAll();
  if (m_nKind == kVectorTransit) {
    BuildTransitRouteStep(Transit(), m_selection, m_steps);
  } else {
    BuildRouteStep(Route(), m_selection, m_steps);
  }
  if (m_steps.GetSize() > 0) {
    Simplify(m_steps);
  }
  m_built = m_selection;
}

void CVectorReq::AppendProjected(const CGeoElementArray& elements) {
  const tagMapViewState& view = GetMapViewState();
  for (int i = 0; i < elements.GetSize(); ++i) {
    CGeoElement element = elements[i];
    for (int part = 0; part < element.geometry.GetPartSize(); ++part) {
      CVArray<_VPoint, _VPoint>* points = element.geometry.GetPart(part);
      for (int k = 0; k < points->GetSize(); ++k) {
        _VPoint& p = (*points)[k];
        const _VPoint screen = MapHundredthsToScreen(view, p.x, p.y);
        p.SetPoint(screen.x + view.ptPixelOffset.x, screen.y + view.ptPixelOffset.y);
      }
    }
    m_pProjected->elements.Add(element);
  }
}

int CVectorReq::RequestData() {
  if (!m_pBuilt || !m_pProjected) {
    return 0;
  }
  if (m_pSource && m_bRebuild) {
    m_bRebuild = 0;
    Rebuild();
  }
  m_pProjected->bounds = m_working.bounds;
  m_pProjected->elements.RemoveAll();
  AppendProjected(m_working.elements);
  if (!m_pSource) {
    return 1;
  }
  if (m_nKind == kVectorPois && m_nSelectedPoi >= 0) {
    m_steps.RemoveAll();
    BuildSelectedPoi(static_cast<const tag_PoiResult*>(m_pSource->GetResult(kResultPoiList)), m_nSelectedPoi,
                     m_steps);
    AppendProjected(m_steps);
  } else if (m_nKind == kVectorDrive || m_nKind == kVectorTransit || m_nKind == kVectorWalk) {
    BuildSteps();
    AppendProjected(m_steps);
  }
  return 1;
}

}  // namespace mapengine
