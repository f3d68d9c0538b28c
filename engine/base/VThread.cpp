#include "engine/base/VThread.h"

#include "engine/base/VMem.h"

namespace mapengine {

CVThread::~CVThread() { Close(); }

int CVThread::CreateThread(EntryProc entry, void* argument) {
  if (m_pBlock || !entry) {
    return 0;
  }
  ThreadBlock* block = VNew<ThreadBlock>();
  if (!block) {
    return 0;
  }
  block->attrReady = pthread_attr_init(&block->attr) == 0;
  if (pthread_create(&block->id, nullptr, entry, argument) != 0) {
    m_pBlock = block;
    FreeBlock();
    return 0;
  }
  m_pBlock = block;
  return 1;
}

pthread_t* CVThread::GetHandle() const { return m_pBlock ? &m_pBlock->id : nullptr; }

int CVThread::Join() {
  if (!m_pBlock || pthread_equal(m_pBlock->id, pthread_self())) {
    return 0;
  }
  pthread_join(m_pBlock->id, nullptr);
  FreeBlock();
  return 1;
}

int CVThread::Close() {
  if (!m_pBlock) {
    return 0;
  }
  pthread_detach(m_pBlock->id);
  FreeBlock();
  return 1;
}

void CVThread::FreeBlock() {
  if (m_pBlock->attrReady) {
    pthread_attr_destroy(&m_pBlock->attr);
  }
  VDelete(m_pBlock);
  m_pBlock = nullptr;
}

}  // namespace mapengine
