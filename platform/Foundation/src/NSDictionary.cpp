#include <Foundation/Foundation.h>

NSObject NSDictionary::objectForKey(const NSString& key) const {
    auto it = objects_.find(key);
    return it != objects_.end() ? it->second : NSObject();
}

std::vector<NSString> NSDictionary::allKeys() const {
    std::vector<NSString> keys;
    keys.reserve(objects_.size());
    for (const auto& [key, object] : objects_) keys.push_back(key);
    return keys;
}

void NSDictionary::setObjectForKey(const NSObject& object, const NSString& key) {
    if (!object) {
        objects_.erase(key);
        return;
    }
    objects_.insert_or_assign(key, object);
}

void NSDictionary::removeObjectForKey(const NSString& key) { objects_.erase(key); }
