#include <Foundation/NSNotificationCenter.h>

#include <vector>

NSNotificationCenter& NSNotificationCenter::defaultCenter() {
    static auto* center = new NSNotificationCenter;  // never destroyed: observers may outlive main
    return *center;
}

NSNotificationCenter::Observer NSNotificationCenter::addObserverForName(const NSString& name,
                                                                        Block block) {
    std::lock_guard lock(mutex_);
    const Observer observer = next_++;
    observations_[observer] = {name, std::move(block)};
    return observer;
}

void NSNotificationCenter::removeObserver(Observer observer) {
    std::lock_guard lock(mutex_);
    observations_.erase(observer);
}

void NSNotificationCenter::postNotificationName(const NSString& name) {
    // Called without the lock, so a block may add or remove observers.
    std::vector<Block> blocks;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [observer, observation] : observations_)
            if (observation.name == name) blocks.push_back(observation.block);
    }
    for (const Block& block : blocks) block(name);
}
