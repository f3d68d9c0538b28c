// The engine's UTF-16 string and the zero-terminated UTF-16 routines.
#pragma once

#include <cstdarg>
#include <cstdint>

namespace mapengine {

// A char16_t literal seen as the engine's UTF-16 text type.
inline const unsigned short* VStr(const char16_t* s) { return reinterpret_cast<const unsigned short*>(s); }

// UTF-16 string with its length kept in a word in front of the units. A null
// buffer and a buffer of length 0 both count as empty; every change of length
// allocates a buffer of the exact size from the engine allocator.
class CVString {
public:
  // Longest text a string is built from.
  static constexpr int kMaxLength = 65534;
  // Longest buffer a string allocates.
  static constexpr int kMaxBufferUnits = 0x3FFFFFF0;
  // Units a Format result may have.
  static constexpr int kFormatUnits = 512;

  CVString() = default;
  CVString(const unsigned short* text);
  CVString(const char* gbk);
  CVString(const CVString& other);
  CVString(CVString&& other) noexcept : m_pData(other.m_pData) { other.m_pData = nullptr; }
  virtual ~CVString();

  CVString& operator=(const CVString& other);
  CVString& operator=(CVString&& other) noexcept;
  CVString& operator=(const unsigned short* text);
  CVString& operator=(const char* gbk);
  CVString& operator+=(const CVString& other);
  CVString& operator+=(const unsigned short* text);
  CVString& operator+=(const char* gbk);

  int GetLength() const { return m_pData ? reinterpret_cast<const int*>(m_pData)[-1] : 0; }
  bool IsEmpty() const { return GetLength() == 0; }
  // The unit at an index; 0 outside the string.
  unsigned short GetAt(int index) const;
  // The unit at an index without a check; 0 for a string without a buffer.
  unsigned short operator[](int index) const { return m_pData ? m_pData[index] : 0; }
  unsigned short* ElementAt(int index) { return m_pData + index; }
  unsigned short* GetBuffer() const { return m_pData; }
  operator const unsigned short*() const { return m_pData; }
  void Empty();

  int Find(const unsigned short* text, int start = 0) const;
  int Find(unsigned short unit, int start = 0) const;
  int ReverseFind(unsigned short unit) const;
  int ReplaceChar(unsigned short from, unsigned short to);
  int Replace(const unsigned short* from, const unsigned short* to);
  void MakeUpper();
  void MakeLower();
  int Compare(const unsigned short* text) const;
  int Compare(const char* gbk) const;
  CVString Mid(int start, int count) const;
  CVString Left(int count) const { return Mid(0, count); }
  CVString Right(int count) const;
  // printf-style formatting with a UTF-16 format; "%s" arguments are byte
  // texts. The result holds at most kFormatUnits - 1 units.
  void Format(const unsigned short* format, ...);

  // A buffer for length units (zeroed, terminated); 1, or 0 when memory ran
  // out or the length is out of range (the string is then unchanged).
  int AllocBuffer(int length);

private:
  void Assign(const unsigned short* units, int length);
  void Append(const unsigned short* units, int length);

  unsigned short* m_pData = nullptr;
};

CVString operator+(const CVString& a, const CVString& b);
CVString operator+(const CVString& a, const unsigned short* b);
CVString operator+(const CVString& a, const char* b);
CVString operator+(const char* a, const CVString& b);

int wide_strlen(const unsigned short* s);
unsigned short* wide_strcpy(unsigned short* dst, const unsigned short* src);
unsigned short* wide_strcat(unsigned short* dst, const unsigned short* src);
int wide_strcmp(const unsigned short* a, const unsigned short* b);
int wide_strncmp(const unsigned short* a, const unsigned short* b, int n);
int wide_stricmp(const unsigned short* a, const unsigned short* b);
const unsigned short* wide_strchr(const unsigned short* s, unsigned short unit);
const unsigned short* wide_strrchr(const unsigned short* s, unsigned short unit);
const unsigned short* wide_strstr(const unsigned short* s, const unsigned short* text);
unsigned short* wide_strupr(unsigned short* s);
unsigned short* wide_strlwr(unsigned short* s);
char* ascii_strlwr(char* s);
int wide_atoi(const unsigned short* s);
// Formats into out, which holds capacity units, terminator included. The
// format is converted to GBK and formatted with a bounded vsnprintf into 512
// bytes, then converted back. Returns the length in units.
int wide_vsprintf(unsigned short* out, int capacity, const unsigned short* format, va_list args);

// Milliseconds of the process's one clock (NSClock's monotonic time), kept in
// 32 bits (wraps): the engine's timers and what it schedules by them read it,
// so a test's virtual clock drives them, and it never jumps with the wall
// clock.
unsigned int GetTickCount();
// Milliseconds of the steady real clock, whatever clock the process runs on,
// kept in 32 bits (wraps): the network's time-outs, which real peers keep to.
unsigned int GetRealTickCount();
// The tick of a time of NSClock (in its whole microseconds).
unsigned int TickOf(int64_t clockTicks);

// Start-up folder paths, each ending in '/', filled once by the bootstrap.
constexpr int kPathUnits = 512;
// Stores the Documents and Caches folder paths; 0 (nothing stored) when one
// does not fit in kPathUnits - 1 units.
int SetStartupPaths(const unsigned short* documents, const unsigned short* caches);
// Copy the path into the caller's buffer (kPathUnits units, or the given
// capacity); the result is the length, 0 when it does not fit.
int GetDocumentPath(unsigned short* out, int capacity = kPathUnits);
int GetCachePath(unsigned short* out, int capacity = kPathUnits);
// The module path, which nothing fills: always "".
int GetModulePath(unsigned short* out, int capacity = kPathUnits);

// The text's UTF-8 bytes, every byte that is not an ASCII letter or digit
// written as '%' and two uppercase hexadecimal digits.
CVString UrlEncode(const CVString& text);

}  // namespace mapengine
