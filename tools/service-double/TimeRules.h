#pragma once
// The time rules of each supervised device, kept by the double between
// exchanges so that a change shows on the next reload: the weekly periods
// ("RQPeriod", "ADPeriod", "DLPeriod"), the week grids ("RQGamePeriod",
// "UDGamePeriod", "UDUrlPeriod"), the time configuration with the protect
// mode ("RQTimeConfig", "UDTimeConfig") and the timed locks ("ADCmd",
// "DLCmd", which the exchanges record). Tests can make it refuse the changes
// of a TYPE: the reply then carries code "1" and nothing changes.

#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/service-double/ServiceDouble.h"

namespace servicedouble {

struct Period {
    std::string week, sttm, edtm, type = "0", remark, holiday = "0";
    bool operator==(const Period& o) const
    {
        return week == o.week && sttm == o.sttm && edtm == o.edtm && type == o.type;
    }
};

struct TimeConfig {
    std::string cmdType = "2", timeType = "-1", timeLength = "0", unlimited = "0";
    std::string cmdType1;  // the school protect mode; not sent while empty
};

class TimeRules {
public:
    // A new device's week grid: every hour allowed.
    static std::string openWeek();

    // Scripts the double for the TYPEs above, replacing their scripts.
    void serve(ServiceDouble& service);
    // The same, the scripts holding the rules (a double that outlives its maker).
    static void serve(ServiceDouble& service, std::shared_ptr<TimeRules> rules);
    // What every device not set otherwise starts with, read from the BODY
    // contents "RQPeriod", "RQGamePeriod" and "RQTimeConfig" answer with (an
    // empty text leaves that part as a new device has it: no periods, an open
    // week, no time rule).
    void startWith(const std::string& periods, const std::string& gamePeriod, const std::string& config);
    // Refuses (or accepts again) the changes of a TYPE.
    void refuse(const std::string& type, bool refused = true);

    void setPeriods(const std::string& bid, std::vector<Period> periods);
    std::vector<Period> periods(const std::string& bid) const;
    void setGamePeriod(const std::string& bid, std::string week);
    std::string gamePeriod(const std::string& bid) const;
    // The web sites' week a sender saved last ("UDUrlPeriod" carries no BID); empty when none.
    std::string urlPeriod(const std::string& sender) const;
    void setConfig(const std::string& bid, TimeConfig config);
    TimeConfig config(const std::string& bid) const;

private:
    Reply answer(const Exchange& e);
    bool refused(const std::string& type) const { return refused_.count(type) != 0; }
    std::vector<Period>& periodsOf(const std::string& bid);
    TimeConfig& configOf(const std::string& bid);

    mutable std::mutex mutex_;
    std::set<std::string> refused_;
    std::map<std::string, std::vector<Period>> periods_;
    std::map<std::string, std::string> gamePeriods_;
    std::map<std::string, std::string> urlPeriods_;
    std::map<std::string, TimeConfig> configs_;
    std::vector<Period> startPeriods_;
    std::string startWeek_ = openWeek();
    TimeConfig startConfig_;
};

}  // namespace servicedouble
