// The engine HTTP client's handling of a reply: header reading, framing
// (length, chunks, ranges), gzip, redirects and gateway pages. A GET goes
// through the relay, whose host is mapped to a loopback server answering with
// the input; a redirect only asks the owner again, so nothing leaves 127.0.0.1.
#include <arpa/inet.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "engine/base/HttpClient.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/FuzzInput.h"
#include "fuzz/support/LoopbackReply.h"

namespace {

using namespace mapengine;

std::unique_ptr<fuzz::LoopbackReply> server;
std::unique_ptr<CVMsgMan> messages;
std::unique_ptr<CVSocketMan> sockets;
std::unique_ptr<CHostAddrCache> hosts;

bool IsTerminal(int message)
{
    return message == kMsgHttpComplete || message == kMsgHttpConnectFailed || message == kMsgHttpSendFailed ||
           message == kMsgHttpReceiveFailed || message == kMsgHttpBadReply || message == kMsgHttpAskAgain;
}

// Takes the client's messages until its outcome or a bounded wait.
void AwaitOutcome()
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        tagEngineMsg msg;
        while (messages->PopMessage(messages->GetRing(1), msg)) {
            if (IsTerminal(msg.message)) return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::StartEngine();
    messages = std::make_unique<CVMsgMan>();
    GetGlobalMan()->SetSlot(kSlotMsgMan, messages.get());
    sockets = std::make_unique<CVSocketMan>();
    if (sockets->Init(30) != 1 || sockets->StartThread() != 1) std::abort();
    GetGlobalMan()->SetSlot(kSlotSocketMan, sockets.get());
    hosts = std::make_unique<CHostAddrCache>();
    GetGlobalMan()->SetSlot(kSlotHostAddrCache, hosts.get());
    if (HttpClientMapInit() != 1) std::abort();
    server = std::make_unique<fuzz::LoopbackReply>();
    hosts->SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(server->port()));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    server->setReply(fuzz::Text(data, size));
    std::vector<unsigned char> buffer(64 * 1024);
    int length = 0;
    {
        CHttpClient client;
        client.SetClientType(0);
        client.SetRecvBuffer(buffer.data(), &length, static_cast<int>(buffer.size()));
        client.SetTimeout(3000);
        client.SetAcceptGzip(1);
        client.Attach();
        int id = 7;
        if (client.RequestGet(CVString("http://tiles.example/tile?x=1&y=2"), id, 1) == 1) AwaitOutcome();
        client.Detach();
    }
    tagEngineMsg rest;
    while (messages->PopMessage(messages->GetRing(1), rest)) {
    }
    return 0;
}
