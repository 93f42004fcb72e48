// A stand-in extension: at load it logs the file it was loaded from.
#include <Foundation/Foundation.h>
#include <dlfcn.h>

#include <string>

namespace {
__attribute__((constructor)) void announce() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&announce), &info);
    const std::string path = info.dli_fname ? info.dli_fname : "?";
    NSLog("probe loaded: %s", path.substr(path.find_last_of('/') + 1).c_str());
}
}  // namespace
