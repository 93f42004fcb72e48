#include <backend/Probes.h>

namespace platform::probe {

namespace detail {
Watcher g_watcher = nullptr;
void* g_context = nullptr;
}  // namespace detail

void watch(Watcher watcher, void* context) {
    detail::g_context = context;
    detail::g_watcher = watcher;
}

}  // namespace platform::probe
