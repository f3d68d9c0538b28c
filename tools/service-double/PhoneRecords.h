#pragma once
// What the double keeps for supervised phones between exchanges, so that a
// change shows on the next reload: each device's home-page status
// ("RQHomePage"), which the one-key commands ("ADCmd" Types 0-3) and the
// restrict mode ("UDTimeConfig" Unlimited) change; the family numbers
// ("RQFamilyPhone", "ADFamilyPhone", "DLFamilyPhone") and invitations
// ("RQSHF" page by page, "ADSHF") of each sender (the user ID the device
// list gives the chosen device); and each device's sync interval ("RQUserSetting",
// "UDUserSetting" of "SyncTime"); each device's recorded positions
// ("RQLocation": those of the DataDate's day, up to its time when it has one,
// newest first) and location mode ("RQCmdLocation", switched by "ADCmd"
// Types 4 and 5). Tests can make it refuse the changes of a TYPE: the reply
// then carries code "1" and nothing changes.

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/service-double/ServiceDouble.h"

namespace servicedouble {

// The phone's state as the home page reads it; the defaults are a phone
// online, its network and screen free, restrict mode on, no alerts today.
struct PhoneStatus {
    std::string isOnline = "1", networkStatus = "3", screenStatus = "2", unlimited = "0";
    std::string badUrls = "0", limitUrls = "0", limitGames = "0";
};

struct FamilyNumber {
    std::string phoneNo, phoneName, phoneType = "亲情", isDel = "0", updateTime, type = "0";
};

struct Invitation {
    std::string fID, fName, addTime;
    bool succeeded = false;  // the friend joined (the list's Valid "1")
};

struct Position {
    std::string longitude, latitude, address, updateTime;  // updateTime "yyyy-MM-dd HH:mm:ss"
};

class PhoneRecords {
public:
    // Scripts the double for the TYPEs above, replacing their scripts.
    void serve(ServiceDouble& service);
    void refuse(const std::string& type, bool refused = true);

    void setStatus(const std::string& bid, PhoneStatus status);
    PhoneStatus status(const std::string& bid) const;
    void setFamily(const std::string& sender, std::vector<FamilyNumber> numbers);
    std::vector<FamilyNumber> family(const std::string& sender) const;
    void setInvitations(const std::string& sender, std::vector<Invitation> invitations);
    std::vector<Invitation> invitations(const std::string& sender) const;
    // "30" until a device's interval is set.
    std::string syncTime(const std::string& bid) const;
    // The time new invitations are stamped with ("yyyy-MM-dd HH:mm:ss"); the
    // double's local time while empty.
    void setNow(std::string now);
    // Newest first, as the service lists them.
    void setPositions(const std::string& bid, std::vector<Position> positions);
    // On until a device's mode is set.
    void setLocationMode(const std::string& bid, bool on);
    bool locationMode(const std::string& bid) const;
    // The demo phone's day of positions (the demo's "RQLocation" reply) on
    // that day ("yyyy-MM-dd").
    static std::vector<Position> demoDay(const std::string& day);

private:
    Reply answer(const Exchange& e);

    mutable std::mutex mutex_;
    std::set<std::string> refused_;
    std::map<std::string, PhoneStatus> status_;
    std::map<std::string, std::vector<FamilyNumber>> family_;
    std::map<std::string, std::vector<Invitation>> invitations_;
    std::map<std::string, std::string> syncTimes_;
    std::map<std::string, std::vector<Position>> positions_;
    std::map<std::string, bool> locationModes_;
    std::string now_;
};

}  // namespace servicedouble
