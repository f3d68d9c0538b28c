#include "engine/data/AppDataCache.h"

#include "engine/base/VMem.h"
#include "engine/model/RouteRecords.h"

namespace mapengine {

CAppDataCache::~CAppDataCache() { RemoveAll(); }

int CAppDataCache::Find(const CVString& key, void** data, int* type) const {
  for (int i = 0; i < m_entries.GetSize(); ++i) {
    const tag_CacheElem& entry = m_entries[i];
    if (entry.key.Compare(key.GetBuffer()) == 0) {
      *data = entry.data;
      *type = entry.type;
      return 1;
    }
  }
  return 0;
}

int CAppDataCache::Add(const CVString& key, void* data, int type, ResultReleaseFn release) {
  int limit = m_limit < 1 ? 1 : m_limit;
  while (m_entries.GetSize() >= limit) {
    ReleaseLast();
  }
  tag_CacheElem entry;
  entry.key = key;
  entry.data = data;
  entry.type = type;
  entry.release = release;
  if (!m_entries.InsertAt(0, entry)) {
    if (m_listener) {
      m_listener(m_listenerContext, data, type);
    }
    if (release) {
      release(&entry.data, type);
    }
    return 0;
  }
  return 1;
}

void CAppDataCache::RemoveAll() {
  while (m_entries.GetSize() > 0) {
    ReleaseLast();
  }
}

void CAppDataCache::ReleaseLast() {
  tag_CacheElem& last = m_entries[m_entries.GetUpperBound()];
  if (m_listener) {
    m_listener(m_listenerContext, last.data, last.type);
  }
  if (last.release) {
    last.release(&last.data, last.type);
  }
  m_entries.RemoveAt(m_entries.GetUpperBound());
}

namespace {

template <class T>
void ReleaseAs(void** data) {
  VDelete(static_cast<T*>(*data));
  *data = nullptr;
}

}  // namespace

void ReleaseSearchResult(void** data, int type) {
  if (!data || !*data) {
    return;
  }
  switch (type) {
    case 6:
      ReleaseAs<tag_PoiDetailRst>(data);
      break;
    case 11:
    case 12:
    case 21:
      ReleaseAs<tag_PoiResult>(data);
      break;
    case 14:
      ReleaseAs<tag_BusRouteRst>(data);
      break;
    case 20:
    case 31:
      ReleaseAs<tag_CarRouteRst>(data);
      break;
    case 45:
      ReleaseAs<tag_MultiPoiRst>(data);
      break;
    case 503:  // network location replies
      ReleaseAs<tagLocReply>(data);
      break;
    case 506:
      ReleaseAs<tag_SuggestionResult>(data);
      break;
    default:
      break;
  }
}

}  // namespace mapengine
