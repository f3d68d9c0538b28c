// The engine's root object and the flat functions that start, stop and
// destroy the engine, route its messages to their owners, and drive
// positioning. The SDK builds the root once (with the engine allocator, after
// the global manager and the code pages), sets its SDK data folder, calls
// EngineInit and then EngineStart; it creates the map control, the location
// object, the search manager and the offline parts itself and stores them in
// the root's pointers.
//
// Threads: every function here runs on the main thread, except that the
// engine handler also sees the timer ticks on the timer thread. It hands
// those over to the main thread as queued messages, so every component the
// ticks reach (positioning, update requests, the offline watchdog) runs on
// the main thread only, and a component destroyed there can never be inside
// a tick at the same time.
#pragma once

#include "engine/base/EngineEnv.h"
#include "engine/base/HttpClient.h"
#include "engine/base/VMap.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "engine/render/MapFacade.h"
#include "engine/render/UrlTranslater.h"
#include "engine/render/VDraw.h"
#include "engine/render/VWnd.h"

namespace mapengine {

class CAppLocation;
class CSearchMan;
class COLRecordMan;
class COLPackageMan;
class CVerDatsetMan;
class CUpdateReqMan;
struct tagLocInfo;

// Timers the engine handler routes.
enum : int {
  kLocationTimer = 1000,
  kUpdateRequestTimer = 1004,
  kOfflineWatchdogTimer = 1005
};

// The message the SDK's interface handler gets once per run of tile
// failures: 2000 with these values.
inline constexpr int kNetworkErrorResultType = -1;
inline constexpr int kNetworkErrorValue = 2;

class CEngineRoot {
public:
  // Builds the members; every pointer null.
  CEngineRoot();
  // Stops the threads and takes the root's members out of the global
  // manager.
  ~CEngineRoot();
  CEngineRoot(const CEngineRoot&) = delete;
  CEngineRoot& operator=(const CEngineRoot&) = delete;

  // Network events (1000 to 1007, 1120) by client type. 0.
  int OnNetEvent(int message, int clientType, int requestId);

  CVSocketMan m_socketMan;
  CVMapWordToPtr m_clients{10};
  CUrlTranslater m_urlTranslater;
  CVMsgMan m_msgMan;
  CHostAddrCache m_hostAddrCache;
  CEngineEnv m_env;
  CAppLocation* m_pLocation = nullptr;
  CSearchMan* m_pSearchMan = nullptr;
  // The offline record store, set by whoever builds the offline parts (not
  // owned): the search manager merges the offline task list into it.
  COLRecordMan* m_pRecordMan = nullptr;
  CVerDatsetMan* m_pVerDatsetMan = nullptr;
  CUpdateReqMan* m_pUpdateReqMan = nullptr;
  CMapControl* m_pMapControl = nullptr;
  CVDC m_screenDC;
  CVBitmap m_screenBitmap;
  int m_bReportNetError = 0;
  // The offline package manager of the map control, made by MapInitLayers
  // with the control's downloader and offline store and freed when the
  // control goes (the control's render library lies below the offline
  // data, so the root keeps it beside the control). It gets the offline
  // tile client's events (type 11), the offline commands (8013) and the
  // watchdog's ticks.
  COLPackageMan* m_pPackageMan = nullptr;
};

// Hands the search manager, the record store and the update manager of the
// root the siblings each of them reaches (or null for one the root lacks).
// Called by whoever sets or clears one of those pointers, before the part
// is used or a part it was handed is freed.
void WireParts(CEngineRoot* root);

// Links the record store and the package manager of the root to each
// other once both exist, and lets a city left queued by an earlier run go
// on downloading. Called by whoever made the second of the two.
void LinkOfflineParts(CEngineRoot* root);

// The root from global slot 15; null before EngineInit.
CEngineRoot* GetEngineRoot();

// Publishes the members in the global manager, starts the timer thread,
// fills the environment, starts the socket worker with room for 30 sockets.
// 1.
int EngineInit(CEngineRoot* root);
// Arms the network-error report, installs the engine handler (ring 1) and
// the SDK's interface handler (ring 2), updates the map's data and repaints
// at once, resets positioning. 0, installing nothing, when the timer thread
// does not run; else 1.
int EngineStart(CEngineRoot* root, EngineMsgProc uiHandler);
// The SDK's form: the two texts play no part.
int EngineStart(CEngineRoot* root, EngineMsgProc uiHandler, const CVString& first, const CVString& second);
// Timers no longer served until the next EngineStart. 1.
int EngineStop(CEngineRoot* root);
// Stops the timer thread, removes the map's layers, frees the screen bitmap
// and DC, stops positioning and releases the search results.
void EngineDestroy(CEngineRoot* root);

// The engine handler (ring 1): timer ticks, network events, the map's step
// messages, the POI background data (8010), offline commands. 0.
int EngineMsgHandler(void* context, int message, int wParam, int lParam);

// The map service's tile host MapInitWindow gives the URL builder.
inline constexpr const char* kTileHost = "http://tiles.map.vuriv.com/";

// The screen window and the map control's layers (which read the root's
// search manager and location object when they exist), then the control's
// offline package manager: 1, or 0 without a window or map control.
int MapInitWindow(CEngineRoot* root, CVWnd* wnd, int centerX, int centerY, const _VRect& rect, int level);
int MapInitLayers(CMapControl* control, int centerX, int centerY, const _VRect& rect, int level);
// Resizes the window and the map to the rectangle: 1, or 0 (nothing changed)
// for a negative size or one beyond kMaxWindowPixels.
int MapResizeWindow(CMapControl* control, int left, int top, int right, int bottom);
// The screen DC, its bitmap re-made first when the window's size changed.
CVDC* MapGetScreenDC(CEngineRoot* root);

// Positioning. LocCreate builds the object in the place given, with its
// cell cache in the engine's data folder; LocDestroy takes it out of the
// root and the map control before running its destructor there.
CAppLocation* LocCreate(void* place);
void LocDestroy(CAppLocation* location);
int LocGetMode(const CAppLocation* location);
int LocSetMode(CAppLocation* location, int mode);
void LocGetCurrent(tagLocInfo* record, CAppLocation* location);
int LocStart(CAppLocation* location);
int LocStop(CAppLocation* location);
// The mode from the low two bits of the configured kind: 0 -> 1, 1 -> 5,
// 2 -> 3, 3 -> 2.
int LocApplyMode(CAppLocation* location);
int LocOnMessage(CAppLocation* location, int message, int wParam, int lParam);

}  // namespace mapengine
