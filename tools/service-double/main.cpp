// service-double: serves the demo account on a free loopback port until
// interrupted. Usage: service-double [DATA-FOLDER]
// It prints "service-double listening on 127.0.0.1:PORT"; point the client at
// it with NX_SERVICE_HOST=127.0.0.1 NX_SERVICE_PORT=PORT.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>

#include "tools/service-double/DemoAccount.h"

namespace {

int stopPipe[2] = {-1, -1};

// Whichever thread the signal lands on, it only wakes main.
void onStopSignal(int)
{
    char byte = 1;
    [[maybe_unused]] ssize_t n = write(stopPipe[1], &byte, 1);
}

}  // namespace

int main(int argc, char** argv)
{
    if (pipe(stopPipe) != 0) {
        std::perror("service-double: pipe");
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    try {
        auto account = servicedouble::DemoAccount::load(argc > 1 ? argv[1] : servicedouble::DemoAccount::defaultFolder());
        testserver::Server::Options options;
        options.maxWait = testserver::Millis{0};
        options.recordLimit = 1000;  // it serves until stopped: keep only the latest exchanges
        servicedouble::ServiceDouble service(options);
        account.serve(service);
        std::printf("service-double listening on 127.0.0.1:%u (account %s)\n", unsigned(service.port()),
                    account.userName.c_str());
        std::fflush(stdout);
        char byte;
        while (read(stopPipe[0], &byte, 1) < 0) {
        }
        service.stop();
        std::printf("service-double stopped after %zu exchanges\n", service.exchangeCount());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "service-double: %s\n", e.what());
        return 1;
    }
    return 0;
}
