#include "platform/corelocation/CoreLocation.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"

const NSString kCLErrorDomain = "kCLErrorDomain";

// ---- Locations ----------------------------------------------------------------------

std::shared_ptr<CLLocation> CLLocation::initWithCoordinate(CLLocationCoordinate2D coordinate, CLLocationDistance altitude,
                                                           CLLocationAccuracy horizontalAccuracy,
                                                           CLLocationAccuracy verticalAccuracy, NSDate timestamp)
{
    return initWithCoordinate(coordinate, altitude, horizontalAccuracy, verticalAccuracy, -1, -1, timestamp);
}

std::shared_ptr<CLLocation> CLLocation::initWithCoordinate(CLLocationCoordinate2D coordinate, CLLocationDistance altitude,
                                                           CLLocationAccuracy horizontalAccuracy,
                                                           CLLocationAccuracy verticalAccuracy, CLLocationDirection course,
                                                           CLLocationSpeed speed, NSDate timestamp)
{
    return std::make_shared<CLLocation>(coordinate, altitude, horizontalAccuracy, verticalAccuracy, course, speed,
                                        timestamp);
}

NSString CLLocation::description() const
{
    return NSString::stringWithFormat("<%+.8f,%+.8f> +/- %.2fm", coordinate_.latitude, coordinate_.longitude,
                                      horizontalAccuracy_);
}

// ---- Providers ----------------------------------------------------------------------

namespace {

std::mutex providerLock;
std::shared_ptr<CLLocationProvider> currentProvider;

// Runs on the main thread: at once there, else queued without waiting.
void onMainThread(std::function<void()> block)
{
    if (NSThread::isMainThread()) {
        block();
    } else {
        NSThread::performBlockOnMainThread(std::move(block), false);
    }
}

} // namespace

void CLLocationSetProvider(std::shared_ptr<CLLocationProvider> provider)
{
    std::lock_guard guard(providerLock);
    currentProvider = std::move(provider);
}

std::shared_ptr<CLLocationProvider> CLLocationCopyProvider()
{
    std::lock_guard guard(providerLock);
    if (!currentProvider) currentProvider = std::make_shared<CLScriptedLocationProvider>();
    return currentProvider;
}

void CLLocationProvider::start(Kind kind, const std::shared_ptr<CLLocationManager>& manager)
{
    bool first = false;
    {
        std::lock_guard guard(lock_);
        auto& list = kind == Kind::Location ? locating_ : heading_;
        std::erase_if(list, [](const auto& m) { return m.expired(); });
        for (const auto& m : list) {
            if (m.lock() == manager) return;
        }
        first = kind == Kind::Location && list.empty();
        list.push_back(manager);
    }
    if (first) locationUpdatesStarted();
}

void CLLocationProvider::stop(Kind kind, const CLLocationManager* manager)
{
    std::lock_guard guard(lock_);
    auto& list = kind == Kind::Location ? locating_ : heading_;
    std::erase_if(list, [manager](const auto& m) {
        auto held = m.lock();
        return !held || held.get() == manager;
    });
}

std::vector<std::shared_ptr<CLLocationManager>> CLLocationProvider::running(Kind kind)
{
    std::lock_guard guard(lock_);
    std::vector<std::shared_ptr<CLLocationManager>> now;
    for (const auto& m : kind == Kind::Location ? locating_ : heading_) {
        if (auto held = m.lock()) now.push_back(held);
    }
    return now;
}

void CLLocationProvider::handOver(std::function<void(CLLocationProvider& provider)> block)
{
    onMainThread([self = weak_from_this(), block = std::move(block)] {
        if (auto provider = self.lock()) block(*provider);
    });
}

void CLLocationProvider::deliverLocation(const std::shared_ptr<CLLocation>& location)
{
    handOver([location](CLLocationProvider& p) {
        for (const auto& m : p.running(Kind::Location)) m->handleLocation(location);
    });
}

void CLLocationProvider::deliverHeading(const std::shared_ptr<CLHeading>& heading)
{
    handOver([heading](CLLocationProvider& p) {
        for (const auto& m : p.running(Kind::Heading)) m->handleHeading(heading);
    });
}

void CLLocationProvider::deliverFailure(const std::shared_ptr<NSError>& error)
{
    handOver([error](CLLocationProvider& p) {
        for (const auto& m : p.running(Kind::Location)) m->handleFailure(error);
    });
}

// ---- The scripted provider ------------------------------------------------------------

void CLScriptedLocationProvider::deliver(CLLocationCoordinate2D coordinate, CLLocationAccuracy horizontalAccuracy,
                                         NSTimeInterval ageSeconds, CLLocationDirection course, CLLocationSpeed speed,
                                         CLLocationDistance altitude)
{
    deliverLocation(CLLocation::initWithCoordinate(coordinate, altitude, horizontalAccuracy, -1, course, speed,
                                                   NSDate::dateWithTimeIntervalSinceNow(-ageSeconds)));
}

void CLScriptedLocationProvider::deliverError(const NSString& domain, NSInteger code)
{
    deliverFailure(NSError::errorWithDomain(domain, code));
}

void CLScriptedLocationProvider::deliverHeading(CLLocationDirection degrees)
{
    CLLocationProvider::deliverHeading(std::make_shared<CLHeading>(degrees, degrees, NSDate::date()));
}

bool CLScriptedLocationProvider::loadScript(const std::string& path)
{
    std::ifstream in(path);
    if (!in) return false;
    std::vector<Step> steps;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Step step;
        if (!(fields >> step.at)) {
            if (line.find_first_not_of(" \t\r") == std::string::npos || line[line.find_first_not_of(" \t")] == '#')
                continue;
            return false;
        }
        fields >> step.kind;
        double value = 0;
        while (fields >> value) step.values.push_back(value);
        size_t least = step.kind == "fix" ? 3 : 1;
        if ((step.kind != "fix" && step.kind != "heading" && step.kind != "error") || step.values.size() < least ||
            step.at < 0) {
            return false;
        }
        steps.push_back(std::move(step));
    }
    script_ = std::move(steps);
    played_ = false;
    return true;
}

void CLScriptedLocationProvider::locationUpdatesStarted()
{
    if (!script_) {
        const char* path = std::getenv("NX_LOCATION_SCRIPT");
        if (!path || !loadScript(path)) return;
    }
    if (played_) return;
    played_ = true;
    auto loop = NSRunLoop::mainRunLoop();
    for (const Step& step : *script_) {
        std::weak_ptr<CLLocationProvider> self = weak_from_this();
        loop->addTimer(NSTimer::timerWithTimeInterval(step.at, false,
                                                      [self, step](NSTimer&) {
                                                          if (auto provider = self.lock())
                                                              static_cast<CLScriptedLocationProvider&>(*provider).play(step);
                                                      }),
                       NSRunLoopCommonModes);
    }
}

void CLScriptedLocationProvider::play(const Step& step)
{
    const std::vector<double>& v = step.values;
    auto at = [&v](size_t i, double otherwise) { return i < v.size() ? v[i] : otherwise; };
    if (step.kind == "fix") {
        deliver({v[0], v[1]}, v[2], at(6, 0), at(3, -1), at(4, -1), at(5, 0));
    } else if (step.kind == "heading") {
        deliverHeading(v[0]);
    } else {
        deliverError(kCLErrorDomain, static_cast<NSInteger>(v[0]));
    }
}

// ---- The manager ----------------------------------------------------------------------

CLLocationManager::CLLocationManager() : provider_(CLLocationCopyProvider()) {}

void CLLocationManager::startUpdatingLocation()
{
    provider_->start(CLLocationProvider::Kind::Location,
                     std::static_pointer_cast<CLLocationManager>(shared_from_this()));
}

void CLLocationManager::stopUpdatingLocation() { provider_->stop(CLLocationProvider::Kind::Location, this); }

void CLLocationManager::startUpdatingHeading()
{
    provider_->start(CLLocationProvider::Kind::Heading,
                     std::static_pointer_cast<CLLocationManager>(shared_from_this()));
}

void CLLocationManager::stopUpdatingHeading() { provider_->stop(CLLocationProvider::Kind::Heading, this); }

void CLLocationManager::handleLocation(const std::shared_ptr<CLLocation>& location)
{
    std::shared_ptr<CLLocation> previous = location_;
    location_ = location;
    if (auto d = delegate()) d->locationManager_didUpdateToLocation_fromLocation(this, location, previous);
}

void CLLocationManager::handleHeading(const std::shared_ptr<CLHeading>& heading)
{
    if (auto d = delegate()) d->locationManager_didUpdateHeading(this, heading);
}

void CLLocationManager::handleFailure(const std::shared_ptr<NSError>& error)
{
    if (auto d = delegate()) d->locationManager_didFailWithError(this, error);
}
