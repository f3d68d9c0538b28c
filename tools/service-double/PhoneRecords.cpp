#include "tools/service-double/PhoneRecords.h"

#include <algorithm>

#include "protocol/XMLEscape.h"
#include "tools/service-double/DemoAccount.h"
#include "protocol/XMLTree.h"

namespace servicedouble {

namespace {

const char* const kTypes[] = {"RQHomePage", "ADCmd", "UDTimeConfig", "RQFamilyPhone", "ADFamilyPhone", "DLFamilyPhone",
                              "RQSHF", "ADSHF", "RQUserSetting", "UDUserSetting", "RQLocation", "RQCmdLocation"};

std::string field(const _XMLTreeElement* parent, const char* name)
{
    const _XMLTreeElement* e = parent ? XMLTree::childElementNamed(name, parent) : nullptr;
    return e ? XMLTree::textForElement(e).str() : std::string();
}

std::string tag(const char* name, const std::string& value)
{
    return std::string("<") + name + ">" + XMLEscapedString(NSString(value)).str() + "</" + name + ">";
}

std::string outcome(bool ok) { return ok ? "<Code>0</Code><Desc>成功</Desc>" : "<Code>1</Code><Desc>失败</Desc>"; }

int number(const std::string& text, int fallback)
{
    try {
        return std::stoi(text);
    } catch (...) {
        return fallback;
    }
}

}  // namespace

void PhoneRecords::serve(ServiceDouble& service)
{
    for (const char* type : kTypes) service.on(type, [this](const Exchange& e) { return answer(e); });
}

void PhoneRecords::refuse(const std::string& type, bool refused)
{
    std::lock_guard lock(mutex_);
    if (refused)
        refused_.insert(type);
    else
        refused_.erase(type);
}

Reply PhoneRecords::answer(const Exchange& e)
{
    auto tree = XMLTree::initWithXMLString(NSString(e.message));
    const _XMLTreeElement* root = tree->rootXMLElement();
    const _XMLTreeElement* body = root ? XMLTree::childElementNamed("BODY", root) : nullptr;
    const _XMLTreeElement* list = body ? XMLTree::childElementNamed("List", body) : nullptr;
    std::lock_guard lock(mutex_);
    const bool refused = refused_.count(e.type) != 0;
    std::string content;
    if (e.type == "RQHomePage") {
        // The home page names its device as UserID.
        const PhoneStatus& s = status_[field(body, "UserID")];
        content = tag("BadUrls", s.badUrls) + tag("LimitUrls", s.limitUrls) + tag("LimitGames", s.limitGames) +
                  tag("IsOnline", s.isOnline) + tag("NetworkStatus", s.networkStatus) +
                  tag("ScreenStatus", s.screenStatus) + tag("Unlimited", s.unlimited);
    } else if (e.type == "ADCmd" || e.type == "UDTimeConfig") {
        if (!refused) {
            PhoneStatus& s = status_[field(body, "BID")];
            const std::string type = field(body, "Type");
            if (e.type == "UDTimeConfig" && XMLTree::childElementNamed("Unlimited", body))
                s.unlimited = field(body, "Unlimited");
            else if (type == "0" || type == "2")
                s.screenStatus = type == "0" ? "1" : "2";
            else if (type == "1" || type == "3")
                s.networkStatus = type == "1" ? "0" : "3";
            else if (type == "4" || type == "5")
                locationModes_[field(body, "BID")] = type == "4";
        }
        content = outcome(!refused);
    } else if (e.type == "RQFamilyPhone") {
        const auto& rows = family_[e.sender];
        content = tag("TotalRecord", std::to_string(rows.size()));
        for (const auto& f : rows)
            content += "<List>" + tag("PhoneNo", f.phoneNo) + tag("PhoneName", f.phoneName) +
                       tag("PhoneType", f.phoneType) + tag("IsDel", f.isDel) + tag("UpdateTime", f.updateTime) +
                       tag("Type", f.type) + "</List>";
    } else if (e.type == "ADFamilyPhone" || e.type == "DLFamilyPhone") {
        if (!refused) {
            auto& rows = family_[e.sender];
            const std::string no = field(list, "PhoneNo");
            std::erase_if(rows, [&](const FamilyNumber& f) { return f.phoneNo == no && f.type == "0"; });
            if (e.type == "ADFamilyPhone")
                rows.push_back({no, field(list, "PhoneName"), field(list, "PhoneType"), "0", field(list, "UpdateTime"), "0"});
        }
        content = outcome(!refused);
    } else if (e.type == "RQSHF") {
        std::vector<Invitation> chosen;
        for (const auto& i : invitations_[e.sender])
            if (field(body, "Valid") != "1" || i.succeeded) chosen.push_back(i);
        const size_t size = static_cast<size_t>(std::max(1, number(field(body, "PageSize"), 10)));
        const size_t page = static_cast<size_t>(std::max(1, number(field(body, "PageIndex"), 1)));
        content = tag("TotalRecord", std::to_string(chosen.size()));
        for (size_t k = (page - 1) * size; k < chosen.size() && k < page * size; ++k)
            content += "<List>" + tag("FID", chosen[k].fID) + tag("FNAME", chosen[k].fName) +
                       tag("AddTime", chosen[k].addTime) + "</List>";
    } else if (e.type == "ADSHF") {
        // The newest invitation comes first.
        if (!refused)
            invitations_[e.sender].insert(invitations_[e.sender].begin(),
                                          {field(list, "FID"), field(list, "FNAME"), now_.empty() ? ServiceDouble::now() : now_});
        content = outcome(!refused);
    } else if (e.type == "RQUserSetting") {
        const std::string bid = field(body, "Equipid");
        auto at = syncTimes_.find(bid);
        content = "<List>" + tag("Equipid", bid) + tag("ParaName", "SyncTime") +
                  tag("ParaValue", at == syncTimes_.end() ? "30" : at->second) + "</List>";
    } else if (e.type == "RQLocation") {
        // A day ("yyyy-MM-dd") or a moment of it ("yyyy-MM-dd HH:mm:ss").
        const std::string date = field(body, "DataDate");
        for (const auto& p : positions_[field(body, "BID")])
            if (p.updateTime.compare(0, 10, date, 0, 10) == 0 && (date.size() <= 10 || p.updateTime <= date))
                content += "<List>" + tag("Longitude", p.longitude) + tag("Latitude", p.latitude) +
                           tag("Address", p.address) + tag("UpdateTime", p.updateTime) + "</List>";
    } else if (e.type == "RQCmdLocation") {
        auto at = locationModes_.find(field(body, "BID"));
        content = tag("STTM", now_.empty() ? ServiceDouble::now() : now_) +
                  tag("Type", at == locationModes_.end() || at->second ? "4" : "5");
    } else {  // UDUserSetting
        if (!refused) syncTimes_[field(body, "Equipid")] = field(body, "ParaValue");
        content = outcome(!refused);
    }
    return Reply{ServiceDouble::innerReply(e, content)};
}

void PhoneRecords::setStatus(const std::string& bid, PhoneStatus status)
{
    std::lock_guard lock(mutex_);
    status_[bid] = std::move(status);
}

PhoneStatus PhoneRecords::status(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = status_.find(bid);
    return at == status_.end() ? PhoneStatus{} : at->second;
}

void PhoneRecords::setFamily(const std::string& sender, std::vector<FamilyNumber> numbers)
{
    std::lock_guard lock(mutex_);
    family_[sender] = std::move(numbers);
}

std::vector<FamilyNumber> PhoneRecords::family(const std::string& sender) const
{
    std::lock_guard lock(mutex_);
    auto at = family_.find(sender);
    return at == family_.end() ? std::vector<FamilyNumber>{} : at->second;
}

void PhoneRecords::setInvitations(const std::string& sender, std::vector<Invitation> invitations)
{
    std::lock_guard lock(mutex_);
    invitations_[sender] = std::move(invitations);
}

std::vector<Invitation> PhoneRecords::invitations(const std::string& sender) const
{
    std::lock_guard lock(mutex_);
    auto at = invitations_.find(sender);
    return at == invitations_.end() ? std::vector<Invitation>{} : at->second;
}

std::string PhoneRecords::syncTime(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = syncTimes_.find(bid);
    return at == syncTimes_.end() ? "30" : at->second;
}

void PhoneRecords::setNow(std::string now)
{
    std::lock_guard lock(mutex_);
    now_ = std::move(now);
}

void PhoneRecords::setPositions(const std::string& bid, std::vector<Position> positions)
{
    std::lock_guard lock(mutex_);
    positions_[bid] = std::move(positions);
}

void PhoneRecords::setLocationMode(const std::string& bid, bool on)
{
    std::lock_guard lock(mutex_);
    locationModes_[bid] = on;
}

bool PhoneRecords::locationMode(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = locationModes_.find(bid);
    return at == locationModes_.end() || at->second;
}

std::vector<Position> PhoneRecords::demoDay(const std::string& day)
{
    const DemoAccount demo = DemoAccount::load(DemoAccount::defaultFolder());
    std::string lists = demo.replies.at("RQLocation");
    for (size_t at; (at = lists.find("{DATE-0}")) != std::string::npos;) lists.replace(at, 8, day);
    auto tree = XMLTree::initWithXMLString(NSString("<BODY>" + lists + "</BODY>"));
    std::vector<Position> positions;
    const _XMLTreeElement* root = tree->rootXMLElement();
    for (const _XMLTreeElement* e = root ? root->firstChild : nullptr; e; e = e->nextSibling)
        positions.push_back({field(e, "Longitude"), field(e, "Latitude"), field(e, "Address"), field(e, "UpdateTime")});
    return positions;
}

}  // namespace servicedouble
