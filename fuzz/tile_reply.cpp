// The tile downloader's cutting of a tile pack reply into tiles: the input is
// the body of the reply to a pack request for four tiles, served over
// loopback through the relay. Every tile handed out must be exactly the bytes
// the pack's table names within the body.
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "engine/render/TileDownloader.h"
#include "engine/render/UrlTranslater.h"
#include "fuzz/support/EngineNetwork.h"
#include "fuzz/support/FuzzInput.h"

namespace {

using namespace mapengine;

std::unique_ptr<fuzz::EngineNetwork> net;
std::unique_ptr<CUrlTranslater> urls;
int requestId = 0;

long long Word(const std::string& body, size_t at)
{
    int value = 0;
    std::memcpy(&value, body.data() + at, 4);
    return value;
}

// A tile handed out is the body's bytes at the table's offset after the header.
void CheckTile(const std::string& body, int index, const unsigned char* bytes, int size)
{
    if (!bytes) return;
    const long long header = Word(body, 0), offset = Word(body, 8 + 8 * static_cast<size_t>(index));
    if (size != Word(body, 12 + 8 * static_cast<size_t>(index)) || header + offset + size > static_cast<long long>(body.size()) ||
        std::memcmp(bytes, body.data() + header + offset, static_cast<size_t>(size)) != 0)
        std::abort();
}

// Splits the pack at every report, as the map controller does, until the
// request ends or the pack goes bad.
void Download(CTileDownloader& downloader, const std::string& body)
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        tagEngineMsg msg;
        if (!net->messages->PopMessage(net->messages->GetRing(1), msg)) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        if (msg.lParam != requestId) continue;
        if (msg.message == kMsgHttpPartial || msg.message == kMsgHttpComplete) {
            tagTileSplitTable table;
            CVStringArray keys;
            downloader.SplitReply(table, keys);
            if (table.nBad) return;
            if (table.nPrevDone < 0 || table.nPrevDone > table.nDone || table.nDone > table.nCount ||
                table.nCount > keys.GetSize())
                std::abort();
            for (int i = table.nPrevDone; i < table.nDone; ++i) CheckTile(body, i, table.pData[i], table.nSize[i]);
        }
        if (fuzz::EngineNetwork::IsTerminal(msg.message)) return;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    net = std::make_unique<fuzz::EngineNetwork>();
    urls = std::make_unique<CUrlTranslater>();
    CVStringArray tileHosts;
    CVString host = "http://tiles.vuriv.com/";
    tileHosts.Add(host);
    urls->SetMapDomain(tileHosts, 2, 4);
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, urls.get());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string body = fuzz::Text(data, size);
    net->server->setReply("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n" + body);
    {
        CTileDownloader downloader;
        if (downloader.Init() != 1) std::abort();
        CVStringArray keys;
        for (const char* key : {"3160_1178", "3161_1178", "3160_1179", "3161_1179"}) {
            CVString k = key;
            keys.Add(k);
        }
        if (downloader.SendRequest(0, 12, 0, 0, keys, ++requestId, 1) == 1) Download(downloader, body);
    }
    net->DrainRing();
    return 0;
}
