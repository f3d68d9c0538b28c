#include "engine/base/VMutex.h"

#include <chrono>
#include <thread>

namespace mapengine {

namespace {
constexpr int kPollMs = 10;
}

CVMutex::~CVMutex() { m_flag.store(0); }

void CVMutex::Create(int) { m_flag.store(0); }

int CVMutex::Lock(int timeoutMs) {
  int remaining = timeoutMs;
  while (m_flag.exchange(1, std::memory_order_acquire) != 0) {
    if (timeoutMs != -1 && remaining <= 0) {
      return 0;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    remaining -= kPollMs;
  }
  return 1;
}

int CVMutex::Unlock() {
  m_flag.store(0, std::memory_order_release);
  return 1;
}

}  // namespace mapengine
