#include "tools/service-double/ChartImages.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "tools/imagefixtures/ImageFixtures.h"

namespace servicedouble {

namespace {

constexpr size_t kMaxSlices = 10;

// The query's value of the parameter, "%XX" decoded; nothing when absent.
std::optional<std::string> parameter(std::string_view query, std::string_view name)
{
    size_t at = 0;
    while (at <= query.size()) {
        size_t end = query.find('&', at);
        if (end == std::string_view::npos) end = query.size();
        std::string_view pair = query.substr(at, end - at);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
            std::string value;
            std::string_view raw = pair.substr(name.size() + 1);
            for (size_t i = 0; i < raw.size(); ++i) {
                if (raw[i] == '%' && i + 2 < raw.size() && std::isxdigit(static_cast<unsigned char>(raw[i + 1])) &&
                    std::isxdigit(static_cast<unsigned char>(raw[i + 2]))) {
                    value += static_cast<char>(std::stoi(std::string(raw.substr(i + 1, 2)), nullptr, 16));
                    i += 2;
                } else {
                    value += raw[i];
                }
            }
            return value;
        }
        at = end + 1;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<unsigned long long>> chartCounts(std::string_view query)
{
    if (parameter(query, "method") != "pie") return std::nullopt;
    auto list = parameter(query, "list");
    if (!list || list->empty()) return std::nullopt;
    std::string text = *list;
    if (text.back() == ',') text.pop_back();
    std::vector<unsigned long long> counts;
    size_t at = 0;
    while (true) {
        size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        std::string item = text.substr(at, end - at);
        if (item.empty() || item.size() > 18 || item.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        counts.push_back(std::stoull(item));
        if (counts.size() > kMaxSlices) return std::nullopt;
        if (end == text.size()) break;
        at = end + 1;
    }
    return counts;
}

ChartColour chartSliceColour(size_t index)
{
    // The bars' colours: red, yellow, salmon, rose red and green, then the
    // five plain colours of the ranking rows.
    static constexpr ChartColour kColours[kMaxSlices] = {
        {214, 40, 40}, {240, 200, 30}, {250, 128, 114}, {220, 60, 120}, {60, 170, 70},
        {0, 255, 127}, {0, 255, 255},  {0, 127, 255},   {0, 0, 255},    {127, 0, 255}};
    return kColours[index % kMaxSlices];
}

std::string pieChart(const std::vector<unsigned long long>& counts)
{
    unsigned long long total = 0;
    for (auto c : counts) total += c;
    std::vector<uint8_t> rgb(static_cast<size_t>(kChartWidth) * kChartHeight * 3, 255);
    const double cx = kChartWidth / 2.0, cy = kChartHeight / 2.0, radius = 80;
    for (int y = 0; y < kChartHeight; ++y) {
        for (int x = 0; x < kChartWidth; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy > radius * radius) continue;
            ChartColour colour{170, 170, 170};
            if (total > 0) {
                // The share of the turn, clockwise from twelve o'clock.
                double turn = std::atan2(dx, -dy) / (2 * std::numbers::pi);
                if (turn < 0) turn += 1;
                const double at = turn * static_cast<double>(total);
                double upTo = 0;
                for (size_t i = 0; i < counts.size(); ++i) {
                    upTo += static_cast<double>(counts[i]);
                    if (at < upTo) {
                        colour = chartSliceColour(i);
                        break;
                    }
                }
            }
            uint8_t* p = &rgb[(static_cast<size_t>(y) * kChartWidth + x) * 3];
            p[0] = colour.r, p[1] = colour.g, p[2] = colour.b;
        }
    }
    imagefixtures::PngLayout layout;
    layout.width = kChartWidth;
    layout.height = kChartHeight;
    std::vector<uint8_t> png = imagefixtures::makePng(layout, rgb);
    return std::string(png.begin(), png.end());
}

bool isChartRequest(const testserver::Request& request)
{
    return request.method == "GET" && request.path == kChartPath;
}

bool serveChartImage(const testserver::Request& request, testserver::Connection& connection)
{
    if (!isChartRequest(request)) return false;
    auto counts = chartCounts(request.query);
    if (!counts) {
        connection.send(400, "method=pie&list=N,N,... expected\n", {{"Content-Type", "text/plain"}});
        return true;
    }
    connection.send(200, pieChart(*counts), {{"Content-Type", "image/png"}});
    return true;
}

}  // namespace servicedouble
