#include "tools/service-double/DemoAccount.h"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

#include "protocol/XMLTree.h"
#include "tools/service-double/AccountBook.h"
#include "tools/service-double/DeviceList.h"
#include "tools/service-double/PCModel.h"
#include "tools/service-double/TimeRules.h"

namespace servicedouble {

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n"), e = s.find_last_not_of(" \t\r\n");
    return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

}  // namespace

std::string fillDates(const std::string& text)
{
    static const std::regex date(R"(\{DATE-(\d+)\})");
    std::string out;
    auto last = text.cbegin();
    for (std::sregex_iterator m(text.begin(), text.end(), date), end; m != end; ++m) {
        out.append(last, (*m)[0].first);
        out += ServiceDouble::daysAgo(std::stoi((*m)[1].str()));
        last = (*m)[0].second;
    }
    out.append(last, text.cend());
    for (size_t at; (at = out.find("{NOW}")) != std::string::npos;) out.replace(at, 5, ServiceDouble::now());
    return out;
}

DemoAccount DemoAccount::load(const std::string& folder)
{
    namespace fs = std::filesystem;
    DemoAccount account;
    auto tree = XMLTree::initWithXMLString(NSString(readFile(fs::path(folder) / "account.xml")));
    const _XMLTreeElement* root = tree->rootXMLElement();
    auto text = [](const _XMLTreeElement* e) { return e ? XMLTree::textForElement(e).str() : std::string(); };
    account.userName = text(XMLTree::childElementNamed("UserName", root));
    account.password = text(XMLTree::childElementNamed("Password", root));
    const _XMLTreeElement* login = XMLTree::childElementNamed("Login", root);
    if (!root || account.userName.empty() || !login) throw std::runtime_error("account.xml holds no account");
    for (const _XMLTreeElement* e = login->firstChild; e; e = e->nextSibling)
        account.login.emplace_back(XMLTree::elementName(e).str(), text(e));

    fs::path replies = fs::path(folder) / "replies";
    if (fs::is_directory(replies)) {
        for (const auto& entry : fs::directory_iterator(replies)) {
            if (entry.path().extension() != ".xml") continue;
            account.replies[entry.path().stem().string()] = trimmed(readFile(entry.path()));
        }
    }
    return account;
}

std::shared_ptr<AccountBook> DemoAccount::serve(ServiceDouble& service) const
{
    const std::string self = "http://127.0.0.1:" + std::to_string(service.port());
    for (const auto& [type, body] : replies) {
        std::string content = body;
        for (size_t at; (at = content.find("{SERVICE}")) != std::string::npos;) content.replace(at, 9, self);
        service.on(type, [content](const Exchange& e) { return Reply{ServiceDouble::innerReply(e, fillDates(content))}; });
    }
    // What a user changes shows on the next read: the PC's time rules, status
    // and black lists and the account's devices are kept, starting from the
    // demo's replies. The one-key commands change the status, so the PC's
    // model answers them.
    auto body = [this](const char* type) {
        auto at = replies.find(type);
        return at == replies.end() ? std::string() : at->second;
    };
    auto rules = std::make_shared<TimeRules>();
    rules->startWith(body("RQPeriod"), body("RQGamePeriod"), body("RQTimeConfig"));
    TimeRules::serve(service, rules);
    auto pcs = std::make_shared<PCModel>();
    pcs->startWith(body("RQHomePage"), body("RQUrlRuleSelf"), body("RQGameRuleSelf"));
    PCModel::serveState(service, pcs);
    DeviceList::serve(service, std::make_shared<DeviceList>(body("RQManageUser")));
    // Accounts change with sign-ups and password changes.
    return AccountBook::serve(service, *this);
}

}  // namespace servicedouble
