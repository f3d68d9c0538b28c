// The positioning providers of the engine's location object: the GPS
// provider, an engine-side adapter over the platform bridge IphoneGPSMan, and
// the cell and Wi-Fi providers, which deliver nothing on this platform.
//
// IphoneGPSMan owns the platform's location manager on the main thread,
// keeps the best fix so far, announces changes with "NotificationLocationUpdate"
// and "NotificationLocationFail", relays compass headings to its observers and
// hands the engine the current fix as a CGpsDetailInfo. The engine reads the
// fix on its timer thread while the main thread replaces it: the fix and its
// flag are read and written together under one lock.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "engine/base/VString.h"
#include "platform/corelocation/CoreLocation.h"

namespace mapengine {

// The engine's time stamp; only ever cleared here.
struct tagCVTime {
  unsigned int value = 0;
  unsigned int words[2] = {};
};

// The fix record handed from the bridge to the engine.
struct CGpsDetailInfo {
  int state = 0;                 // 1 no fix, 3 fix available
  float longitude = 0;           // degrees
  float latitude = 0;
  float course = 0;              // degrees, negative when invalid
  float speed = 0;               // metres per second, negative when invalid
  float height = 0;              // not filled
  float horizontalAccuracy = 0;  // metres, at most 2000
  unsigned short count = 0;      // not filled
  unsigned short reserved = 0;
  tagCVTime time;
  int valid = 0;                 // 1 when a fix is given
};

// The serving cell; a cid of 0 means no cell.
struct tagCellInfo {
  int reserved[2] = {};
  int mcc = 0;
  int mnc = 0;
  int lac = 0;
  int cid = 0;
};

// A Wi-Fi scan.
struct tagWifiScan {
  int count = 0;
};

class CGPSMan {
public:
  virtual ~CGPSMan() = default;
  // Starts or stops positioning on the main thread, without waiting. 1.
  int Start();
  int Stop();
  int Poll(int) { return 0; }
  // The current fix, read on the calling thread.
  CGpsDetailInfo GetLastFix();
};

// No radio reports a cell on this platform; a test may stand in for one.
class CCellMan {
public:
  virtual ~CCellMan() = default;
  int Start() { return 1; }
  int Stop() { return 1; }
  tagCellInfo GetCellInfo() {
    std::lock_guard guard(m_lock);
    return m_cell;
  }
  void SetCellInfo(const tagCellInfo& cell) {
    std::lock_guard guard(m_lock);
    m_cell = cell;
  }

private:
  std::mutex m_lock;
  tagCellInfo m_cell;
};

class CWifiMan {
public:
  virtual ~CWifiMan() = default;
  int Start() { return 0; }
  int Stop() { return 0; }
  tagWifiScan GetScanResult() { return tagWifiScan{}; }
  void SetScanResult(const tagWifiScan&) {}
  void GetQueryText(CVString&) {}
};

}  // namespace mapengine

// Told of every compass heading while registered.
class LocationHeadingObserver {
public:
  virtual ~LocationHeadingObserver() = default;
  virtual void onHeadingValueUpdate(float magneticHeading) = 0;
};

inline const NSString kNotificationLocationUpdate = "NotificationLocationUpdate";
inline const NSString kNotificationLocationFail = "NotificationLocationFail";

class IphoneGPSMan : public NSObject, public CLLocationManagerDelegate {
public:
  // A fix above this accuracy (metres) never replaces one already kept.
  static constexpr double kWorstAccuracy = 2000;
  // A fix older than this (seconds) is stale.
  static constexpr double kStaleAge = 1.0;

  static std::shared_ptr<IphoneGPSMan> getInstance();
  static void destroyInstance();

  // Starts positioning; nothing when it runs already. YES.
  bool initialize();
  // Stops positioning and releases the manager, the fix and the observers. YES.
  bool unInitialize();
  void startUpdatingLocation();
  void stopUpdatingLocation();
  bool compassAvailable() const;
  void startUpdatingHeading();
  void stopUpdatingHeading();
  // Adds an object conforming to LocationHeadingObserver; always NO.
  bool registerHeadingObserver(const id& observer);
  // YES when the object was registered (and now is not).
  bool removeHeadingObserver(const id& observer);
  // Fills the record with the current fix; YES.
  bool getLastLocation(mapengine::CGpsDetailInfo* info);
  // Replaces the fix with a synthetic one near the last and announces it.
  void onLocationTimer();

  std::shared_ptr<CLLocationManager> locationManager() const { return m_locationManager; }
  std::shared_ptr<CLLocation> bestEffortAtLocation() const;
  void setBestEffortAtLocation(const std::shared_ptr<CLLocation>& location);

  void locationManager_didUpdateToLocation_fromLocation(CLLocationManager* manager,
                                                        const std::shared_ptr<CLLocation>& newLocation,
                                                        const std::shared_ptr<CLLocation>& oldLocation) override;
  void locationManager_didUpdateHeading(CLLocationManager* manager, const std::shared_ptr<CLHeading>& heading) override;
  void locationManager_didFailWithError(CLLocationManager* manager, const std::shared_ptr<NSError>& error) override;

private:
  void setFix(const std::shared_ptr<CLLocation>& location, bool got);
  std::shared_ptr<CLLocationManagerDelegate> self();

  std::shared_ptr<CLLocationManager> m_locationManager;
  std::shared_ptr<CLLocation> m_bestEffortAtLocation;
  bool m_bGotLocation = false;
  std::vector<id> m_arrayHeadingObserver;
  mutable std::mutex m_fixLock;  // the fix and its flag
};
