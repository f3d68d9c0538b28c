// Data-set versions and the update-request manager's queue: which files are
// queued, in what order tasks go, and what a reply that does not fit leaves.
#include <chrono>
#include <thread>

#include "engine/data/UpdateReqMan.h"
#include "engine/data/VerDatsetMan.h"
#include "engine/render/UrlTranslater.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/map-double/MapDouble.h"

namespace mapengine::test {
namespace {

class DataSetVersionsTest : public OfflineTest {
protected:
  void SetUp() override {
    OfflineTest::SetUp();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, &urls);
  }
  void TearDown() override {
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
    OfflineTest::TearDown();
  }
  int Reply(const std::string& body) { return versions.OnVersionReply(body.data(), static_cast<int>(body.size())); }

  CUrlTranslater urls;
  CVerDatsetMan versions;
  CUpdateReqMan updates;
};

TEST_F(DataSetVersionsTest, DefaultsFileFormatAndReaderKeys) {
  EXPECT_EQ(versions.LoadFile(Folder()), 0);
  ASSERT_EQ(versions.LocalRecords().GetSize(), 2);
  EXPECT_EQ(U16(versions.LocalRecords()[0].fileName), u"OfflineHotcity.dat");
  EXPECT_EQ(U16(versions.LocalRecords()[1].version), u"1.0.0");
  ASSERT_EQ(versions.Save(), 1);
  EXPECT_EQ(ReadBytes(Path("VerDatset.dat")),
            std::string("[\r\n{\"f\":\"OfflineHotcity.dat\",\"d\":\"1.0.0\"},\r\n{\"f\":\"OfflineSearch.dat\",\"d\":\"1.0.0\"}\r\n]") +
                std::string(1, '\0'));

  WriteBytes(Path("VerDatset.dat"), "[{\"F\":\"OfflineSearch.dat\",\"a\":\"1.2\",\"d\":\"1.1\"},{\"f\":\"x\"},{\"d\":\"2\"}]");
  EXPECT_EQ(versions.LoadFile(Folder()), 1);
  ASSERT_EQ(versions.LocalRecords().GetSize(), 1);
  EXPECT_EQ(U16(versions.LocalRecords()[0].version), u"1.2");

  WriteBytes(Path("VerDatset.dat"), std::string("[]\0", 3));
  EXPECT_EQ(versions.LoadFile(Folder()), 1);
  EXPECT_EQ(versions.LocalRecords().GetSize(), 0);
  ASSERT_EQ(versions.Save(), 1);
  EXPECT_EQ(ReadBytes(Path("VerDatset.dat")), std::string("[\r\n]\0", 5));
  versions.SetUpdateReqMan(&updates);
  EXPECT_EQ(Reply("[{\"f\":\"OfflineSearch.dat\",\"d\":\"9\"}]"), 1);
  EXPECT_EQ(updates.GetQueueSize(), 0);
}

// Only files held at another version are queued, each with its code; a
// version is taken over from the latest reply only, and a text with quotes
// round-trips.
TEST_F(DataSetVersionsTest, RepliesQueueChangedFilesAndVersionsAreTakenOver) {
  versions.SetUpdateReqMan(&updates);
  versions.LoadFile(Folder());
  EXPECT_EQ(Reply("not json"), 0);
  EXPECT_EQ(Reply("[{\"f\":\"OfflineSearch.dat\",\"d\":\"1.0.1\"},{\"f\":\"CMRequire.dat\",\"d\":\"2\"},"
                  "{\"f\":\"OfflineHotcity.dat\",\"d\":\"1.0.0\"}]"),
            1);
  EXPECT_EQ(updates.GetQueueSize(), 1);  // OfflineSearch.dat with code 4
  EXPECT_EQ(DataFileCode(W(u"OfflineSearch.dat")), 4);
  EXPECT_EQ(DataFileCode(W(u"MPZoomCtl.dat")), 2);
  EXPECT_EQ(Reply("[{\"f\":\"OfflineSearch.dat\",\"d\":\"1.0\"},{\"f\":\"OfflineHotcity.dat\",\"d\":\"1.0.0\"}]"), 1);
  EXPECT_EQ(updates.GetQueueSize(), 2);  // "1.0" is not "1.0.0"
  EXPECT_EQ(Reply("[{\"f\":\"OfflineSearch.dat\",\"d\":\"2\\\"x\"}]"), 1);
  EXPECT_EQ(versions.UpdateLocalVersion(W(u"OfflineSearch.dat")), 1);
  EXPECT_EQ(versions.UpdateLocalVersion(W(u"OfflineHotcity.dat")), 0);  // not in the latest reply
  CVerDatsetMan read;
  read.LoadFile(Folder());
  ASSERT_EQ(read.LocalRecords().GetSize(), 2);
  EXPECT_EQ(U16(read.LocalRecords()[0].version), u"1.0.0");
  EXPECT_EQ(U16(read.LocalRecords()[1].version), u"2\"x");
}

// The manager's queue against the double: the version request goes before
// queued files, a file the engine does not read is fetched and dropped, and
// a reply for an older request stores nothing.
TEST_F(DataSetVersionsTest, UpdateManagerSendsOneTaskAtATimeInKindOrder) {
  GetGlobalMan()->SetSlot(kSlotMsgMan, nullptr);
  msgs.reset();
  EngineNetwork net;
  ASSERT_NO_FATAL_FAILURE(net.Start());
  {
    mapdouble::MapDouble service;
    net.SeedRelay(service.port());
    COLRecordMan store;
    store.LoadAll(Folder());
    CUpdateReqMan manager;
    ASSERT_EQ(manager.Init(), 1);
    manager.SetRecordMan(&store);
    manager.AddFileRequest(W(u"VerDatset.dat"), 0);
    manager.AddTaskListRequest();
    manager.AddFileRequest(W(u"CMRequire.dat"), 1);
    manager.AddTaskListRequest();
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (manager.GetQueueSize() > 0 && std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      if (net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        manager.OnHttpEvent(msg.message, msg.wParam, msg.lParam);
      } else {
        manager.SendNextTask();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    std::vector<std::string> asked;
    for (const auto& entry : service.log()) asked.push_back(entry.type);
    // Both version requests before the files (the relay answers the second
    // one from what it kept of the first).
    EXPECT_EQ(asked, (std::vector<std::string>{"taskcity", "VerDatset.dat", "CMRequire.dat"}));
    EXPECT_EQ(ReadBytes(Path("OfflineVersion.dat")), std::string("{\"d\":\"8\",\"m\":\"9\",\"c\":\"7\"}\0", 26));
    EXPECT_FALSE(Exists(Path("CMRequire.dat")));

    // A completion of an older request removes the head and stores nothing.
    manager.AddFileRequest(W(u"OfflineSearch.dat"), 4);
    manager.OnHttpEvent(kMsgHttpComplete, kUpdateRequestClient, 1);
    EXPECT_EQ(manager.GetQueueSize(), 0);
    EXPECT_FALSE(Exists(Path("OfflineSearch.dat")));
  }
  net.Stop();
}

// A failing task waits longer after each failure, up to five minutes of
// ticks, and is never given up.
TEST_F(DataSetVersionsTest, FailedTasksBackOff) {
  updates.AddTaskListRequest();
  ASSERT_EQ(updates.SendNextTask(), 1);
  std::vector<int> waits;
  for (int request = 1; request <= 8; ++request) {
    updates.OnHttpEvent(kMsgHttpConnectFailed, kUpdateRequestClient, request - 1);  // stale: ignored
    updates.OnHttpEvent(kMsgHttpConnectFailed, kUpdateRequestClient, request);
    int ticks = 0;
    while (updates.SendNextTask() == 0 && ticks < 1000) ++ticks;
    waits.push_back(ticks);
  }
  EXPECT_EQ(waits, (std::vector<int>{1, 3, 7, 15, 31, 60, 60, 60}));
  EXPECT_EQ(updates.GetQueueSize(), 1);
}

}  // namespace
}  // namespace mapengine::test
