// Helpers shared by the reply parsers.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VJson.h"
#include "engine/base/VString.h"
#include "engine/data/VJsonResultParser.h"

namespace mapengine {

// A UTF-16 literal as a string.
inline CVString Wide(const char16_t* text) { return CVString(VStr(text)); }

// A flag: 1 when the number under the key is 1, else 0 (also when missing).
inline int Flag(const VJson* object, const char* key) {
  int value = 0;
  VJsonResultParser::GetInt(object, key, &value);
  return value == 1 ? 1 : 0;
}

// Parses every element of an array into a fresh element and appends those
// that parse; 0 when the node is not an array. Each element is parsed in the
// place it takes at the end of the array and given up again when it does not
// parse, and the array grows at most once for the whole list (size: the
// array's size when the caller knows it).
template <class T, class Parse>
int ParseEach(const VJson* array, CVArray<T>* out, Parse parse, int size = -1) {
  if (!IsArray(array)) {
    return 0;
  }
  out->SetSize(out->GetSize(), size >= 0 ? size : VJson_GetArraySize(array));
  for (const VJson* item = array->child; item; item = item->next) {
    int index = out->GetSize();
    if (!out->SetSize(index + 1)) {
      break;
    }
    if (!parse(item, &(*out)[index])) {
      out->SetSize(index);
    }
  }
  return 1;
}

// Finds the members named by keys in one walk over an object's members: the
// first member of each name, ignoring ASCII case, as VJson_GetObjectItem
// would find it; null where there is none.
void FindMembers(const VJson* object, const char* const* keys, int count, const VJson** found);

// The readers of VJsonResultParser for a node already found.
int ReadInt(const VJson* node, int* out);
int ReadIntFromDouble(const VJson* node, int* out);
int ReadString(const VJson* node, char* out, int width, int collapse = 0);
int ReadGeo(const VJson* node, CComplexPt* out);

// Writes a UTF-16 literal as GBK into a field of width bytes (whole
// characters, at most width - 1 bytes) and terminates it.
void CopyGbkText(char* field, int width, const char16_t* text);
// A start or end node of a route reply: "bus_stop" (only when present),
// "uid", "wd" and "pt".
void ParseRouteNodeInto(const VJson* node, tag_RouteNode* routeNode);

}  // namespace mapengine
