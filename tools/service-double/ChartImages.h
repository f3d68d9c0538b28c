#pragma once
// The chart server's pie charts: "/nemkServer/servlet/PieServlet" answers
// "method=pie&list=" followed by up to ten counts, each followed by "," (the
// last comma may be left out), with a 320 x 182 PNG pie drawn on request.
// Slices run clockwise from twelve o'clock in the statistics screens' bar
// colours, one per count in order; all counts 0 give a grey disc. Any other
// query (another method, no list, an empty, non-numeric or eleven-value
// list) is refused with 400.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/testserver/TestServer.h"

namespace servicedouble {

inline constexpr const char* kChartPath = "/nemkServer/servlet/PieServlet";
inline constexpr int kChartWidth = 320, kChartHeight = 182;

// The counts of a chart query; nothing when the query is malformed.
std::optional<std::vector<unsigned long long>> chartCounts(std::string_view query);

// The slice colour of the i-th count (0-based), as red, green, blue.
struct ChartColour {
    unsigned char r, g, b;
};
ChartColour chartSliceColour(size_t index);

// The PNG bytes of the pie for the counts.
std::string pieChart(const std::vector<unsigned long long>& counts);

// A GET of the chart path.
bool isChartRequest(const testserver::Request& request);

// Answers a GET of the chart path (the pie, or 400 for a malformed query);
// false (nothing sent) for any other request.
bool serveChartImage(const testserver::Request& request, testserver::Connection& connection);

}  // namespace servicedouble
