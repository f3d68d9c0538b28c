#pragma once
// The SDK's search request object. Each operation checks its arguments,
// turns them into the engine's forms (UTF-16 engine strings, GBK names, map
// units) and asks the engine's one search manager to start a request. YES
// means the request was started (or answered at once from the last result);
// NO means nothing was asked. Results come later, on the main thread, to the
// notifier's search delegate, which the delegate set last by any VIZSearch
// is. Main thread only.

#include <memory>
#include <vector>

#include "mapsdk/VIZSearchDelegate.h"
#include "platform/corelocation/CoreLocation.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class VIZSearch : public NSObject {
public:
    // Makes the engine's search manager when the engine root holds none;
    // resets the class-wide page capacity to 10. Null when the engine is
    // not booted (no engine root) or the manager cannot be made.
    static std::shared_ptr<VIZSearch> init();
    // Clears the notifier's search delegate when it is still this object's.
    ~VIZSearch() override;

    // Not retained: the delegate is usually the object that owns the search.
    std::shared_ptr<VIZSearchDelegate> delegate() const { return _delegate.lock(); }
    // Also hands the delegate to the notifier (nil clears it there).
    void setDelegate(const std::shared_ptr<VIZSearchDelegate>& delegate);

    // 3 to 6; other values are ignored.
    int transitPolicy() const { return _transitPolicy; }
    void setTransitPolicy(int policy);
    // 0 to 2; other values are ignored.
    int drivingPolicy() const { return _drivingPolicy; }
    void setDrivingPolicy(int policy);

    // Results asked per page of every POI search, shared by all search
    // objects: 1 to 50, other values ignored.
    static int getPageCapacity();
    static void setPageCapacity(int capacity);

    // A keyword of 1 to 99 units, in the current city (Beijing, 131, when
    // none is known).
    bool suggestionSearch(const NSString& keyword);
    // An address of 1 to 99 units; a city of more than 16 units is dropped.
    // Without a city, the current city when the map knows one.
    bool geocode(const NSString& address, const NSString& city);
    // NO for a coordinate that is not a finite number.
    bool reverseGeocode(const CLLocationCoordinate2D& coordinate);
    // A keyword under 100 units, a city of at most 16 (nil or empty: the
    // current city when the map knows one, else none).
    bool poiSearchInCity(const NSString& city, const NSString& key, int pageIndex);
    // The square of side twice the radius (map units) around the centre.
    bool poiSearchNearBy(const NSString& key, const CLLocationCoordinate2D& center, int radius, int pageIndex);
    // The corners in the order given.
    bool poiSearchInbounds(const NSString& key, const CLLocationCoordinate2D& leftBottom,
                           const CLLocationCoordinate2D& rightTop, int pageIndex);
    // 2 to 10 keywords, none holding "$$", joined under 100 units.
    bool poiMultiSearchNearBy(const std::vector<NSString>& keys, const CLLocationCoordinate2D& center, int radius,
                              int pageIndex);
    bool poiMultiSearchInbounds(const std::vector<NSString>& keys, const CLLocationCoordinate2D& leftBottom,
                                const CLLocationCoordinate2D& rightTop, int pageIndex);
    // A city of 1 to 16 units; each end by a usable point or a name of 1 to
    // 49 units.
    bool transitSearch(const NSString& city, const std::shared_ptr<VIZPlanNode>& startNode,
                       const std::shared_ptr<VIZPlanNode>& endNode);
    // Each end by a usable point, or by a name of 1 to 49 units with its
    // city of 1 to 16.
    bool drivingSearch(const NSString& startCity, const std::shared_ptr<VIZPlanNode>& startNode,
                       const NSString& endCity, const std::shared_ptr<VIZPlanNode>& endNode);
    bool walkingSearch(const NSString& startCity, const std::shared_ptr<VIZPlanNode>& startNode,
                       const NSString& endCity, const std::shared_ptr<VIZPlanNode>& endNode);

private:
    std::weak_ptr<VIZSearchDelegate> _delegate;
    int _transitPolicy = 3;
    int _drivingPolicy = 0;
};
