// The socket worker and the HTTP client over loopback against the engine
// relay test server. The relay's host name is seeded into the host-address
// cache with 127.0.0.1 and the server's ephemeral port.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/HttpClient.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/base/EngineTestSupport.h"
#include "tools/testserver/RelayServer.h"

namespace mapengine::test {
namespace {

using testserver::Headers;
using testserver::Millis;
using testserver::RelayServer;
using Mode = RelayServer::Mode;

bool IsTerminal(int message) {
  return message == kMsgHttpComplete || message == kMsgHttpConnectFailed || message == kMsgHttpSendFailed ||
         message == kMsgHttpReceiveFailed || message == kMsgHttpBadReply || message == kMsgHttpAskAgain;
}

std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) {
    s[i] = static_cast<char>('a' + (i * 31 + i / 977) % 26);
  }
  return s;
}

std::string Gzip(const std::string& text) {
  std::string out(compressBound(text.size()) + 32, '\0');
  z_stream s{};
  deflateInit2(&s, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  s.avail_in = static_cast<uInt>(text.size());
  s.next_out = reinterpret_cast<Bytef*>(out.data());
  s.avail_out = static_cast<uInt>(out.size());
  deflate(&s, Z_FINISH);
  out.resize(s.total_out);
  deflateEnd(&s);
  return out;
}

// One owner of a client: its buffer and data-length word.
struct Owner {
  Owner(int type, int size, unsigned timeout = 10000) : buffer(static_cast<size_t>(size)) {
    client.SetClientType(type);
    client.SetRecvBuffer(buffer.data(), &length, size);
    client.SetTimeout(timeout);
    client.Attach();
  }
  ~Owner() { client.Detach(); }
  std::string Data() const { return std::string(buffer.begin(), buffer.begin() + length); }
  int Get(const std::string& url, int id = 7) { return client.RequestGet(CVString(url.c_str()), id, 1); }

  std::vector<unsigned char> buffer;
  int length = 0;
  CHttpClient client;
};

class NetHttp : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(net.Start());
    relay = std::make_unique<RelayServer>();
    SeedRelay(relay->port());
  }
  void TearDown() override {
    relay.reset();
    net.Stop();
    EngineTest::TearDown();
  }

  void SeedRelay(uint16_t port) { net.SeedRelay(port); }

  // Collects normal-queue messages until a terminal one (returned) or the
  // time-out (0).
  int WaitTerminal(std::vector<tagEngineMsg>* seen = nullptr, Millis timeout = Millis(20000)) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      while (msgs->PopMessage(msgs->GetRing(1), msg)) {
        if (seen) {
          seen->push_back(msg);
        }
        if (IsTerminal(msg.message)) {
          lastTerminal = msg;
          return msg.message;
        }
      }
      std::this_thread::sleep_for(Millis(2));
    }
    return 0;
  }

  EngineNetwork net;
  std::unique_ptr<CVMsgMan>& msgs = net.msgs;
  std::unique_ptr<CVSocketMan>& sockets = net.sockets;
  std::unique_ptr<CHostAddrCache>& cache = net.cache;
  std::unique_ptr<RelayServer> relay;
  tagEngineMsg lastTerminal{};
};

const std::string kUrl = "http://tiles.example/tile?x=1&y=2";

TEST_F(NetHttp, SmallReplyThroughTheRelayPerClientType) {
  struct Case {
    int type;
    const char* tail;
  } cases[] = {{0, "&rc=0"}, {1, "&rc=1"}, {11, "&rc=2&pro=sdk"}, {12, "&rc=1"}, {9, "&rc=0"}};
  std::string body = Pattern(500);
  relay->add(kUrl, {body});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Owner owner(c.type, 256000);
    ASSERT_EQ(owner.Get(kUrl, 40 + c.type), 1);
    ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
    EXPECT_EQ(lastTerminal.wParam, c.type);
    EXPECT_EQ(lastTerminal.lParam, 40 + c.type);
    EXPECT_EQ(owner.Data(), body);
    const testserver::Request request = relay->server().requests().back();
    EXPECT_EQ(request.target, "/?qt=rg&url=http%3A%2F%2Ftiles%2Eexample%2Ftile%3Fx%3D1%26y%3D2" + std::string(c.tail));
    EXPECT_EQ(request.headers.get("Range"), "bytes=0-20479");
    EXPECT_EQ(request.headers.get("Host"), "map.vuriv.com:80");
    EXPECT_EQ(request.headers.get("Connection"), "Keep-Alive");
    EXPECT_FALSE(request.headers.has("Accept-Encoding"));
  }
}

TEST_F(NetHttp, StoppedEngineDoesNoSocketWorkUntilStartedAgain) {
  relay->add(kUrl, {Pattern(100)});
  ASSERT_EQ(msgs->StartTimerThread(), 1);
  msgs->Reset();
  Owner owner(0, 4096);
  ASSERT_EQ(owner.Get(kUrl), 1);
  EXPECT_FALSE(relay->server().waitForConnections(1, Millis(300)));
  ASSERT_EQ(msgs->SetHandlers([](void*, int, int, int) { return 0; }, [](void*, int, int, int) { return 0; }), 1);
  sockets->Wake();
  EXPECT_EQ(WaitTerminal(), kMsgHttpComplete);
  msgs->StopTimerThread();
}

TEST_F(NetHttp, SequentialRequestsReuseTheKeptConnection) {
  relay->add(kUrl, {Pattern(300)});
  relay->add(kUrl + "2", {Pattern(400)});
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  ASSERT_EQ(owner.Get(kUrl + "2"), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(owner.Data(), Pattern(400));
  EXPECT_EQ(relay->server().connectionsAccepted(), 1u);
  EXPECT_EQ(relay->server().requestsServed(), 2u);
}

TEST_F(NetHttp, LargeReplyIsFetchedInParallelRangedBlocks) {
  struct Case {
    size_t size;
    size_t requests;
  } cases[] = {{50000, 3}, {90000, 5}, {20480, 1}, {20481, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    relay = std::make_unique<RelayServer>();
    SeedRelay(relay->port());
    std::string body = Pattern(c.size);
    relay->add(kUrl, {body});
    Owner owner(1, 256000);
    ASSERT_EQ(owner.Get(kUrl), 1);
    ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
    EXPECT_TRUE(owner.Data() == body) << owner.length;
    EXPECT_EQ(relay->server().requestsServed(), c.requests);
    EXPECT_LE(relay->server().connectionsAccepted(), 3u);
    std::set<std::string> ranges;
    for (const std::string& r : relay->ranges()) {
      ranges.insert(r);
    }
    for (size_t start = 0; start < c.size; start += 20480) {
      EXPECT_EQ(ranges.count("bytes=" + std::to_string(start) + "-" + std::to_string(start + 20479)), 1u) << start;
    }
  }
}

TEST_F(NetHttp, ThreeConnectionsAtOnce) {
  std::string body = Pattern(60000);
  RelayServer::Resource slow{body, Mode::Slow};
  slow.delay = Millis(300);
  relay->add(kUrl, slow);
  Owner owner(1, 256000);
  ASSERT_EQ(owner.Get(kUrl), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_TRUE(owner.Data() == body);
  EXPECT_EQ(relay->server().connectionsAccepted(), 3u);
}

TEST_F(NetHttp, ReplyFramingAndEncodings) {
  std::string body = Pattern(30000);
  std::string twoMembers = Gzip("first member,") + Gzip(body);
  std::string badCrc = Gzip(body);
  badCrc[badCrc.size() - 6] ^= 0x40;
  RelayServer::Resource chunked{body, Mode::Chunked};
  chunked.chunkSize = 7000;
  RelayServer::Resource gzipped{twoMembers};
  gzipped.headers = Headers{{"Content-Encoding", "gzip"}};
  RelayServer::Resource corrupt{badCrc};
  corrupt.headers = Headers{{"Content-Encoding", "gzip"}};
  RelayServer::Resource closing{body, Mode::NoLengthThenClose};
  RelayServer::Resource wrongStart{body, Mode::WrongRangeStart};
  struct Case {
    const char* name;
    RelayServer::Resource resource;
    int size;
    int message;
    std::string expected;
  } cases[] = {
      {"chunked", chunked, 256000, kMsgHttpComplete, body},
      {"gzip with two members", gzipped, 256000, kMsgHttpComplete, "first member," + body},
      {"gzip with a bad crc", corrupt, 256000, kMsgHttpBadReply, ""},
      {"no length, then close", closing, 256000, kMsgHttpComplete, body},
      {"range starts elsewhere", wrongStart, 256000, kMsgHttpBadReply, ""},
      {"over the buffer", RelayServer::Resource{Pattern(50000)}, 30000, kMsgHttpBadReply, ""},
      {"gzip decoding over the buffer", gzipped, 20000, kMsgHttpBadReply, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    relay->add(kUrl, c.resource);
    Owner owner(0, c.size);
    owner.client.SetAcceptGzip(1);
    ASSERT_EQ(owner.Get(kUrl), 1);
    ASSERT_EQ(WaitTerminal(), c.message);
    if (c.message == kMsgHttpComplete) {
      EXPECT_TRUE(owner.Data() == c.expected) << owner.length;
      EXPECT_EQ(relay->server().requests().back().headers.get("Accept-Encoding"), "gzip");
    }
  }
}

TEST_F(NetHttp, ErrorStatusesAreFailures) {
  for (int status : {404, 500, 403}) {
    SCOPED_TRACE(status);
    RelayServer::Resource r{"error page", Mode::Status};
    r.status = status;
    relay->add(kUrl, r);
    Owner owner(0, 256000);
    ASSERT_EQ(owner.Get(kUrl), 1);
    EXPECT_EQ(WaitTerminal(), kMsgHttpBadReply);
  }
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get("http://tiles.example/unknown"), 1);
  EXPECT_EQ(WaitTerminal(), kMsgHttpBadReply);
}

TEST_F(NetHttp, RedirectsAskAgainAndAreLimited) {
  const std::string target = "http://tiles.example/moved";
  RelayServer::Resource redirect{"", Mode::Redirect};
  redirect.location = target;
  relay->add(kUrl, redirect);
  relay->add(target, {Pattern(800)});
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl, 9), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpAskAgain);
  EXPECT_EQ(lastTerminal.lParam, 9);
  CVString url;
  ASSERT_EQ(owner.client.GetRequestUrl(1, url), 1);
  EXPECT_EQ(url.Compare(target.c_str()), 0);
  ASSERT_EQ(owner.client.Resend(1), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(owner.Data(), Pattern(800));
  EXPECT_EQ(relay->keys().back(), target);

  RelayServer::Resource nowhere{"", Mode::Redirect};
  relay->add(kUrl, nowhere);
  ASSERT_EQ(owner.Get(kUrl), 1);
  EXPECT_EQ(WaitTerminal(), kMsgHttpBadReply);

  RelayServer::Resource loop{"", Mode::Redirect};
  loop.location = kUrl;
  relay->add(kUrl, loop);
  ASSERT_EQ(owner.Get(kUrl), 1);
  int asked = 0;
  int message;
  while ((message = WaitTerminal()) == kMsgHttpAskAgain) {
    ++asked;
    owner.client.Resend(1);
  }
  EXPECT_EQ(message, kMsgHttpBadReply);
  EXPECT_EQ(asked, CHttpClient::kMaxRedirects);
}

TEST_F(NetHttp, DroppedBodyResumesAtItsPosition) {
  std::string body = Pattern(500);
  RelayServer::Resource drop{body, Mode::DropMidBody};
  drop.dropAfter = 100;
  drop.drops = 1;
  relay->add(kUrl, drop);
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(owner.Data(), body);
  ASSERT_EQ(relay->ranges().size(), 2u);
  EXPECT_EQ(relay->ranges()[1], "bytes=100-20479");
}

TEST_F(NetHttp, BodyCutAtTheSamePlaceEveryTimeFailsAfterThreeAttempts) {
  // A server that ignores Range and cuts every answer after 100 bytes: each
  // attempt starts over and gets no further than the one before.
  testserver::Server cutting([](const testserver::Request&, testserver::Connection& c) {
    c.write("HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n" + Pattern(100));
    c.close();
  });
  SeedRelay(cutting.port());
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl), 1);
  EXPECT_EQ(WaitTerminal(), kMsgHttpReceiveFailed);
  EXPECT_EQ(cutting.requestsServed(), 3u);
}

TEST_F(NetHttp, ParallelFailuresEndInOneTerminalMessage) {
  RelayServer::Resource drop{Pattern(60000), Mode::DropMidBody};
  drop.dropAfter = 0;
  relay->add(kUrl, drop);
  relay->add(kUrl + "after", {Pattern(10)});
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl, 1), 1);
  std::vector<tagEngineMsg> seen;
  ASSERT_EQ(WaitTerminal(&seen), kMsgHttpReceiveFailed);
  // A later request is the barrier: nothing of the first may come after it.
  ASSERT_EQ(owner.Get(kUrl + "after", 2), 1);
  ASSERT_EQ(WaitTerminal(&seen), kMsgHttpComplete);
  int terminals = 0;
  for (const tagEngineMsg& m : seen) {
    terminals += IsTerminal(m.message) ? 1 : 0;
  }
  EXPECT_EQ(terminals, 2);
  EXPECT_EQ(lastTerminal.lParam, 2);
}

TEST_F(NetHttp, FailuresAfterThreeAttempts) {
  // Headers, then the connection closes: no progress, so three attempts.
  RelayServer::Resource drop{Pattern(500), Mode::DropMidBody};
  drop.dropAfter = 0;
  relay->add(kUrl, drop);
  // A body cut every 100 bytes still progresses, and every attempt resumes.
  RelayServer::Resource cut{Pattern(500), Mode::DropMidBody};
  cut.dropAfter = 100;
  relay->add(kUrl + "cut", cut);
  RelayServer::Resource slow{Pattern(500), Mode::Slow};
  slow.delay = Millis(30000);
  relay->add(kUrl + "slow", slow);
  {
    Owner owner(0, 256000);
    ASSERT_EQ(owner.Get(kUrl), 1);
    EXPECT_EQ(WaitTerminal(), kMsgHttpReceiveFailed);
    EXPECT_EQ(relay->server().requestsServed(), 3u);
  }
  {
    Owner owner(0, 256000);
    ASSERT_EQ(owner.Get(kUrl + "cut"), 1);
    EXPECT_EQ(WaitTerminal(), kMsgHttpComplete);
    EXPECT_EQ(owner.Data(), Pattern(500));
    EXPECT_EQ(relay->server().requestsServed(), 8u);
  }
  {
    Owner owner(0, 256000, 400);
    ASSERT_EQ(owner.Get(kUrl + "slow"), 1);
    EXPECT_EQ(WaitTerminal(), kMsgHttpReceiveFailed);
    EXPECT_EQ(relay->server().requestsServed(), 11u);
  }
  SeedRelay(testserver::Server::refusedPort());
  {
    Owner owner(0, 256000);
    ASSERT_EQ(owner.Get(kUrl), 1);
    EXPECT_EQ(WaitTerminal(), kMsgHttpConnectFailed);
  }
}

TEST_F(NetHttp, SlowReplyWithinTheTimeoutCompletes) {
  RelayServer::Resource slow{Pattern(900), Mode::Slow};
  slow.delay = Millis(700);
  relay->add(kUrl, slow);
  Owner owner(0, 256000, 3000);
  ASSERT_EQ(owner.Get(kUrl), 1);
  EXPECT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(owner.Data(), Pattern(900));
}

TEST_F(NetHttp, RepeatOfTheRunningGetIsIgnored) {
  RelayServer::Resource slow{Pattern(100), Mode::Slow};
  slow.delay = Millis(500);
  relay->add(kUrl, slow);
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl, 5), 1);
  ASSERT_TRUE(relay->server().waitForRequests(1));
  int id = 6;
  EXPECT_EQ(owner.client.RequestGet(CVString(kUrl.c_str()), id, 1), 0);
  EXPECT_EQ(id, 5);
  EXPECT_EQ(HttpClientMapIsBusy(), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(lastTerminal.lParam, 5);
  EXPECT_EQ(relay->server().requestsServed(), 1u);
}

TEST_F(NetHttp, PostSendsTheFormToItsOwnHost) {
  relay->add("/loc", {"located"});
  Owner owner(2, 10240);
  owner.client.AddPostField(CVString("a"), CVString("1"));
  owner.client.AddPostField(CVString("b"), CVString("2"));
  ASSERT_EQ(owner.client.RequestPost(CVString(relay->server().url("/loc").c_str()), 3), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(owner.Data(), "located");
  const testserver::Request request = relay->server().requests().back();
  EXPECT_EQ(request.method, "POST");
  EXPECT_EQ(request.target, "/loc");
  EXPECT_EQ(request.body.size(), 7u);
  EXPECT_TRUE(request.body == "a=1&b=2" || request.body == "b=2&a=1") << request.body;
  EXPECT_EQ(request.headers.get("Content-Length"), "7");
  EXPECT_EQ(request.headers.get("Content-Type"), "application/x-www-form-urlencoded");
}

TEST_F(NetHttp, GatewayPageBehindAProxyIsAskedAgain) {
  relay->add(kUrl, {Pattern(600), Mode::Gateway});
  sockets->SetHost(CVString(("127.0.0.1:" + std::to_string(relay->port())).c_str()));
  Owner owner(0, 256000);
  ASSERT_EQ(owner.Get(kUrl), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpAskAgain);
  EXPECT_EQ(relay->server().requests().back().headers.get("X-Online-Host"), "map.vuriv.com:80");
  CVString url;
  owner.client.GetRequestUrl(1, url);
  EXPECT_EQ(url.Compare(kUrl.c_str()), 0);
  ASSERT_EQ(owner.client.Resend(1), 1);
  ASSERT_EQ(WaitTerminal(), kMsgHttpComplete);
  EXPECT_EQ(owner.Data(), Pattern(600));
  sockets->SetHost(CVString());
}

TEST_F(NetHttp, RegistryKeepsOneClientPerType) {
  Owner first(3, 15360);
  CHttpClient second;
  EXPECT_EQ(second.SetClientType(3), 0);
  EXPECT_EQ(HttpClientMapIsBusy(), 0);
}

// The socket layer on its own: states and callbacks.
struct Events {
  static int Callback(void* user) {
    auto* self = static_cast<Events*>(user);
    std::lock_guard<std::mutex> lock(self->mutex);
    self->states.push_back(self->socket->GetState());
    self->changed.notify_all();
    return 0;
  }
  bool WaitFor(int state) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), [&] {
      return std::find(states.begin(), states.end(), state) != states.end();
    });
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    states.clear();
  }
  CVSocket* socket = nullptr;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int> states;
};

TEST_F(NetHttp, SocketStatesAndCallbacks) {
  CVSocket socket;
  Events events;
  events.socket = &socket;
  ASSERT_EQ(sockets->AddSocket(&socket), 1);
  socket.SetCallback(&Events::Callback, &events);
  EXPECT_EQ(socket.Send("x", 1), -1);  // no descriptor yet
  socket.Connect(CVString(""), 80);
  ASSERT_TRUE(events.WaitFor(kSockConnectFailed));

  relay->add("/p", {"pong"});
  socket.Close();
  socket.SetCallback(&Events::Callback, &events);
  socket.Connect(CVString("map.vuriv.com"), 80);
  ASSERT_TRUE(events.WaitFor(kSockConnected));
  char buffer[256];
  EXPECT_EQ(socket.Recv(buffer, sizeof buffer), -2);
  EXPECT_EQ(socket.GetState(), kSockReadDone);
  EXPECT_EQ(socket.Recv(buffer, sizeof buffer), -1);
  std::string request = "GET /p HTTP/1.1\r\nHost: x\r\n\r\n";
  EXPECT_GE(socket.Send(request.data(), static_cast<int>(request.size())), 1);
  ASSERT_TRUE(events.WaitFor(kSockSent));
  socket.Recv(buffer, sizeof buffer);
  ASSERT_TRUE(events.WaitFor(kSockDataWaiting));
  int n = socket.Recv(buffer, sizeof buffer);
  ASSERT_GT(n, 0);
  EXPECT_NE(std::string(buffer, static_cast<size_t>(n)).find("pong"), std::string::npos);

  // A kept connection survives a close and is reused by a connect to the same place.
  socket.SetState(kSockKeptAlive);
  int fd = socket.GetDescriptor();
  events.Clear();
  socket.Close();
  socket.Connect(CVString("map.vuriv.com"), 80);
  ASSERT_TRUE(events.WaitFor(kSockConnected));
  EXPECT_EQ(socket.GetDescriptor(), fd);
  EXPECT_EQ(relay->server().connectionsAccepted(), 1u);
  EXPECT_EQ(sockets->RemoveSocket(&socket), 1);
  EXPECT_EQ(sockets->RemoveSocket(&socket), 0);
}

TEST_F(NetHttp, SocketListHasACapacityAndHostCacheIsKeyedByPort) {
  CVSocketMan man;
  man.Init(2);
  CVSocket a, b, c;
  EXPECT_EQ(man.AddSocket(&a), 1);
  EXPECT_EQ(man.AddSocket(&b), 1);
  EXPECT_EQ(man.AddSocket(&c), 0);
  EXPECT_EQ(man.AddSocket(nullptr), 0);
  EXPECT_EQ(GetConnectStatus(), 2);

  CHostAddrCache hosts;
  unsigned int address = 0;
  unsigned short port = 0;
  hosts.SetAt("h", 80, 1, 2);
  hosts.SetAt("h", 81, 3, 4);
  ASSERT_EQ(hosts.Lookup("h", 80, address, port), 1);
  EXPECT_EQ(address, 1u);
  EXPECT_EQ(port, 2);
  hosts.SetAt("h", 80, 5, 6);
  ASSERT_EQ(hosts.Lookup("h", 80, address, port), 1);
  EXPECT_EQ(address, 5u);
  ASSERT_EQ(hosts.Lookup("h", 81, address, port), 1);
  EXPECT_EQ(address, 3u);
  EXPECT_EQ(hosts.Lookup("h", 82, address, port), 0);
}

}  // namespace
}  // namespace mapengine::test
