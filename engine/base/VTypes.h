// The engine's integer point, size and rectangle.
#pragma once

namespace mapengine {

struct _VSize {
  int cx = 0;
  int cy = 0;

  void SetSize(int w, int h) { cx = w; cy = h; }
  void SetSizeEmpty() { cx = cy = 0; }
};

struct _VPoint {
  int x = 0;
  int y = 0;

  void SetPoint(int px, int py) { x = px; y = py; }
  // 1 when both coordinates equal the given ones.
  int Equals(int px, int py) const { return x == px && y == py ? 1 : 0; }
  void Offset(int dx, int dy) { x += dx; y += dy; }
  void Offset(const _VPoint& d) { Offset(d.x, d.y); }
  _VPoint operator+(const _VPoint& d) const { return {x + d.x, y + d.y}; }
  _VPoint operator-(const _VPoint& d) const { return {x - d.x, y - d.y}; }
  _VPoint& operator+=(const _VPoint& d) { Offset(d); return *this; }
  _VPoint& operator-=(const _VPoint& d) { Offset(-d.x, -d.y); return *this; }
  bool operator==(const _VPoint&) const = default;
  // x from the low 16 bits (sign-extended), y from the high 16 bits.
  static _VPoint FromPacked(int packed) {
    return {static_cast<short>(packed & 0xFFFF), packed >> 16};
  }
};

struct _VRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
  void CopyRect(const _VRect& other) { *this = other; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  _VSize Size() const { return {Width(), Height()}; }
  _VPoint BottomRight() const { return {right, bottom}; }
  _VPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
  bool operator==(const _VRect&) const = default;
};

}  // namespace mapengine
