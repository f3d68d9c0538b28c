#include "engine/data/GpsProviders.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSNotificationCenter.h"

namespace mapengine {

int CGPSMan::Start() {
  IphoneGPSMan::getInstance()->performSelectorOnMainThread(
      SEL{"initialize", [](NSObject* r, const id&) { static_cast<IphoneGPSMan*>(r)->initialize(); }}, nullptr, false);
  return 1;
}

int CGPSMan::Stop() {
  IphoneGPSMan::getInstance()->performSelectorOnMainThread(
      SEL{"unInitialize", [](NSObject* r, const id&) { static_cast<IphoneGPSMan*>(r)->unInitialize(); }}, nullptr,
      false);
  return 1;
}

CGpsDetailInfo CGPSMan::GetLastFix() {
  // A record of its own per call: the timer thread and the main thread both ask.
  CGpsDetailInfo fix;
  IphoneGPSMan::getInstance()->getLastLocation(&fix);
  return fix;
}

}  // namespace mapengine

namespace {

std::mutex instanceLock;
std::shared_ptr<IphoneGPSMan> instance;

void post(const NSString& name, std::map<NSString, id> userInfo = {}) {
  NSNotificationCenter::defaultCenter()->postNotificationName(name, nullptr, std::move(userInfo));
}

}  // namespace

std::shared_ptr<IphoneGPSMan> IphoneGPSMan::getInstance() {
  std::lock_guard guard(instanceLock);
  if (!instance) instance = std::make_shared<IphoneGPSMan>();
  return instance;
}

void IphoneGPSMan::destroyInstance() {
  std::lock_guard guard(instanceLock);
  instance.reset();
}

std::shared_ptr<CLLocationManagerDelegate> IphoneGPSMan::self() {
  return std::static_pointer_cast<IphoneGPSMan>(shared_from_this());
}

bool IphoneGPSMan::initialize() {
  // A second start would make a second manager and drop the observers.
  if (m_locationManager) return true;
  setFix(nullptr, false);
  m_locationManager = CLLocationManager::init();
  m_locationManager->setDelegate(self());
  m_locationManager->setDesiredAccuracy(kCLLocationAccuracyBest);
  startUpdatingLocation();
  m_arrayHeadingObserver.clear();
  return true;
}

bool IphoneGPSMan::unInitialize() {
  stopUpdatingLocation();
  stopUpdatingHeading();
  m_locationManager.reset();
  setFix(nullptr, false);
  m_arrayHeadingObserver.clear();
  return true;
}

void IphoneGPSMan::startUpdatingLocation() {
  if (!m_locationManager) return;
  m_locationManager->startUpdatingLocation();
  m_locationManager->setDelegate(self());
}

void IphoneGPSMan::stopUpdatingLocation() {
  if (m_locationManager) {
    m_locationManager->stopUpdatingLocation();
    m_locationManager->setDelegate(nullptr);
  }
  setFix(nullptr, false);
  post(kNotificationLocationUpdate);
}

bool IphoneGPSMan::compassAvailable() const { return m_locationManager && m_locationManager->headingAvailable(); }

void IphoneGPSMan::startUpdatingHeading() {
  if (!m_locationManager) return;
  m_locationManager->startUpdatingHeading();
  m_locationManager->setDelegate(self());
}

void IphoneGPSMan::stopUpdatingHeading() {
  if (m_locationManager) m_locationManager->stopUpdatingHeading();
}

bool IphoneGPSMan::registerHeadingObserver(const id& observer) {
  if (std::dynamic_pointer_cast<LocationHeadingObserver>(observer)) m_arrayHeadingObserver.push_back(observer);
  return false;
}

bool IphoneGPSMan::removeHeadingObserver(const id& observer) {
  auto found = std::find(m_arrayHeadingObserver.begin(), m_arrayHeadingObserver.end(), observer);
  if (found == m_arrayHeadingObserver.end()) return false;
  m_arrayHeadingObserver.erase(found);
  return true;
}

std::shared_ptr<CLLocation> IphoneGPSMan::bestEffortAtLocation() const {
  std::lock_guard guard(m_fixLock);
  return m_bestEffortAtLocation;
}

void IphoneGPSMan::setBestEffortAtLocation(const std::shared_ptr<CLLocation>& location) {
  std::lock_guard guard(m_fixLock);
  m_bestEffortAtLocation = location;
}

void IphoneGPSMan::setFix(const std::shared_ptr<CLLocation>& location, bool got) {
  std::lock_guard guard(m_fixLock);
  m_bestEffortAtLocation = location;
  m_bGotLocation = got;
}

void IphoneGPSMan::locationManager_didUpdateToLocation_fromLocation(CLLocationManager*,
                                                                    const std::shared_ptr<CLLocation>& newLocation,
                                                                    const std::shared_ptr<CLLocation>&) {
  if (!newLocation || newLocation->timestamp().timeIntervalSinceNow() < -kStaleAge) return;
  double accuracy = newLocation->horizontalAccuracy();
  if (accuracy < 0) return;
  if (bestEffortAtLocation() && (accuracy > kWorstAccuracy || std::isnan(accuracy))) return;
  setFix(newLocation, true);
  post(kNotificationLocationUpdate);
}

void IphoneGPSMan::locationManager_didUpdateHeading(CLLocationManager*, const std::shared_ptr<CLHeading>& heading) {
  std::vector<id> observers = m_arrayHeadingObserver;  // an observer may remove itself
  for (const id& observer : observers) {
    if (auto o = std::dynamic_pointer_cast<LocationHeadingObserver>(observer))
      o->onHeadingValueUpdate(static_cast<float>(heading->magneticHeading()));
  }
}

void IphoneGPSMan::locationManager_didFailWithError(CLLocationManager*, const std::shared_ptr<NSError>& error) {
  if (error->domain() == kCLErrorDomain && error->code() == kCLErrorDenied) {
    {
      std::lock_guard guard(m_fixLock);
      m_bGotLocation = false;
    }
    post(kNotificationLocationUpdate);
  }
  post(kNotificationLocationFail, {{"error", error}});
}

bool IphoneGPSMan::getLastLocation(mapengine::CGpsDetailInfo* info) {
  *info = mapengine::CGpsDetailInfo{};
  std::shared_ptr<CLLocation> fix;
  {
    std::lock_guard guard(m_fixLock);
    if (m_bGotLocation) fix = m_bestEffortAtLocation;
  }
  if (!fix) {
    info->state = 1;
    return true;
  }
  info->state = 3;
  info->longitude = static_cast<float>(fix->coordinate().longitude);
  info->latitude = static_cast<float>(fix->coordinate().latitude);
  info->course = static_cast<float>(fix->course());
  info->speed = static_cast<float>(fix->speed());
  info->valid = 1;
  // An accuracy that is not a number (the first fix is taken whatever its
  // accuracy) counts as the worst, so that it never reaches an integer as NaN.
  double accuracy = fix->horizontalAccuracy();
  info->horizontalAccuracy =
      static_cast<float>(std::isnan(accuracy) || accuracy > kWorstAccuracy ? kWorstAccuracy : accuracy);
  return true;
}

void IphoneGPSMan::onLocationTimer() {
  CLLocationCoordinate2D at{39.91, 116.41};
  if (auto best = bestEffortAtLocation()) at = {best->coordinate().latitude - 0.01, best->coordinate().longitude};
  setFix(CLLocation::initWithCoordinate(at, 2, 150, 0, NSDate::date()), true);
  post(kNotificationLocationUpdate);
}
