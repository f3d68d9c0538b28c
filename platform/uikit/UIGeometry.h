#pragma once
// Points, sizes, rectangles, insets and affine transforms of the drawing model.

#include <cmath>

using CGFloat = double;

struct CGPoint {
    CGFloat x = 0, y = 0;
    bool operator==(const CGPoint&) const = default;
};
struct CGSize {
    CGFloat width = 0, height = 0;
    bool operator==(const CGSize&) const = default;
};
struct CGRect {
    CGPoint origin;
    CGSize size;
    bool operator==(const CGRect&) const = default;
};

inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) { return {x, y}; }
inline CGSize CGSizeMake(CGFloat w, CGFloat h) { return {w, h}; }
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return {{x, y}, {w, h}}; }

inline CGFloat CGRectGetMinX(const CGRect& r) { return r.origin.x; }
inline CGFloat CGRectGetMinY(const CGRect& r) { return r.origin.y; }
inline CGFloat CGRectGetMaxX(const CGRect& r) { return r.origin.x + r.size.width; }
inline CGFloat CGRectGetMaxY(const CGRect& r) { return r.origin.y + r.size.height; }
inline CGFloat CGRectGetMidX(const CGRect& r) { return r.origin.x + r.size.width / 2; }
inline CGFloat CGRectGetMidY(const CGRect& r) { return r.origin.y + r.size.height / 2; }
inline CGFloat CGRectGetWidth(const CGRect& r) { return r.size.width; }
inline CGFloat CGRectGetHeight(const CGRect& r) { return r.size.height; }
inline bool CGRectEqualToRect(const CGRect& a, const CGRect& b) { return a == b; }
inline bool CGSizeEqualToSize(const CGSize& a, const CGSize& b) { return a == b; }
inline bool CGPointEqualToPoint(const CGPoint& a, const CGPoint& b) { return a == b; }
// The far edges are outside, as with the platform's rectangles.
inline bool CGRectContainsPoint(const CGRect& r, CGPoint p)
{
    return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}
inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b)
{
    return CGRectGetMinX(a) < CGRectGetMaxX(b) && CGRectGetMinX(b) < CGRectGetMaxX(a) &&
           CGRectGetMinY(a) < CGRectGetMaxY(b) && CGRectGetMinY(b) < CGRectGetMaxY(a);
}
inline CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy) { return {{r.origin.x + dx, r.origin.y + dy}, r.size}; }
inline CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy)
{
    return {{r.origin.x + dx, r.origin.y + dy}, {r.size.width - 2 * dx, r.size.height - 2 * dy}};
}

struct UIEdgeInsets {
    CGFloat top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const UIEdgeInsets&) const = default;
};
inline constexpr UIEdgeInsets UIEdgeInsetsZero{};
inline UIEdgeInsets UIEdgeInsetsMake(CGFloat t, CGFloat l, CGFloat b, CGFloat r) { return {t, l, b, r}; }

// x' = a x + c y + tx, y' = b x + d y + ty.
struct CGAffineTransform {
    CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
    bool operator==(const CGAffineTransform&) const = default;
};
inline constexpr CGAffineTransform CGAffineTransformIdentity{};

inline CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) { return {sx, 0, 0, sy, 0, 0}; }
inline CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) { return {1, 0, 0, 1, tx, ty}; }
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle)
{
    return {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle), 0, 0};
}
// t1 then t2.
inline CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1, const CGAffineTransform& t2)
{
    return {t1.a * t2.a + t1.b * t2.c,         t1.a * t2.b + t1.b * t2.d,
            t1.c * t2.a + t1.d * t2.c,         t1.c * t2.b + t1.d * t2.d,
            t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}
inline CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx, CGFloat sy)
{
    return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
inline CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat angle)
{
    return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}
inline CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx, CGFloat ty)
{
    return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}
inline bool CGAffineTransformIsIdentity(const CGAffineTransform& t) { return t == CGAffineTransformIdentity; }
// A singular transform is returned unchanged.
inline CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t)
{
    const CGFloat det = t.a * t.d - t.b * t.c;
    if (det == 0) return t;
    return {t.d / det, -t.b / det, -t.c / det, t.a / det, (t.c * t.ty - t.d * t.tx) / det, (t.b * t.tx - t.a * t.ty) / det};
}
inline CGPoint CGPointApplyAffineTransform(CGPoint p, const CGAffineTransform& t)
{
    return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}

// The layer's three-dimensional transform: a 4x4 matrix acting on row vectors
// (x' = x m11 + y m21 + z m31 + m41 ...), as the platform's.
struct CATransform3D {
    CGFloat m11 = 1, m12 = 0, m13 = 0, m14 = 0;
    CGFloat m21 = 0, m22 = 1, m23 = 0, m24 = 0;
    CGFloat m31 = 0, m32 = 0, m33 = 1, m34 = 0;
    CGFloat m41 = 0, m42 = 0, m43 = 0, m44 = 1;
    bool operator==(const CATransform3D&) const = default;
};
inline constexpr CATransform3D CATransform3DIdentity{};
inline CATransform3D CATransform3DMakeScale(CGFloat sx, CGFloat sy, CGFloat sz)
{
    CATransform3D t;
    t.m11 = sx;
    t.m22 = sy;
    t.m33 = sz;
    return t;
}
// A rotation by `angle` radians about the axis (x, y, z); only the z axis
// (0, 0, 1) is supported, which is what turning a flat layer needs. Positive
// angles turn clockwise on the y-down screen, as a view's rotation does.
inline CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z)
{
    CATransform3D t;
    if (x != 0 || y != 0 || z == 0) return t;
    const CGFloat c = std::cos(angle), s = std::sin(z > 0 ? angle : -angle);
    t.m11 = c;
    t.m12 = s;
    t.m21 = -s;
    t.m22 = c;
    return t;
}
inline bool CATransform3DIsIdentity(const CATransform3D& t) { return t == CATransform3DIdentity; }
inline bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b) { return a == b; }
// The part that acts in the layer's plane, as an affine transform.
inline CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t)
{
    return {t.m11, t.m12, t.m21, t.m22, t.m41, t.m42};
}
