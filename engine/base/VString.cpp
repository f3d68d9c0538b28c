#include "engine/base/VString.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "engine/base/VCMMap.h"
#include "engine/base/VMem.h"
#include "platform/foundation/NSClock.h"

namespace mapengine {

namespace {

bool IsUpper(unsigned short u) { return u >= 'A' && u <= 'Z'; }
bool IsLower(unsigned short u) { return u >= 'a' && u <= 'z'; }
unsigned short ToLower(unsigned short u) { return IsUpper(u) ? static_cast<unsigned short>(u + 32) : u; }
unsigned short ToUpper(unsigned short u) { return IsLower(u) ? static_cast<unsigned short>(u - 32) : u; }

// Index of the first occurrence of text (of textLen units) in s at or after start; -1 when none.
int FindUnits(const unsigned short* s, int len, const unsigned short* text, int textLen, int start) {
  for (int i = start; i + textLen <= len; ++i) {
    if (std::memcmp(s + i, text, textLen * sizeof(unsigned short)) == 0) {
      return i;
    }
  }
  return -1;
}

void CopyUnits(unsigned short* to, const unsigned short* from, int count) {
  if (count > 0) {
    std::memcpy(to, from, count * sizeof(unsigned short));
  }
}

// A GBK text as a temporary UTF-16 string.
CVString FromGbk(const char* gbk) { return CVString(gbk); }

}  // namespace

CVString::CVString(const unsigned short* text) {
  int len = text ? wide_strlen(text) : 0;
  if (len > 0 && len <= kMaxLength) {
    Assign(text, len);
  }
}

CVString::CVString(const char* gbk) {
  if (!gbk || !*gbk) {
    return;
  }
  size_t bytes = std::strlen(gbk);
  int length = bytes > static_cast<size_t>(kMaxBufferUnits) ? kMaxBufferUnits : static_cast<int>(bytes);
  int units = MultiByteToWide(kCodePageGbk, gbk, length, nullptr, 0);
  if (units > 0 && AllocBuffer(units)) {
    MultiByteToWide(kCodePageGbk, gbk, length, m_pData, units);
  }
}

CVString::CVString(const CVString& other) {
  if (other.m_pData) {
    Assign(other.m_pData, other.GetLength());
  }
}

CVString::~CVString() { Empty(); }

CVString& CVString::operator=(const CVString& other) {
  if (this != &other) {
    if (other.IsEmpty()) {
      Empty();
    } else {
      Assign(other.m_pData, other.GetLength());
    }
  }
  return *this;
}

CVString& CVString::operator=(CVString&& other) noexcept {
  if (this != &other) {
    Empty();
    m_pData = other.m_pData;
    other.m_pData = nullptr;
  }
  return *this;
}

CVString& CVString::operator=(const unsigned short* text) { return *this = CVString(text); }

CVString& CVString::operator=(const char* gbk) { return *this = CVString(gbk); }

CVString& CVString::operator+=(const CVString& other) {
  Append(other.m_pData, other.GetLength());
  return *this;
}

CVString& CVString::operator+=(const unsigned short* text) {
  Append(text, text ? wide_strlen(text) : 0);
  return *this;
}

CVString& CVString::operator+=(const char* gbk) { return *this += FromGbk(gbk); }

int CVString::AllocBuffer(int length) {
  if (length < 0 || length > kMaxBufferUnits) {
    return 0;
  }
  auto* block = static_cast<unsigned char*>(CVMem::Allocate(sizeof(int) + (length + 1) * sizeof(unsigned short)));
  if (!block) {
    return 0;
  }
  Empty();
  *reinterpret_cast<int*>(block) = length;
  m_pData = reinterpret_cast<unsigned short*>(block + sizeof(int));
  std::memset(m_pData, 0, (length + 1) * sizeof(unsigned short));
  return 1;
}

void CVString::Assign(const unsigned short* units, int length) {
  CVString copy;
  if (copy.AllocBuffer(length)) {
    std::memcpy(copy.m_pData, units, length * sizeof(unsigned short));
    *this = std::move(copy);
  }
}

void CVString::Append(const unsigned short* units, int length) {
  if (!units || length <= 0) {
    return;
  }
  if (IsEmpty()) {
    Assign(units, length);
    return;
  }
  int own = GetLength();
  CVString joined;
  if (joined.AllocBuffer(own + length)) {
    std::memcpy(joined.m_pData, m_pData, own * sizeof(unsigned short));
    std::memcpy(joined.m_pData + own, units, length * sizeof(unsigned short));
    *this = std::move(joined);
  }
}

void CVString::Empty() {
  if (m_pData) {
    CVMem::Deallocate(reinterpret_cast<unsigned char*>(m_pData) - sizeof(int));
    m_pData = nullptr;
  }
}

unsigned short CVString::GetAt(int index) const {
  return index >= 0 && index < GetLength() ? m_pData[index] : 0;
}

int CVString::Find(const unsigned short* text, int start) const {
  int len = GetLength();
  if (start < 0) {
    start = 0;
  }
  if (len == 0 || start > len || !text) {
    return -1;
  }
  int textLen = wide_strlen(text);
  return textLen == 0 ? -1 : FindUnits(m_pData, len, text, textLen, start);
}

int CVString::Find(unsigned short unit, int start) const {
  int len = GetLength();
  if (start < 0) {
    start = 0;
  }
  for (int i = start; i < len; ++i) {
    if (m_pData[i] == unit) {
      return i;
    }
  }
  return -1;
}

int CVString::ReverseFind(unsigned short unit) const {
  for (int i = GetLength() - 1; i >= 0; --i) {
    if (m_pData[i] == unit) {
      return i;
    }
  }
  return -1;
}

int CVString::ReplaceChar(unsigned short from, unsigned short to) {
  if (from == to) {
    return 0;
  }
  int count = 0;
  for (int i = 0; i < GetLength(); ++i) {
    if (m_pData[i] == from) {
      m_pData[i] = to;
      ++count;
    }
  }
  return count;
}

int CVString::Replace(const unsigned short* from, const unsigned short* to) {
  if (!from || !to || IsEmpty()) {
    return 0;
  }
  int len = GetLength();
  int fromLen = wide_strlen(from);
  int toLen = wide_strlen(to);
  if (fromLen == 0) {
    return 0;
  }
  int count = 0;
  for (int at = FindUnits(m_pData, len, from, fromLen, 0); at >= 0;
       at = FindUnits(m_pData, len, from, fromLen, at + fromLen)) {
    ++count;
  }
  if (count == 0) {
    return 0;
  }
  long long newLen = len + static_cast<long long>(count) * (toLen - fromLen);
  CVString result;
  if (newLen > 0 && (newLen > kMaxBufferUnits || !result.AllocBuffer(static_cast<int>(newLen)))) {
    return 0;
  }
  unsigned short* out = result.m_pData;
  int done = 0;
  for (int at = FindUnits(m_pData, len, from, fromLen, 0); at >= 0;
       at = FindUnits(m_pData, len, from, fromLen, done)) {
    CopyUnits(out, m_pData + done, at - done);
    out += at - done;
    CopyUnits(out, to, toLen);
    out += toLen;
    done = at + fromLen;
  }
  CopyUnits(out, m_pData + done, len - done);
  *this = std::move(result);
  return count;
}

void CVString::MakeUpper() {
  for (int i = 0; i < GetLength(); ++i) {
    m_pData[i] = ToUpper(m_pData[i]);
  }
}

void CVString::MakeLower() {
  for (int i = 0; i < GetLength(); ++i) {
    m_pData[i] = ToLower(m_pData[i]);
  }
}

int CVString::Compare(const unsigned short* text) const {
  if (!text || !*text) {
    return IsEmpty() ? 0 : 1;
  }
  if (!m_pData) {
    return 1;
  }
  return wide_strcmp(m_pData, text);
}

int CVString::Compare(const char* gbk) const {
  CVString other(gbk);
  return Compare(other.GetBuffer());
}

CVString CVString::Mid(int start, int count) const {
  CVString result;
  int len = GetLength();
  if (start < 0 || start >= len || count <= 0) {
    return result;
  }
  if (count > len - start) {
    count = len - start;
  }
  result.Assign(m_pData + start, count);
  return result;
}

CVString CVString::Right(int count) const {
  int len = GetLength();
  if (count < 0) {
    count = 0;
  }
  if (count >= len) {
    return *this;
  }
  return Mid(len - count, count);
}

void CVString::Format(const unsigned short* format, ...) {
  unsigned short buffer[kFormatUnits];
  va_list args;
  va_start(args, format);
  wide_vsprintf(buffer, kFormatUnits, format, args);
  va_end(args);
  *this = buffer;
}

CVString operator+(const CVString& a, const CVString& b) {
  CVString r(a);
  r += b;
  return r;
}

CVString operator+(const CVString& a, const unsigned short* b) {
  CVString r(a);
  r += b;
  return r;
}

CVString operator+(const CVString& a, const char* b) {
  CVString r(a);
  r += b;
  return r;
}

CVString operator+(const char* a, const CVString& b) {
  CVString r(a);
  r += b;
  return r;
}

int wide_strlen(const unsigned short* s) {
  int n = 0;
  while (s[n]) {
    ++n;
  }
  return n;
}

unsigned short* wide_strcpy(unsigned short* dst, const unsigned short* src) {
  int i = 0;
  do {
    dst[i] = src[i];
  } while (src[i++]);
  return dst;
}

unsigned short* wide_strcat(unsigned short* dst, const unsigned short* src) {
  wide_strcpy(dst + wide_strlen(dst), src);
  return dst;
}

int wide_strcmp(const unsigned short* a, const unsigned short* b) {
  while (*a && *a == *b) {
    ++a;
    ++b;
  }
  return *a < *b ? -1 : *a > *b ? 1 : 0;
}

int wide_strncmp(const unsigned short* a, const unsigned short* b, int n) {
  for (int i = 0; i < n; ++i) {
    if (a[i] != b[i]) {
      return a[i] < b[i] ? -1 : 1;
    }
    if (!a[i]) {
      break;
    }
  }
  return 0;
}

int wide_stricmp(const unsigned short* a, const unsigned short* b) {
  for (;; ++a, ++b) {
    int d = ToLower(*a) - ToLower(*b);
    if (d != 0 || !*a) {
      return d;
    }
  }
}

const unsigned short* wide_strchr(const unsigned short* s, unsigned short unit) {
  for (;; ++s) {
    if (*s == unit) {
      return s;
    }
    if (!*s) {
      return nullptr;
    }
  }
}

const unsigned short* wide_strrchr(const unsigned short* s, unsigned short unit) {
  const unsigned short* last = nullptr;
  for (;; ++s) {
    if (*s == unit) {
      last = s;
    }
    if (!*s) {
      return last;
    }
  }
}

const unsigned short* wide_strstr(const unsigned short* s, const unsigned short* text) {
  int textLen = wide_strlen(text);
  if (textLen == 0) {
    return s;
  }
  int at = FindUnits(s, wide_strlen(s), text, textLen, 0);
  return at < 0 ? nullptr : s + at;
}

unsigned short* wide_strupr(unsigned short* s) {
  for (unsigned short* p = s; *p; ++p) {
    *p = ToUpper(*p);
  }
  return s;
}

unsigned short* wide_strlwr(unsigned short* s) {
  for (unsigned short* p = s; *p; ++p) {
    *p = ToLower(*p);
  }
  return s;
}

char* ascii_strlwr(char* s) {
  for (char* p = s; *p; ++p) {
    if (*p >= 'A' && *p <= 'Z') {
      *p = static_cast<char>(*p + 32);
    }
  }
  return s;
}

int wide_atoi(const unsigned short* s) {
  if (!s) {
    return 0;
  }
  bool negative = *s == '-';
  if (negative) {
    ++s;
  }
  // Accumulate negatively so that the most negative int is representable;
  // values beyond the int range stop at its ends.
  long long value = 0;
  for (; *s >= '0' && *s <= '9'; ++s) {
    value = value * 10 + (*s - '0');
    if (value > 2147483648LL) {
      value = 2147483648LL;
    }
  }
  if (negative) {
    return static_cast<int>(-value);
  }
  return value > 2147483647LL ? 2147483647 : static_cast<int>(value);
}

int wide_vsprintf(unsigned short* out, int capacity, const unsigned short* format, va_list args) {
  if (!out || capacity <= 0) {
    return 0;
  }
  out[0] = 0;
  if (!format) {
    return 0;
  }
  constexpr int kFormatBytes = 1024;
  constexpr int kResultBytes = 512;
  char fmt[kFormatBytes];
  int fmtLen = WideToMultiByte(kCodePageGbk, format, -1, nullptr, 0);
  if (fmtLen >= kFormatBytes) {
    return 0;  // a cut format could split a conversion
  }
  fmtLen = WideToMultiByte(kCodePageGbk, format, -1, fmt, kFormatBytes - 1);
  fmt[fmtLen] = 0;
  char bytes[kResultBytes];
  int n = std::vsnprintf(bytes, sizeof bytes, fmt, args);
  if (n < 0) {
    return 0;
  }
  int byteLen = n < kResultBytes ? n : kResultBytes - 1;
  int units = MultiByteToWide(kCodePageGbk, bytes, byteLen, out, capacity - 1);
  out[units] = 0;
  return units;
}

unsigned int TickOf(int64_t clockTicks) {
  return static_cast<unsigned int>(clockTicks / (NSClock::ticksPerSecond / 1000));
}

unsigned int GetTickCount() { return TickOf(NSClock::monotonicTicks()); }

unsigned int GetRealTickCount() { return TickOf(NSClock::realMonotonicTicks()); }

namespace {
std::mutex g_pathsLock;
unsigned short g_documentPath[kPathUnits];
unsigned short g_cachePath[kPathUnits];

int CopyPath(const unsigned short* path, unsigned short* out, int capacity) {
  if (!out || capacity <= 0) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_pathsLock);
  int len = wide_strlen(path);
  if (len >= capacity) {
    out[0] = 0;
    return 0;
  }
  wide_strcpy(out, path);
  return len;
}
}  // namespace

int SetStartupPaths(const unsigned short* documents, const unsigned short* caches) {
  if (!documents || !caches || wide_strlen(documents) >= kPathUnits || wide_strlen(caches) >= kPathUnits) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_pathsLock);
  wide_strcpy(g_documentPath, documents);
  wide_strcpy(g_cachePath, caches);
  return 1;
}

int GetDocumentPath(unsigned short* out, int capacity) { return CopyPath(g_documentPath, out, capacity); }

int GetCachePath(unsigned short* out, int capacity) { return CopyPath(g_cachePath, out, capacity); }

int GetModulePath(unsigned short* out, int capacity) {
  static const unsigned short kEmpty[1] = {0};
  return CopyPath(kEmpty, out, capacity);
}

CVString UrlEncode(const CVString& text) {
  CVString result;
  int bytes = WideToMultiByte(kCodePageUtf8, text.GetBuffer(), text.GetLength(), nullptr, 0);
  if (bytes <= 0 || bytes > CVString::kMaxBufferUnits / 3 || !result.AllocBuffer(bytes * 3)) {
    return result;
  }
  auto* utf8 = static_cast<unsigned char*>(CVMem::Allocate(bytes));
  if (!utf8) {
    result.Empty();
    return result;
  }
  WideToMultiByte(kCodePageUtf8, text.GetBuffer(), text.GetLength(), reinterpret_cast<char*>(utf8), bytes);
  static const char kHex[] = "0123456789ABCDEF";
  unsigned short* out = result.GetBuffer();
  int n = 0;
  for (int i = 0; i < bytes; ++i) {
    unsigned char b = utf8[i];
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
      out[n++] = b;
    } else {
      out[n++] = '%';
      out[n++] = static_cast<unsigned short>(kHex[b >> 4]);
      out[n++] = static_cast<unsigned short>(kHex[b & 15]);
    }
  }
  CVMem::Deallocate(utf8);
  result = result.Left(n);
  return result;
}

}  // namespace mapengine
