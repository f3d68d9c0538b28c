#include "engine/base/VMap.h"

namespace mapengine {

namespace {

// operator[] hands out a reference even when memory ran out; it then refers
// to a scratch value that no entry owns.
template <class Value>
Value& ValueOrScratch(Value* found) {
  thread_local Value scratch{};
  if (found) {
    return *found;
  }
  scratch = Value{};
  return scratch;
}

template <class Map, class Key, class Value>
int LookupIn(Map& map, Key key, Value& value) {
  Value* found = map.Find(key, false);
  if (!found) {
    return 0;
  }
  value = *found;
  return 1;
}

template <class Map, class Key, class Value>
int SetIn(Map& map, Key key, const Value& value) {
  Value* slot = map.Find(key, true);
  if (!slot) {
    return 0;
  }
  *slot = value;
  return 1;
}

}  // namespace

void*& CVMapWordToPtr::operator[](unsigned short key) { return ValueOrScratch(Find(key, true)); }
int CVMapWordToPtr::Lookup(unsigned short key, void*& value) { return LookupIn(*this, key, value); }
int CVMapWordToPtr::SetAt(unsigned short key, void* value) { return SetIn(*this, key, value); }

void*& CVMapStringToPtr::operator[](const unsigned short* key) { return ValueOrScratch(Find(key, true)); }
int CVMapStringToPtr::Lookup(const unsigned short* key, void*& value) { return LookupIn(*this, key, value); }
int CVMapStringToPtr::SetAt(const unsigned short* key, void* value) { return SetIn(*this, key, value); }

CVString& CVMapStringToString::operator[](const unsigned short* key) { return ValueOrScratch(Find(key, true)); }
int CVMapStringToString::Lookup(const unsigned short* key, CVString& value) { return LookupIn(*this, key, value); }
int CVMapStringToString::SetAt(const unsigned short* key, const CVString& value) { return SetIn(*this, key, value); }

}  // namespace mapengine
