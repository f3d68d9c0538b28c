#pragma once
// Where engine messages become calls on the application's delegates: the
// notifier holds the SDK's process-wide delegates (not retained) and turns
// an API message with its two parameters into one delegate call. Main
// thread only.

#include <memory>

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
    kVIZMsgNetworkState = 7,
    kVIZMsgOfflineState = 13
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

    // 7: the network state (wParam) to the general delegate. 13: an offline
    // report of kind wParam with value lParam: kinds 2, 3, 5 and 6 pass, kind
    // 4 always with value 0, the others reach no one. Other messages reach
    // no delegate here.
    static void msgProc(int message, int wParam, int lParam);
};
