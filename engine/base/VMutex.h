// The engine lock: a flag taken by test-and-set, waited for by polling every
// 10 ms. Not re-entrant.
#pragma once

#include <atomic>

namespace mapengine {

class CVMutex {
public:
  CVMutex() = default;
  virtual ~CVMutex();
  CVMutex(const CVMutex&) = delete;
  CVMutex& operator=(const CVMutex&) = delete;

  // Makes the lock free; the argument is not used.
  void Create(int unused = 0);
  // Takes the lock: timeout in ms, -1 waits forever. 1 when taken, 0 on time-out.
  int Lock(int timeoutMs = -1);
  int Unlock();

private:
  std::atomic<int> m_flag{0};
};

}  // namespace mapengine
