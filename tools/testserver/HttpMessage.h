#pragma once

// Small HTTP text helpers shared by the server's reader and writer.

#include "tools/testserver/TestServer.h"

#include <string>
#include <string_view>

namespace testserver {

bool equalsIgnoringCase(std::string_view a, std::string_view b);
std::string_view trimmed(std::string_view text);
// Whether any field called name lists token among its comma-separated values.
bool hasToken(const Headers &headers, std::string_view name, std::string_view token);
// The standard reason phrase of status ("Unknown" for codes without one).
const char *reasonPhrase(int status);

} // namespace testserver
