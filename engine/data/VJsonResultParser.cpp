// The readers and text operations every reply parser shares.
#include "engine/data/VJsonResultParser.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/base/VMem.h"
#include "engine/data/ParserSupport.h"
#include "engine/model/ComplexPt.h"

namespace mapengine {

int VJsonResultParser::ClampToInt(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value <= static_cast<double>(INT_MIN)) {
    return INT_MIN;
  }
  if (value >= static_cast<double>(INT_MAX)) {
    return INT_MAX;
  }
  return static_cast<int>(value);
}

int VJsonResultParser::TextToInt(const char* text) {
  if (!text) {
    return 0;
  }
  while (*text == ' ' || (*text >= '\t' && *text <= '\r')) {
    ++text;
  }
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') {
    ++text;
  }
  long long value = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    if (value <= static_cast<long long>(INT_MAX) + 1) {
      value = value * 10 + (*text - '0');
    }
  }
  value = negative ? -value : value;
  return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

int VJsonResultParser::TextToInt(const CVString& text) {
  int i = text.GetLength() > 0 && text[0] == '-' ? 1 : 0;
  long long value = 0;
  for (; i < text.GetLength() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value <= static_cast<long long>(INT_MAX) + 1) {
      value = value * 10 + (text[i] - '0');
    }
  }
  value = text.GetLength() > 0 && text[0] == '-' ? -value : value;
  return value < INT_MIN ? INT_MIN : value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

double VJsonResultParser::TextToDouble(const char* text) {
  if (!text) {
    return 0.0;
  }
  double value = std::strtod(text, nullptr);
  if (std::isnan(value)) {
    return 0.0;
  }
  return value < -DBL_MAX ? -DBL_MAX : value > DBL_MAX ? DBL_MAX : value;
}

int ReadInt(const VJson* node, int* out) {
  *out = IsNumber(node) ? node->valueint : 0;
  return IsNumber(node) ? 1 : 0;
}

int ReadIntFromDouble(const VJson* node, int* out) {
  *out = IsNumber(node) ? VJsonResultParser::ClampToInt(node->valuedouble) : 0;
  return IsNumber(node) ? 1 : 0;
}

int VJsonResultParser::GetInt(const VJson* object, const char* key, int* out) {
  return ReadInt(Member(object, key), out);
}

int VJsonResultParser::GetIntFromDouble(const VJson* object, const char* key, int* out) {
  return ReadIntFromDouble(Member(object, key), out);
}

int VJsonResultParser::GetUIntAsDouble(const VJson* object, const char* key, double* out) {
  const VJson* node = Member(object, key);
  if (!IsNumber(node)) {
    *out = 0.0;
    return 0;
  }
  double value = node->valuedouble;
  *out = !(value > 0.0) ? 0.0 : value >= 4294967295.0 ? 4294967295.0 : std::trunc(value);
  return 1;
}

int VJsonResultParser::GetArrayInt(const VJson* array, int index, int* out) {
  const VJson* node = IsArray(array) ? VJson_GetArrayItem(array, index) : nullptr;
  if (!IsNumber(node)) {
    return 0;
  }
  *out = node->valueint;
  return 1;
}

namespace {

// Copies whole GBK characters of text into a field of width bytes, leaving
// room for the terminator, and terminates it. A lead byte without its second
// byte is left out.
void CopyWholeCharacters(char* out, int width, const char* text) {
  auto* s = reinterpret_cast<const unsigned char*>(text);
  int n = 0;
  while (s[n]) {
    int size = s[n] >= 0x80 ? 2 : 1;
    if ((size == 2 && !s[n + 1]) || n + size > width - 1) {
      break;
    }
    n += size;
  }
  std::memcpy(out, text, static_cast<size_t>(n));
  out[n] = 0;
}

}  // namespace

int ReadString(const VJson* node, char* out, int width, int collapse) {
  if (!IsString(node) || !out || width < 2) {
    return 0;
  }
  if (!collapse || !std::strchr(node->valuestring, ';')) {
    CopyWholeCharacters(out, width, node->valuestring);
    return 1;
  }
  size_t length = std::strlen(node->valuestring);
  char local[256];
  char* copy = length < sizeof local ? local : static_cast<char*>(CVMem::Allocate(length + 1));
  if (!copy) {
    return 0;
  }
  std::memcpy(copy, node->valuestring, length + 1);
  VJsonResultParser::RemoveRepeatedItems(copy);
  CopyWholeCharacters(out, width, copy);
  if (copy != local) {
    CVMem::Deallocate(copy);
  }
  return 1;
}

int VJsonResultParser::GetString(const VJson* object, const char* key, char* out, int width, int collapse) {
  return ReadString(Member(object, key), out, width, collapse);
}

int VJsonResultParser::GetText(const VJson* object, const char* key, CVString* out) {
  const VJson* node = Member(object, key);
  if (!IsString(node)) {
    return 0;
  }
  *out = node->valuestring;
  return 1;
}

int VJsonResultParser::GetGeo(const VJson* object, const char* key, CComplexPt* out) {
  return ReadGeo(Member(object, key), out);
}

int ReadGeo(const VJson* node, CComplexPt* out) {
  if (!IsString(node) || !out) {
    return 0;
  }
  const char* text = node->valuestring;
  size_t length = std::strlen(text);
  int kind = 0;
  if (length == 15) {
    kind = 1;
  } else if (length > 32 && text[32] == '*') {
    kind = 3;
  } else if (length > 32 && text[32] == '-') {
    kind = 2;
  } else if (length > 15 && text[0] == '.' && text[14] == ';') {
    kind = 1;
  }
  return kind ? out->ParseGeoString(text, kind) : 0;
}

namespace {

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
    if (static_cast<unsigned>(x - 'A') < 26u) {
      x = static_cast<unsigned char>(x + 32);
    }
    if (static_cast<unsigned>(y - 'A') < 26u) {
      y = static_cast<unsigned char>(y + 32);
    }
    if (x != y) {
      return false;
    }
    if (!x) {
      return true;
    }
  }
}

}  // namespace

void FindMembers(const VJson* object, const char* const* keys, int count, const VJson** found) {
  for (int k = 0; k < count; ++k) {
    found[k] = nullptr;
  }
  if (!IsObject(object)) {
    return;
  }
  for (const VJson* member = object->child; member; member = member->next) {
    const char* name = member->name;
    if (!name) {
      continue;
    }
    for (int k = 0; k < count; ++k) {
      if (!found[k] && EqualsIgnoringAsciiCase(name, keys[k])) {
        found[k] = member;
        break;
      }
    }
  }
}

int VJsonResultParser::GetResultType(const VJson* root, int* out) {
  const VJson* type = Member(Member(root, "result"), "type");
  if (!IsNumber(type)) {
    return 0;
  }
  *out = type->valueint;
  return 1;
}

int VJsonResultParser::GetResultError(const VJson* root, int* out) {
  return GetInt(Member(root, "result"), "error", out);
}

void VJsonResultParser::RemoveRepeatedItems(char* text) {
  if (!text || !*text || !std::strchr(text, ';')) {
    return;
  }
  // The kept items are written over the text; the output never overtakes
  // the item being read.
  char* write = text;
  const char* read = text;
  const char* kept = text;
  size_t keptLength = 0;
  for (;;) {
    const char* end = std::strchr(read, ';');
    size_t length = end ? static_cast<size_t>(end - read) : std::strlen(read);
    if (length != keptLength || std::memcmp(kept, read, length) != 0) {
      if (write != text) {
        *write++ = ';';
      }
      std::memmove(write, read, length);
      kept = write;
      keptLength = length;
      write += length;
    }
    if (!end) {
      break;
    }
    read = end + 1;
  }
  *write = 0;
}

int VJsonResultParser::CutAtNonAscii(char* text) {
  if (!text) {
    return 0;
  }
  int length = static_cast<int>(std::strlen(text));
  for (char* p = text; *p; ++p) {
    if (static_cast<unsigned char>(*p) >= 0x80) {
      *p = 0;
      break;
    }
  }
  return length;
}

}  // namespace mapengine
