#include "engine/base/EngineEnv.h"

#include <cmath>
#include <string>

#include "engine/base/EngineHost.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VFile.h"

namespace mapengine {

namespace {

constexpr int kRetinaDpi = 326;
constexpr int kPlainDpi = 163;

CVString FromUtf8(const NSString& text) {
  const char* utf8 = text.UTF8String();
  if (!utf8 || !*utf8) {
    return CVString();
  }
  int length = static_cast<int>(std::string(utf8).size());
  CVString out;
  int units = MultiByteToWide(kCodePageUtf8, utf8, length, nullptr, 0);
  if (units > 0 && out.AllocBuffer(units)) {
    MultiByteToWide(kCodePageUtf8, utf8, length, out.GetBuffer(), units);
  }
  return out;
}

NSString Setting(EngineHost* host, const char* key, const char* fallback) {
  NSString value = host ? host->StringSetting(key) : NSString();
  return value.isNil() || value.length() == 0 ? NSString(fallback) : value;
}

int SizeSetting(EngineHost* host, const char* key, int fallback) {
  long v = host ? host->IntegerSetting(key) : 0;
  return v > 0 && v <= 0xFFFF ? static_cast<int>(v) : fallback;
}

}  // namespace

tagDeviceSettings ReadDeviceSettings() {
  EngineHost* defaults = GetEngineHost();
  return {Setting(defaults, kDeviceModelKey, "iPhone"), Setting(defaults, kSystemVersionKey, "4.0"),
          SizeSetting(defaults, kScreenWidthKey, 640), SizeSetting(defaults, kScreenHeightKey, 960)};
}

bool IsRetinaScreen(double systemVersion, double screenWidth, double screenHeight) {
  if (systemVersion < 3.2) {
    return false;
  }
  return std::fabs(screenWidth - 640) < 0.1 && std::fabs(screenHeight - 960) < 0.1;
}

bool IsRetinaScreen(const tagDeviceSettings& device) {
  return IsRetinaScreen(device.systemVersion.doubleValue(), device.screenWidth, device.screenHeight);
}

CEngineEnv::CEngineEnv() {
  unsigned short path[kPathUnits] = {0};
  int length = GetDocumentPath(path, kPathUnits);
  int lastSlash = -1;
  for (int i = 0; i < length; ++i) {
    if (path[i] == '\\') {
      path[i] = '/';
    }
    if (path[i] == '/') {
      lastSlash = i;
    }
  }
  path[lastSlash + 1] = 0;
  m_documentFolder = path;
  m_dataFolder = m_documentFolder;
  if (!m_dataFolder.IsEmpty() && !FolderExists(m_dataFolder)) {
    CreateFolderPath(m_dataFolder);
  }
}

void CEngineEnv::Init() {
  m_deviceId = GetDeviceId();
  m_secondDeviceNumber = GetIMEI();
  tagDeviceSettings device = ReadDeviceSettings();
  m_version.model = FromUtf8(device.model);
  m_version.systemVersion = FromUtf8(device.systemVersion);
  m_version.screenSize.SetSize(device.screenWidth, device.screenHeight);
  int dpi = IsRetinaScreen(device) ? kRetinaDpi : kPlainDpi;
  m_version.density.SetSize(dpi, dpi);
  m_resourceId = "01";
}

}  // namespace mapengine
