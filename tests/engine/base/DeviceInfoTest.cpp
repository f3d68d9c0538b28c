#include "engine/base/DeviceInfo.h"

#include <gtest/gtest.h>
#include <sys/utsname.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/base/EngineEnv.h"
#include "platform/foundation/NSUserDefaults.h"
#include "tests/engine/base/EngineTestSupport.h"

namespace mapengine::test {

namespace {

// The engine's home, with the device settings written to the user defaults.
class DeviceInfoTest : public EngineHomeTest {
protected:
  void configure(const char* model, const char* version, long width, long height) {
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(PlistValue(NSString(model)), kDeviceModelKey);
    defaults->setObject(PlistValue(NSString(version)), kSystemVersionKey);
    defaults->setInteger(width, kScreenWidthKey);
    defaults->setInteger(height, kScreenHeightKey);
  }
};

std::string machine() {
  struct utsname info;
  return uname(&info) == 0 ? info.machine : "";
}

}  // namespace

TEST(DeviceCodes, ModelNameFirstThenMachineName) {
  struct Case {
    const char* model;
    const char* machine;
    int code;
  };
  const Case cases[] = {
      {"iPhone Simulator", "iPhone1,1", kDeviceSimulator},
      {"iPad", "x86_64", kDeviceIPad},
      {"iPod Touch", "x86_64", kDeviceIPodTouch},
      {"iPod touch", "x86_64", kDeviceIPodTouch},
      {"iPod", "iPhone3,1", kDeviceIPodTouch},
      {"iPhone", "iPhone1,1", kDeviceIPhone},
      {"iPhone", "iPhone1,2", kDeviceIPhone3G},
      {"iPhone", "iPhone2,1", kDeviceIPhone3GS},
      {"iPhone", "iPhone3,1", kDeviceIPhone4},
      {"iPhone", "iPhone4,1", kDeviceUnknown},
      {"iPhone", "x86_64", kDeviceUnknown},
      {"ipad", "", kDeviceUnknown},
      {"iPod1,1", "", kDeviceUnknown},  // platform names are not model names
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DeviceCodeOf(c.model, c.machine), c.code) << c.model << " / " << c.machine;
  }
  EXPECT_EQ(DeviceCodeOf(NSString(), NSString()), kDeviceUnknown);
}

TEST(DeviceCodes, PlatformNameTableAndSystemFour) {
  struct Case {
    const char* platform;
    int code;
    bool os4;
  };
  const Case cases[] = {
      {"i386", kDeviceSimulator, false},   {"iPod1,1", kDeviceIPodTouch, false},
      {"iPod2,1", kDeviceIPod2, false},    {"iPod3,1", kDeviceIPod3, false},
      {"iPod4,1", kDeviceIPod4, true},     {"iPhone1,1", kDeviceIPhone, false},
      {"iPhone1,2", kDeviceIPhone3G, false}, {"iPhone2,1", kDeviceIPhone3GS, false},
      {"iPhone3,1", kDeviceIPhone4, false}, {"iPad1,1", kDeviceIPad, false},
      {"iPhone4,1", kDeviceUnknown, true},  // not in the table, yet a system-4 device
      {"iPod4,2", kDeviceUnknown, true},    {"x86_64", kDeviceUnknown, false},
      {"iPhone4", kDeviceUnknown, false},   {"", kDeviceUnknown, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ModelCodeOf(c.platform), c.code) << c.platform;
    EXPECT_EQ(IsOS4Platform(c.platform), c.os4) << c.platform;
  }
}

TEST_F(DeviceInfoTest, ThisMachineAndTheConfiguredModel) {
  EXPECT_EQ(std::string(DeviceInfo::platform().UTF8String()), machine());
  EXPECT_EQ(DeviceInfo::detectModel(), ModelCodeOf(machine().c_str()));
  EXPECT_EQ(DeviceInfo::isEmulator(), machine() == "i386");

  struct Case {
    const char* model;
    int code;
    bool iPodTouch;
    const char* name;
    const char* flaggedName;
  };
  // This machine's name is no iPhone's, so only the model decides.
  const Case cases[] = {
      {"iPhone Simulator", kDeviceSimulator, false, "iPhone Simulator", "iPhone 4G"},
      {"iPad", kDeviceIPad, true, "Unknown", "Unknown"},
      {"iPod touch", kDeviceIPodTouch, true, "iPod Touch", "iPod Touch"},
      {"iPhone", kDeviceUnknown, false, "Unknown", "Unknown"},
  };
  for (const Case& c : cases) {
    configure(c.model, "4.0", 640, 960);
    EXPECT_EQ(DeviceInfo::detectDevice(), c.code) << c.model;
    EXPECT_EQ(DeviceInfo::isIPodTouch(), c.iPodTouch) << c.model;
    EXPECT_EQ(DeviceInfo::returnDeviceName(false), c.name) << c.model;
    EXPECT_EQ(DeviceInfo::returnDeviceName(true), c.flaggedName) << c.model;
  }
}

TEST_F(DeviceInfoTest, RetinaScreenFollowsTheSettings) {
  EXPECT_TRUE(DeviceInfo::isRetinaScreen());  // defaults: system 4.0 on 640 x 960
  struct Case {
    const char* version;
    long width, height;
    bool retina;
  };
  const Case cases[] = {{"4.0", 640, 960, true},  {"3.2", 640, 960, true},  {"3.1", 640, 960, false},
                        {"4.0", 320, 480, false}, {"4.0", 960, 640, false}, {"junk", 640, 960, false}};
  for (const Case& c : cases) {
    configure("iPhone", c.version, c.width, c.height);
    EXPECT_EQ(DeviceInfo::isRetinaScreen(), c.retina) << c.version << " " << c.width << "x" << c.height;
  }
}

TEST_F(DeviceInfoTest, DiskFiguresAreThoseOfTheDocumentsFileSystem) {
  setDocuments(m_root + "/Documents/");
  std::filesystem::create_directories(m_root + "/Documents");
  std::filesystem::space_info space = std::filesystem::space(m_root + "/Documents");
  EXPECT_EQ(totalDiskSpace(), static_cast<double>(space.capacity));
  long long available = myAvailableDiskSpace();
  EXPECT_GT(available, 0);
  EXPECT_LE(available, static_cast<long long>(space.capacity));

  setDocuments(m_root + "/missing/");
  EXPECT_EQ(myAvailableDiskSpace(), -1);
  EXPECT_EQ(totalDiskSpace(), -1);
}

TEST(DeviceMemory, MeminfoAvailableLine) {
  struct Case {
    const char* text;
    std::optional<double> megabytes;
  };
  const Case cases[] = {
      {"MemTotal:       16384000 kB\nMemFree:          204800 kB\nMemAvailable:    1048576 kB\n", 1024.0},
      {"MemAvailable: 1536 kB\n", 1.5},
      {"MemAvailable:0 kB", 0.0},
      {"MemTotal:       16384000 kB\nMemFree:          204800 kB\n", std::nullopt},
      {"XMemAvailable: 2048 kB\n", std::nullopt},
      {"Foo: 1\nXMemAvailable: 2048 kB\nMemAvailable: 4096 kB\n", 4.0},
      {"MemAvailable: lots kB\n", std::nullopt},
      {"MemAvailable: 99999999999999999999999 kB\n", std::nullopt},
      {"MemAvailable: 2048 MB\n", std::nullopt},
      {"MemAvailable:", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MeminfoAvailableMegabytes(c.text), c.megabytes) << c.text;
  }
}

TEST(DeviceMemory, AvailableMemoryIsBelowTheMachinesTotal) {
  std::ifstream in("/proc/meminfo");
  std::string key;
  double totalKiB = 0;
  while (in >> key && key != "MemTotal:") {
  }
  in >> totalKiB;
  ASSERT_GT(totalKiB, 0);
  double megabytes = availableMemory();
  EXPECT_GT(megabytes, 0);
  EXPECT_LE(megabytes, totalKiB / 1024);
}

}  // namespace mapengine::test
