#pragma once
// Reading the system's font configuration is the largest single cost of the app's first frame,
// and it is needed only once text is laid out. A thread of its own does it while the main thread
// loads the interface files and waits for the screens' first questions to the device; the main
// thread's first font lookup then finds the work done (or waits for its end under Qt's lock).
#include <thread>

namespace uikit {

class FontWarmup {
  public:
    FontWarmup();
    ~FontWarmup();
    FontWarmup(const FontWarmup&) = delete;
    FontWarmup& operator=(const FontWarmup&) = delete;

  private:
    std::thread thread_;
};

}  // namespace uikit
