#include "mapsdk/VIZNotifier.h"

namespace {

struct Delegates {
    std::weak_ptr<VIZGeneralDelegate> general;
    std::weak_ptr<VIZOfflineMapDelegate> offline;
};

Delegates& Shared()
{
    static Delegates delegates;
    return delegates;
}

void OfflineState(int kind, int value)
{
    auto delegate = VIZNotifier::offlineDelegate();
    if (!delegate) return;
    switch (kind) {
    case 2:
    case 3:
    case 5:
    case 6:
        delegate->onGetOfflineMapState_withState(kind, value);
        break;
    case 4:
        delegate->onGetOfflineMapState_withState(4, 0);
        break;
    default:
        break;
    }
}

}  // namespace

void VIZNotifier::initDelegate()
{
    Shared().general.reset();
}

void VIZNotifier::setGeneralDelegate(const std::shared_ptr<VIZGeneralDelegate>& delegate)
{
    Shared().general = delegate;
}

void VIZNotifier::setOfflineDelegate(const std::shared_ptr<VIZOfflineMapDelegate>& delegate)
{
    Shared().offline = delegate;
}

std::shared_ptr<VIZGeneralDelegate> VIZNotifier::generalDelegate() { return Shared().general.lock(); }

std::shared_ptr<VIZOfflineMapDelegate> VIZNotifier::offlineDelegate() { return Shared().offline.lock(); }

void VIZNotifier::msgProc(int message, int wParam, int lParam)
{
    switch (message) {
    case kVIZMsgNetworkState:
        if (auto delegate = generalDelegate()) delegate->onGetNetworkState(wParam);
        break;
    case kVIZMsgOfflineState:
        OfflineState(wParam, lParam);
        break;
    default:
        break;
    }
}
