#include "tools/service-double/TimeRules.h"

#include <algorithm>
#include <memory>

#include "protocol/XMLEscape.h"
#include "protocol/XMLTree.h"

namespace servicedouble {

namespace {

const char* const kTypes[] = {"RQPeriod", "ADPeriod", "DLPeriod", "RQGamePeriod", "UDGamePeriod",
                              "UDUrlPeriod", "RQTimeConfig", "UDTimeConfig", "ADCmd", "DLCmd"};

std::string text(const _XMLTreeElement* parent, const char* name)
{
    const _XMLTreeElement* e = parent ? XMLTree::childElementNamed(name, parent) : nullptr;
    return e ? XMLTree::textForElement(e).str() : std::string();
}

bool has(const _XMLTreeElement* parent, const char* name)
{
    return parent && XMLTree::childElementNamed(name, parent) != nullptr;
}

std::string element(const char* name, const std::string& value)
{
    return std::string("<") + name + ">" + XMLEscapedString(NSString(value)).str() + "</" + name + ">";
}

std::string result(bool ok) { return ok ? "<Code>0</Code><Desc>成功</Desc>" : "<Code>1</Code><Desc>失败</Desc>"; }

std::vector<Period> readPeriods(const _XMLTreeElement* body)
{
    std::vector<Period> rows;
    if (!body) return rows;
    for (const _XMLTreeElement* e = XMLTree::childElementNamed("List", body); e; e = XMLTree::nextSiblingNamed("List", e)) {
        Period p;
        p.week = text(e, "Week");
        p.sttm = text(e, "STTM");
        p.edtm = text(e, "EDTM");
        p.type = text(e, "Type");
        if (has(e, "Remark")) p.remark = text(e, "Remark");
        if (has(e, "Holiday")) p.holiday = text(e, "Holiday");
        rows.push_back(p);
    }
    return rows;
}

}  // namespace

std::string TimeRules::openWeek()
{
    std::string week;
    for (int h = 0; h < 168; ++h) week += h ? ",1111" : "1111";
    return week;
}

void TimeRules::serve(ServiceDouble& service)
{
    for (const char* type : kTypes) service.on(type, [this](const Exchange& e) { return answer(e); });
}

void TimeRules::serve(ServiceDouble& service, std::shared_ptr<TimeRules> rules)
{
    for (const char* type : kTypes) service.on(type, [rules](const Exchange& e) { return rules->answer(e); });
}

void TimeRules::startWith(const std::string& periods, const std::string& gamePeriod, const std::string& config)
{
    auto parse = [](const std::string& content) { return XMLTree::initWithXMLString(NSString("<BODY>" + content + "</BODY>")); };
    auto periodTree = parse(periods), weekTree = parse(gamePeriod), configTree = parse(config);
    const _XMLTreeElement* c = configTree->rootXMLElement();
    std::lock_guard lock(mutex_);
    startPeriods_ = readPeriods(periodTree->rootXMLElement());
    if (has(weekTree->rootXMLElement(), "GamePeriod")) startWeek_ = text(weekTree->rootXMLElement(), "GamePeriod");
    if (has(c, "CmdType")) startConfig_.cmdType = text(c, "CmdType");
    if (has(c, "CmdType1")) startConfig_.cmdType1 = text(c, "CmdType1");
    if (has(c, "TimeType")) startConfig_.timeType = text(c, "TimeType");
    if (has(c, "TimeLength")) startConfig_.timeLength = text(c, "TimeLength");
    if (has(c, "Unlimited")) startConfig_.unlimited = text(c, "Unlimited");
}

std::vector<Period>& TimeRules::periodsOf(const std::string& bid)
{
    return periods_.try_emplace(bid, startPeriods_).first->second;
}

TimeConfig& TimeRules::configOf(const std::string& bid)
{
    return configs_.try_emplace(bid, startConfig_).first->second;
}

void TimeRules::refuse(const std::string& type, bool refusedNow)
{
    std::lock_guard lock(mutex_);
    if (refusedNow)
        refused_.insert(type);
    else
        refused_.erase(type);
}

Reply TimeRules::answer(const Exchange& e)
{
    auto tree = XMLTree::initWithXMLString(NSString(e.message));
    const _XMLTreeElement* root = tree->rootXMLElement();
    const _XMLTreeElement* body = root ? XMLTree::childElementNamed("BODY", root) : nullptr;
    const std::string bid = has(body, "BID") ? text(body, "BID") : text(body, "UserID");
    std::lock_guard lock(mutex_);
    const bool refusedNow = refused(e.type);
    std::string content;
    if (e.type == "RQPeriod") {
        for (const auto& p : periodsOf(bid))
            content += "<List>" + element("BID", bid) + element("Week", p.week) + element("STTM", p.sttm) +
                       element("EDTM", p.edtm) + element("Type", p.type) + element("Remark", p.remark) +
                       element("Holiday", p.holiday) + "</List>";
    } else if (e.type == "ADPeriod" || e.type == "DLPeriod") {
        if (!refusedNow) {
            auto& held = periodsOf(bid);
            for (const auto& row : readPeriods(body)) {
                auto at = std::find(held.begin(), held.end(), row);
                if (e.type == "ADPeriod" && at == held.end()) held.push_back(row);
                if (e.type == "DLPeriod" && at != held.end()) held.erase(at);
            }
        }
        content = result(!refusedNow);
    } else if (e.type == "RQGamePeriod") {
        auto at = gamePeriods_.find(bid);
        content = element("GamePeriod", at == gamePeriods_.end() ? startWeek_ : at->second);
    } else if (e.type == "UDGamePeriod" || e.type == "UDUrlPeriod") {
        if (!refusedNow) {
            if (e.type == "UDGamePeriod")
                gamePeriods_[bid] = text(body, "GamePeriod");
            else
                urlPeriods_[e.sender] = text(body, "UrlPeriod");
        }
        content = result(!refusedNow);
    } else if (e.type == "RQTimeConfig") {
        const TimeConfig& c = configOf(bid);
        content = element("CmdType", c.cmdType) + (c.cmdType1.empty() ? "" : element("CmdType1", c.cmdType1)) +
                  element("TimeType", c.timeType) + element("TimeLength", c.timeLength) + element("Unlimited", c.unlimited);
    } else if (e.type == "UDTimeConfig") {
        if (!refusedNow) {
            TimeConfig& c = configOf(bid);
            if (has(body, "CmdType")) c.cmdType = text(body, "CmdType");
            if (has(body, "CmdType1")) c.cmdType1 = text(body, "CmdType1");
            if (has(body, "TimeType")) c.timeType = text(body, "TimeType");
            if (has(body, "TimeLength")) c.timeLength = text(body, "TimeLength");
        }
        content = result(!refusedNow);
    } else {  // ADCmd, DLCmd: the exchange itself is the record
        content = result(!refusedNow);
    }
    return Reply{ServiceDouble::innerReply(e, content)};
}

void TimeRules::setPeriods(const std::string& bid, std::vector<Period> periods)
{
    std::lock_guard lock(mutex_);
    periods_[bid] = std::move(periods);
}

std::vector<Period> TimeRules::periods(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = periods_.find(bid);
    return at == periods_.end() ? startPeriods_ : at->second;
}

void TimeRules::setGamePeriod(const std::string& bid, std::string week)
{
    std::lock_guard lock(mutex_);
    gamePeriods_[bid] = std::move(week);
}

std::string TimeRules::gamePeriod(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = gamePeriods_.find(bid);
    return at == gamePeriods_.end() ? startWeek_ : at->second;
}

std::string TimeRules::urlPeriod(const std::string& sender) const
{
    std::lock_guard lock(mutex_);
    auto at = urlPeriods_.find(sender);
    return at == urlPeriods_.end() ? std::string() : at->second;
}

void TimeRules::setConfig(const std::string& bid, TimeConfig config)
{
    std::lock_guard lock(mutex_);
    configs_[bid] = std::move(config);
}

TimeConfig TimeRules::config(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = configs_.find(bid);
    return at == configs_.end() ? startConfig_ : at->second;
}

}  // namespace servicedouble
