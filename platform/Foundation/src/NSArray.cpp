#include <Foundation/Foundation.h>

NSObject NSArray::objectAtIndex(NSUInteger index) const {
    return index < objects_.size() ? objects_[index] : NSObject();
}

void NSArray::addObject(const NSObject& object) {
    if (object) objects_.push_back(object);
}
