// The engine's thread handle over POSIX threads.
#pragma once

#include <pthread.h>

namespace mapengine {

class CVThread {
public:
  using EntryProc = void* (*)(void*);

  CVThread() = default;
  virtual ~CVThread();
  CVThread(const CVThread&) = delete;
  CVThread& operator=(const CVThread&) = delete;

  // Starts entry(argument) on a new thread. 1, or 0 when this object already
  // holds a thread, memory ran out or the thread could not be started.
  int CreateThread(EntryProc entry, void* argument);
  // The thread id, null when no thread was created.
  pthread_t* GetHandle() const;
  // Waits for the thread to end and frees the thread block. 1, or 0 when
  // there was no thread or it is the calling thread itself.
  int Join();
  // Frees the thread block; the thread goes on by itself. 1, or 0 when there
  // was none.
  int Close();

private:
  struct ThreadBlock {
    pthread_t id;
    pthread_attr_t attr;
    bool attrReady;
  };
  void FreeBlock();

  ThreadBlock* m_pBlock = nullptr;
  [[maybe_unused]] int m_word = 0;
};

}  // namespace mapengine
