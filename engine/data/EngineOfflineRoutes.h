// The engine handler's calls into the offline package manager, kept in a
// unit of their own: the package manager's records and the map control's
// share names that may not meet in one source file.
#pragma once

namespace mapengine {

class COLPackageMan;

int OfflineOnTimer(COLPackageMan* packages, int timerId);
int OfflineOnCommand(COLPackageMan* packages, int code, int argument);
void OfflineOnTileMessage(COLPackageMan* packages, int message, int requestId);

}  // namespace mapengine
