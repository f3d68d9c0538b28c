// tour [OUTPUT-FOLDER]: the main job. Starts the service double in-process on
// a free loopback port with the demo account, launches the client headless
// (its main interface, its delegate, its screens) on the virtual clock and
// tours it as a user would, writing one PNG per screen visited and a contact
// sheet to the output folder ("tour-output" by default), a line per screen
// with the screen lint's findings under it and, on the last line, their total
// and how many of them docs/SCREEN-LINT.md lists as the design's own.
// The client's settings live in a temporary home of the tour's own; its log
// is kept in the output folder as "client.log".

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIApplicationMain.h"
#include "protocol/ServiceConfig.h"
#include "tools/service-double/DemoAccount.h"
#include "tools/tour/Tour.h"

namespace {

int run(const std::filesystem::path& folder)
{
    servicedouble::ServiceDouble service;
    servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);
    setenv("NX_SERVICE_HOST", "127.0.0.1", 1);
    setenv("NX_SERVICE_PORT", std::to_string(service.port()).c_str(), 1);

    NXUITestDriver driver;
    NXApplicationLaunch(NSString());
    if (!driver.useKeyWindow()) {
        std::fprintf(stderr, "tour: the client shows no window\n");
        return 1;
    }
    std::printf("tour: the client against the service double on %s\n", ServiceConfig::URLWithPath("").UTF8String());
    std::printf("tour: writing the screens to %s\n", std::filesystem::absolute(folder).string().c_str());
    tour::Tour tour(driver, service, folder, tour::ListedFindings::load(NX_SCREEN_LINT_LIST));
    const bool ok = tour::runSteps(tour);
    std::printf("%-32s %s\n", tour.writeContactSheet().filename().string().c_str(), "every screen above");
    NSThread::joinDetachedThreads(10);
    service.stop();
    std::printf("%-32s %s\n", "client.log", "what the client logged (copied at the end)");
    for (const auto& entry : tour.listed().unmet()) std::printf("tour: listed as designed but not found: %s\n", entry.c_str());
    std::printf("tour: %zu screens, %zu exchanges with the service double%s, %zu lint findings, %zu of them listed as designed\n",
                tour.pictures().size(), service.exchanges().size(), ok ? "" : " (stopped early)", tour.lintFindings(),
                tour.listedFindings());
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::path("tour-output");
    std::string home = (fs::temp_directory_path() / "nx-tour-XXXXXX").string();
    if (!mkdtemp(home.data())) {
        std::perror("tour: temporary home");
        return 1;
    }
    setenv("NX_APP_HOME", home.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
    int status = 1;
    try {
        status = run(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tour: %s\n", e.what());
    }
    // The client logs into its home folder as a device keeps its console log;
    // the home goes, so its log is kept beside the pictures.
    std::error_code ignored;
    const fs::path log = fs::path(home) / "Library/Logs/ParentalControlClient.log";
    if (fs::exists(log, ignored)) {
        fs::create_directories(folder, ignored);
        fs::copy_file(log, folder / "client.log", fs::copy_options::overwrite_existing, ignored);
    }
    fs::remove_all(home, ignored);
    return status;
}
