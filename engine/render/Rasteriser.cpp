#include "engine/render/Rasteriser.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/base/VMem.h"

namespace mapengine {

namespace {

struct P64 {
  long long x;
  long long y;
};

// Rounds a / b half away from zero (b != 0).
long long div_round(__int128 a, long long b) {
  __int128 q = a / b;
  __int128 r = a % b;
  if (2 * (r < 0 ? -r : r) >= (b < 0 ? -static_cast<__int128>(b) : b)) {
    q += ((a < 0) != (b < 0)) ? -1 : 1;
  }
  return static_cast<long long>(q);
}

// Floor division and its non-negative remainder.
long long floor_div(long long a, long long b, long long* rem) {
  long long q = a / b;
  long long r = a % b;
  if (r != 0 && ((r < 0) != (b < 0))) {
    --q;
    r += b;
  }
  *rem = r;
  return q;
}

// The bitmap area a context may write: its clip rectangle within its bitmap.
_VRect write_area(const tagDCObj* dc) {
  _VRect r{std::max(dc->clip.left, 0), std::max(dc->clip.top, 0),
           std::min(dc->clip.right, static_cast<int>(dc->bitmap->width)),
           std::min(dc->clip.bottom, static_cast<int>(dc->bitmap->height))};
  r.right = std::max(r.right, r.left);
  r.bottom = std::max(r.bottom, r.top);
  return r;
}

uint32_t* pixel_row(const tagDCObj* dc, int y) {
  return reinterpret_cast<uint32_t*>(dc->bitmap->pixels + static_cast<size_t>(y) * dc->bitmap->stride);
}

bool drawable(const tagDCObj* dc) { return dc && dc->bitmap && dc->bitmap->bitsPerPixel == 32; }

// One polygon edge, ordered so that y grows.
struct Edge {
  long long xTop, yTop, xBot, yBot;
  int topRow, botRow;
  bool negate;
  int next;
};

// The per-call work of the polygon filler, in one block: row lists, edges and
// one row of cover and area accumulators (one cell per pixel column, so any
// number of edges crossing a row is summed in place and needs no sorting).
class PolygonFill {
public:
  PolygonFill(tagDCObj* dc, const _VRect& area, int firstRow, int lastRow, int maxEdges)
      : m_dc(dc), m_area(area), m_firstRow(firstRow), m_lastRow(lastRow), m_maxEdges(maxEdges) {
    m_cols = area.right - area.left + 1;
    size_t rows = static_cast<size_t>(lastRow - firstRow + 1);
    size_t bytes = rows * sizeof(int) + static_cast<size_t>(maxEdges) * sizeof(Edge) +
                   static_cast<size_t>(m_cols) * 2 * sizeof(long long) + 16;
    m_block = static_cast<unsigned char*>(CVMem::Allocate(bytes));
    if (!m_block) {
      return;
    }
    m_cover = reinterpret_cast<long long*>(m_block);
    m_cellArea = m_cover + m_cols;
    m_edges = reinterpret_cast<Edge*>(m_cellArea + m_cols);
    m_rowHead = reinterpret_cast<int*>(m_edges + maxEdges);
    std::memset(m_cover, 0, static_cast<size_t>(m_cols) * 2 * sizeof(long long));
    std::fill(m_rowHead, m_rowHead + rows, -1);
  }
  ~PolygonFill() { CVMem::Deallocate(m_block); }
  PolygonFill(const PolygonFill&) = delete;
  PolygonFill& operator=(const PolygonFill&) = delete;

  bool ok() const { return m_block != nullptr; }

  // Adds the edge a -> b, replacing the parts left or right of the clip
  // rectangle by vertical edges on its sides (they cover the pixels inside
  // just as the cut parts would) and cutting it at the top and bottom.
  void addEdge(P64 a, P64 b) {
    long long cl = m_area.left * 256LL, cr = m_area.right * 256LL;
    P64 pts[4];
    int n = 0;
    pts[n++] = a;
    long long sides[2] = {cl, cr};
    if (a.x > b.x) {
      std::swap(sides[0], sides[1]);
    }
    for (long long side : sides) {
      bool crosses = (a.x < side && b.x > side) || (a.x > side && b.x < side);
      if (crosses) {
        pts[n++] = {side, a.y + div_round(static_cast<__int128>(side - a.x) * (b.y - a.y), b.x - a.x)};
      }
    }
    pts[n++] = b;
    for (int i = 0; i + 1 < n; ++i) {
      P64 p = pts[i], q = pts[i + 1];
      long long mid2 = p.x + q.x;
      if (mid2 < 2 * cl) {
        p.x = q.x = cl;
      } else if (mid2 > 2 * cr) {
        p.x = q.x = cr;
      }
      clipY(p, q);
    }
  }

  // Renders every row and writes the pixels.
  void render(uint32_t color, int opacity) {
    int active = -1;
    float scale = static_cast<float>(opacity & 0xFF) / 255.0f;
    for (int row = m_firstRow; row <= m_lastRow; ++row) {
      for (int e = m_rowHead[row - m_firstRow]; e >= 0;) {
        int next = m_edges[e].next;
        m_edges[e].next = active;
        active = e;
        e = next;
      }
      m_minCol = m_cols;
      m_maxCol = -1;
      int* link = &active;
      while (*link >= 0) {
        Edge& e = m_edges[*link];
        renderEdgeRow(e, row);
        if (e.botRow <= row) {
          *link = e.next;
        } else {
          link = &e.next;
        }
      }
      sweep(row, color, scale);
    }
  }

private:
  void clipY(P64 a, P64 b) {
    long long ct = m_area.top * 256LL, cb = m_area.bottom * 256LL;
    if ((a.y < ct && b.y < ct) || (a.y > cb && b.y > cb) || a.y == b.y) {
      return;
    }
    auto moveTo = [&](P64& p, const P64& other, long long yLine) {
      p.x += div_round(static_cast<__int128>(yLine - p.y) * (other.x - p.x), other.y - p.y);
      p.y = yLine;
    };
    if (a.y < ct) moveTo(a, b, ct);
    if (a.y > cb) moveTo(a, b, cb);
    if (b.y < ct) moveTo(b, a, ct);
    if (b.y > cb) moveTo(b, a, cb);
    pushEdge(a, b);
  }

  void pushEdge(P64 a, P64 b) {
    bool negate = false;
    if (a.y > b.y) {
      std::swap(a, b);
      negate = true;
    }
    int topRow = static_cast<int>(a.y >> 8);
    if (a.y == b.y || topRow > m_lastRow || m_edgeCount >= m_maxEdges) {
      return;
    }
    topRow = std::max(topRow, m_firstRow);
    Edge& e = m_edges[m_edgeCount];
    e = {a.x, a.y, b.x, b.y, topRow, static_cast<int>(b.y >> 8), negate, m_rowHead[topRow - m_firstRow]};
    m_rowHead[topRow - m_firstRow] = m_edgeCount++;
  }

  long long xAt(const Edge& e, long long y) const {
    if (y <= e.yTop) return e.xTop;
    if (y >= e.yBot) return e.xBot;
    return e.xTop + (y - e.yTop) * (e.xBot - e.xTop) / (e.yBot - e.yTop);
  }

  void renderEdgeRow(const Edge& e, int row) {
    long long rowTop = row * 256LL;
    long long y1 = std::max(e.yTop, rowTop), y2 = std::min(e.yBot, rowTop + 256);
    if (y1 >= y2) {
      return;
    }
    renderHline(xAt(e, y1), y1 - rowTop, xAt(e, y2), y2 - rowTop, e.negate);
  }

  void cell(long long column, long long cover, long long area, bool negate) {
    int i = static_cast<int>(column - m_area.left);
    if (i < 0 || i >= m_cols) {
      return;
    }
    m_cover[i] += negate ? -cover : cover;
    m_cellArea[i] += negate ? -area : area;
    m_minCol = std::min(m_minCol, i);
    m_maxCol = std::max(m_maxCol, i);
  }

  // The cells of one edge inside one row: x in 24.8, y1 and y2 sub-pixel
  // positions within the row.
  void renderHline(long long x1, long long y1, long long x2, long long y2, bool negate) {
    if (y1 == y2) {
      return;
    }
    long long ex1 = x1 >> 8, ex2 = x2 >> 8, fx1 = x1 & 0xFF, fx2 = x2 & 0xFF;
    if (ex1 == ex2) {
      cell(ex1, y2 - y1, (y2 - y1) * (fx1 + fx2), negate);
      return;
    }
    long long dx = x2 - x1, dy = y2 - y1;
    long long p = (256 - fx1) * dy, first = 256, incr = 1;
    if (dx < 0) {
      p = fx1 * dy;
      first = 0;
      incr = -1;
      dx = -dx;
    }
    long long mod;
    long long delta = floor_div(p, dx, &mod);
    cell(ex1, delta, (fx1 + first) * delta, negate);
    ex1 += incr;
    y1 += delta;
    if (ex1 != ex2) {
      long long rem;
      long long lift = floor_div(256 * dy, dx, &rem);
      mod -= dx;
      while (ex1 != ex2) {
        delta = lift;
        mod += rem;
        if (mod >= 0) {
          mod -= dx;
          ++delta;
        }
        cell(ex1, delta, 256 * delta, negate);
        y1 += delta;
        ex1 += incr;
      }
    }
    delta = y2 - y1;
    cell(ex2, delta, (fx2 + 256 - first) * delta, negate);
  }

  void sweep(int row, uint32_t color, float scale) {
    if (m_maxCol < 0) {
      return;
    }
    uint32_t* out = pixel_row(m_dc, row) + m_area.left;
    int end = std::min(m_maxCol, m_cols - 2);  // the last column lies right of the clip
    long long s = 0;
    for (int i = m_minCol; i <= m_maxCol; ++i) {
      s += m_cover[i];
      // Twice the covered area in 1/512 pixel, rounded up by magnitude so
      // that both windings of one outline give the same coverage.
      long long twice = 512 * s - m_cellArea[i];
      long long coverage = (std::llabs(twice) + 511) >> 9;
      m_cover[i] = 0;
      m_cellArea[i] = 0;
      if (i > end || coverage == 0) {
        continue;
      }
      long long k = std::min(coverage, 255LL);
      int j = static_cast<int>(static_cast<float>(k) * scale);
      if (j == 255) {
        out[i] = color;
      } else if (j > 0) {
        out[i] = blend_pixel(out[i], color, static_cast<uint32_t>(j));
      }
    }
  }

  tagDCObj* m_dc;
  _VRect m_area;
  int m_firstRow, m_lastRow, m_maxEdges;
  int m_cols = 0;
  int m_edgeCount = 0;
  int m_minCol = 0, m_maxCol = -1;
  unsigned char* m_block = nullptr;
  long long* m_cover = nullptr;
  long long* m_cellArea = nullptr;
  Edge* m_edges = nullptr;
  int* m_rowHead = nullptr;
};

int fill_polygon64(tagDCObj* dc, const P64* points, int count, uint32_t color, int opacity) {
  if (!drawable(dc) || !points || count < 2 || count > (1 << 26)) {
    return 0;
  }
  _VRect area = write_area(dc);
  long long minX = points[0].x, maxX = minX, minY = points[0].y, maxY = minY;
  for (int i = 1; i < count; ++i) {
    minX = std::min(minX, points[i].x);
    maxX = std::max(maxX, points[i].x);
    minY = std::min(minY, points[i].y);
    maxY = std::max(maxY, points[i].y);
  }
  long long cl = area.left * 256LL, cr = area.right * 256LL, ct = area.top * 256LL, cb = area.bottom * 256LL;
  if (area.right <= area.left || area.bottom <= area.top || maxX < cl || minX > cr || maxY < ct || minY > cb) {
    return 0;
  }
  int firstRow = static_cast<int>(std::max(minY, ct) >> 8);
  int lastRow = static_cast<int>(std::min({maxY >> 8, cb >> 8, area.bottom - 1LL}));
  PolygonFill fill(dc, area, firstRow, lastRow, 3 * count);
  if (!fill.ok()) {
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    fill.addEdge(points[i], points[(i + 1) % count]);
  }
  fill.render(color, opacity);
  return 1;
}

// Blends the line colour into one pixel with a weight w of 1024 for the
// colour (the old value keeps the rest), alpha 0xFF.
void line_pixel(const tagDCObj* dc, const _VRect& area, long long x, long long y, uint32_t color, uint32_t w) {
  if (x < area.left || x >= area.right || y < area.top || y >= area.bottom) {
    return;
  }
  uint32_t& p = pixel_row(dc, static_cast<int>(y))[x];
  uint32_t old = p, result = 0xFF000000;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t o = (old >> shift) & 0xFF, c = (color >> shift) & 0xFF;
    result |= (((1024 - w) * o + w * c) >> 10) << shift;
  }
  p = result;
}

void aa_line_steps(tagDCObj* dc, int x1, int y1, int x2, int y2, uint32_t color, int every) {
  if (!drawable(dc)) {
    return;
  }
  _VPoint a, b;
  _VRect bounds{0, 0, dc->bitmap->width, dc->bitmap->height};
  if (!clip_line(bounds, x1 + dc->originX, y1 + dc->originY, x2 + dc->originX, y2 + dc->originY, &a, &b)) {
    return;
  }
  _VRect area = write_area(dc);
  long long dx = b.x - a.x, dy = b.y - a.y;
  bool xMajor = std::llabs(dx) >= std::llabs(dy);
  // Walk along the major axis in increasing order.
  if ((xMajor && dx < 0) || (!xMajor && dy < 0)) {
    std::swap(a, b);
    dx = -dx;
    dy = -dy;
  }
  long long major = xMajor ? dx : dy, minorDelta = xMajor ? dy : dx;
  long long slope = minorDelta * 1024 / (major == 0 ? 1 : major);
  long long f = 512, minor = xMajor ? a.y : a.x, pos = xMajor ? a.x : a.y;
  for (long long i = 0; i <= major; ++i, ++pos) {
    if (i % every == 0) {
      long long d = f - 512, ad = std::llabs(d);
      long long px = xMajor ? pos : minor, py = xMajor ? minor : pos;
      line_pixel(dc, area, px, py, color, static_cast<uint32_t>(1024 - ad));
      if (d != 0) {
        long long side = d > 0 ? -1 : 1;
        line_pixel(dc, area, xMajor ? px : px + side, xMajor ? py + side : py, color, static_cast<uint32_t>(ad));
      }
    }
    f -= slope;
    if (f < 0) {
      f += 1024;
      ++minor;
    } else if (f > 1023) {
      f -= 1024;
      --minor;
    }
  }
}

// Integer square root (floor).
long long isqrt(long long v) {
  long long r = static_cast<long long>(std::sqrt(static_cast<double>(v)));
  while (r * r > v) --r;
  while ((r + 1) * (r + 1) <= v) ++r;
  return r;
}

// The left-hand offset of half-width h (24.8) for a segment direction.
P64 segment_offset(long long dx, long long dy, long long h) {
  bool xMajor = std::llabs(dx) >= std::llabs(dy);
  long long big = xMajor ? dx : dy, small = xMajor ? dy : dx;
  long long t = std::llabs(small) * 256 / (big == 0 ? 1 : std::llabs(big));
  long long l = std::max(1LL, isqrt(t * t + 65536));
  long long across = h * 256 / l, along = h * t / l;
  // n = (-dy, dx) scaled: x from -dy, y from dx.
  long long nx = xMajor ? along : across, ny = xMajor ? across : along;
  return {dy > 0 ? -nx : (dy < 0 ? nx : 0), dx > 0 ? ny : (dx < 0 ? -ny : 0)};
}

// Outline of a polyline with rounded caps, filled as one polygon.
int thick_outline(tagDCObj* dc, const P64* in, int count, long long half, uint32_t color, int opacity) {
  if (!drawable(dc) || !in || count < 1) {
    return 0;
  }
  // At most 4 points per segment and 10 for the caps; offsets per segment.
  size_t bytes = (static_cast<size_t>(count) * 6 + 10) * sizeof(P64);
  auto* block = static_cast<P64*>(CVMem::Allocate(bytes));
  if (!block) {
    return 0;
  }
  P64* pts = block;
  int n = 0;
  for (int i = 0; i < count; ++i) {
    if (n == 0 || in[i].x != pts[n - 1].x || in[i].y != pts[n - 1].y) {
      pts[n++] = in[i];
    }
  }
  if (n < 2) {
    CVMem::Deallocate(block);
    return 1;
  }
  P64* off = pts + n;
  P64* outline = off + (n - 1);
  for (int i = 0; i + 1 < n; ++i) {
    off[i] = segment_offset(pts[i + 1].x - pts[i].x, pts[i + 1].y - pts[i].y, half);
  }
  int m = 0;
  auto add = [&](const P64& p, long long ox, long long oy) { outline[m++] = {p.x + ox, p.y + oy}; };
  // Five cap points from +n round the end (e points outwards) to -n.
  auto cap = [&](const P64& p, const P64& nv, const P64& e) {
    add(p, nv.x, nv.y);
    add(p, ((nv.x + e.x) * 181) >> 8, ((nv.y + e.y) * 181) >> 8);
    add(p, e.x, e.y);
    add(p, ((e.x - nv.x) * 181) >> 8, ((e.y - nv.y) * 181) >> 8);
    add(p, -nv.x, -nv.y);
  };
  for (int i = 0; i + 1 < n; ++i) {
    add(pts[i], off[i].x, off[i].y);
    add(pts[i + 1], off[i].x, off[i].y);
  }
  P64 last = off[n - 2];
  cap(pts[n - 1], last, {last.y, -last.x});
  for (int i = n - 2; i >= 0; --i) {
    add(pts[i + 1], -off[i].x, -off[i].y);
    add(pts[i], -off[i].x, -off[i].y);
  }
  P64 firstNeg{-off[0].x, -off[0].y};
  cap(pts[0], firstNeg, {-off[0].y, off[0].x});
  int result = fill_polygon64(dc, outline, m, color, opacity);
  CVMem::Deallocate(block);
  return result;
}

// Points of a caller as 24.8, scaled by 256 for pixel input.
P64* to_p64(const _VPoint* points, int count, int extra, int shift) {
  if (count <= 0 || count > (1 << 26)) {
    return nullptr;
  }
  auto* out = static_cast<P64*>(CVMem::Allocate((static_cast<size_t>(count) + extra) * sizeof(P64)));
  for (int i = 0; out && i < count; ++i) {
    out[i] = {static_cast<long long>(points[i].x) << shift, static_cast<long long>(points[i].y) << shift};
  }
  return out;
}

int fill_points(tagDCObj* dc, const _VPoint* points, int count, int shift, uint32_t color, int opacity) {
  P64* p = to_p64(points, count, 0, shift);
  if (!p) {
    return 0;
  }
  int result = fill_polygon64(dc, p, count, color, opacity);
  CVMem::Deallocate(p);
  return result;
}

int outline_points(tagDCObj* dc, const _VPoint* points, int count, int shift, long long half, uint32_t color,
                   int opacity) {
  P64* p = to_p64(points, count, 0, shift);
  if (!p) {
    return 0;
  }
  int result = thick_outline(dc, p, count, half, color, opacity);
  CVMem::Deallocate(p);
  return result;
}

long long pen_half_width(int width) { return (width * 128LL + 128) & 0xFF00; }

}  // namespace

int line_outcode(const _VRect& clip, long long x, long long y) {
  int code = 0;
  if (x < clip.left) code |= kOutLeft;
  if (x > clip.right) code |= kOutRight;
  if (y > clip.bottom) code |= kOutBelow;
  if (y < clip.top) code |= kOutAbove;
  return code;
}

int clip_line(const _VRect& clip, int x1, int y1, int x2, int y2, _VPoint* first, _VPoint* second) {
  long long ax = x1, ay = y1, bx = x2, by = y2;
  int ca = line_outcode(clip, ax, ay), cb = line_outcode(clip, bx, by);
  // Exact intersections remove one side per round, so four rounds suffice.
  for (int round = 0; round < 5; ++round) {
    if (!(ca | cb)) {
      first->SetPoint(static_cast<int>(ax), static_cast<int>(ay));
      second->SetPoint(static_cast<int>(bx), static_cast<int>(by));
      return 1;
    }
    if (ca & cb) {
      return 0;
    }
    int code = ca ? ca : cb;
    long long x, y;
    if (code & (kOutAbove | kOutBelow)) {
      y = (code & kOutAbove) ? clip.top : clip.bottom;
      x = ax + static_cast<long long>(static_cast<__int128>(y - ay) * (bx - ax) / (by - ay));
    } else {
      x = (code & kOutLeft) ? clip.left : clip.right;
      y = ay + static_cast<long long>(static_cast<__int128>(x - ax) * (by - ay) / (bx - ax));
    }
    if (code == ca) {
      ax = x;
      ay = y;
      ca = line_outcode(clip, ax, ay);
    } else {
      bx = x;
      by = y;
      cb = line_outcode(clip, bx, by);
    }
  }
  return 0;
}

int fill_polygon_aa(tagDCObj* dc, const _VPoint* points, int count, uint32_t color, int opacity) {
  return fill_points(dc, points, count, 0, color, opacity);
}

void aa_line(tagDCObj* dc, int x1, int y1, int x2, int y2, uint32_t color) {
  aa_line_steps(dc, x1, y1, x2, y2, color, 1);
}

void aa_line_dotted(tagDCObj* dc, int x1, int y1, int x2, int y2, uint32_t color) {
  aa_line_steps(dc, x1, y1, x2, y2, color, 3);
}

int thick_polyline_pen(tagDCObj* dc, const _VPoint* points, int count, int opacity) {
  if (!drawable(dc) || !dc->pen) {
    return 0;
  }
  return outline_points(dc, points, count, 8, pen_half_width(dc->pen->width), dc->pen->color, opacity);
}

int thick_polyline(tagDCObj* dc, const _VPoint* points, int count, int width, uint32_t color, int opacity) {
  return outline_points(dc, points, count, 0, static_cast<long long>(width * 0.5 * 256), color, opacity);
}

int dc_draw_line(tagDCObj* dc, int x1, int y1, int x2, int y2, int opacity) {
  if (!dc || !dc->pen || dc->pen->width == 0) {
    return 0;
  }
  const tagPenObj* pen = dc->pen;
  if (pen->style == kPenDot) {
    aa_line_dotted(dc, x1, y1, x2, y2, pen->color);
  } else if (pen->style == kPenSolid && pen->width == 1) {
    aa_line(dc, x1, y1, x2, y2, pen->color);
  } else if (pen->style == kPenSolid) {
    _VPoint pts[2] = {{x1, y1}, {x2, y2}};
    thick_polyline_pen(dc, pts, 2, opacity);
  }
  return 1;
}

int dc_line_to(tagDCObj* dc, int x, int y) {
  if (!dc || !dc_draw_line(dc, dc->curX, dc->curY, x, y, 255)) {
    return 0;
  }
  dc->curX = x;
  dc->curY = y;
  return 1;
}

int dc_polyline(tagDCObj* dc, const _VPoint* points, int count, int opacity) {
  if (!dc || !dc->pen || !points || count < 2) {
    return 0;
  }
  if (dc->pen->width > 1) {
    thick_polyline_pen(dc, points, count, opacity);
    return 1;
  }
  for (int i = 0; i + 1 < count; ++i) {
    aa_line(dc, points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, dc->pen->color);
  }
  return 1;
}

int dc_polygon(tagDCObj* dc, const _VPoint* points, int count, int opacity) {
  if (!dc || !dc->pen || !dc->brush || !points || count < 3) {
    return 0;
  }
  bool fill = dc->brush->style != kBrushNull, outline = dc->pen->style != kPenNull;
  if (!fill && !outline) {
    return 0;
  }
  if (fill) {
    fill_points(dc, points, count, 8, dc->brush->color, opacity);
  }
  if (outline) {
    auto* closed = static_cast<_VPoint*>(CVMem::Allocate((static_cast<size_t>(count) + 1) * sizeof(_VPoint)));
    if (!closed) {
      return 0;
    }
    std::copy(points, points + count, closed);
    closed[count] = points[0];
    dc_polyline(dc, closed, count + 1, opacity);
    CVMem::Deallocate(closed);
  }
  return 1;
}

int dc_ellipse(tagDCObj* dc, int left, int top, int right, int bottom, int opacity) {
  if (!dc || !dc->pen || !dc->brush) {
    return 0;
  }
  long long w = std::llabs(static_cast<long long>(right) - left), h = std::llabs(static_cast<long long>(bottom) - top);
  if (w / 2 == 0 || h / 2 == 0) {
    return 0;
  }
  int n = static_cast<int>(std::clamp(w / 2 + h / 2, 4LL, 500LL));
  long long cx = ((static_cast<long long>(left) + right) * 128) & ~0xFFLL;
  long long cy = ((static_cast<long long>(top) + bottom) * 128) & ~0xFFLL;
  long long rx = (w * 128) & ~0xFFLL, ry = (h * 128) & ~0xFFLL;
  P64 pts[501];
  constexpr float kPi = 3.14159274f;
  for (int i = 0; i < n; ++i) {
    float angle = static_cast<float>(i * 2 * kPi / n);
    double a = angle;
    pts[i] = {cx + static_cast<long long>(static_cast<double>(rx) * std::cos(a)),
              cy + static_cast<long long>(static_cast<double>(ry) * std::sin(a))};
  }
  pts[n] = pts[0];
  fill_polygon64(dc, pts, n, dc->brush->color, opacity);
  if (dc->pen->style != kPenNull) {
    thick_outline(dc, pts, n + 1, static_cast<long long>(dc->pen->width * 0.5 * 256), dc->pen->color, opacity);
  }
  return 1;
}

}  // namespace mapengine
