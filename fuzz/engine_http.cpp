// The engine HTTP client's handling of a reply: header reading, framing
// (length, chunks, ranges), gzip, redirects and gateway pages. A GET goes
// through the relay, whose host is mapped to a loopback server answering with
// the input; a redirect only asks the owner again, so nothing leaves 127.0.0.1.
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "fuzz/support/EngineNetwork.h"
#include "fuzz/support/FuzzInput.h"

namespace {

using namespace mapengine;

std::unique_ptr<fuzz::EngineNetwork> net;

// Takes the client's messages until its outcome or a bounded wait.
void AwaitOutcome()
{
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        tagEngineMsg msg;
        while (net->messages->PopMessage(net->messages->GetRing(1), msg)) {
            if (fuzz::EngineNetwork::IsTerminal(msg.message)) return;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    net = std::make_unique<fuzz::EngineNetwork>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    net->server->setReply(fuzz::Text(data, size));
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
    net->DrainRing();
    return 0;
}
