// The engine's message numbers and the client types its HTTP clients carry.
// Every part of the engine, and the SDK's handler of the priority ring, names
// them from here so that a number means one thing everywhere.
#pragma once

namespace mapengine {

// Messages of the rings (the message of tagEngineMsg).
enum : int {
  kMsgTimer = 8,
  kMsgRepaint = 9,
  kMsgHttpPartial = 1002,
  kMsgHttpComplete = 1003,
  kMsgHttpConnectFailed = 1004,
  kMsgHttpSendFailed = 1005,
  kMsgHttpReceiveFailed = 1006,
  kMsgHttpBadReply = 1007,
  kMsgHttpCancelled = 1100,
  kMsgHttpAskAgain = 1120,
  kMsgSearchResult = 2000,
  kMsgDownloadProgress = 2002,
  kMsgLocation = 2004,
  kMsgFlingStep = 8008,
  kMsgPanStep = 8009,
  kMsgPoiBackgroundData = 8010,
  kMsgTileRequest = 8011,
  kMsgOfflineCommand = 8013,
  kMsgSmoothMoveStep = 8015,
  kMsgRouteStep = 8016,
  kMsgSmoothMoveEnd = 8018,
  kMsgMoveEnd = 8020,
  kMsgOfflineProgress = 65289
};

// Client types: a network event's wParam names the client it belongs to.
enum : int {
  kSearchClient = 0,
  kMapClient = 1,
  kLocationClient = 2,
  kCityClient = 3,
  kPoiBkgClient = 4,
  kCollectorClient = 5,
  kOfflineTasksClient = 7,
  kUpdateRequestClient = 9,
  kOfflineClient = 11,
  kSatelliteClient = 12
};

}  // namespace mapengine
