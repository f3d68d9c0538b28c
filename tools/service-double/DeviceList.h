#pragma once
// The devices of the demo account as the service lists them ("RQManageUser"),
// kept between exchanges so that a rename ("UDManageUser": the device's Nick)
// and a removal ("DLManageUser") show on the next read.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/service-double/ServiceDouble.h"

namespace servicedouble {

class DeviceList {
public:
    // From the BODY content a list reply starts with: its <List> elements.
    explicit DeviceList(const std::string& listed);
    // Scripts the three TYPEs with the list; the scripts keep it alive.
    static void serve(ServiceDouble& service, std::shared_ptr<DeviceList> devices);
    // The Nick a device is listed with; nothing when it is not listed.
    std::optional<std::string> nick(const std::string& bid) const;

private:
    Reply answer(const Exchange& e);
    // The row of the device, rows_.end() when there is none.
    std::vector<std::string>::iterator rowOf(const std::string& bid);

    mutable std::mutex mutex_;
    std::vector<std::string> rows_;  // each "<List>...</List>" as the reply writes it
};

}  // namespace servicedouble
