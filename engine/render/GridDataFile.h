// Offline map packages on disk: one file per grid cell of a base level,
// holding the tiles of that cell for a range of levels, indexed so that one
// tile is read with a few seeks.
//
// File layout (integers 32-bit little-endian; an entry is data offset and
// size, 0xFF bytes while the tile is absent):
//   0   state word: 0xFFFFFFFF consistent, 0xCCCCCCCC while a write runs
//   4   header (stFileHeader), nCurCnt = tiles written so far
//   36  single level: entry count, entries from 40
//       several levels: first level, level count n, n table entries (block
//       offset, block size), then per level a block: count F, F entries
//   ... tile bytes, appended in the order written
//
// Tiles are written strictly in their global order (level by level, within
// a level by index), so nCurCnt alone says which tiles a file holds and an
// interrupted download resumes where it stopped.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VFile.h"
#include "engine/base/VString.h"

namespace mapengine {

class CGridDataCache;
struct tagGirdData;

struct stFileHeader {
  int nMultiLevel;  // 1 when the file holds several levels
  int nVersion;     // the decimal value of the cache's version text
  int nExtra;       // the cache's further value, copied as it stands
  int nParam;       // the cache's numeric parameter
  int nCurCnt;      // tiles written so far
  int nReserved[3];
};

class COfflineDataCache {
public:
  static constexpr unsigned kStateConsistent = 0xFFFFFFFFu;
  static constexpr unsigned kStateWriting = 0xCCCCCCCCu;
  // A tile must be smaller than this to be stored or read.
  static constexpr int kMaxTileSize = 0x19001;
  // The block a stored empty tile reads as.
  static constexpr int kEmptyTileSize = 20;

  COfflineDataCache();
  ~COfflineDataCache();
  COfflineDataCache(const COfflineDataCache&) = delete;
  COfflineDataCache& operator=(const COfflineDataCache&) = delete;

  // Folder = directory + "data/" (created), version text and parameter. 1.
  int Init(const CVString& dataDirectory, const CVString& version, int param);
  void SetMemCache(CGridDataCache* cache) { m_pMemCache = cache; }

  // The full path of a cell's file ("x_y" or "x_y_18"; nothing else is a
  // cell name); creates its sub-folder. 1, or 0 for a name of another shape.
  int GetGridFilePath(CVString& path, const CVString& cellName);
  // The path of the file that holds the tile "x_y" of a level for a base
  // level (3 for levels 3..10, 11 for 11..18). 0 for any other level, a
  // negative x or y, or a key of another shape.
  int GetTileFilePath(CVString& path, const CVString& key, int level, int baseLevel);
  // Removes the cell's file; 1 when removed.
  int DeleteGridFile(const CVString& cellName);

  // Makes the file of a cell for the levels first..last (the low-level file
  // 3..10 of base 3, the middle file 11..17 of base 11, or the level-18 file
  // 18..18 of base 11; a shorter range of the first two is allowed), or keeps
  // a consistent existing one and reports its tiles through written. 1 when
  // a usable file exists.
  int CreateOfflineDat(int baseLevel, const CVString& cellName, int firstLevel, int lastLevel, int* written);
  // Appends one tile; it must be the next in the file's global order. 1 when
  // stored.
  int WriteGridData(int baseLevel, const CVString& key, int firstLevel, int lastLevel, int level,
                    const unsigned char* data, int size);
  // Reads one tile into a new block from VNew<unsigned char> that the caller
  // frees with VDelete. 1, or 0 (absent, unreadable).
  int ReadTileData(int baseLevel, const CVString& key, int level, unsigned char** data, int* size);
  // Fills the records without data from the grid files through the memory
  // cache (not written through to its file cache). 0.
  int LoadGridData(CVArray<tagGirdData, tagGirdData&>& records);
  // 1 when the open file's state word is consistent; otherwise the file is
  // closed and 0.
  int IsFileConsistent();
  // Writes the state word, keeping the file position. 0 when the write
  // failed (the file is then closed).
  int SetFileState(int consistent);

private:
  // Opens the file of a tile and reads its header; the layout checked
  // against the levels the caller names (-1: whatever the file holds).
  int OpenTileFile(int baseLevel, const CVString& key, int level, unsigned mode, stFileHeader& header);
  // File position of a tile's entry, or -1 when the file does not hold it.
  int LocateEntry(const stFileHeader& header, int baseLevel, int level, int index);
  int ReadInt(int position, int& value);
  int WriteInt(int position, int value);
  int WriteHeader(const stFileHeader& header);
  int Fail();

  CGridDataCache* m_pMemCache = nullptr;
  CVString m_strFolder;
  CVString m_strVersion;
  int m_nEntryCount = 0;
  int m_nParam = 0;
  int m_nExtra = 0;
  CVFile m_file;
};

}  // namespace mapengine
