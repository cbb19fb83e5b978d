// Work that goes on beside the run, on a thread of its own.
#pragma once

#include <system_error>
#include <thread>

#include "maintenance/output_file.h"

namespace campdb {

// Runs `work` on a thread of its own while the caller goes on, when `apart`
// (small work is not worth a thread) and the system gives a thread; else it
// runs at once, before the constructor returns. Join, or the destructor,
// waits until it is done. The thread holds off the interrupts, so that they
// reach the main thread, which removes the temporary files.
class Alongside {
 public:
  template <class Work>
  Alongside(bool apart, const Work& work) {
    if (apart) {
      InterruptsHeld held;
      try {
        thread_ = std::thread(work);
        return;
      } catch (const std::system_error&) {
        // No thread to be had: the work is done here.
      }
    }
    work();
  }
  ~Alongside() { Join(); }
  Alongside(const Alongside&) = delete;
  Alongside& operator=(const Alongside&) = delete;

  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

}  // namespace campdb
