// The engine's network as a test runs it: the message runtime, the socket
// worker, the host-address cache (the relay seam) and the HTTP client
// registry, published in the global manager.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>

#include "engine/base/HttpClient.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"

namespace mapengine::test {

struct EngineNetwork {
  // Call through ASSERT_NO_FATAL_FAILURE.
  void Start() {
    msgs = std::make_unique<CVMsgMan>();
    GetGlobalMan()->SetSlot(kSlotMsgMan, msgs.get());
    sockets = std::make_unique<CVSocketMan>();
    sockets->Init(30);
    ASSERT_EQ(sockets->StartThread(), 1);
    GetGlobalMan()->SetSlot(kSlotSocketMan, sockets.get());
    cache = std::make_unique<CHostAddrCache>();
    GetGlobalMan()->SetSlot(kSlotHostAddrCache, cache.get());
    ASSERT_EQ(HttpClientMapInit(), 1);
  }
  // Stops the socket worker first, so no callback outlives what it reaches.
  void Stop() {
    if (sockets) {
      sockets->StopThread();
    }
    HttpClientMapDestroy();
    GetGlobalMan()->SetSlot(kSlotSocketMan, nullptr);
    GetGlobalMan()->SetSlot(kSlotHostAddrCache, nullptr);
    GetGlobalMan()->SetSlot(kSlotMsgMan, nullptr);
    sockets.reset();
    cache.reset();
    msgs.reset();
  }
  // The relay's name on port 80 leads to the test's server.
  void SeedRelay(uint16_t port) { cache->SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(port)); }

  std::unique_ptr<CVMsgMan> msgs;
  std::unique_ptr<CVSocketMan> sockets;
  std::unique_ptr<CHostAddrCache> cache;
};

}  // namespace mapengine::test
