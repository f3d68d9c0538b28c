#include "tools/map-double/MapProjection.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mapdouble {

namespace {

// One band: the lowest |latitude| (or |map y|) it serves, the x coefficients
// (offset, factor) and the y polynomial in |y| / divisor, lowest power first.
struct Band {
    double from;
    double xOffset;
    double xFactor;
    std::array<double, 7> yPoly;
    double divisor;
};

const std::array<Band, 6> kForward = {{
    {75, -0.0015702102444, 111320.7020616939,
     {1704480524535203.0, -1.033898737604234e16, 2.611266785660388e16, -3.51496691766537e16, 2.659570071840392e16,
      -1.072501245418824e16, 1800819912950474.0},
     82.5},
    {60, 0.0008277824516172526, 111320.7020463578,
     {647795574.6671607, -4082003173.641316, 10774905663.51142, -15171875531.51559, 12053065338.62167,
      -5124939663.577472, 913311935.9512032},
     67.5},
    {45, 0.00337398766765, 111320.7020202162,
     {4481351.045890365, -23393751.19931662, 79682215.47186455, -115964993.2797253, 97236711.15602145,
      -43661946.33752821, 8477230.501135234},
     52.5},
    {30, 0.00220636496208, 111320.7020209128,
     {51751.86112841131, 3796837.749470245, 992013.7397791013, -1221952.21711287, 1340652.697009075,
      -620943.6990984312, 144416.9293806241},
     37.5},
    {15, -0.0003441963504368392, 111320.7020576856,
     {278.2353980772752, 2485758.690035394, 6070.750963243378, 54821.18345352118, 9540.606633304236,
      -2710.55326746645, 1405.483844121726},
     22.5},
    {0, -0.0003218135878613132, 111320.7020701615,
     {0.00369383431289, 823725.6402795718, 0.46104986909093, 2351.343141331292, 1.58060784298199, 8.77738589078284,
      0.37238884252424},
     7.45},
}};

const std::array<Band, 6> kInverse = {{
    {12890594.86, 1.410526172116255e-08, 8.98305509648872e-06,
     {-1.9939833816331, 200.9824383106796, -187.2403703815547, 91.6087516669843, -23.38765649603339, 2.57121317296198,
      -0.03801003308653},
     17337981.2},
    {8362377.87, -7.435856389565537e-09, 8.983055097726239e-06,
     {-0.78625201886289, 96.32687599759846, -1.85204757529826, -59.36935905485877, 47.40033549296737,
      -16.50741931063887, 2.28786674699375},
     10260144.86},
    {5591021.0, -3.030883460898826e-08, 8.98305509983578e-06,
     {0.30071316287616, 59.74293618442277, 7.357984074871, -25.38371002664745, 13.45380521110908, -3.29883767235584,
      0.32710905363475},
     6856817.37},
    {3481989.83, -1.981981304930552e-08, 8.983055099779535e-06,
     {0.03278182852591, 40.31678527705744, 0.65659298677277, -4.44255534477492, 0.85341911805263, 0.12923347998204,
      -0.04625736007561},
     4482777.06},
    {1678043.12, 3.09191371068437e-09, 8.983055096812155e-06,
     {6.995724062e-05, 23.10934304144901, -0.00023663490511, -0.6321817810242, -0.00663494467273, 0.03430082397953,
      -0.00466043876332},
     2555164.4},
    {0.0, 2.890871144776878e-09, 8.983055095805407e-06,
     {-3.068298e-08, 7.47137025468032, -3.53937994e-06, -0.02145144861037, -1.234426596e-05, 0.00010322952773,
      -3.23890364e-06},
     826088.5},
}};

// The first band whose lower bound lies strictly below the magnitude.
const Band &bandFor(const std::array<Band, 6> &bands, double magnitude) {
    for (const Band &band : bands) {
        if (magnitude > band.from) {
            return band;
        }
    }
    return bands.back();
}

Point apply(const Band &band, Point p) {
    double t = std::fabs(p.y) / band.divisor;
    // Horner's rule, highest power first.
    double y = 0;
    for (auto it = band.yPoly.rbegin(); it != band.yPoly.rend(); ++it) {
        y = y * t + *it;
    }
    double x = band.xOffset + band.xFactor * std::fabs(p.x);
    return {std::copysign(1.0, p.x) * x, p.y < 0 ? -y : y};
}

constexpr double kEdge = 20037508.342;

} // namespace

Point mapUnitsFromLonLat(Point lonLat) {
    // The first band's polynomial is unsound above 75 degrees: latitudes are
    // held at its edge, as the engine holds them.
    lonLat.y = std::clamp(lonLat.y, -75.0, 75.0);
    return apply(bandFor(kForward, std::max(std::fabs(lonLat.y), 1e-7)), lonLat);
}

Point lonLatFromMapUnits(Point m) {
    Point p{std::clamp(m.x, -kEdge, kEdge), m.y};
    if (std::fabs(p.y) < 1e-6) {
        p.y = p.y >= 0 ? 1e-6 : -1e-6;
    }
    p.y = std::clamp(p.y, -kEdge, kEdge);
    return apply(bandFor(kInverse, std::fabs(p.y)), p);
}

Point mapDatumFromGcj02(Point p) {
    const double k = M_PI * 3000.0 / 180.0;
    double radius = std::hypot(p.x, p.y) + 0.00002 * std::sin(p.y * k);
    double angle = std::atan2(p.y, p.x) + 0.000003 * std::cos(p.x * k);
    return {radius * std::cos(angle) + 0.0065, radius * std::sin(angle) + 0.006};
}

long long tileSpan(int level) { return 256LL << (18 - level); }

long long tileIndex(long long mapUnits, int level) {
    long long span = tileSpan(level);
    long long q = mapUnits / span;
    return mapUnits % span != 0 && mapUnits < 0 ? q - 1 : q;
}

} // namespace mapdouble
