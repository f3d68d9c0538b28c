// Extraction of zip packages (offline map data) into a folder, on minizip.
// Entry names are the GBK bytes stored in the zip; an entry whose name could
// place a file outside the target folder, once converted, is refused, and so
// is an entry stored as a symbolic link.
#pragma once

#include <minizip/unzip.h>

#include "engine/base/VString.h"

namespace mapengine {

// Output paths (target folder plus entry name, as GBK bytes) must stay below this.
constexpr int kUnzipPathBytes = 256;
// Size of the copy buffer; halved while it cannot be allocated.
constexpr int kUnzipCopyBuffer = 204800;

// Caps on what one package may unpack.
struct tagUnzipLimits {
  long long maxEntries = 100000;
  long long maxTotalBytes = 4LL << 30;
};

// folder + relative (a folder entry keeps its trailing '/') when that path
// stays below the folder as the file system sees it, else empty. The check is
// made on the UTF-8 bytes the file functions pass on, so a unit a conversion
// drops cannot join two dots: every component after the folder is neither
// empty, "." nor "..", holds no '\', and none that exists is a symbolic link.
CVString PathBelowFolder(const CVString& folder, const CVString& relative);
// The same for an entry name as stored in a package (GBK bytes).
CVString EntryPathBelow(const CVString& folder, const char* gbkName);

// Extracts every entry. 1 when every entry was extracted; 0 on the first
// failure (earlier entries stay written, the failing entry's file is removed).
int UnzipAllFiles(const unsigned short* zipPath, const unsigned short* targetFolder,
                  const tagUnzipLimits& limits = tagUnzipLimits());
// Extracts the first entry whose name contains ".cfg". 1 when it was
// extracted; 0 when there is none or on failure. The third path is not used.
int UnzipConfigFiles(const unsigned short* zipPath, const unsigned short* targetFolder,
                     const unsigned short* unusedPath, const tagUnzipLimits& limits = tagUnzipLimits());

// What is left of a package's allowance while it is extracted.
struct tagUnzipBudget {
  long long bytesLeft;
};

// Extracts the entry at the current position into the target folder (ending
// in '/'), copying through the buffer; deleteTmp first removes tmp.dat in the
// target folder. 1 or 0.
int UnzipCurrentEntry(unzFile zip, const CVString& target, int bufferSize, unsigned char* buffer,
                      tagUnzipBudget& budget, bool deleteTmp = true);

}  // namespace mapengine
