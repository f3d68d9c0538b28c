#include "tools/map-double/Geography.h"

#include <netcdf.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace mapdouble {

namespace {

constexpr const char *kDcwFile = "/usr/share/gmt-dcw/dcw-gmt.nc";
constexpr const char *kDcwCountries = "/usr/share/gmt-dcw/dcw-countries.txt";
constexpr const char *kDcwStates = "/usr/share/gmt-dcw/dcw-states.txt";
constexpr const char *kGshhgFolder = "/usr/share/gmt-gshhg/";

void bound(Line &line) {
    line.minX = line.minY = 1e300;
    line.maxX = line.maxY = -1e300;
    for (const Point &p : line.points) {
        line.minX = std::min(line.minX, p.x);
        line.maxX = std::max(line.maxX, p.x);
        line.minY = std::min(line.minY, p.y);
        line.maxY = std::max(line.maxY, p.y);
    }
}

// The map's band polynomials run away beyond about 75 degrees (a point of
// northern Russia lands past 40,000,000 units), so the far north and south
// are flattened onto that parallel: nothing there matters for these maps.
Point project(double lon, double lat) {
    lat = std::clamp(lat, -74.0, 74.0);
    lon = std::clamp(lon, -180.0, 180.0);
    return mapUnitsFromLonLat(mapDatumFromGcj02({lon, lat}));
}

// One DCW outline: the lon and lat arrays of 16-bit steps over the
// outline's box; 65535 in lon starts a new ring.
bool readOutline(int nc, const std::string &code, Outline &out) {
    int lonId = 0;
    int latId = 0;
    if (nc_inq_varid(nc, (code + "_lon").c_str(), &lonId) || nc_inq_varid(nc, (code + "_lat").c_str(), &latId)) {
        return false;
    }
    double lonMin = 0, lonScale = 1, latMin = 0, latScale = 1;
    nc_get_att_double(nc, lonId, "min", &lonMin);
    nc_get_att_double(nc, lonId, "scale", &lonScale);
    nc_get_att_double(nc, latId, "min", &latMin);
    nc_get_att_double(nc, latId, "scale", &latScale);
    int dim = 0;
    size_t length = 0;
    nc_inq_vardimid(nc, lonId, &dim);
    nc_inq_dimlen(nc, dim, &length);
    std::vector<unsigned short> lon(length), lat(length);
    if (nc_get_var_ushort(nc, lonId, lon.data()) || nc_get_var_ushort(nc, latId, lat.data())) {
        return false;
    }
    out.code = code;
    for (size_t i = 0; i < length; ++i) {
        if (lon[i] == 65535 || out.rings.empty()) {
            out.rings.emplace_back();
            if (lon[i] == 65535) {
                continue;
            }
        }
        out.rings.back().points.push_back(project(lonMin + lon[i] / lonScale, latMin + lat[i] / latScale));
    }
    out.minX = out.minY = 1e300;
    out.maxX = out.maxY = -1e300;
    for (Line &ring : out.rings) {
        bound(ring);
        out.minX = std::min(out.minX, ring.minX);
        out.maxX = std::max(out.maxX, ring.maxX);
        out.minY = std::min(out.minY, ring.minY);
        out.maxY = std::max(out.maxY, ring.maxY);
    }
    return true;
}

// The codes of a DCW list file: countries "AS CN China" give "CN", states
// "CN BJ Beijing" give "CNBJ" (only China's with a prefix).
std::vector<std::string> codes(const char *path, const std::string &country) {
    std::vector<std::string> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first, second;
        fields >> first >> second;
        if (country.empty() && second.size() == 2) {
            out.push_back(second);
        } else if (!country.empty() && first == country && !second.empty()) {
            out.push_back(first + second);
        }
    }
    return out;
}

template <class T>
bool readVar(int nc, const char *name, std::vector<T> &out) {
    int id = 0;
    int dims[2];
    int n = 0;
    if (nc_inq_varid(nc, name, &id) || nc_inq_varndims(nc, id, &n) || n != 1 || nc_inq_vardimid(nc, id, dims)) {
        return false;
    }
    size_t length = 0;
    nc_inq_dimlen(nc, dims[0], &length);
    out.resize(length);
    if constexpr (sizeof(T) == 2) {
        return nc_get_var_short(nc, id, reinterpret_cast<short *>(out.data())) == NC_NOERR;
    } else {
        return nc_get_var_int(nc, id, reinterpret_cast<int *>(out.data())) == NC_NOERR;
    }
}

// GSHHG's binned lines: bins of a fixed size numbered from the north-west,
// segments per bin, points as 16-bit steps of the bin from its south-west
// corner.
bool readBinned(const std::string &path, std::vector<Line> &lines) {
    int nc = 0;
    if (nc_open(path.c_str(), NC_NOWRITE, &nc)) {
        return false;
    }
    std::vector<int> binSize, binsLon, firstSegment, firstPoint;
    std::vector<short> segments, points, dx, dy;
    bool ok = readVar(nc, "N_points_for_a_segment", points) && readVar(nc, "Bin_size_in_minutes", binSize) &&
              readVar(nc, "N_bins_in_360_longitude_range", binsLon) &&
              readVar(nc, "Id_of_first_segment_in_a_bin", firstSegment) && readVar(nc, "N_segments_in_a_bin", segments) &&
              readVar(nc, "Id_of_first_point_in_a_segment", firstPoint) &&
              readVar(nc, "Relative_longitude_from_SW_corner_of_bin", dx) &&
              readVar(nc, "Relative_latitude_from_SW_corner_of_bin", dy);
    nc_close(nc);
    if (!ok || binSize.empty() || binsLon.empty() || binsLon[0] <= 0) {
        return false;
    }
    double size = binSize[0] / 60.0;
    for (size_t bin = 0; bin < firstSegment.size() && bin < segments.size(); ++bin) {
        double west = static_cast<double>(bin % static_cast<size_t>(binsLon[0])) * size;
        double south = 90.0 - static_cast<double>(bin / static_cast<size_t>(binsLon[0]) + 1) * size;
        for (int s = 0; s < static_cast<unsigned short>(segments[bin]); ++s) {
            size_t segment = static_cast<size_t>(firstSegment[bin]) + static_cast<size_t>(s);
            if (segment >= points.size() || segment >= firstPoint.size()) {
                break;
            }
            Line line;
            for (int p = 0; p < static_cast<unsigned short>(points[segment]); ++p) {
                size_t at = static_cast<size_t>(firstPoint[segment]) + static_cast<size_t>(p);
                if (at >= dx.size() || at >= dy.size()) {
                    break;
                }
                double lon = west + static_cast<unsigned short>(dx[at]) * size / 65535.0;
                double lat = south + static_cast<unsigned short>(dy[at]) * size / 65535.0;
                line.points.push_back(project(lon > 180 ? lon - 360 : lon, lat));
            }
            if (line.points.size() > 1) {
                bound(line);
                lines.push_back(std::move(line));
            }
        }
    }
    return true;
}

} // namespace

bool Geography::load() {
    int nc = 0;
    if (nc_open(kDcwFile, NC_NOWRITE, &nc)) {
        return false;
    }
    for (const std::string &code : codes(kDcwCountries, "")) {
        Outline outline;
        if (readOutline(nc, code, outline)) {
            countries.push_back(std::move(outline));
        }
    }
    for (const std::string &code : codes(kDcwStates, "CN")) {
        Outline outline;
        if (readOutline(nc, code, outline)) {
            provinces.push_back(std::move(outline));
        }
    }
    nc_close(nc);
    std::string folder = kGshhgFolder;
    return !countries.empty() && readBinned(folder + "binned_river_l.nc", rivers);
}

const Geography *Geography::get() {
    static std::once_flag once;
    static std::unique_ptr<Geography> shared;
    std::call_once(once, [] {
        auto geography = std::make_unique<Geography>();
        if (geography->load()) {
            shared = std::move(geography);
        }
    });
    return shared.get();
}

} // namespace mapdouble
