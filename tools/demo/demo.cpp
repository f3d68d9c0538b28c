// The demo: starts the service double (in-process, on a free loopback port)
// with the demo account, logs in as the client does, from a worker thread,
// prints the package data the login stored and the account's devices, and
// stops.
// Usage: demo [DATA-FOLDER]

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/Constant.h"
#include "protocol/EquipList.h"
#include "protocol/ServiceConfig.h"
#include "protocol/WebService.h"
#include "tools/service-double/DemoAccount.h"

namespace {

const char* shown(const NSString& s) { return s.isNil() ? "(none)" : s.UTF8String(); }

int run(const servicedouble::DemoAccount& account)
{
    servicedouble::ServiceDouble service;
    account.serve(service);
    setenv("NX_SERVICE_HOST", "127.0.0.1", 1);
    setenv("NX_SERVICE_PORT", std::to_string(service.port()).c_str(), 1);
    std::printf("service double on %s\n", ServiceConfig::URLWithPath("").UTF8String());

    // The login screen's road: the exchange runs on a worker thread while the
    // main thread keeps its run loop going.
    // Then the device list, as the screen after the login asks for it.
    NSString code;
    std::shared_ptr<EquipVO> devices;
    bool done = false;
    NSThread::detachNewThreadWithBlock([&] {
        NSString result = WebService::loginByUserName(NSString(account.userName), NSString(account.password));
        std::shared_ptr<EquipVO> list;
        if (result == "0" || result == "-2") {
            Constant::setUserName(NSString(account.userName));  // as the login screen keeps it
            list = EquipList::init()->RQEquipList();
        }
        NSThread::performBlockOnMainThread([&, result, list] { code = result, devices = list, done = true; }, false);
    });
    NSRunLoop::mainRunLoop()->runUntil([&] { return done; }, ServiceConfig::timeOutSeconds() + 5);
    NSThread::joinDetachedThreads(5);
    service.stop();

    std::printf("login as %s: %s\n", account.userName.c_str(), done ? shown(code) : "(no answer)");
    std::printf("package type:   %s\n", shown(Constant::taoCanType()));
    std::printf("package days:   %s\n", shown(Constant::taocanDays()));
    std::printf("record days:    %s\n", shown(Constant::recordDays()));
    std::printf("capture days:   %s\n", shown(Constant::imgDays()));
    std::printf("server date:    %s\n", shown(Constant::serverTime()));
    std::printf("phones:         %s\n", shown(Constant::mobileCount()));
    std::printf("devices:        %s\n", devices ? std::to_string(devices->list().size()).c_str() : "(no answer)");
    for (const auto& d : devices ? devices->list() : std::vector<std::shared_ptr<EquipTempVO>>()) {
        std::printf("  %-12s %-14s %-5s %-6s %s\n", shown(d->typeName()), shown(d->typeNick()), shown(d->equipType()),
                    shown(d->managerType()), d->isOnline() == "1" ? "online" : "offline");
    }
    std::printf("exchanges served: %zu\n", service.exchanges().size());
    return code == "0" || code == "-2" ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    // A home of its own, so that the demo neither reads nor changes the
    // client's stored settings.
    std::string home = (fs::temp_directory_path() / "nx-demo-XXXXXX").string();
    if (!mkdtemp(home.data())) {
        std::perror("demo: temporary home");
        return 1;
    }
    setenv("NX_APP_HOME", home.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();

    int status = 1;
    try {
        status = run(servicedouble::DemoAccount::load(argc > 1 ? argv[1] : servicedouble::DemoAccount::defaultFolder()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo: %s\n", e.what());
    }
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return status;
}
