#include "engine/base/EngineEnv.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/base/VFile.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/engine/base/EngineTestSupport.h"

namespace mapengine::test {

namespace {

using EngineEnvTest = EngineHomeTest;

}  // namespace

TEST_F(EngineEnvTest, FoldersComeFromTheDocumentsPathAndAreCreated) {
  setDocuments(m_root + "/Documents/");
  CEngineEnv env;
  EXPECT_EQ(U16(env.m_documentFolder), std::u16string(m_root.begin(), m_root.end()) + u"/Documents/");
  EXPECT_EQ(U16(env.m_dataFolder), U16(env.m_documentFolder));
  EXPECT_TRUE(std::filesystem::is_directory(m_root + "/Documents"));
  EXPECT_EQ(env.m_word2, -1);
  EXPECT_TRUE(env.m_version.model.IsEmpty());
}

TEST_F(EngineEnvTest, InitTakesTheDeviceSettings) {
  setDocuments(m_root + "/Documents/");
  struct Case {
    const char* version;
    int width, height, dpi;
  };
  const Case cases[] = {{nullptr, 0, 0, 326},  // defaults: a 640 x 960 screen, system 4.0
                        {"4.0", 640, 960, 326},
                        {"4.0", 320, 480, 163},
                        {"3.1", 640, 960, 163}};
  for (const Case& c : cases) {
    NSUserDefaults::resetStandardUserDefaults();
    std::filesystem::remove_all(m_root + "/Library");
    auto defaults = NSUserDefaults::standardUserDefaults();
    if (c.version) {
      defaults->setObject(PlistValue(NSString(c.version)), kSystemVersionKey);
      defaults->setInteger(c.width, kScreenWidthKey);
      defaults->setInteger(c.height, kScreenHeightKey);
      defaults->setObject(PlistValue(NSString("iPod touch")), kDeviceModelKey);
    }
    CEngineEnv env;
    env.Init();
    EXPECT_EQ(env.m_version.density.cx, c.dpi) << (c.version ? c.version : "defaults");
    EXPECT_EQ(env.m_version.density.cy, c.dpi);
    EXPECT_EQ(env.m_version.screenSize.cx, c.version ? c.width : 640);
    EXPECT_EQ(U16(env.m_version.model), c.version ? u"iPod touch" : u"iPhone");
    EXPECT_EQ(U16(env.m_version.systemVersion), c.version ? std::u16string(c.version, c.version + 3) : u"4.0");
    EXPECT_EQ(U16(env.m_resourceId), u"01");
    EXPECT_EQ(env.m_secondDeviceNumber.GetLength(), 15);
    EXPECT_EQ(U16(env.m_deviceId), U16(GetDeviceId()));
  }
  EXPECT_TRUE(IsRetinaScreen(3.2, 640.05, 959.95));
  EXPECT_FALSE(IsRetinaScreen(3.19, 640, 960));
}

}  // namespace mapengine::test
