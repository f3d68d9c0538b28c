// Offline commands and the offline watchdog routed by the engine.
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/data/UpdateReqMan.h"
#include "tests/engine/data/EngineRootFixture.h"

namespace mapengine::test {
namespace {

TEST_F(EngineRootTest, TimersAndOfflineCommandsReachTheirOwners) {
  CVString sdk = root->m_env.m_sdkDataFolder;
  COLRecordMan store;
  store.LoadAll(sdk);
  COLPackageMan packages;
  packages.SetRecordMan(&store);
  packages.SetFolders(sdk, CVString(VStr(Path(documents).c_str())));
  root->m_pPackageMan = &packages;

  // The watchdog's tick, made on the timer thread, reaches the package
  // manager on the main thread, which asks itself for the check.
  std::thread timer([] { EngineMsgHandler(nullptr, kMsgTimer, kOfflineWatchdogTimer, 0); });
  timer.join();
  std::vector<tagEngineMsg> queued = Queued(1);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].wParam, kOfflineWatchdogTimer);
  EXPECT_EQ(EngineMsgHandler(nullptr, kMsgTimer, kOfflineWatchdogTimer, 0), 0);
  queued = Queued(1);
  ASSERT_EQ(queued.size(), 1u);
  EXPECT_EQ(queued[0].message, kMsgOfflineCommand);
  EXPECT_EQ(queued[0].wParam, kOLCodeWatchdog);

  // A timer nobody owns goes nowhere.
  EXPECT_EQ(EngineMsgHandler(nullptr, kMsgTimer, 1001, 0), 0);
  EXPECT_TRUE(Queued(1).empty());
  EXPECT_TRUE(Queued(2).empty());

  // An import command: the scan of an empty Documents folder ends at once.
  root->m_msgMan.PostMessage(1, kMsgOfflineCommand, kOLCodeImport, 1);
  ASSERT_TRUE(Pump([] { return Received(kMsgOfflineProgress, kOLEventImportEnded, 1); }));
  packages.JoinImport();
  root->m_pPackageMan = nullptr;
}

// A refused connection does not end the version checks for the life of the
// process: the failure reaches the update-request manager, which clears its
// request and sends it again after its pause.
TEST_F(EngineRootTest, UpdateRequestsGoOnAfterAFailure) {
  CUpdateReqMan updates;
  ASSERT_EQ(updates.Init(), 1);
  root->m_pUpdateReqMan = &updates;
  service.reset();  // nothing listens: the connection is refused
  updates.AddTaskListRequest();
  ASSERT_EQ(updates.SendNextTask(), 1);
  EXPECT_TRUE(Pump([&] { return updates.SendNextTask() == 1; }, 10));
  root->m_pUpdateReqMan = nullptr;
}

}  // namespace
}  // namespace mapengine::test
