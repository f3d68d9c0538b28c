// What the overlay tests share: a search-manager stand-in over real records
// (result slots, the POI background cache with its temporary files, and the
// background request sent over loopback to the map-service double), and the
// icon table over the build's generated pictures.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "engine/base/VCMMap.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/render/DataDisp.h"
#include "engine/render/MapDataSource.h"
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

// One GET through the double's relay form over 127.0.0.1; the body of a 200
// answer, else nothing.
inline std::string RelayGet(uint16_t port, const std::string& url) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string reply;
  if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&at), sizeof at) == 0) {
    const std::string request = "GET /?qt=rg&url=" + Ascii(UrlEncode(CVString(url.c_str()))) +
                                "&rc=0 HTTP/1.1\r\nHost: map.vuriv.com\r\nConnection: close\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      reply.append(buffer, static_cast<size_t>(n));
    }
  }
  if (fd >= 0) {
    ::close(fd);
  }
  const size_t body = reply.find("\r\n\r\n");
  const bool ok = reply.rfind("HTTP/1.1 200", 0) == 0 || reply.rfind("HTTP/1.0 200", 0) == 0;
  return !ok || body == std::string::npos ? std::string() : reply.substr(body + 4);
}

// The search manager as the overlays see it: result slots the test fills,
// and the POI background road (cache lookups, one loopback request per ask,
// the reply parsed and stored as the search service does).
class SearchSource : public CMapDataSource {
public:
  explicit SearchSource(uint16_t port = 0) : m_port(port) {}

  void* GetResult(int type) override {
    auto it = results.find(type);
    return it == results.end() ? nullptr : it->second;
  }
  int GetPendingType() const override { return pendingType; }
  int GetPoiBkgData(const CVString& keyword, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing) override {
    return cache.Lookup(keyword, tiles, missing);
  }
  int RequestPoiBkgData(const CVString& keyword, const CPoiBkgTileArray& tiles, int x1, int y1, int x2,
                        int y2) override {
    std::vector<std::string> asked;
    for (int i = 0; i < tiles.GetSize(); ++i) {
      asked.push_back(std::to_string(tiles[i].x) + "_" + std::to_string(tiles[i].y));
    }
    requests.push_back(asked);
    std::string xy;
    for (const std::string& key : asked) {
      xy += (xy.empty() ? "" : ",") + key;
    }
    const std::string url = "http://map.vuriv.com/?qt=bkg_data_ex&wd=" + Ascii(UrlEncode(keyword)) +
                            "&l=" + std::to_string(tiles[0].level) + "&xy=" + xy + "&b=(" + std::to_string(x1 / 100) +
                            "," + std::to_string(y1 / 100) + ";" + std::to_string(x2 / 100) + "," +
                            std::to_string(y2 / 100) + ")";
    tag_PoiBkgDataRst reply;
    const int parsed = ParseReply(RelayGet(m_port, url), [&](VJsonResultParser& parser, const VJson* root) {
      return parser.ParsePoiBkgData(root, &reply);
    });
    return parsed && cache.Store(keyword, reply);
  }

  std::map<int, void*> results;
  int pendingType = 0;
  CPoiBkgCache cache;
  std::vector<std::vector<std::string>> requests;

private:
  uint16_t m_port;
};

// The engine's icon table over the pictures the build generated.
inline void LoadDefaultIcons(CIconTable& icons, int scale) {
  icons.SetFolder(CVString((std::string(NSBundle::mainBundle()->resourcePath().UTF8String()) + "/").c_str()));
  icons.AddDefaults(scale);
}

}  // namespace overlaytest
