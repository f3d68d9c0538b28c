// The engine's network for the harnesses that fuzz a client's reply handling:
// the message rings, the socket worker, the host cache and the map client's
// relay, whose host is mapped to a loopback server answering with the input.
#pragma once

#include <arpa/inet.h>

#include <cstdlib>
#include <memory>

#include "engine/base/HttpClient.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "fuzz/support/Engine.h"
#include "fuzz/support/LoopbackReply.h"

namespace fuzz {

struct EngineNetwork {
    // Starts the engine and its network once per harness process.
    EngineNetwork()
    {
        using namespace mapengine;
        StartEngine();
        messages = std::make_unique<CVMsgMan>();
        GetGlobalMan()->SetSlot(kSlotMsgMan, messages.get());
        sockets = std::make_unique<CVSocketMan>();
        if (sockets->Init(30) != 1 || sockets->StartThread() != 1) std::abort();
        GetGlobalMan()->SetSlot(kSlotSocketMan, sockets.get());
        hosts = std::make_unique<CHostAddrCache>();
        GetGlobalMan()->SetSlot(kSlotHostAddrCache, hosts.get());
        if (HttpClientMapInit() != 1) std::abort();
        server = std::make_unique<LoopbackReply>();
        hosts->SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(server->port()));
    }

    // The client's last message about a request.
    static bool IsTerminal(int message)
    {
        using namespace mapengine;
        return message == kMsgHttpComplete || message == kMsgHttpConnectFailed || message == kMsgHttpSendFailed ||
               message == kMsgHttpReceiveFailed || message == kMsgHttpBadReply || message == kMsgHttpAskAgain;
    }

    // Drops whatever a finished request left on the engine's ring.
    void DrainRing()
    {
        mapengine::tagEngineMsg rest;
        while (messages->PopMessage(messages->GetRing(1), rest)) {
        }
    }

    // Made in the constructor once the engine's global manager exists.
    std::unique_ptr<mapengine::CVMsgMan> messages;
    std::unique_ptr<mapengine::CVSocketMan> sockets;
    std::unique_ptr<mapengine::CHostAddrCache> hosts;
    std::unique_ptr<LoopbackReply> server;
};

}  // namespace fuzz
