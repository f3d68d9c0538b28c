// map-double: serves the map-service double on a free loopback port until
// interrupted. It prints "map-double listening on 127.0.0.1:PORT"; point the
// engine's relay host (CHttpClient::SetRelayHost) at it. The location service
// takes its POSTs on a port of its own, printed on the next line.

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>

#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"

namespace {

int stopPipe[2] = {-1, -1};

void onStopSignal(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = write(stopPipe[1], &byte, 1);
}

} // namespace

int main() {
    if (pipe(stopPipe) != 0) {
        std::perror("map-double: pipe");
        return 1;
    }
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    try {
        mapdouble::MapDouble double_;
        mapdouble::LocationService location;
        std::printf("map-double listening on 127.0.0.1:%u\n", static_cast<unsigned>(double_.port()));
        std::printf("map-double location service on 127.0.0.1:%u\n", static_cast<unsigned>(location.port()));
        std::fflush(stdout);
        char byte;
        while (read(stopPipe[0], &byte, 1) < 0) {
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "map-double: %s\n", e.what());
        return 1;
    }
    return 0;
}
