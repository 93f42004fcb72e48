// Foundation's notification center, as much of it as the frameworks use: names posted inside the
// process, each post heard at once, on the posting thread, by the observers of its name. Names
// and call shapes follow Apple's (the block form of iOS 4, as C++ callables).
#pragma once

#include <Foundation/Foundation.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

class NSNotificationCenter {
  public:
    using Observer = uint64_t;  // 0: none
    using Block = std::function<void(const NSString& name)>;

    static NSNotificationCenter& defaultCenter();

    Observer addObserverForName(const NSString& name, Block block);
    // An observer removed (or never added) hears nothing more; removing it twice is harmless.
    void removeObserver(Observer observer);
    void postNotificationName(const NSString& name);

  private:
    struct Observation {
        NSString name;
        Block block;
    };
    std::mutex mutex_;
    std::map<Observer, Observation> observations_;
    Observer next_ = 1;
};
