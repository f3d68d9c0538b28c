// The device helpers: model codes, the Retina rule, memory and disk figures.
// The platform is a Linux machine, not a handset: the model and system
// version are the device settings (EngineEnv.h), the hardware platform name
// is the machine field of uname, and the figures come from /proc/meminfo,
// sysconf and statvfs.
#pragma once

#include <optional>
#include <string_view>

#include "platform/foundation/NSString.h"

// Device codes of detectDevice and detectModel.
enum : int {
  kDeviceUnknown = 0,
  kDeviceSimulator = 1,
  kDeviceIPodTouch = 2,
  kDeviceIPod2 = 3,
  kDeviceIPod3 = 4,
  kDeviceIPod4 = 5,
  kDeviceIPhone = 6,
  kDeviceIPhone3G = 7,
  kDeviceIPhone3GS = 8,
  kDeviceIPhone4 = 9,
  kDeviceIPad = 10
};

class DeviceInfo {
public:
  // The hardware platform name (the machine field of uname).
  static NSString platform();
  // The code of the configured model name ("iPhone Simulator", "iPad", the
  // iPod names), else of the machine name (the four iPhone names); 0.
  static int detectDevice();
  // The code of the platform name; 0 when it is not in the table.
  static int detectModel();
  // detectDevice gives 2 or 10.
  static bool isIPodTouch();
  // detectModel gives 1.
  static bool isEmulator();
  // The platform name contains "iPod4," or "iPhone4,".
  static bool isOS4();
  // "iPhone Simulator" ("iPhone 4G" with the flag), "iPod Touch", "iPhone",
  // "iPhone 3G" or "Unknown", by detectDevice.
  static NSString returnDeviceName(bool flag);
  // System 3.2 or later on a 640 x 960 screen, as configured.
  static bool isRetinaScreen();
};

// The code tables behind detectDevice (model name, then machine name) and
// detectModel / isOS4 (platform name).
int DeviceCodeOf(const NSString& model, const NSString& machine);
int ModelCodeOf(const NSString& platform);
bool IsOS4Platform(const NSString& platform);

// The UIDevice helper figures. They never read the device they were asked
// of, so they take none.
// Megabytes the system can hand out: MemAvailable of /proc/meminfo, else the
// free pages times the page size; 2147483647 when neither can be read.
double availableMemory();
// Free bytes for this user on the file system of the Documents folder; -1
// when it cannot be read.
long long myAvailableDiskSpace();
// Total bytes of the file system of the Documents folder; -1 when it cannot
// be read.
double totalDiskSpace();

// Megabytes of the "MemAvailable:" line of a /proc/meminfo text.
std::optional<double> MeminfoAvailableMegabytes(std::string_view meminfo);
