#include "tools/service-double/DeviceList.h"

#include <algorithm>
#include <cstdlib>

#include "protocol/XMLEscape.h"
#include "protocol/XMLTree.h"

namespace servicedouble {

namespace {

// The text between <name> and </name> in a row; nothing when absent.
std::optional<std::string> between(const std::string& row, const std::string& name, size_t* at = nullptr)
{
    const std::string open = "<" + name + ">", close = "</" + name + ">";
    const size_t start = row.find(open);
    const size_t end = start == std::string::npos ? std::string::npos : row.find(close, start);
    if (end == std::string::npos) return std::nullopt;
    if (at) *at = start + open.size();
    return row.substr(start + open.size(), end - start - open.size());
}

// Replaces the text of the row's element; false when it has none.
bool replaceText(std::string& row, const std::string& name, const std::string& text)
{
    size_t at = 0;
    auto old = between(row, name, &at);
    if (!old) return false;
    row.replace(at, old->size(), XMLEscapedString(NSString(text)).str());
    return true;
}

std::string bodyText(const Exchange& e, const char* name)
{
    auto tree = XMLTree::initWithXMLString(NSString(e.message));
    const _XMLTreeElement* root = tree->rootXMLElement();
    const _XMLTreeElement* body = root ? XMLTree::childElementNamed("BODY", root) : nullptr;
    const _XMLTreeElement* element = body ? XMLTree::childElementNamed(name, body) : nullptr;
    return element ? XMLTree::textForElement(element).str() : std::string();
}

}  // namespace

DeviceList::DeviceList(const std::string& listed)
{
    const std::string close = "</List>";
    for (size_t start = listed.find("<List>"); start != std::string::npos; start = listed.find("<List>", start)) {
        const size_t end = listed.find(close, start);
        if (end == std::string::npos) break;
        rows_.push_back(listed.substr(start, end + close.size() - start));
        start = end + close.size();
    }
}

void DeviceList::serve(ServiceDouble& service, std::shared_ptr<DeviceList> devices)
{
    for (const char* type : {"RQManageUser", "UDManageUser", "DLManageUser", "UDEquip"})
        service.on(type, [devices](const Exchange& e) { return devices->answer(e); });
    service.on("ADCmd", [devices, others = service.script("ADCmd")](const Exchange& e) {
        if (bodyText(e, "Type") != "6" && others) return others(e);
        return devices->answer(e);
    });
}

std::vector<std::string>::iterator DeviceList::rowOf(const std::string& bid)
{
    const std::string written = XMLEscapedString(NSString(bid)).str();
    return std::find_if(rows_.begin(), rows_.end(), [&](const std::string& row) { return between(row, "BID") == written; });
}

bool DeviceList::bind(const std::string& bid)
{
    if (bid.empty() || rowOf(bid) != rows_.end()) return false;
    long lastUser = 0;
    for (const auto& row : rows_) lastUser = std::max(lastUser, std::atol(between(row, "UserID").value_or("0").c_str()));
    std::string row = "<List><UserID>" + std::to_string(lastUser + 1) +
                      "</UserID><BID></BID><Nick></Nick><IsOnline>0</IsOnline><TaoCan>A</TaoCan>"
                      "<EquipType>Phone</EquipType><ManageType>Home</ManageType></List>";
    replaceText(row, "BID", bid);
    rows_.push_back(std::move(row));
    return true;
}

bool DeviceList::renumber(const std::string& oldId, const std::string& newId)
{
    auto row = rowOf(oldId);
    if (row == rows_.end() || newId.empty() || (newId != oldId && rowOf(newId) != rows_.end())) return false;
    return replaceText(*row, "BID", newId);
}

std::optional<std::string> DeviceList::nick(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    for (const auto& row : rows_)
        if (between(row, "BID") == bid) return between(row, "Nick");
    return std::nullopt;
}

Reply DeviceList::answer(const Exchange& e)
{
    std::lock_guard lock(mutex_);
    if (e.type == "RQManageUser") {
        std::string content = "<TotalRecord>" + std::to_string(rows_.size()) + "</TotalRecord>";
        for (const auto& row : rows_) content += row;
        return Reply{ServiceDouble::innerReply(e, content)};
    }
    bool done = false;
    if (e.type == "ADCmd") {
        done = bodyText(e, "Type") == "6" && bind(bodyText(e, "BID"));
    } else if (e.type == "UDEquip") {
        done = renumber(bodyText(e, "OldId"), bodyText(e, "NewId"));
    } else if (auto row = rowOf(bodyText(e, "BID")); row == rows_.end()) {
        done = false;
    } else if (e.type == "DLManageUser") {
        rows_.erase(row);
        done = true;
    } else {
        done = replaceText(*row, "Nick", bodyText(e, "Nick"));
    }
    return Reply{ServiceDouble::innerReply(e, done ? "<Code>0</Code><Desc>成功</Desc>" : "<Code>1</Code><Desc>失败</Desc>")};
}

}  // namespace servicedouble
