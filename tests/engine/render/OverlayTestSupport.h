// What the overlay tests share: replies parsed into the search records as
// the search service does, and the icon table over the build's generated
// pictures.
#pragma once


#include <string>

#include "engine/base/VCMMap.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/render/DataDisp.h"
#include "platform/foundation/NSBundle.h"
#include "tests/engine/render/EngineText.h"

namespace overlaytest {

using namespace mapengine;

// Parses a UTF-8 reply as the search dispatch reads it (converted to GBK
// first) with the parser given; 1 when it parsed.
template <class Parse>
int ParseReply(const std::string& utf8, Parse parse) {
  int length = 0;
  char* text = Utf8ToLocal(utf8.data(), static_cast<int>(utf8.size()), &length);
  VJson* root = text ? VJson_Parse(text) : nullptr;
  VJsonResultParser parser;
  const int parsed = root ? parse(parser, root) : 0;
  VJson_Delete(root);
  VDelete(text);
  return parsed;
}

inline CVString FromUtf8(const std::string& utf8) {
  const int n = MultiByteToWide(kCodePageUtf8, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::u16string wide(static_cast<size_t>(n), u'\0');
  MultiByteToWide(kCodePageUtf8, utf8.data(), static_cast<int>(utf8.size()),
                  reinterpret_cast<unsigned short*>(wide.data()), n);
  return CVString(VStr(wide.c_str()));
}

// The engine's icon table over the pictures the build generated.
inline void LoadDefaultIcons(CIconTable& icons, int scale) {
  icons.SetFolder(CVString((std::string(NSBundle::mainBundle()->resourcePath().UTF8String()) + "/").c_str()));
  icons.AddDefaults(scale);
}

}  // namespace overlaytest
