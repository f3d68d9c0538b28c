// What the engine knows about the device and its own installation: the device
// and version record, the folders and the screen metrics. The platform has no
// handset to ask, so model, system version and screen size are settings (user
// defaults) with the values of a Retina phone as defaults.
#pragma once

#include "engine/base/VString.h"
#include "engine/base/VTypes.h"
#include "platform/foundation/NSString.h"

namespace mapengine {

// User-default keys of the device settings.
inline constexpr const char* kDeviceModelKey = "EngineDeviceModel";
inline constexpr const char* kSystemVersionKey = "EngineSystemVersion";
inline constexpr const char* kScreenWidthKey = "EngineScreenWidth";
inline constexpr const char* kScreenHeightKey = "EngineScreenHeight";

struct tagVersionInfo {
  tagVersionInfo() = default;
  ~tagVersionInfo() = default;

  CVString model;          // sent as "&mb="
  CVString secondText;     // not read by the engine
  CVString systemVersion;  // sent as "&sv="
  _VSize screenSize;       // pixels of the main screen
  _VSize density;          // dots per inch: 326 on a Retina screen, else 163
  int reserved = 0;
};

// The device as configured.
struct tagDeviceSettings {
  NSString model;
  NSString systemVersion;
  int screenWidth;
  int screenHeight;
};
tagDeviceSettings ReadDeviceSettings();

// A Retina screen: system 3.2 or later and a 640 x 960 screen.
bool IsRetinaScreen(double systemVersion, double screenWidth, double screenHeight);
bool IsRetinaScreen(const tagDeviceSettings& device);

class CEngineEnv {
public:
  // Reads the Documents folder (backslashes made '/', kept up to its last
  // '/'), stores it as document and data folder and creates the data folder
  // when it is missing.
  CEngineEnv();
  virtual ~CEngineEnv() = default;
  CEngineEnv(const CEngineEnv&) = delete;
  CEngineEnv& operator=(const CEngineEnv&) = delete;

  // Device id, the 15-digit placeholder, resource id "01" and the device
  // settings: model, system version, screen size and densities.
  void Init();

  tagVersionInfo m_version;
  CVString m_documentFolder;
  CVString m_dataFolder;
  CVString m_sdkDataFolder;  // set by the bootstrap
  CVString m_deviceId;       // sent as "&im="
  CVString m_secondDeviceNumber;
  CVString m_resourceId;     // sent as "&resid="
  int m_word0 = 0;
  int m_word1 = 0;
  int m_word2 = -1;
};

}  // namespace mapengine
