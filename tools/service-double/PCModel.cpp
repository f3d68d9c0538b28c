#include "tools/service-double/PCModel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "protocol/XMLEscape.h"
#include "protocol/XMLTree.h"

namespace servicedouble {

namespace {

const char* const kStateTypes[] = {"RQHomePage",     "ADCmd",          "RQCurLimit",    "RQUrlRuleSelf",  "ADUrlRuleSelf",
                                   "DLUrlRuleSelf",  "RQGameRuleSelf", "ADGameRuleSelf", "DLGameRuleSelf"};
const char* const kTypes[] = {"RQHomePage",     "ADCmd",          "RQCurLimit",     "RQUrlRuleSelf", "ADUrlRuleSelf",
                              "DLUrlRuleSelf",  "RQGameRuleSelf", "ADGameRuleSelf", "DLGameRuleSelf", "RQUrlAccess",
                              "RQGameAccess",   "RQCapturePic"};

using Node = const _XMLTreeElement*;

std::string text(Node parent, const char* name)
{
    Node e = parent ? XMLTree::childElementNamed(name, parent) : nullptr;
    return e ? XMLTree::textForElement(e).str() : std::string();
}

std::string element(const char* name, const std::string& value)
{
    return std::string("<") + name + ">" + XMLEscapedString(NSString(value)).str() + "</" + name + ">";
}

std::string result(bool ok) { return ok ? "<Code>0</Code><Desc>成功</Desc>" : "<Code>1</Code><Desc>失败</Desc>"; }

std::vector<Node> lists(Node body)
{
    std::vector<Node> out;
    for (Node e = body ? XMLTree::childElementNamed("List", body) : nullptr; e; e = XMLTree::nextSiblingNamed("List", e))
        out.push_back(e);
    return out;
}

// A positive page number of the body, else 1; a page size, else 20.
int number(Node body, const char* name, int fallback)
{
    const int n = std::atoi(text(body, name).c_str());
    return n > 0 ? n : fallback;
}

std::string two(int n)
{
    char s[8];
    std::snprintf(s, sizeof s, "%02d", n % 100);
    return s;
}

// Capture pictures are numbered 1 to 99 (CaptureImages.h).
int picture(int n) { return (n - 1) % 99 + 1; }

std::string webRecord(int n, const std::string& day, const std::string& self)
{
    char site[40];
    std::snprintf(site, sizeof site, "site-%03d.example.com", n);
    static const char* const kinds[] = {"Study", "News", "Games", "Video"};
    return "<List>" + element("Url", site) + element("Num", std::to_string(1000 - n)) + element("Allowed", "2") +
           element("VisitedTime", day + " " + two(8 + n % 12) + ":" + two(n % 60) + ":" + two(n * 7 % 60)) +
           element("Type", kinds[n % 4]) + element("Name", "Example site " + std::to_string(n)) +
           element("Path", self + "/captures/" + std::to_string(picture(n)) + "-full.png") + "</List>";
}

std::string gameRecord(int n, const std::string& day, const std::string& self)
{
    const std::string name = "Program " + two(n);
    return "<List>" + element("GameName", name) + element("Allowed", "2") + element("Num", std::to_string(500 - n)) +
           element("VisitedTime", day + " " + two(9 + n % 10) + ":" + two(n * 3 % 60) + ":00") +
           element("ProcName", "program" + two(n) + ".exe") + element("Author", n % 5 ? "Example Soft" : "") +
           element("Type", n % 2 ? "Game" : "Tool") + element("Path", self + "/captures/" + std::to_string(picture(50 + n)) + "-full.png") +
           element("Path1", "C:\\Programs\\" + name + "\\program" + two(n) + ".exe") +
           element("SHA1", "5ha1" + std::to_string(n)) + "</List>";
}

std::string capture(int number, int i, const std::string& day, const std::string& self)
{
    const std::string base = self + "/captures/" + std::to_string(number);
    return "<List>" + element("PicName", "Capture " + std::to_string(i + 1)) + element("PicPath", base + "-full.png") +
           element("PicMiddle", base + "-middle.png") + element("PicThumb", base + "-thumb.png") +
           element("CaptureTime", day + " " + two(8 + i / 4) + ":" + two(i % 4 * 15 + 1) + ":07") + "</List>";
}

// Rows [first, first + size) of a list of `total`, each made by the function.
template <class Make>
std::string page(int total, Node body, Make make)
{
    const int size = number(body, "PageSize", 20);
    const int first = (number(body, "PageIndex", 1) - 1) * size;
    std::string rows;
    for (int n = first + 1; n <= std::min(total, first + size); ++n) rows += make(n);
    return element("TotalRecord", std::to_string(total)) + rows;
}

}  // namespace

int PCModel::capturesOfDay(const std::string& day)
{
    if (day.size() != 10 || day[4] != '-' || day[7] != '-') return 0;
    static const int counts[] = {26, 7, 12};
    return counts[std::atoi(day.c_str() + 8) % 3];
}

void PCModel::serve(ServiceDouble& service)
{
    const std::string self = "http://127.0.0.1:" + std::to_string(service.port());
    for (const char* type : kTypes)
        service.on(type, [this, self](const Exchange& e) { return answer(e, self); });
}

void PCModel::serveState(ServiceDouble& service, std::shared_ptr<PCModel> model)
{
    const std::string self = "http://127.0.0.1:" + std::to_string(service.port());
    for (const char* type : kStateTypes)
        service.on(type, [model, self](const Exchange& e) { return model->answer(e, self); });
}

void PCModel::startWith(const std::string& homePage, const std::string& webRules, const std::string& gameRules)
{
    auto parse = [](const std::string& content) { return XMLTree::initWithXMLString(NSString("<BODY>" + content + "</BODY>")); };
    auto homeTree = parse(homePage), webTree = parse(webRules), gameTree = parse(gameRules);
    Node home = homeTree->rootXMLElement();
    auto set = [&](std::string& field, const char* name) {
        if (XMLTree::childElementNamed(name, home)) field = text(home, name);
    };
    auto setTime = [&](std::string& field, const char* name) {
        std::string value = text(home, name);
        if (!value.empty()) field = value.substr(value.find_last_of(' ') + 1);
    };
    std::lock_guard lock(mutex_);
    PCStatus& s = startStatus_;
    set(s.isOnline, "IsOnline"), set(s.networkStatus, "NetworkStatus"), set(s.screenStatus, "ScreenStatus");
    set(s.usedTime, "UsedTime"), set(s.usingUrl, "UsingUrl"), set(s.usingGame, "UsingGame");
    set(s.badUrls, "BadUrls"), set(s.limitUrls, "LimitUrls"), set(s.limitGames, "LimitGames");
    setTime(s.bootTime, "BootTime"), setTime(s.closeTime, "CloseTime");
    setTime(s.urlTime, "UrlTime"), setTime(s.gameTime, "GameTime");
    if (Node web = webTree->rootXMLElement(); XMLTree::childElementNamed("List", web)) {
        startWeb_.clear();
        for (Node l : lists(web)) startWeb_.push_back({text(l, "UrlBlack"), text(l, "UrlType"), text(l, "UrlName")});
    }
    if (Node games = gameTree->rootXMLElement(); XMLTree::childElementNamed("List", games)) {
        startGames_.clear();
        for (Node l : lists(games))
            startGames_.push_back({text(l, "GameName"), text(l, "ProcName"), text(l, "Author"), text(l, "GameType"),
                                   text(l, "Type"), text(l, "SHA1"), text(l, "Path")});
    }
}

std::vector<WebRule>& PCModel::webOf(const std::string& bid)
{
    return web_.try_emplace(bid, startWeb_).first->second;
}

std::vector<GameRule>& PCModel::gamesOf(const std::string& bid)
{
    return games_.try_emplace(bid, startGames_).first->second;
}

Reply PCModel::answer(const Exchange& e, const std::string& self)
{
    auto tree = XMLTree::initWithXMLString(NSString(e.message));
    Node root = tree->rootXMLElement();
    Node body = root ? XMLTree::childElementNamed("BODY", root) : nullptr;
    std::string bid = text(body, "BID");
    if (bid.empty()) bid = text(body, "UserID");
    if (bid.empty()) bid = e.sender;
    const std::string day = text(body, "DataDate");

    std::lock_guard lock(mutex_);
    std::string content;
    if (e.type == "RQHomePage") {
        const PCStatus& s = status_.try_emplace(bid, startStatus_).first->second;
        const std::string today = ServiceDouble::now().substr(0, 10);
        content = element("BootTime", today + " " + s.bootTime) + element("CloseTime", today + " " + s.closeTime) +
                  element("UsedTime", s.usedTime) + element("UsingUrl", s.usingUrl) +
                  element("UrlTime", today + " " + s.urlTime) + element("UsingGame", s.usingGame) +
                  element("GameTime", today + " " + s.gameTime) + element("BadUrls", s.badUrls) +
                  element("LimitUrls", s.limitUrls) + element("LimitGames", s.limitGames) +
                  element("IsOnline", s.isOnline) + element("NetworkStatus", s.networkStatus) +
                  element("ScreenStatus", s.screenStatus);
    } else if (e.type == "ADCmd") {
        PCStatus& s = status_.try_emplace(bid, startStatus_).first->second;
        const std::string type = text(body, "Type");
        if (type == "0") s.screenStatus = "1";
        if (type == "1") s.networkStatus = "1";
        if (type == "2") s.screenStatus = "2";
        if (type == "3") s.networkStatus = "3";
        content = result(true);
    } else if (e.type == "RQCurLimit") {
        const std::string kind = text(body, "Type");
        if (kind == "0") content = "<List>" + element("Type", "0") + element("Name", "bad.example.com") + element("Num", "1") + "</List>";
        if (kind == "1")
            for (const auto& r : webOf(bid))
                content += "<List>" + element("Type", "1") + element("Name", r.site) + element("Num", "1") + "</List>";
        if (kind == "2")
            for (const auto& r : gamesOf(bid))
                content += "<List>" + element("Type", "2") + element("Name", r.gameName) + element("Num", "1") + "</List>";
    } else if (e.type == "RQUrlRuleSelf") {
        const auto& rules = webOf(bid);
        content = element("TotalRecord", std::to_string(rules.size()));
        for (const auto& r : rules)
            content += "<List>" + element("UrlBlack", r.site) + element("UrlType", r.type) + element("UrlName", r.name) + "</List>";
    } else if (e.type == "ADUrlRuleSelf" || e.type == "DLUrlRuleSelf") {
        auto& rules = webOf(bid);
        for (Node l : lists(body)) {
            const std::string site = text(l, "UrlBlack");
            auto at = std::find_if(rules.begin(), rules.end(), [&](const WebRule& r) { return r.site == site; });
            if (e.type == "ADUrlRuleSelf" && at == rules.end()) rules.push_back({site, "未知", site});
            if (e.type == "DLUrlRuleSelf" && at != rules.end()) rules.erase(at);
        }
        content = result(true);
    } else if (e.type == "RQGameRuleSelf") {
        const auto& rules = gamesOf(bid);
        content = page(static_cast<int>(rules.size()), body, [&](int n) {
            const GameRule& r = rules[static_cast<size_t>(n - 1)];
            return "<List>" + element("GameType", r.gameType) + element("GameName", r.gameName) +
                   element("ProcName", r.procName) + element("Author", r.author) + element("Type", r.type) +
                   element("SHA1", r.sha1) + element("Path", r.path) + "</List>";
        });
    } else if (e.type == "ADGameRuleSelf" || e.type == "DLGameRuleSelf") {
        auto& rules = gamesOf(bid);
        for (Node l : lists(body)) {
            GameRule g{text(l, "GameName"), text(l, "ProcName"), text(l, "Author"), "未知", text(l, "Type"), text(l, "SHA1"), text(l, "Path")};
            auto at = std::find_if(rules.begin(), rules.end(), [&](const GameRule& r) { return r.gameName == g.gameName && r.procName == g.procName; });
            if (e.type == "ADGameRuleSelf" && at == rules.end()) rules.push_back(g);
            if (e.type == "DLGameRuleSelf" && at != rules.end()) rules.erase(at);
        }
        content = result(true);
    } else if (e.type == "RQUrlAccess") {
        content = page(kWebRecords, body, [&](int n) { return webRecord(n, day, self); });
    } else if (e.type == "RQGameAccess") {
        content = page(kGameRecords, body, [&](int n) { return gameRecord(n, day, self); });
    } else if (e.type == "RQCapturePic") {
        const int dayNumber = std::atoi(day.c_str() + std::min<size_t>(day.size(), 8));
        content = page(capturesOfDay(day), body, [&](int n) { return capture(picture(dayNumber * 7 + n), n - 1, day, self); });
    }
    return Reply{ServiceDouble::innerReply(e, content)};
}

void PCModel::setStatus(const std::string& bid, PCStatus status)
{
    std::lock_guard lock(mutex_);
    status_[bid] = std::move(status);
}

PCStatus PCModel::status(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = status_.find(bid);
    return at == status_.end() ? startStatus_ : at->second;
}

void PCModel::setWebRules(const std::string& bid, std::vector<WebRule> rules)
{
    std::lock_guard lock(mutex_);
    web_[bid] = std::move(rules);
}

std::vector<WebRule> PCModel::webRules(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = web_.find(bid);
    return at == web_.end() ? startWeb_ : at->second;
}

void PCModel::setGameRules(const std::string& bid, std::vector<GameRule> rules)
{
    std::lock_guard lock(mutex_);
    games_[bid] = std::move(rules);
}

std::vector<GameRule> PCModel::gameRules(const std::string& bid) const
{
    std::lock_guard lock(mutex_);
    auto at = games_.find(bid);
    return at == games_.end() ? startGames_ : at->second;
}

}  // namespace servicedouble
