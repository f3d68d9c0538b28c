// The request object of the vector overlay layers: turns the search result
// of its display kind into elements (points in hundredths of map units),
// simplifies them for the zoom level when rebuilt, and projects a copy into
// back-buffer positions on every call, so a pan only re-projects.
#pragma once

#include "engine/model/RouteRecords.h"
#include "engine/model/SearchRecords.h"
#include "engine/render/GeoElement.h"
#include "engine/render/MapDataSource.h"
#include "engine/render/MapLayer.h"

namespace mapengine {

// Display kinds.
enum : int {
  kVectorPois = 1,
  kVectorPin = 2,
  kVectorBusLine = 3,
  kVectorDrive = 4,
  kVectorTransit = 5,
  kVectorWalk = 6,
  kVectorPlace = 7
};

// Style codes the builders give.
enum : int {
  kStyleSecondPoi = 12,
  kStyleBusStation = 14,
  kStyleTransitStation = 15,
  kStyleSubwayStation = 16,
  kStyleStart = 17,
  kStyleEnd = 18,
  kStyleStepMarker = 20,
  kStylePin = 22,
  kStylePlace = 24,
  kStyleBusLine = 61,
  kStyleWalkLine = 62,
  kStyleRouteLine = 63,
  kStyleStepLine = 66,
  kStyleBusRouteLine = 67,
  kStyleSubwayLine = 68
};

struct tagRouteSelection {
  int route = 0;
  int second = -1;
  int step = 0;
  bool operator==(const tagRouteSelection&) const = default;
};

class CVectorReq : public CReqBase {
public:
  void Init(tagGeoElementList* built, tagGeoElementList* projected, CMapDataSource* source);
  void SetKind(int kind) { m_nKind = kind; }
  void SetRebuild() { m_bRebuild = 1; }
  int IsRebuildPending() const { return m_bRebuild; }
  int RequestData() override;

  // Kind 1: the POI to highlight (-1 none).
  void SelectPoi(int index) { m_nSelectedPoi = index; }
  // Kinds 3 to 6: the line or plan (route), and the step to highlight.
  void SelectStep(const tagRouteSelection& selection) { m_selection = selection; }
  // Kind 2: the place the pin stands on.
  void SetPlace(const tag_PoiInfo& place) { m_place = place; }
  // Simplifications run since construction (a pan runs none).
  int GetSimplifyCount() const { return m_nSimplified; }

  // The element builders: 1 when they built something.
  static int BuildPoiMarkers(const tag_PoiResult* result, tagGeoElementList& out);
  static int BuildSelectedPoi(const tag_PoiResult* result, int index, CGeoElementArray& out);
  static int BuildPinMarker(const tag_PoiInfo& place, tagGeoElementList& out);
  static int BuildBusLine(const tag_BusLineDetailRst* holder, int line, tagGeoElementList& out);
  static int BuildRoute(const tag_CarRouteRst* route, tagGeoElementList& out);
  static int BuildRouteStep(const tag_CarRouteRst* route, const tagRouteSelection& selection, CGeoElementArray& out);
  // Transit: the plan (scheme) of the first route at the index.
  static int BuildTransitRoute(const tag_BusRouteRst* result, int plan, tagGeoElementList& out);
  static int BuildTransitRouteStep(const tag_BusRouteRst* result, const tagRouteSelection& selection,
                                   CGeoElementArray& out);
  static int BuildPlaceMarker(const tag_PoiInfo* place, tagGeoElementList& out);

private:
  void Rebuild();
  void BuildSteps();
  // Simplified copies where the reduction works, the element otherwise.
  void Simplify(CGeoElementArray& elements);
  void AppendProjected(const CGeoElementArray& elements);
  const tag_CarRouteRst* Route() const;
  const tag_BusRouteRst* Transit() const;

  tagGeoElementList* m_pBuilt = nullptr;
  tagGeoElementList* m_pProjected = nullptr;
  tagGeoElementList m_working;
  CGeoElementArray m_steps;
  CMapDataSource* m_pSource = nullptr;
  int m_bRebuild = 1;
  int m_nKind = 0;
  tagRouteSelection m_selection;
  tagRouteSelection m_built;
  int m_nSelectedPoi = -1;
  tag_PoiInfo m_place;
  int m_nSimplified = 0;
};

}  // namespace mapengine
