// One vector overlay element: what it is (its attribute) and where (its
// geometry). Builders fill points in hundredths of map units; the layer's
// draw copy holds positions inside the back-buffer image.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/base/VTypes.h"
#include "engine/model/ComplexPt.h"

namespace mapengine {

// The geometry of an element, in `Attribute::shape`. Drawing dispatches on
// the shape; `kind` says which result the element came from.
enum : int { kShapePoint = 1, kShapeLine = 2, kShapeArea = 3, kShapeText = 4 };

// Element kinds the builders assign.
enum : int {
  kElementStart = 1,
  kElementEnd = 2,
  kElementPoi = 3,
  kElementBackgroundPoi = 4,
  kElementSecondPoi = 5,
  kElementStepMarker = 8,
  kElementBusStation = 9,
  kElementPlace = 13
};

class Attribute {
public:
  Attribute() = default;
  Attribute(const Attribute&) = default;
  Attribute& operator=(const Attribute&) = default;
  virtual ~Attribute() = default;

  // Copies a text into the block, always terminated.
  void SetText(const char* text);

  char text[32] = {};
  int index = 0;
  int parent = -1;
  int kind = 0;
  int shape = 0;
  int style = 0;
  CVString label;
  _VPoint pos;
};

class CGeoElement {
public:
  CGeoElement() = default;
  CGeoElement(const CGeoElement&) = default;
  CGeoElement& operator=(const CGeoElement&) = default;
  virtual ~CGeoElement() = default;

  Attribute attr;
  CComplexPt geometry;
};

struct tagMBR {
  int left = 0;
  int bottom = 0;
  int right = 0;
  int top = 0;

  void grow_up(const _VPoint& p) {
    if (p.x < left) left = p.x;
    if (p.x > right) right = p.x;
    if (p.y < bottom) bottom = p.y;
    if (p.y > top) top = p.y;
  }
};

using CGeoElementArray = CVArray<CGeoElement>;

// A list of elements with the bounds of their single points.
struct tagGeoElementList {
  tagMBR bounds;
  CGeoElementArray elements;
};

}  // namespace mapengine
