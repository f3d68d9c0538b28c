#pragma once
// The devices of the demo account as the service lists them ("RQManageUser"),
// kept between exchanges so that a rename ("UDManageUser": the device's Nick),
// a removal ("DLManageUser"), a new number ("UDEquip": OldId becomes NewId)
// and a binding ("ADCmd" of Type 6: a Home phone, offline, package "A", under
// the next user ID) show on the next read. The service refuses to bind a
// number listed already, and to give a device a number that is empty or
// another's.

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
    // Scripts the list's TYPEs; the scripts keep it alive. The other commands
    // of "ADCmd" go to the script it had before.
    static void serve(ServiceDouble& service, std::shared_ptr<DeviceList> devices);
    // The Nick a device is listed with; nothing when it is not listed.
    std::optional<std::string> nick(const std::string& bid) const;

private:
    Reply answer(const Exchange& e);
    // Whether it was done; called under the lock.
    bool bind(const std::string& bid);
    bool renumber(const std::string& oldId, const std::string& newId);
    // The row of the device, rows_.end() when there is none.
    std::vector<std::string>::iterator rowOf(const std::string& bid);

    mutable std::mutex mutex_;
    std::vector<std::string> rows_;  // each "<List>...</List>" as the reply writes it
};

}  // namespace servicedouble
