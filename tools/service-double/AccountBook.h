#pragma once
// The accounts the double knows, as they change: the demo account to begin
// with, every number signed up ("ADUserInfo") and every password changed
// ("UDPassword"). The login accepts what the book holds, so "change the
// password, then log in with it" works, and "RQValidateCode" answers as the
// service would for a number with or without an account.

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "tools/service-double/ServiceDouble.h"

namespace servicedouble {

struct DemoAccount;

class AccountBook {
public:
    explicit AccountBook(const DemoAccount& demo);

    // Scripts "Login", "ADUserInfo", "UDPassword" and "RQValidateCode" on the
    // double with this book; the scripts keep the book alive.
    static std::shared_ptr<AccountBook> serve(ServiceDouble& service, const DemoAccount& demo);

    // The password of an account; empty when there is none.
    std::string password(const std::string& userName) const;
    // The code the last "RQValidateCode" for the phone carried; empty when none.
    std::string lastValidateCode(const std::string& phone) const;

private:
    Reply login(const Exchange& e) const;
    Reply signUp(const Exchange& e);
    Reply changePassword(const Exchange& e);
    Reply validateCode(const Exchange& e);

    std::vector<std::pair<std::string, std::string>> loginFields_;
    mutable std::mutex mutex_;
    std::map<std::string, std::string> passwords_;
    std::map<std::string, std::string> codes_;
};

}  // namespace servicedouble
