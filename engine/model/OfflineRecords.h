// The offline record store's records: the versions of the offline service, a
// city of the searchable and hot-city lists, a Wi-Fi log entry, and a city's
// update record with what the user has (local) and what the service offers
// (server).
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VString.h"

namespace mapengine {

// City status values.
enum : int {
  kCityStatusNone = 0,
  kCityStatusDownloading = 1,
  kCityStatusQueued = 2,
  kCityStatusStopped = 3,
  kCityStatusFinished = 4
};

// The ratio of a finished city.
constexpr int kCityRatioFinished = 10000;

// One offline city package offered by the service.
struct tag_OfflineTask {
  int cityId = -1;                     // "cityid"
  CVString name;                       // "name"
  int size = 0;                        // "size"
  int centreX = 0;                     // "center_x"
  int centreY = 0;                     // "center_y"
  int level = 0;                       // "l"
  int startLevel = 0;                  // "ls"
  int endLevel = 0;                    // "le"
  CVString version;                    // "cityver"
  CVArray<CVString> files;             // "task": grid names "x_y"
};

struct COLVersionRecord {
  CVString cityVersion;     // "city_version", file key "c"
  CVString pictureVersion;  // "pic_version", file key "d"
  CVString taskVersion;     // "task_version", file key "m"

  bool operator==(const COLVersionRecord& other) const {
    return cityVersion.Compare(other.cityVersion) == 0 && pictureVersion.Compare(other.pictureVersion) == 0 &&
           taskVersion.Compare(other.taskVersion) == 0;
  }
};

// One description of a city's offline data. Copies take every field but the
// saved ratio, which belongs to the place the element is kept in.
struct COLUpdateElement {
  COLUpdateElement() = default;
  COLUpdateElement(const COLUpdateElement& other) { *this = other; }
  COLUpdateElement& operator=(const COLUpdateElement& other);

  int cityId = 0;
  CVString name;
  int ratio = 0;       // 0..100 while downloading, kCityRatioFinished when finished
  int savedRatio = 0;  // the ratio at the last progress write of the update file
  int status = 0;
  int x = 0;
  int y = 0;
  int size = 0;
  CVString dataVersion;
  CVString mapVersion;
  int baseLevel = 0;
  int startLevel = 0;
  int endLevel = 0;
  int updateFlag = 0;
  CVString cityVersion;
  CVArray<CVString> grids;  // grid names "x_y"
};

struct COLUpdateRecord {
  COLUpdateElement local;
  COLUpdateElement server;
};

struct COLSearchRecord {
  int cityId = 0;
  CVString name;
  int size = 0;
};

struct COLWifilogRecord {
  int cityId = 0;
};

}  // namespace mapengine

namespace mapengine {

// A grid name in its only accepted shape, "x_y" with two decimal integers
// (each with an optional '-'): x and y, and true. Names from the service, from
// packages and from the record files become file names, so nothing else is
// taken.
bool ParseGridNameStrict(const unsigned short* name, int* x, int* y);

// Whether the offline grid data can hold the grid x_y: its tiles are
// numbered from 0 (a grid file has no place for a negative column or row),
// and the columns and rows of its level-18 tiles are ints.
bool IsOfflineGrid(int x, int y);

}  // namespace mapengine
