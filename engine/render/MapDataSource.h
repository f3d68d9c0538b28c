// What the overlay and POI background layers read from the search manager:
// its result records by type, and its POI background data (the cache of
// POI background replies and the request for missing tiles). The search
// manager implements it; the map control hands it to the layers.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/base/VTypes.h"
#include "engine/render/PoiBkgCache.h"

namespace mapengine {

// Result types the overlays read.
enum : int {
  kResultPoiDetail = 6,
  kResultPoiInCity = 11,
  kResultPoiList = 12,
  kResultTransit = 14,
  kResultBusLine = 18,
  kResultDrive = 20,
  kResultPoiInBounds = 21,
  kResultWalk = 31
};

class CMapDataSource {
public:
  virtual ~CMapDataSource() = default;
  // The record of a result type (11, 12, 21: tag_PoiResult; 6:
  // tag_PoiDetailRst; 14: tag_BusRouteRst; 18: tag_BusLineDetailRst; 20 and
  // 31: tag_CarRouteRst); null when there is none.
  virtual void* GetResult(int type) = 0;
  // The result type of the last search started.
  virtual int GetPendingType() const = 0;
  // Fills the tiles the cache has for the keyword and lists the others as
  // missing; never starts a request.
  virtual int GetPoiBkgData(const CVString& keyword, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing) = 0;
  // Asks the service for the tiles of the list (all of one level) inside the
  // map rectangle x1, y1, x2, y2 (hundredths of map units); the reply is
  // stored in the cache and announced with engine message 8010. 0 when
  // nothing was sent.
  virtual int RequestPoiBkgData(const CVString& keyword, const CPoiBkgTileArray& tiles, int x1, int y1, int x2,
                                int y2) = 0;
  // Asks the service for the city of the map rectangle (map units) at the
  // level; the reply becomes the current city. 1 when the request started.
  virtual int RequestCurrentCity(const _VPoint& first, const _VPoint& second, int level) = 0;
};

}  // namespace mapengine
