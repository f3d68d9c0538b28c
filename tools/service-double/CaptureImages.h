#pragma once
// The demo account's screen captures as images: every capture the demo's
// RQCapturePic reply names is drawn on request, as a PNG made with libpng, so
// the capture list and the photo viewer have real pictures to load. Paths are
// "/captures/N-SIZE.png": N a capture number from 1, SIZE "full" (640 x 400),
// "middle" (320 x 200) or "thumb" (150 x 124).

#include <optional>
#include <string>
#include <string_view>

#include "tools/testserver/TestServer.h"

namespace servicedouble {

// The PNG bytes of the capture at that path; nothing for any other path.
std::optional<std::string> captureImage(std::string_view path);

// Answers a GET of a capture path; false (nothing sent) for any other request.
bool serveCaptureImage(const testserver::Request& request, testserver::Connection& connection);

}  // namespace servicedouble
