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

Reply answer(const Exchange& e, const std::string& code, const std::string& desc)
{
    return Reply{ServiceDouble::innerReply(e, "<Code>" + code + "</Code><Desc>" + desc + "</Desc>")};
}

}  // namespace

AccountBook::AccountBook(const DemoAccount& demo) : loginFields_(demo.login)
{
    passwords_[demo.userName] = demo.password;
}

std::shared_ptr<AccountBook> AccountBook::serve(ServiceDouble& service, const DemoAccount& demo)
{
    auto book = std::make_shared<AccountBook>(demo);
    service.on("Login", [book](const Exchange& e) { return book->login(e); });
    service.on("ADUserInfo", [book](const Exchange& e) { return book->signUp(e); });
    service.on("UDPassword", [book](const Exchange& e) { return book->changePassword(e); });
    service.on("RQValidateCode", [book](const Exchange& e) { return book->validateCode(e); });
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

Reply AccountBook::login(const Exchange& e) const
{
    const std::string known = password(e.userName);
    if (!known.empty() && known == e.password) {
        auto fields = loginFields_;
        for (auto& field : fields) field.second = fillDates(field.second);
        return Reply{ServiceDouble::loginDocument(fields)};
    }
    return Reply{ServiceDouble::loginDocument({{"RetNo", "1"}, {"RetMsg", "wrong user name or password"}})};
}

Reply AccountBook::signUp(const Exchange& e)
{
    const std::string user = element(e.message, "UserID"), pass = element(e.message, "Password");
    std::lock_guard<std::mutex> lock(mutex_);
    if (user.empty() || pass.empty()) return answer(e, "-1", "incomplete sign-up");
    if (!passwords_.emplace(user, pass).second) return answer(e, "1", "the number has an account");
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

}  // namespace servicedouble
