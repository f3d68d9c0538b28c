#include "tools/service-double/DeviceList.h"

#include <algorithm>

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
    for (const char* type : {"RQManageUser", "UDManageUser", "DLManageUser"})
        service.on(type, [devices](const Exchange& e) { return devices->answer(e); });
}

std::vector<std::string>::iterator DeviceList::rowOf(const std::string& bid)
{
    return std::find_if(rows_.begin(), rows_.end(), [&](const std::string& row) { return between(row, "BID") == bid; });
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
    std::string content = "<Code>0</Code><Desc>成功</Desc>";
    if (e.type == "RQManageUser") {
        content = "<TotalRecord>" + std::to_string(rows_.size()) + "</TotalRecord>";
        for (const auto& row : rows_) content += row;
    } else if (auto row = rowOf(bodyText(e, "BID")); row == rows_.end()) {
        content = "<Code>1</Code><Desc>失败</Desc>";
    } else if (e.type == "DLManageUser") {
        rows_.erase(row);
    } else {
        size_t at = 0;
        if (auto old = between(*row, "Nick", &at))
            row->replace(at, old->size(), XMLEscapedString(NSString(bodyText(e, "Nick"))).str());
    }
    return Reply{ServiceDouble::innerReply(e, content)};
}

}  // namespace servicedouble
