// The engine's JSON reader: builds a tree of VJson nodes from a zero-terminated
// byte text. Strings are GBK byte strings (a byte of 0x80 or more starts a
// two-byte character copied unchanged); member names are matched without
// regard to ASCII case; nodes and strings come from the engine allocator.
#pragma once

#include <cstddef>

namespace mapengine {

enum {
  VJson_False = 0,
  VJson_True = 1,
  VJson_NULL = 2,
  VJson_Number = 3,
  VJson_String = 4,
  VJson_Array = 5,
  VJson_Object = 6
};

// Deepest nesting of arrays and objects the reader accepts.
constexpr int kVJsonMaxDepth = 512;

struct VJson {
  VJson* next;
  VJson* prev;
  VJson* child;
  int type;
  // Set on the root of a parsed tree only: the root holds the memory of the
  // whole tree. (It fills what would otherwise be padding.)
  int ownsTree;
  char* valuestring;
  // The number truncated toward zero and held to the int range; 1 for true.
  int valueint;
  // An array's or object's number of children, counted as they are read:
  // a long array's size without a walk over its elements. (It fills what
  // would otherwise be padding.)
  int childCount;
  // The number, held to the finite double range.
  double valuedouble;
  char* name;
};
// The marker takes no room of its own: every other field stays where it was.
static_assert(offsetof(VJson, valuestring) ==
                  (offsetof(VJson, type) + sizeof(int) + alignof(char*) - 1) / alignof(char*) * alignof(char*),
              "the root marker must fill padding only");
static_assert(offsetof(VJson, childCount) + sizeof(int) == offsetof(VJson, valuedouble),
              "the child count must fill padding only");

// The root of the parsed text, or null when it is no valid value, nests deeper
// than kVJsonMaxDepth or memory ran out (nothing stays allocated then). Text
// after the first complete value is ignored.
VJson* VJson_Parse(const char* text);
// Frees a tree from VJson_Parse, given its root: every node and string of it.
// The nodes of a tree live and die with their root, so for any other node this
// does nothing. Null is accepted.
void VJson_Delete(VJson* node);
int VJson_GetArraySize(const VJson* node);
// The child at a 0-based index; null when out of range.
VJson* VJson_GetArrayItem(const VJson* node, int index);
// The first child whose name equals the given one ignoring ASCII case.
VJson* VJson_GetObjectItem(const VJson* node, const char* name);

}  // namespace mapengine
