// Shared set-up of the offline tests: the engine's code pages, a message
// runtime to collect what the offline parts post, and a fresh SDK data
// folder per test.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLRecordMan.h"
#include "platform/testing/TempFolder.h"
#include "tests/engine/data/DataTestSupport.h"

namespace mapengine::test {

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

class OfflineTest : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    msgs = std::make_unique<CVMsgMan>();
    GetGlobalMan()->SetSlot(kSlotMsgMan, msgs.get());
  }
  void TearDown() override {
    GetGlobalMan()->SetSlot(kSlotMsgMan, nullptr);
    msgs.reset();
    EngineTest::TearDown();
  }

  CVString Folder() const { return CVString(m_folder.c_str()); }
  std::string Path(const std::string& name) const { return m_folder + name; }

  // The record file on the test folder, as an earlier run saved it.
  void SaveRecords(const std::vector<COLUpdateRecord>& records) {
    COLUpdateFile file;
    file.m_folder = Folder();
    for (const COLUpdateRecord& r : records) file.m_records.Add(r);
    ASSERT_EQ(file.Save(), 1);
  }

  // The messages posted so far, priority ring first, taken off the rings.
  std::vector<tagEngineMsg> Posted() {
    std::vector<tagEngineMsg> out;
    for (int type : {2, 1}) {
      tagEngineMsg msg;
      while (msgs->PopMessage(msgs->GetRing(type), msg)) {
        out.push_back(msg);
      }
    }
    return out;
  }

  std::unique_ptr<CVMsgMan> msgs;
  TempFolder m_temp;
  std::string m_folder = m_temp.directory();
};

// An update element with the fields tests care about.
inline COLUpdateElement Element(int id, const char16_t* name, int status, std::vector<const char16_t*> grids,
                                const char* versions = "3,5,2") {
  COLUpdateElement e;
  e.cityId = id;
  e.name = W(name);
  e.status = status;
  int d = 0, m = 0, c = 0;
  std::sscanf(versions, "%d,%d,%d", &d, &m, &c);
  e.dataVersion.Format(VStr(u"%d"), d);
  e.mapVersion.Format(VStr(u"%d"), m);
  e.cityVersion.Format(VStr(u"%d"), c);
  e.baseLevel = 11;
  e.startLevel = 11;
  e.endLevel = 17;
  for (const char16_t* g : grids) {
    CVString grid = W(g);
    e.grids.Add(grid);
  }
  return e;
}

inline COLUpdateRecord Record(const COLUpdateElement& local, const COLUpdateElement& server) {
  COLUpdateRecord r;
  r.local = local;
  r.server = server;
  return r;
}

}  // namespace mapengine::test
