// Shared set-up of the engine data tests: the engine's code pages, replies of
// the demo data set run through the engine's own conversion and JSON reader,
// and GBK fields read back as UTF-16.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/base/VCMMap.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/base/VString.h"
#include "tests/engine/base/EngineTestSupport.h"

namespace mapengine::test {

// A UTF-8 reply as the search dispatch reads it: converted to GBK, then
// parsed. The tree and the text are freed with the object.
class Reply {
public:
  explicit Reply(const std::string& utf8) {
    int length = 0;
    m_text = Utf8ToLocal(utf8.data(), static_cast<int>(utf8.size()), &length);
    m_root = m_text ? VJson_Parse(m_text) : nullptr;
  }
  ~Reply() {
    VJson_Delete(m_root);
    VDelete(m_text);
  }
  Reply(const Reply&) = delete;
  Reply& operator=(const Reply&) = delete;

  VJson* root() const { return m_root; }
  const char* text() const { return m_text; }

private:
  char* m_text = nullptr;
  VJson* m_root = nullptr;
};

// A GBK field (or any GBK text) as UTF-16.
inline std::u16string G(const char* gbk) { return U16(CVString(gbk)); }

// A UTF-8 text as UTF-16.
inline std::u16string U8(const std::string& utf8) {
  int n = MultiByteToWide(kCodePageUtf8, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWide(kCodePageUtf8, utf8.data(), static_cast<int>(utf8.size()),
                  reinterpret_cast<unsigned short*>(out.data()), n);
  return out;
}

// A UTF-16 text as GBK bytes.
inline std::string Gbk(const char16_t* text) {
  int n = WideToMultiByte(kCodePageGbk, VStr(text), -1, nullptr, 0);
  std::string out(static_cast<size_t>(n), '\0');
  WideToMultiByte(kCodePageGbk, VStr(text), -1, out.data(), n);
  return out;
}

}  // namespace mapengine::test
