#include "tools/service-double/AccountBook.h"

#include <regex>

#include "tools/service-double/DemoAccount.h"

namespace servicedouble {

namespace {

// The text of the first <name>...</name> of the inner message.
std::string element(const std::string& message, const std::string& name)
{
    const std::regex pattern("<" + name + ">([^<]*)</" + name + ">");
    std::smatch m;
    return std::regex_search(message, m, pattern) ? m[1].str() : std::string();
}

// The text with the first <name>...</name> holding the value instead.
std::string withElement(const std::string& text, const std::string& name, const std::string& value)
{
    const std::string open = "<" + name + ">", close = "</" + name + ">";
    const size_t from = text.find(open), to = text.find(close);
    if (from == std::string::npos || to == std::string::npos || to < from) return text;
    return text.substr(0, from + open.size()) + value + text.substr(to);
}

Reply answer(const Exchange& e, const std::string& code, const std::string& desc)
{
    return Reply{ServiceDouble::innerReply(e, "<Code>" + code + "</Code><Desc>" + desc + "</Desc>")};
}

}  // namespace

AccountBook::AccountBook(const DemoAccount& demo) : loginFields_(demo.login), demoUser_(demo.userName)
{
    if (auto info = demo.replies.find("RQUserInfo"); info != demo.replies.end()) demoInfo_ = info->second;
    for (const auto& [name, value] : loginFields_) {
        if (name == "TaoCan") firstPackage_.code = value;
        if (name == "TaoCanDays") firstPackage_.days = value;
        if (name == "MobileCount") firstPackage_.mobiles = value;
    }
    passwords_[demo.userName] = demo.password;
    packages_[demo.userName] = firstPackage_;
    loggedIn_ = demo.userName;
}

std::shared_ptr<AccountBook> AccountBook::serve(ServiceDouble& service, const DemoAccount& demo)
{
    auto book = std::make_shared<AccountBook>(demo);
    service.on("Login", [book](const Exchange& e) { return book->login(e); });
    service.on("ADUserInfo", [book](const Exchange& e) { return book->signUp(e); });
    service.on("UDPassword", [book](const Exchange& e) { return book->changePassword(e); });
    service.on("RQValidateCode", [book](const Exchange& e) { return book->validateCode(e); });
    if (!book->demoInfo_.empty()) service.on("RQUserInfo", [book](const Exchange& e) { return book->userInfo(e); });
    return book;
}

std::string AccountBook::password(const std::string& userName) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = passwords_.find(userName);
    return it == passwords_.end() ? std::string() : it->second;
}

std::string AccountBook::lastValidateCode(const std::string& phone) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = codes_.find(phone);
    return it == codes_.end() ? std::string() : it->second;
}

bool AccountBook::setPackage(const std::string& userName, const Package& package)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = packages_.find(userName);
    if (it == packages_.end()) return false;
    it->second = package;
    return true;
}

Reply AccountBook::login(const Exchange& e)
{
    Package held;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = passwords_.find(e.userName);
        if (it == passwords_.end() || it->second.empty() || it->second != e.password)
            return Reply{ServiceDouble::loginDocument({{"RetNo", "1"}, {"RetMsg", "wrong user name or password"}})};
        held = packages_[e.userName];
        loggedIn_ = e.userName;
    }
    auto fields = loginFields_;
    for (auto& field : fields) {
        if (field.first == "TaoCan") field.second = held.code;
        if (field.first == "TaoCanDays") field.second = held.days;
        if (field.first == "MobileCount") field.second = held.mobiles;
        field.second = fillDates(field.second);
    }
    return Reply{ServiceDouble::loginDocument(fields)};
}

Reply AccountBook::signUp(const Exchange& e)
{
    const std::string user = element(e.message, "UserID"), pass = element(e.message, "Password");
    std::lock_guard<std::mutex> lock(mutex_);
    if (user.empty() || pass.empty()) return answer(e, "-1", "incomplete sign-up");
    if (!passwords_.emplace(user, pass).second) return answer(e, "1", "the number has an account");
    packages_[user] = firstPackage_;
    return answer(e, "0", "signed up");
}

Reply AccountBook::changePassword(const Exchange& e)
{
    const std::string user = element(e.message, "UserID"), pass = element(e.message, "Password");
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = passwords_.find(user);
    if (it == passwords_.end() || pass.empty()) return answer(e, "-1", "no such account");
    it->second = pass;
    return answer(e, "0", "password changed");
}

Reply AccountBook::validateCode(const Exchange& e)
{
    const std::string phone = element(e.message, "Phone"), type = element(e.message, "Type");
    std::lock_guard<std::mutex> lock(mutex_);
    codes_[phone] = element(e.message, "ValidateCode");
    const bool known = passwords_.count(phone) != 0;
    // Sign-up ("0") wants a new number, a reset ("1") an existing one.
    if (type == "1") return known ? answer(e, "0", "code sent") : answer(e, "-1", "no such account");
    return known ? answer(e, "1", "the number has an account") : answer(e, "0", "code sent");
}

// The service knows its client by the session; the double serves one client
// at a time, so the account information is that of the last login.
Reply AccountBook::userInfo(const Exchange& e) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string& user = loggedIn_;
    const Package& held = packages_.at(user);
    const std::string info = user == demoUser_ ? demoInfo_
                                               : "<UserID>" + user + "</UserID><Taocan></Taocan><Days></Days><Phone>" + user + "</Phone>";
    const std::string filled = withElement(withElement(info, "Taocan", held.code), "Days", held.days);
    return Reply{ServiceDouble::innerReply(e, fillDates(filled))};
}

}  // namespace servicedouble
