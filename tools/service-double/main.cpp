// service-double: serves the demo account on a free loopback port until
// interrupted. Usage: service-double [DATA-FOLDER]
// It prints "service-double listening on 127.0.0.1:PORT"; point the client at
// it with NX_SERVICE_HOST=127.0.0.1 NX_SERVICE_PORT=PORT.

#include <csignal>
#include <cstdio>
#include <exception>

#include "tools/service-double/DemoAccount.h"

int main(int argc, char** argv)
{
    // Block the stop signals before any thread starts, then wait for one.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    try {
        auto account = servicedouble::DemoAccount::load(argc > 1 ? argv[1] : servicedouble::DemoAccount::defaultFolder());
        testserver::Server::Options options;
        options.maxWait = testserver::Millis{0};
        servicedouble::ServiceDouble service(options);
        account.serve(service);
        std::printf("service-double listening on 127.0.0.1:%u (account %s)\n", unsigned(service.port()),
                    account.userName.c_str());
        std::fflush(stdout);
        int signal = 0;
        sigwait(&stop, &signal);
        service.stop();
        std::printf("service-double stopped after %zu exchanges\n", service.exchanges().size());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "service-double: %s\n", e.what());
        return 1;
    }
    return 0;
}
