#pragma once
// The demo account the standalone double and the demo serve, read from a data
// folder:
//
//   account.xml       <Account><UserName/><Password/><Login>...</Login></Account>:
//                     the credentials the login accepts and the fields of the
//                     login reply (children of Login, in order)
//   replies/TYPE.xml  the BODY content answered to the inner message TYPE
//
// In reply files "{DATE-N}" stands for the date N days before today
// ("yyyy-MM-dd") and "{NOW}" for the present time, so records stay recent.
// "{SERVICE}" stands for the double's own address ("http://127.0.0.1:PORT"),
// where the pictures of the demo's captures are served.

#include <memory>
#include <string>

#include "tools/service-double/ServiceDouble.h"

namespace servicedouble {

class AccountBook;

struct DemoAccount {
    std::string userName;
    std::string password;
    std::vector<std::pair<std::string, std::string>> login;  // the accepted login's reply fields
    std::map<std::string, std::string> replies;               // TYPE -> BODY content

    // Reads the folder; throws std::runtime_error when account.xml is missing or unreadable.
    static DemoAccount load(const std::string& folder);
    // The folder shipped with the sources.
    static std::string defaultFolder() { return NX_SERVICE_DOUBLE_DATA; }

    // Scripts the double: one reply per TYPE; then the PC's time rules
    // (TimeRules.h), status and black lists (PCModel.h) kept from the replies
    // of their reads on, so that a change shows on reload; then the account book
    // (AccountBook.h): the login (refused for other credentials), sign-up,
    // password changes, validation codes and the account information. The
    // book, for tests that look at it or change a package.
    std::shared_ptr<AccountBook> serve(ServiceDouble& double_) const;
};

// The text with "{DATE-N}" and "{NOW}" filled in.
std::string fillDates(const std::string& text);

}  // namespace servicedouble
