#include "engine/data/EngineOfflineRoutes.h"

#include "engine/base/VMsgMan.h"
#include "engine/data/OLPackageMan.h"

namespace mapengine {

int OfflineOnTimer(COLPackageMan* packages, int timerId) {
  return packages ? packages->OnTimer(kMsgTimer, timerId) : 0;
}

int OfflineOnCommand(COLPackageMan* packages, int code, int argument) {
  return packages ? packages->OnMessage(code, argument) : 0;
}

void OfflineOnTileMessage(COLPackageMan* packages, int message, int requestId) {
  if (packages) {
    packages->OnTileMessage(message, requestId);
  }
}

}  // namespace mapengine
