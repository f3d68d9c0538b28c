#pragma once
// Positions and compass headings. A location manager that is updating hands
// its delegate the fixes, headings and errors of a provider, always on the
// main thread. The provider is the scripted one by default: tests push events
// into it, and a script (the file named by NX_LOCATION_SCRIPT) plays a walk
// on the main run loop once the first manager starts updating its location.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSException.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

using CLLocationDegrees = double;
using CLLocationAccuracy = double;
using CLLocationDistance = double;
using CLLocationDirection = double;
using CLLocationSpeed = double;

struct CLLocationCoordinate2D {
    CLLocationDegrees latitude = 0;
    CLLocationDegrees longitude = 0;
};

inline CLLocationCoordinate2D CLLocationCoordinate2DMake(CLLocationDegrees latitude, CLLocationDegrees longitude)
{
    return {latitude, longitude};
}

inline constexpr CLLocationAccuracy kCLLocationAccuracyBest = -1;
inline constexpr CLLocationDistance kCLDistanceFilterNone = -1;

extern const NSString kCLErrorDomain;
enum CLError : NSInteger {
    kCLErrorLocationUnknown = 0,
    kCLErrorDenied = 1,
    kCLErrorNetwork = 2,
    kCLErrorHeadingFailure = 3,
};

class CLLocation : public NSObject {
public:
    CLLocation(CLLocationCoordinate2D coordinate, CLLocationDistance altitude, CLLocationAccuracy horizontalAccuracy,
               CLLocationAccuracy verticalAccuracy, CLLocationDirection course, CLLocationSpeed speed,
               NSDate timestamp)
        : coordinate_(coordinate), altitude_(altitude), horizontalAccuracy_(horizontalAccuracy),
          verticalAccuracy_(verticalAccuracy), course_(course), speed_(speed), timestamp_(timestamp) {}

    // Course and speed unknown (-1).
    static std::shared_ptr<CLLocation> initWithCoordinate(CLLocationCoordinate2D coordinate, CLLocationDistance altitude,
                                                          CLLocationAccuracy horizontalAccuracy,
                                                          CLLocationAccuracy verticalAccuracy, NSDate timestamp);
    static std::shared_ptr<CLLocation> initWithCoordinate(CLLocationCoordinate2D coordinate, CLLocationDistance altitude,
                                                          CLLocationAccuracy horizontalAccuracy,
                                                          CLLocationAccuracy verticalAccuracy, CLLocationDirection course,
                                                          CLLocationSpeed speed, NSDate timestamp);

    CLLocationCoordinate2D coordinate() const { return coordinate_; }
    CLLocationDistance altitude() const { return altitude_; }
    // Negative: the position is not valid.
    CLLocationAccuracy horizontalAccuracy() const { return horizontalAccuracy_; }
    CLLocationAccuracy verticalAccuracy() const { return verticalAccuracy_; }
    // Negative when unknown.
    CLLocationDirection course() const { return course_; }
    CLLocationSpeed speed() const { return speed_; }
    NSDate timestamp() const { return timestamp_; }
    NSString description() const override;

private:
    CLLocationCoordinate2D coordinate_;
    CLLocationDistance altitude_;
    CLLocationAccuracy horizontalAccuracy_;
    CLLocationAccuracy verticalAccuracy_;
    CLLocationDirection course_;
    CLLocationSpeed speed_;
    NSDate timestamp_;
};

class CLHeading : public NSObject {
public:
    CLHeading(CLLocationDirection magneticHeading, CLLocationDirection trueHeading, NSDate timestamp)
        : magneticHeading_(magneticHeading), trueHeading_(trueHeading), timestamp_(timestamp) {}

    CLLocationDirection magneticHeading() const { return magneticHeading_; }
    CLLocationDirection trueHeading() const { return trueHeading_; }
    NSDate timestamp() const { return timestamp_; }

private:
    CLLocationDirection magneticHeading_;
    CLLocationDirection trueHeading_;
    NSDate timestamp_;
};

class CLLocationManager;

// Every method is optional.
class CLLocationManagerDelegate {
public:
    virtual ~CLLocationManagerDelegate() = default;
    virtual void locationManager_didUpdateToLocation_fromLocation(CLLocationManager* manager,
                                                                  const std::shared_ptr<CLLocation>& newLocation,
                                                                  const std::shared_ptr<CLLocation>& oldLocation) {}
    virtual void locationManager_didUpdateHeading(CLLocationManager* manager,
                                                  const std::shared_ptr<CLHeading>& newHeading) {}
    virtual void locationManager_didFailWithError(CLLocationManager* manager, const std::shared_ptr<NSError>& error) {}
};

// Source of the events. Managers register while they update; every event is
// handed, on the main thread, to the managers running then, in the order they
// started. Providers are owned by a shared_ptr.
class CLLocationProvider : public std::enable_shared_from_this<CLLocationProvider> {
public:
    virtual ~CLLocationProvider() = default;
    virtual bool headingAvailable() const { return true; }
    // Told when the first manager starts updating its location.
    virtual void locationUpdatesStarted() {}

    // Hands an event to the running managers: at once on the main thread,
    // else queued onto it (dropped when the provider is gone by then).
    void deliverLocation(const std::shared_ptr<CLLocation>& location);
    void deliverHeading(const std::shared_ptr<CLHeading>& heading);
    void deliverFailure(const std::shared_ptr<NSError>& error);

private:
    friend class CLLocationManager;
    enum class Kind { Location, Heading };
    void start(Kind kind, const std::shared_ptr<CLLocationManager>& manager);
    void stop(Kind kind, const CLLocationManager* manager);
    std::vector<std::shared_ptr<CLLocationManager>> running(Kind kind);
    void handOver(std::function<void(CLLocationProvider& provider)> block);

    std::mutex lock_;
    std::vector<std::weak_ptr<CLLocationManager>> locating_;
    std::vector<std::weak_ptr<CLLocationManager>> heading_;
};

// The provider managers made from now on use. nullptr restores the scripted one.
void CLLocationSetProvider(std::shared_ptr<CLLocationProvider> provider);
std::shared_ptr<CLLocationProvider> CLLocationCopyProvider();

// The scripted provider. Script lines, times in seconds after the first
// manager started updating (lines starting with '#' are comments):
//   T fix LAT LON HACC [COURSE SPEED [ALT [AGE]]]   a fix AGE seconds old
//   T heading DEGREES
//   T error CODE                                     an error of kCLErrorDomain
// Each line is played by a timer on the main run loop, so it follows the clock.
class CLScriptedLocationProvider : public CLLocationProvider {
public:
    // A fix taken ageSeconds before now.
    void deliver(CLLocationCoordinate2D coordinate, CLLocationAccuracy horizontalAccuracy, NSTimeInterval ageSeconds = 0,
                 CLLocationDirection course = -1, CLLocationSpeed speed = -1, CLLocationDistance altitude = 0);
    void deliverError(const NSString& domain, NSInteger code);
    void deliverHeading(CLLocationDirection degrees);

    // Reads a script; false (nothing kept) when a line cannot be read.
    bool loadScript(const std::string& path);
    // Plays the script kept (from NX_LOCATION_SCRIPT when none was loaded).
    void locationUpdatesStarted() override;

private:
    struct Step {
        NSTimeInterval at = 0;
        std::string kind;
        std::vector<double> values;
    };
    void play(const Step& step);

    std::optional<std::vector<Step>> script_;
    bool played_ = false;
};

class CLLocationManager : public NSObject {
public:
    CLLocationManager();
    static std::shared_ptr<CLLocationManager> init() { return std::make_shared<CLLocationManager>(); }

    std::shared_ptr<CLLocationManagerDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<CLLocationManagerDelegate>& delegate) { delegate_ = delegate; }
    CLLocationAccuracy desiredAccuracy() const { return desiredAccuracy_; }
    void setDesiredAccuracy(CLLocationAccuracy accuracy) { desiredAccuracy_ = accuracy; }
    CLLocationDistance distanceFilter() const { return distanceFilter_; }
    void setDistanceFilter(CLLocationDistance distance) { distanceFilter_ = distance; }
    // The last fix handed to the delegate; null before the first.
    std::shared_ptr<CLLocation> location() const { return location_; }
    bool headingAvailable() const { return provider_->headingAvailable(); }

    void startUpdatingLocation();
    void stopUpdatingLocation();
    void startUpdatingHeading();
    void stopUpdatingHeading();

private:
    friend class CLLocationProvider;
    void handleLocation(const std::shared_ptr<CLLocation>& location);
    void handleHeading(const std::shared_ptr<CLHeading>& heading);
    void handleFailure(const std::shared_ptr<NSError>& error);

    std::shared_ptr<CLLocationProvider> provider_;
    std::weak_ptr<CLLocationManagerDelegate> delegate_;
    CLLocationAccuracy desiredAccuracy_ = kCLLocationAccuracyBest;
    CLLocationDistance distanceFilter_ = kCLDistanceFilterNone;
    std::shared_ptr<CLLocation> location_;
};
