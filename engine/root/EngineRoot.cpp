#include "engine/root/EngineRoot.h"

#include <new>

#include "engine/base/EngineHost.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/data/AppLocation.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/data/SearchMan.h"
#include "engine/data/UpdateReqMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapLayer.h"

namespace mapengine {

namespace {

constexpr int kSocketCapacity = 30;
constexpr int kHighDensity = 180;

bool IsArrival(int message) {
  return (message >= 1000 && message <= kMsgHttpComplete) || message == kMsgHttpBadReply ||
         message == kMsgHttpAskAgain;
}

bool IsFailure(int message) { return message >= kMsgHttpConnectFailed && message <= kMsgHttpReceiveFailed; }

CVMsgMan* Messages() {
  CVGlobalMan* man = GetGlobalMan();
  return man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr;
}

// The package manager goes with the map control whose downloader and
// offline store it uses: the store forgets it first, and a running import
// is joined.
void DropPackageMan(CEngineRoot* root) {
  if (!root->m_pPackageMan) {
    return;
  }
  if (root->m_pRecordMan) {
    root->m_pRecordMan->SetPackageMan(nullptr);
  }
  COLPackageMan* packages = root->m_pPackageMan;
  root->m_pPackageMan = nullptr;
  VDelete(packages);
}

// The root forgets a map control before it is destroyed, so no queued
// message reaches it afterwards.
void ForgetMapControl(CMapControl* control) {
  if (CEngineRoot* root = GetEngineRoot(); root && root->m_pMapControl == control) {
    root->m_pMapControl = nullptr;
    DropPackageMan(root);
  }
}

CVString DocumentsFolder() {
  unsigned short units[kPathUnits] = {};
  GetDocumentPath(units);
  CVString folder(units);
  folder.ReplaceChar('\\', '/');
  return folder;
}

// The package manager on the map control's first downloader and offline
// store, with the downloader's busy flag and its own download state clear.
int AttachPackageMan(CEngineRoot* root, CMapControl* control) {
  if (!root->m_pPackageMan) {
    root->m_pPackageMan = VNew<COLPackageMan>(1);
    if (!root->m_pPackageMan) {
      return 0;
    }
  }
  COLPackageMan* packages = root->m_pPackageMan;
  packages->SetGridReq(&control->GetDownloader());
  packages->SetDataCache(&control->GetOfflineCache());
  packages->SetFolders(root->m_env.m_sdkDataFolder, DocumentsFolder());
  packages->SetReqFlag(0);
  packages->ResetState();
  LinkOfflineParts(root);
  return 1;
}

// A tick goes to the component that owns the timer.
void OnTimerTick(CEngineRoot* root, int timerId) {
  switch (timerId) {
    case kLocationTimer:
      if (root->m_pLocation) {
        LocOnMessage(root->m_pLocation, kMsgTimer, timerId, 0);
      }
      break;
    case kUpdateRequestTimer:
      if (root->m_pUpdateReqMan) {
        root->m_pUpdateReqMan->OnHttpEvent(kMsgTimer, timerId, 0);
      }
      break;
    case kOfflineWatchdogTimer:
      if (root->m_pPackageMan) {
        root->m_pPackageMan->OnTimer(kMsgTimer, timerId);
      }
      break;
    default:
      break;
  }
}

// A new screen bitmap of the size, selected into the screen DC; the DC and
// the root each give up their share of the old one, which frees it.
int ReplaceScreenBitmap(CEngineRoot* root, int width, int height) {
  _VSize size;
  size.SetSize(width, height);
  root->m_screenBitmap.DeleteObject();
  if (!root->m_screenBitmap.CreateWithSize(size)) {
    return 0;
  }
  if (!root->m_screenDC.IsValid() && !root->m_screenDC.CreateDC()) {
    return 0;
  }
  root->m_screenDC.SelectBitmap(&root->m_screenBitmap);
  return 1;
}

}  // namespace

CEngineRoot::CEngineRoot() = default;

CEngineRoot::~CEngineRoot() {
  m_msgMan.StopTimerThread();
  m_socketMan.StopThread();
  if (CVGlobalMan* man = GetGlobalMan(); man && man->GetSlot(kSlotEngineRoot) == this) {
    for (int slot : {kSlotEngineRoot, kSlotSocketMan, kSlotHttpClients, kSlotUrlTranslater, kSlotEngineEnv,
                     kSlotMsgMan, kSlotHostAddrCache}) {
      man->SetSlot(slot, nullptr);
    }
    SetMapControlDestroyHook(nullptr);
  }
}

CEngineRoot* GetEngineRoot() {
  CVGlobalMan* man = GetGlobalMan();
  return man ? static_cast<CEngineRoot*>(man->GetSlot(kSlotEngineRoot)) : nullptr;
}

int EngineInit(CEngineRoot* root) {
  CVGlobalMan* man = GetGlobalMan();
  if (!root || !man) {
    return 0;
  }
  man->SetSlot(kSlotEngineRoot, root);
  man->SetSlot(kSlotSocketMan, &root->m_socketMan);
  man->SetSlot(kSlotHttpClients, &root->m_clients);
  man->SetSlot(kSlotUrlTranslater, &root->m_urlTranslater);
  man->SetSlot(kSlotEngineEnv, &root->m_env);
  man->SetSlot(kSlotMsgMan, &root->m_msgMan);
  man->SetSlot(kSlotHostAddrCache, &root->m_hostAddrCache);
  SetMapControlDestroyHook(ForgetMapControl);
  root->m_msgMan.StartTimerThread();
  root->m_env.Init();
  root->m_socketMan.Init(kSocketCapacity);
  root->m_socketMan.StartThread();
  return 1;
}

int EngineStart(CEngineRoot* root, EngineMsgProc uiHandler) {
  if (!root) {
    return 0;
  }
  if (!root->m_msgMan.SetHandlers(EngineMsgHandler, uiHandler)) {
    return 0;
  }
  root->m_bReportNetError = 1;
  if (CMapControl* control = root->m_pMapControl) {
    if (CMapLayer* first = control->GetMapLayer()) {
      first->UpdateData();
    }
    root->m_msgMan.SendMessage(2, kMsgRepaint, 0, 0);
  }
  if (root->m_pLocation) {
    root->m_pLocation->ResetState();
  }
  return 1;
}

int EngineStart(CEngineRoot* root, EngineMsgProc uiHandler, const CVString&, const CVString&) {
  return EngineStart(root, uiHandler);
}

int EngineStop(CEngineRoot* root) { return root ? root->m_msgMan.Reset() : 0; }

void EngineDestroy(CEngineRoot* root) {
  if (!root) {
    return;
  }
  root->m_msgMan.StopTimerThread();
  if (root->m_pMapControl) {
    root->m_pMapControl->RemoveAllLayers();
  }
  root->m_screenDC.DeleteDC();
  root->m_screenBitmap.DeleteObject();
  if (root->m_pLocation) {
    LocStop(root->m_pLocation);
  }
  if (root->m_pSearchMan) {
    root->m_pSearchMan->ReleaseResults();
  }
  DropPackageMan(root);
}

void WireParts(CEngineRoot* root) {
  if (CSearchMan* search = root->m_pSearchMan) {
    search->SetRecordMan(root->m_pRecordMan);
    search->Service().SetUpdateReqMan(root->m_pUpdateReqMan);
  }
  if (root->m_pRecordMan) {
    root->m_pRecordMan->SetSearchMan(root->m_pSearchMan);
  }
}

void LinkOfflineParts(CEngineRoot* root) {
  if (!root || !root->m_pPackageMan || !root->m_pRecordMan) {
    return;
  }
  root->m_pPackageMan->SetRecordMan(root->m_pRecordMan);
  root->m_pRecordMan->SetPackageMan(root->m_pPackageMan);
  // A city that was queued or downloading when the engine last stopped
  // goes on; with nothing queued the manager stays idle.
  root->m_msgMan.PostMessage(1, kMsgOfflineCommand, kOLCodeStartNext, 0);
}

int EngineMsgHandler(void*, int message, int wParam, int lParam) {
  CEngineRoot* root = GetEngineRoot();
  if (!root) {
    return 0;
  }
  if (message == kMsgTimer) {
    // Ticks come on the timer thread; what they reach belongs to the main
    // thread, so they are queued for it.
    if (EngineHost* host = GetEngineHost(); !host || !host->IsMainThread()) {
      root->m_msgMan.PostMessage(1, kMsgTimer, wParam, lParam);
    } else {
      OnTimerTick(root, wParam);
    }
    return 0;
  }
  if (IsArrival(message) || IsFailure(message)) {
    return root->OnNetEvent(message, wParam, lParam);
  }
  switch (message) {
    case kMsgFlingStep:
    case kMsgPanStep:
    case kMsgPoiBackgroundData:
      MapOnMessage(root->m_pMapControl, message, wParam, lParam);
      break;
    case kMsgOfflineCommand:
      if (root->m_pPackageMan) {
        root->m_pPackageMan->OnMessage(wParam, lParam);
      }
      break;
    default:
      break;
  }
  return 0;
}

int CEngineRoot::OnNetEvent(int message, int clientType, int requestId) {
  bool arrival = IsArrival(message);
  if (!arrival && !IsFailure(message)) {
    return 0;
  }
  if (arrival) {
    m_bReportNetError = 1;
  }
  switch (clientType) {
    case kSearchClient:
    case kCityClient:
    case kPoiBkgClient:
    case kOfflineTasksClient:
      if (m_pSearchMan) {
        m_pSearchMan->OnHttpEvent(message, clientType, requestId);
      }
      break;
    case kMapClient:
    case kSatelliteClient:
      if (!arrival && m_bReportNetError) {
        m_bReportNetError = 0;
        m_msgMan.PostMessage(2, kMsgSearchResult, kNetworkErrorResultType, kNetworkErrorValue);
      }
      MapOnMessage(m_pMapControl, message, clientType, requestId);
      // The map's request shares its downloader with the offline download,
      // which waits while the map's runs.
      if (clientType == kMapClient && m_pPackageMan &&
          (message == kMsgHttpComplete || message == kMsgHttpBadReply || IsFailure(message))) {
        m_pPackageMan->OnMapRequestEnded();
      }
      break;
    case kOfflineClient:
      if (m_pPackageMan) {
        m_pPackageMan->OnTileMessage(message, requestId);
      }
      break;
    case kLocationClient:
    case kCollectorClient:
      if (m_pLocation) {
        LocOnMessage(m_pLocation, message, clientType, requestId);
      }
      break;
    case kUpdateRequestClient:
      // Failures too: the manager clears its request and sends it again
      // on a later tick.
      if (m_pUpdateReqMan) {
        m_pUpdateReqMan->OnHttpEvent(message, clientType, requestId);
      }
      break;
    default:
      break;
  }
  return 0;
}

int MapInitWindow(CEngineRoot* root, CVWnd* wnd, int centerX, int centerY, const _VRect& rect, int level) {
  if (!root || !wnd || !root->m_pMapControl) {
    return 0;
  }
  CVGlobalMan* man = GetGlobalMan();
  man->SetSlot(kSlotWnd, wnd);
  man->SetSlotInt(kSlotBitsPerPixel, 32);
  CVStringArray hosts;
  CVString host = kTileHost;
  hosts.Add(host);
  const _VSize& density = root->m_env.m_version.density;
  bool high = density.cx > kHighDensity || density.cy > kHighDensity;
  root->m_urlTranslater.SetMapDomain(hosts, high ? 3 : 2, high ? 5 : 4);
  ReplaceScreenBitmap(root, rect.right - rect.left, rect.bottom - rect.top);
  MapInitLayers(root->m_pMapControl, centerX, centerY, rect, level);
  return 1;
}

int MapInitLayers(CMapControl* control, int centerX, int centerY, const _VRect& rect, int level) {
  if (!control) {
    return 0;
  }
  CEngineRoot* root = GetEngineRoot();
  CVString folder = root ? root->m_env.m_sdkDataFolder : CVString();
  if (root && root->m_pSearchMan) {
    control->SetDataSource(root->m_pSearchMan);
  }
  if (root && root->m_pLocation) {
    control->SetLocSource(root->m_pLocation);
  }
  control->Init(centerX, centerY, rect.left, rect.top, rect.right, rect.bottom, level, folder);
  if (root) {
    AttachPackageMan(root, control);
  }
  return 1;
}

int MapResizeWindow(CMapControl* control, int left, int top, int right, int bottom) {
  const long long width = static_cast<long long>(right) - left;
  const long long height = static_cast<long long>(bottom) - top;
  if (width < 0 || height < 0 || width > kMaxWindowPixels || height > kMaxWindowPixels) {
    return 0;  // the map's tile slots are sized from the window
  }
  CVGlobalMan* man = GetGlobalMan();
  if (auto* wnd = man ? static_cast<CVWnd*>(man->GetSlot(kSlotWnd)) : nullptr) {
    _VSize size;
    size.SetSize(right - left, bottom - top);
    wnd->SetWindowPos(left, top, size);
  }
  if (control) {
    control->SetWindowRect(0, 0, right - left, bottom - top);
  }
  return 1;
}

CVDC* MapGetScreenDC(CEngineRoot* root) {
  if (!root) {
    return nullptr;
  }
  CVGlobalMan* man = GetGlobalMan();
  auto* wnd = man ? static_cast<CVWnd*>(man->GetSlot(kSlotWnd)) : nullptr;
  _VRect client;
  if (wnd) {
    wnd->GetClientRect(&client);
    _VSize size = root->m_screenBitmap.GetSize();
    if (client.right - client.left != size.cx || client.bottom - client.top != size.cy) {
      ReplaceScreenBitmap(root, client.right - client.left, client.bottom - client.top);
    }
  }
  return &root->m_screenDC;
}

CAppLocation* LocCreate(void* place) {
  if (!place) {
    return nullptr;
  }
  CVGlobalMan* man = GetGlobalMan();
  auto* env = man ? static_cast<CEngineEnv*>(man->GetSlot(kSlotEngineEnv)) : nullptr;
  auto* location = new (place) CAppLocation(env ? env->m_dataFolder : CVString());
  location->SetLocKind(3);
  return location;
}

void LocDestroy(CAppLocation* location) {
  if (!location) {
    return;
  }
  // Nothing may route to the object, nor the location layer read it, once
  // it is gone.
  LocStop(location);
  if (CEngineRoot* root = GetEngineRoot()) {
    if (root->m_pLocation == location) {
      root->m_pLocation = nullptr;
    }
    if (root->m_pMapControl) {
      root->m_pMapControl->SetLocSource(nullptr);
    }
  }
  location->~CAppLocation();
}

int LocGetMode(const CAppLocation* location) { return location ? location->GetLocMode() : 0; }

int LocSetMode(CAppLocation* location, int mode) { return location ? location->SetLocMode(mode) : 0; }

void LocGetCurrent(tagLocInfo* record, CAppLocation* location) {
  if (record && location) {
    location->GetLocation(record);
  }
}

int LocStart(CAppLocation* location) {
  if (!location) {
    return 0;
  }
  if (CEngineRoot* root = GetEngineRoot(); root && root->m_pMapControl) {
    root->m_pMapControl->SetLocSource(location);
  }
  location->Start();
  LocApplyMode(location);
  if (CVMsgMan* msgs = Messages()) {
    msgs->SetTimer(kLocationTimer, CAppLocation::kTimerIntervalMs);
  }
  return 1;
}

int LocStop(CAppLocation* location) {
  if (!location) {
    return 0;
  }
  if (CVMsgMan* msgs = Messages()) {
    msgs->KillTimer(kLocationTimer);
  }
  return location->Stop();
}

int LocApplyMode(CAppLocation* location) {
  static constexpr int kModes[4] = {1, 5, 3, 2};
  return location ? location->SetLocMode(kModes[location->GetLocKind() & 3]) : 0;
}

int LocOnMessage(CAppLocation* location, int message, int wParam, int) {
  if (!location) {
    return 0;
  }
  if (message != kMsgTimer) {
    location->OnNetEvent(message, wParam);
  } else if (wParam == kLocationTimer) {
    location->OnLocTimer();
  }
  return 0;
}

}  // namespace mapengine
