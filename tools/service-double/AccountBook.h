#pragma once
// The accounts the double knows, as they change: the demo account to begin
// with, every number signed up ("ADUserInfo") and every password changed
// ("UDPassword"). The login accepts what the book holds, so "change the
// password, then log in with it" works, and "RQValidateCode" answers as the
// service would for a number with or without an account.
//
// Each account has a package (its code, the days left and how many home
// devices it may have): the demo's comes from its login reply, a number signed
// up gets the same. The login reply ("TaoCan", "TaoCanDays", "MobileCount")
// and the account information ("RQUserInfo", for
// the account of the last login: the demo's reply file for the demo, the
// number alone for others) tell it.

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

    struct Package {
        std::string code;  // "A": the family package
        std::string days;  // days left, as the service writes them
        std::string mobiles;  // how many home devices may be bound
    };

    // Scripts "Login", "ADUserInfo", "UDPassword", "RQValidateCode" and, when
    // the demo has a reply file for it, "RQUserInfo" on the double with this
    // book; the scripts keep the book alive.
    static std::shared_ptr<AccountBook> serve(ServiceDouble& service, const DemoAccount& demo);

    // The password of an account; empty when there is none.
    std::string password(const std::string& userName) const;
    // The code the last "RQValidateCode" for the phone carried; empty when none.
    std::string lastValidateCode(const std::string& phone) const;
    // Changes the package of an existing account (false when there is none).
    bool setPackage(const std::string& userName, const Package& package);

private:
    Reply login(const Exchange& e);
    Reply signUp(const Exchange& e);
    Reply changePassword(const Exchange& e);
    Reply validateCode(const Exchange& e);
    Reply userInfo(const Exchange& e) const;

    std::vector<std::pair<std::string, std::string>> loginFields_;
    std::string demoUser_;
    std::string demoInfo_;  // the demo's "RQUserInfo" BODY content
    Package firstPackage_;  // what the demo and every new account start with
    mutable std::mutex mutex_;
    std::map<std::string, std::string> passwords_;
    std::map<std::string, Package> packages_;
    std::string loggedIn_;  // the account of the last login; the demo's before any
    std::map<std::string, std::string> codes_;
};

}  // namespace servicedouble
