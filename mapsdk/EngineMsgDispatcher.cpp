#include "mapsdk/EngineMsgDispatcher.h"

#include "engine/base/EngineMessages.h"
#include "engine/base/HttpClient.h"
#include "engine/base/VGlobalMan.h"
#include "engine/root/EngineRoot.h"
#include "engine/render/MapControl.h"
#include "http/NXHTTPRequest.h"
#include "mapsdk/VIZEngineHost.h"
#include "mapsdk/VIZNotifier.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

using namespace mapengine;

namespace {

// Never destroyed: the application's objects, and the map manager among them
// that releases the dispatcher, may go after the statics at exit.
std::shared_ptr<EngineMsgDispatcher>& sharedDispatcher()
{
    static auto* instance = new std::shared_ptr<EngineMsgDispatcher>;
    return *instance;
}

CMapControl* mapControl()
{
    CEngineRoot* root = GetEngineRoot();
    return root ? root->m_pMapControl : nullptr;
}

// API messages of the notifier.
enum : int {
    kApiPoi = 1,
    kApiTransit = 2,
    kApiDriving = 3,
    kApiWalking = 4,
    kApiLocation = 5,
    kApiAddress = 6,
    kApiNetworkState = kVIZMsgNetworkState,
    kApiGeocode = 10,
    kApiRouteAddresses = 11,
    kApiOfflineCities = 12,
    kApiOffline = kVIZMsgOfflineState,
    kApiSuggestion = 14
};

void repaint()
{
    CEngineRoot* root = GetEngineRoot();
    if (!root || !root->m_pMapControl) return;
    MapPaint(root->m_pMapControl, MapGetScreenDC(root));
    if (auto* wnd = static_cast<CVWnd*>(GetGlobalMan()->GetSlot(kSlotWnd))) wnd->Invalidate();
}

}  // namespace

std::shared_ptr<EngineMsgDispatcher> EngineMsgDispatcher::getInstance()
{
    auto& instance = sharedDispatcher();
    if (!instance) {
        instance = std::make_shared<EngineMsgDispatcher>();
        instance->registerNotification();
        instance->createNetStatusMonitorTimer();
    }
    return instance;
}

void EngineMsgDispatcher::releaseInstance()
{
    // Held here until it is stopped: its timer holds it too, and letting the
    // timer go may leave this the last reference.
    const std::shared_ptr<EngineMsgDispatcher> instance = std::move(sharedDispatcher());
    if (!instance) return;
    if (instance->netStatusTimer_) instance->netStatusTimer_->invalidate();
    instance->netStatusTimer_.reset();
    instance->unRegisterNotification();
}

EngineMsgDispatcher::~EngineMsgDispatcher() { unRegisterNotification(); }

void EngineMsgDispatcher::registerNotification()
{
    NSNotificationCenter::defaultCenter()->addObserver(this, NX_SEL0(EngineMsgDispatcher, onNotificationEngineMessage),
                                                       kNotificationEngineMessage, nullptr);
}

void EngineMsgDispatcher::unRegisterNotification()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this, kNotificationEngineMessage, nullptr);
}

void EngineMsgDispatcher::onNotificationEngineMessage()
{
    performSelectorOnMainThread(NX_SEL0(EngineMsgDispatcher, dispatchMessage), nullptr, false);
}

void EngineMsgDispatcher::dispatchMessage()
{
    CVGlobalMan* man = GetGlobalMan();
    if (auto* messages = man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr) messages->DispatchMessage();
}

void EngineMsgDispatcher::moveSmooth()
{
    if (CMapControl* control = mapControl()) control->MoveSmoothStep();
}

void EngineMsgDispatcher::createNetStatusMonitorTimer()
{
    netStatusTimer_ = NSTimer::scheduledTimerWithTimeInterval(
        kNetStatusInterval, shared_from_this(), NX_SEL0(EngineMsgDispatcher, onNetStatusMonitorTimer), nullptr, true);
}

void EngineMsgDispatcher::onNetStatusMonitorTimer()
{
    CVGlobalMan* man = GetGlobalMan();
    if (!man || !man->GetSlot(kSlotHttpClients)) return;
    UIApplication& application = UIApplication::sharedApplication();
    if (HttpClientMapIsBusy()) {
        showingIndicator_ = true;
        application.setNetworkActivityIndicatorVisible(true);
    } else if (showingIndicator_) {
        showingIndicator_ = false;
        if (!NXHTTPRequest::isNetworkActivityIndicatorVisible()) application.setNetworkActivityIndicatorVisible(false);
    }
}

int VIZApiMessageForResultType(int resultType)
{
    switch (resultType) {
    case 7:
    case 11:
    case 12:
    case 21:
    case 45:
        return kApiPoi;
    case 14:
        return kApiTransit;
    case 20:
        return kApiDriving;
    case 31:
        return kApiWalking;
    case 44:
        return kApiAddress;
    case -1:
        return kApiNetworkState;
    case 35:
        return kApiGeocode;
    case 23:
        return kApiRouteAddresses;
    case 507:
        return kApiOfflineCities;
    case 506:
        return kApiSuggestion;
    default:
        return 0;
    }
}

int VIZApiErrorForEngineError(int error) { return error >= 11 && error <= 14 ? 100 : error; }

int VIZOnSearchResult(int resultType, int error)
{
    VIZNotifier::msgProc(VIZApiMessageForResultType(resultType), VIZApiErrorForEngineError(error), resultType);
    return 1;
}

int VIZOnEngineUIMessage(void*, int message, int wParam, int lParam)
{
    auto center = NSNotificationCenter::defaultCenter();
    switch (message) {
    case kMsgRepaint:
        repaint();
        return 0;
    case kMsgSearchResult:
        return VIZOnSearchResult(wParam, lParam);
    case kMsgLocation:
        VIZNotifier::msgProc(kApiLocation, lParam ? 200 : 0, 0);
        return 0;
    case kMsgFlingStep:
        if (CMapControl* control = mapControl()) control->OnFlingStep();
        return 1;
    case kMsgSmoothMoveStep:
        center->postNotificationName(kNotificationEngineAnimationBegin, nullptr);
        if (auto dispatcher = sharedDispatcher())
            dispatcher->performSelector(NX_SEL0(EngineMsgDispatcher, moveSmooth), nullptr,
                                        EngineMsgDispatcher::kSmoothMoveDelay);
        return 1;
    case kMsgRouteStep:
        if (CMapControl* control = mapControl()) control->FollowRouteStep(wParam, lParam);
        return 1;
    case kMsgSmoothMoveEnd:
        center->postNotificationName(kNotificationEngineAnimationEnd, nullptr);
        return 0;
    case kMsgOfflineProgress:
        VIZNotifier::msgProc(kApiOffline, wParam, lParam);
        return 1;
    default:
        return 0;
    }
}
