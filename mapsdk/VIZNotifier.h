#pragma once
// Where engine messages become calls on the application's delegates: the
// notifier holds the SDK's process-wide delegates (not retained) and turns
// an API message with its two parameters into one delegate call. Main
// thread only.

#include <memory>

class VIZSearchDelegate;

// Network state of the engine.
class VIZGeneralDelegate {
public:
    virtual ~VIZGeneralDelegate() = default;
    virtual void onGetNetworkState(int error) {}
};

// State reports of offline maps.
class VIZOfflineMapDelegate {
public:
    virtual ~VIZOfflineMapDelegate() = default;
    virtual void onGetOfflineMapState_withState(int kind, int state) {}
};

// API messages the notifier serves.
enum : int {
    kVIZMsgPoiResult = 1,
    kVIZMsgTransitRoute = 2,
    kVIZMsgDrivingRoute = 3,
    kVIZMsgWalkingRoute = 4,
    kVIZMsgAddrResult = 6,
    kVIZMsgNetworkState = 7,
    kVIZMsgGeocodeResult = 10,
    kVIZMsgRouteAddrResult = 11,
    kVIZMsgOfflineState = 13,
    kVIZMsgSuggestionResult = 14
};

class VIZNotifier {
public:
    // Clears the delegates; the SDK's bootstrap calls it once.
    static void initDelegate();
    // The most recent setter wins; nil clears.
    static void setGeneralDelegate(const std::shared_ptr<VIZGeneralDelegate>& delegate);
    static void setOfflineDelegate(const std::shared_ptr<VIZOfflineMapDelegate>& delegate);
    static std::shared_ptr<VIZGeneralDelegate> generalDelegate();
    static std::shared_ptr<VIZOfflineMapDelegate> offlineDelegate();
    // Every search's results go to the search delegate set last.
    static void setSearchDelegate(const std::shared_ptr<VIZSearchDelegate>& delegate);
    static std::shared_ptr<VIZSearchDelegate> searchDelegate();
    // Clears the search delegate when it is that one (gone or not), so that
    // an object releasing late never clears a newer object's delegate.
    static void clearSearchDelegate(const std::weak_ptr<VIZSearchDelegate>& delegate);

    // 7: the network state (wParam) to the general delegate. 13: an offline
    // report of kind wParam with value lParam: kinds 2, 3, 5 and 6 pass, kind
    // 4 always with value 0, the others reach no one. The search messages
    // (1 to 4, 6, 10, 11, 14; wParam the error, lParam the engine result
    // type) fetch the engine's stored result, convert it and call the search
    // delegate on the main thread: a call from another thread is handed
    // over there. Other messages reach no delegate.
    static void msgProc(int message, int wParam, int lParam);
};
