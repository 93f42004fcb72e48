// Owners of what libplist's C interface hands out, each freed when its owner goes: a tree, and
// the text, bytes and dictionary iterators it allocates with malloc. The C calls fill them
// through out().
#pragma once

#include <plist/plist.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace base {

template <class Pointer, void (*Free)(Pointer)>
class PlistHandle {
  public:
    PlistHandle() = default;
    explicit PlistHandle(Pointer owned) : owned_(owned) {}
    ~PlistHandle() { reset(); }
    PlistHandle(PlistHandle&& other) noexcept : owned_(other.release()) {}
    PlistHandle& operator=(PlistHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    PlistHandle(const PlistHandle&) = delete;
    PlistHandle& operator=(const PlistHandle&) = delete;

    Pointer get() const { return owned_; }
    explicit operator bool() const { return owned_ != nullptr; }
    Pointer release() { return std::exchange(owned_, nullptr); }
    void reset(Pointer owned = nullptr) {
        if (owned_ && owned_ != owned) Free(owned_);
        owned_ = owned;
    }
    // Where a C call puts what it hands out; whatever was held before is freed first.
    Pointer* out() {
        reset();
        return &owned_;
    }

  private:
    Pointer owned_ = nullptr;
};

namespace detail {
inline void freeTree(plist_t tree) { plist_free(tree); }
inline void freeText(char* text) { std::free(text); }
inline void freeIterator(plist_dict_iter iter) { std::free(iter); }
}  // namespace detail

using PlistTree = PlistHandle<plist_t, detail::freeTree>;
using PlistText = PlistHandle<char*, detail::freeText>;  // also data and written lists
using PlistIterator = PlistHandle<plist_dict_iter, detail::freeIterator>;

// `tree` written as XML or in the binary format.
std::vector<char> plistBytes(plist_t tree, bool binary);

}  // namespace base
