#include "engine/render/MapView.h"

#include <cmath>
#include <limits>

namespace mapengine {

namespace {

constexpr int kCenterXLimit = 0x1C00000;
constexpr int kCenterYLimit = 40683700;
constexpr long long kLatitudeLimit = 31812864;

// Products of tile indexes and tile sizes can pass 32 bits for very wide
// windows at low levels; they are formed in 64 bits and held at the edge.
int Saturate(long long v) {
  if (v > std::numeric_limits<int>::max()) {
    return std::numeric_limits<int>::max();
  }
  if (v < std::numeric_limits<int>::min()) {
    return std::numeric_limits<int>::min();
  }
  return static_cast<int>(v);
}

int Clamp(int v, int limit) { return v < -limit ? -limit : v > limit ? limit : v; }

// A double truncated toward zero, held inside the int range.
long long Truncate(double v) {
  if (!(v > -9.2e18 && v < 9.2e18)) {
    return v > 0 ? std::numeric_limits<long long>::max() : std::numeric_limits<long long>::min();
  }
  return static_cast<long long>(v);
}

}  // namespace

tagMapViewState& GetMapViewState() {
  static tagMapViewState state;
  return state;
}

int DownBiasedDiv(long long a, long long d) { return Saturate(a / d - (a < 0 ? 1 : 0)); }

void SetViewLevel(tagMapViewState& view, int level) {
  view.nLevel = level < 3 ? 3 : level > 18 ? 18 : level;
  view.nScale = static_cast<int>(std::ldexp(1.0, 18 - view.nLevel));
}

tagMapViewState& UpdateViewTransform(tagMapViewState& view, int cols, int rows) {
  const long long S = view.nScale;
  const long long T = 256 * S;
  if (T == 0) {
    return view;
  }
  const long long hw = view.szScreen.cx / 2;
  const long long hh = view.szScreen.cy / 2;
  view.ptCenter.x = Clamp(view.ptCenter.x, kCenterXLimit);
  view.ptCenter.y = Clamp(view.ptCenter.y, kCenterYLimit);
  const long long cx = view.ptCenter.x;
  long long cy = view.ptCenter.y;

  long long tileX = DownBiasedDiv(cx - hw * S, T);
  long long tileY = DownBiasedDiv(cy + hh * S, T);
  view.rcVisible.SetRect(Saturate(cx - hw * S), Saturate(cy + hh * S), Saturate(cx + hw * S),
                         Saturate(cy - hh * S));

  long long left = tileX * T;
  long long right = (tileX + cols) * T;
  long long top = (tileY + 1) * T;
  long long bottom = (tileY - (rows - 1)) * T;

  const long long qs = -kLatitudeLimit / T;
  if (bottom < (qs - 1) * T) {
    bottom = (qs - 1) * T;
    if (cy - bottom < hh * S) {
      cy = bottom + hh * S;
    }
    top = (rows + qs - 1) * T;
    tileY = rows + qs - 2;
  }
  const long long qn = kLatitudeLimit / T;
  const long long lim = (qn + 1) * T;
  if (top > lim) {
    top = lim;
    bottom = lim - rows * T;
    if (lim - cy < hh * S) {
      cy = lim - hh * S;
    }
    tileY = qn;
  }

  view.ptCenter.y = Saturate(cy);
  view.nTileX = Saturate(tileX);
  view.nTileY = Saturate(tileY);
  view.ptRangeLB.SetPoint(Saturate(left), Saturate(bottom));
  view.ptRangeRT.SetPoint(Saturate(right), Saturate(top));
  view.rcImage.SetRect(view.ptRangeLB.x, view.ptRangeRT.y, view.ptRangeRT.x, view.ptRangeLB.y);
  return view;
}

void UpdateViewPixelOrigin(tagMapViewState& view) {
  const long long S = view.nScale;
  if (S == 0) {
    return;
  }
  const long long hw = view.szScreen.cx / 2;
  const long long hh = view.szScreen.cy / 2;
  view.ptPixelOffset.x = Saturate((view.ptCenter.x - hw * S - view.ptRangeLB.x) / S);
  view.ptPixelOffset.y = Saturate((view.ptRangeRT.y - (view.ptCenter.y + hh * S)) / S);
}

void UpdateViewPixelOrigin() { UpdateViewPixelOrigin(GetMapViewState()); }

int IsViewOutsideTileRange(const tagMapViewState& view) {
  const long long S = view.nScale;
  const long long T = 256 * S;
  if (T == 0) {
    return 0;
  }
  const long long hw = view.szScreen.cx / 2;
  const long long hh = view.szScreen.cy / 2;
  const long long cx = view.ptCenter.x;
  const long long cy = view.ptCenter.y;
  return DownBiasedDiv(cx - hw * S, T) < view.nReqMinX || DownBiasedDiv(cx + hw * S, T) > view.nReqMaxX ||
                 DownBiasedDiv(cy - hh * S, T) < view.nReqMinY || DownBiasedDiv(cy + hh * S, T) > view.nReqMaxY
             ? 1
             : 0;
}

int IsViewOutsideTileRange() { return IsViewOutsideTileRange(GetMapViewState()); }

_VPoint ScreenToMap(const tagMapViewState& view, int sx, int sy) {
  const long long S = view.nScale;
  const long long hw = view.szScreen.cx / 2;
  const long long hh = view.szScreen.cy / 2;
  return {Saturate((sx - hw - view.rcWindow.left) * S + view.ptCenter.x),
          Saturate(view.ptCenter.y - (sy - hh - view.rcWindow.top) * S)};
}

namespace {

// Screen position of a point at (a, b) units right of and below the image's
// top-left corner.
_VPoint ImageOffsetToScreen(const tagMapViewState& view, long long a, long long b) {
  if (view.nScale == 0) {
    return {};
  }
  return {Saturate(static_cast<long long>(DownBiasedDiv(a, view.nScale)) -
                   (view.ptPixelOffset.x - static_cast<long long>(view.rcWindow.left))),
          Saturate(static_cast<long long>(DownBiasedDiv(b, view.nScale)) -
                   (view.ptPixelOffset.y - static_cast<long long>(view.rcWindow.top)))};
}

}  // namespace

_VPoint MapToScreen(const tagMapViewState& view, int mx, int my) {
  return ImageOffsetToScreen(view, static_cast<long long>(mx) - view.rcImage.left,
                             static_cast<long long>(view.rcImage.top) - my);
}

_VPoint MapToScreenD(const tagMapViewState& view, double x, double y) {
  return ImageOffsetToScreen(view, Truncate(x - view.rcImage.left), Truncate(view.rcImage.top - y));
}

_VPoint MapHundredthsToScreen(const tagMapViewState& view, int x, int y) {
  return MapToScreenD(view, x / 100, y / 100);
}

int GetMapScale() { return static_cast<int>(std::ldexp(1.0, 18 - GetMapViewState().nLevel)); }

}  // namespace mapengine
