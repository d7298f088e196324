#pragma once
// GoogleTest's Notification (which starts the threads of its own thread support) on a Windows
// event: the win32 thread model, which the program is built with, has no std::mutex or
// std::condition_variable, which GoogleTest's own version takes. Included before GoogleTest's
// headers in every test and in GoogleTest itself (GTEST_HAS_NOTIFICATION_ tells it so).
#include <windows.h>

namespace testing {
namespace internal {

class Notification {
 public:
  Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~Notification() {
    if (event_) CloseHandle(event_);
  }
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify() { SetEvent(event_); }
  void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

 private:
  HANDLE event_;
};

}  // namespace internal
}  // namespace testing
