#include "engine/base/DeviceInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/base/EngineEnv.h"
#include "engine/base/VFile.h"

namespace {

struct NameCode {
  const char* name;
  int code;
};

int CodeOf(const NSString& name, std::initializer_list<NameCode> table) {
  for (const NameCode& entry : table) {
    if (name == entry.name) {
      return entry.code;
    }
  }
  return kDeviceUnknown;
}

NSString MachineName() {
  struct utsname info;
  return uname(&info) == 0 ? NSString(info.machine) : NSString();
}

constexpr double kMemoryUnknown = 2147483647;

}  // namespace

int DeviceCodeOf(const NSString& model, const NSString& machine) {
  int code = CodeOf(model, {{"iPhone Simulator", kDeviceSimulator},
                            {"iPad", kDeviceIPad},
                            {"iPod Touch", kDeviceIPodTouch},
                            {"iPod touch", kDeviceIPodTouch},
                            {"iPod", kDeviceIPodTouch}});
  if (code != kDeviceUnknown) {
    return code;
  }
  return CodeOf(machine, {{"iPhone1,1", kDeviceIPhone},
                          {"iPhone1,2", kDeviceIPhone3G},
                          {"iPhone2,1", kDeviceIPhone3GS},
                          {"iPhone3,1", kDeviceIPhone4}});
}

int ModelCodeOf(const NSString& platform) {
  return CodeOf(platform, {{"i386", kDeviceSimulator},
                           {"iPod1,1", kDeviceIPodTouch},
                           {"iPod2,1", kDeviceIPod2},
                           {"iPod3,1", kDeviceIPod3},
                           {"iPod4,1", kDeviceIPod4},
                           {"iPhone1,1", kDeviceIPhone},
                           {"iPhone1,2", kDeviceIPhone3G},
                           {"iPhone2,1", kDeviceIPhone3GS},
                           {"iPhone3,1", kDeviceIPhone4},
                           {"iPad1,1", kDeviceIPad}});
}

bool IsOS4Platform(const NSString& platform) {
  return platform.rangeOfString("iPod4,").location != NSNotFound ||
         platform.rangeOfString("iPhone4,").location != NSNotFound;
}

NSString DeviceInfo::platform() { return MachineName(); }

int DeviceInfo::detectDevice() { return DeviceCodeOf(mapengine::ReadDeviceSettings().model, MachineName()); }

int DeviceInfo::detectModel() { return ModelCodeOf(platform()); }

bool DeviceInfo::isIPodTouch() {
  int code = detectDevice();
  return code == kDeviceIPodTouch || code == kDeviceIPad;
}

bool DeviceInfo::isEmulator() { return detectModel() == kDeviceSimulator; }

bool DeviceInfo::isOS4() { return IsOS4Platform(platform()); }

NSString DeviceInfo::returnDeviceName(bool flag) {
  switch (detectDevice()) {
    case kDeviceSimulator:
      return flag ? "iPhone 4G" : "iPhone Simulator";
    case kDeviceIPodTouch:
      return "iPod Touch";
    case kDeviceIPhone:
      return "iPhone";
    case kDeviceIPhone3G:
      return "iPhone 3G";
    default:
      return "Unknown";
  }
}

bool DeviceInfo::isRetinaScreen() { return mapengine::IsRetinaScreen(mapengine::ReadDeviceSettings()); }

std::optional<double> MeminfoAvailableMegabytes(std::string_view meminfo) {
  constexpr std::string_view kKey = "MemAvailable:";
  size_t at = 0;
  while ((at = meminfo.find(kKey, at)) != std::string_view::npos) {
    if (at == 0 || meminfo[at - 1] == '\n') {
      break;
    }
    at += kKey.size();
  }
  if (at == std::string_view::npos) {
    return std::nullopt;
  }
  std::string_view rest = meminfo.substr(at + kKey.size());
  size_t digits = rest.find_first_not_of(' ');
  if (digits == std::string_view::npos) {
    return std::nullopt;
  }
  rest.remove_prefix(digits);
  unsigned long long kib = 0;
  auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), kib);
  if (error != std::errc() || std::string_view(end, rest.data() + rest.size()).substr(0, 3) != " kB") {
    return std::nullopt;
  }
  return static_cast<double>(kib) / 1024;
}

double availableMemory() {
  std::ifstream in("/proc/meminfo");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (std::optional<double> megabytes = MeminfoAvailableMegabytes(text)) {
    return *megabytes;
  }
  long pages = sysconf(_SC_AVPHYS_PAGES);
  long pageSize = sysconf(_SC_PAGESIZE);
  if (pages < 0 || pageSize <= 0) {
    return kMemoryUnknown;
  }
  return static_cast<double>(pages) * static_cast<double>(pageSize) / 1024 / 1024;
}

long long myAvailableDiskSpace() {
  mapengine::tagDiskSpace space{0, 0};
  return mapengine::GetDiskSpace(&space) ? static_cast<long long>(space.free) : -1;
}

double totalDiskSpace() {
  mapengine::tagDiskSpace space{0, 0};
  return mapengine::GetDiskSpace(&space) ? space.total : -1;
}
