#include "mapsdk/VIZMapManager.h"

#include "engine/base/DeviceInfo.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VFile.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/data/AppLocation.h"
#include "engine/root/EngineRoot.h"
#include "engine/data/SearchMan.h"
#include "mapsdk/EngineMsgDispatcher.h"
#include "mapsdk/VIZEngineHost.h"
#include "mapsdk/ScreenMetrics.h"
#include "mapsdk/VIZOfflineParts.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/uikit/UIApplication.h"

using namespace mapengine;

namespace {

std::u16string folderWithSlash(NSSearchPathDirectory directory)
{
    const auto folders = NSSearchPathForDirectoriesInDomains(directory, NSUserDomainMask, true);
    if (folders.empty()) return {};
    return NSString::stringWithFormat("%@/", folders.front()).utf16();
}

// The root's map control, positioning object and search manager go first,
// then the engine, the screen window and the root itself. The map reads the
// other two, so it goes before them; the offline parts use the search
// manager's clients, so they go before it. The root owns the search manager.
void tearDownRoot(CEngineRoot* root)
{
    if (CMapControl* control = root->m_pMapControl) {
        MapRemoveAllLayers(control);
        MapDestroyControl(control);
        CVMem::Deallocate(control);
        root->m_pMapControl = nullptr;
    }
    if (CAppLocation* location = root->m_pLocation) {
        LocStop(location);
        LocDestroy(location);
        CVMem::Deallocate(location);
        root->m_pLocation = nullptr;
    }
    VIZOfflineParts::shared().reset();
    if (CSearchMan* search = root->m_pSearchMan) {
        search->ReleaseResults();
        root->m_pSearchMan = nullptr;
        WireParts(root);
        VDelete(search);
    }
    EngineDestroy(root);
    if (auto* wnd = static_cast<CVWnd*>(GetGlobalMan()->GetSlot(kSlotWnd))) {
        GetGlobalMan()->SetSlot(kSlotWnd, nullptr);
        VDelete(wnd);
    }
    VDelete(root);
}

}  // namespace

void InitScreenMetrics()
{
    const int density = DeviceInfo::isRetinaScreen() ? 326 : 163;
    ScreenDensity[0] = density;
    ScreenDensity[1] = density;
    if (UIDevice::currentDevice().systemVersion.floatValue() >= 3.2f) {
        const CGSize size = UIScreen::mainScreen().currentMode().size;
        ScreenWidthPixels = static_cast<int>(size.width);
        ScreenHeightPixels = static_cast<int>(size.height);
    } else {
        ScreenWidthPixels = 320;
        ScreenHeightPixels = 480;
    }
}

void InitDataPaths()
{
    const std::u16string documents = folderWithSlash(NSDocumentDirectory);
    const std::u16string caches = folderWithSlash(NSCachesDirectory);
    SetStartupPaths(VStr(documents.c_str()), VStr(caches.c_str()));
}

int BootstrapEngine()
{
    VIZEngineHost::install();
    CVMainGlobalMan* man = CreateGlobalMan();
    if (!man) return 0;
    VIZNotifier::initDelegate();
    InitScreenMetrics();
    InitDataPaths();
    static_cast<CVCMMap*>(man->GetSlot(kSlotCMMap))->LoadTables();

    auto* root = VNew<CEngineRoot>(1);
    if (!root) return 0;
    unsigned short units[kPathUnits] = {};
    GetCachePath(units);
    CVString folder(units);
    folder.ReplaceChar('\\', '/');
    folder = folder.Left(folder.ReverseFind('/') + 1) + kSdkDataFolderName;
    if (!FolderExists(folder)) CreateFolderPath(folder);
    root->m_env.m_sdkDataFolder = folder;
    EngineInit(root);
    return 1;
}

int BootstrapSdk()
{
    if (!BootstrapEngine()) return 0;
    EngineMsgDispatcher::getInstance();
    return 1;
}

std::shared_ptr<VIZMapManager> VIZMapManager::init()
{
    auto manager = std::make_shared<VIZMapManager>();
    if (!GetGlobalMan() && !BootstrapSdk()) {
        DestroyGlobalMan();
        return nullptr;
    }
    return manager;
}

VIZMapManager::~VIZMapManager()
{
    stop();
    if (!GetGlobalMan()) return;
    EngineMsgDispatcher::releaseInstance();
    if (CEngineRoot* root = GetEngineRoot()) tearDownRoot(root);
    DestroyGlobalMan();
}

bool VIZMapManager::start(const NSString&, const std::shared_ptr<VIZGeneralDelegate>& generalDelegate)
{
    CEngineRoot* root = GetGlobalMan() ? GetEngineRoot() : nullptr;
    if (!root || !EngineStart(root, VIZOnEngineUIMessage)) return false;
    VIZNotifier::setGeneralDelegate(generalDelegate);
    return true;
}

bool VIZMapManager::stop()
{
    CEngineRoot* root = GetGlobalMan() ? GetEngineRoot() : nullptr;
    return root && EngineStop(root);
}
