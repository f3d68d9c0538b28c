#pragma once
// The SDK's entry to offline map data: making one makes sure the engine's
// offline managers exist (which starts the background check for newer
// offline data); it lists the cities the user has or wants, removes a city
// and asks for the zip packages of the Documents folder to be imported.
// Progress and outcomes reach the delegate through the notifier. Main
// thread only.

#include <memory>
#include <optional>
#include <vector>

#include "mapsdk/VIZNotifier.h"
#include "platform/corelocation/CoreLocation.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

namespace mapengine {
struct COLUpdateRecord;
}

// The state of one city's offline data.
class VIZOLUpdateElement : public NSObject {
public:
    NSString cityName;
    int cityID = 0;
    int size = 0;
    // The offline service's data size; filled only when newer data is offered.
    int serversize = 0;
    bool update = false;
    // Percent; a finished city reads 100.
    int ratio = 0;
    // 0 none, 1 downloading, 2 waiting, 3 stopped, 4 finished.
    int status = 0;
    CLLocationCoordinate2D pt;

    static std::shared_ptr<VIZOLUpdateElement> initWithRecord(const mapengine::COLUpdateRecord& record);
};

// One city of the offline city list.
class VIZOLSearchRecord : public NSObject {
public:
    NSString cityName;
    int size = 0;
    int cityID = 0;
};

class VIZOfflineMap : public NSObject {
public:
    // Null when the engine is not booted or a manager cannot be made.
    static std::shared_ptr<VIZOfflineMap> init();
    // Clears the notifier's offline delegate.
    ~VIZOfflineMap() override;

    // Null when there is no record store or no record with that id.
    std::shared_ptr<VIZOLUpdateElement> getUpdateInfo(int cityId) const;
    // In list order; none (not an empty list) when nothing is held.
    std::optional<std::vector<std::shared_ptr<VIZOLUpdateElement>>> getAllUpdateInfo() const;
    // YES when the store removed the city.
    bool remove(int cityId);
    // Asks for the packages of the Documents folder to be imported; NO,
    // without asking, when there is no package manager or an import runs.
    bool scan();

    std::shared_ptr<VIZOfflineMapDelegate> delegate() const { return _delegate.lock(); }
    // Not retained (the delegate is usually the object that owns the map);
    // the notifier holds it weakly too.
    void setDelegate(const std::shared_ptr<VIZOfflineMapDelegate>& delegate);

private:
    std::weak_ptr<VIZOfflineMapDelegate> _delegate;
};
