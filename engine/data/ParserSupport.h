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
// that parse; 0 when the node is not an array.
template <class T, class Parse>
int ParseEach(const VJson* array, CVArray<T>* out, Parse parse) {
  if (!IsArray(array)) {
    return 0;
  }
  for (const VJson* item = array->child; item; item = item->next) {
    T element;
    if (parse(item, &element)) {
      out->Add(element);
    }
  }
  return 1;
}

// Writes a UTF-16 literal as GBK into a field of width bytes (whole
// characters, at most width - 1 bytes) and terminates it.
void CopyGbkText(char* field, int width, const char16_t* text);
// A start or end node of a route reply: "bus_stop" (only when present),
// "uid", "wd" and "pt".
void ParseRouteNodeInto(const VJson* node, tag_RouteNode* routeNode);

}  // namespace mapengine
