// What the frameworks report of calls that reach no service (a timer scheduled, a source
// added, an alert shown), for tests that must see the call itself. Reporting costs one test of
// a pointer while nobody watches: the event is only built for a watcher.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform::probe {

// ---- CoreFoundation
struct RunLoopSourceAdded {
    const void* runLoop = nullptr;
    const void* source = nullptr;
    std::string mode;
    bool operator==(const RunLoopSourceAdded&) const = default;
};
struct RunLoopSourceRemoved {
    const void* runLoop = nullptr;
    const void* source = nullptr;
    std::string mode;
    bool operator==(const RunLoopSourceRemoved&) const = default;
};
struct FileDescriptorCreated {
    int fd = -1;
    bool operator==(const FileDescriptorCreated&) const = default;
};

// ---- Foundation
struct TimerScheduled {
    double interval = 0;
    bool repeats = false;
    bool operator==(const TimerScheduled&) const = default;
};
struct DefaultsRegistered {
    size_t keys = 0;
    bool operator==(const DefaultsRegistered&) const = default;
};
enum class DefaultsChange { object, boolean, integer, removal };
struct DefaultsWritten {
    DefaultsChange change = DefaultsChange::object;
    std::string key;
    bool operator==(const DefaultsWritten&) const = default;
};
struct DefaultsSynchronized {
    bool operator==(const DefaultsSynchronized&) const = default;
};
struct FileRead {
    std::string path;  // device path
    bool operator==(const FileRead&) const = default;
};

// ---- IOKit and AppSupport
struct NotificationPortDestroyed {
    bool operator==(const NotificationPortDestroyed&) const = default;
};
struct CenterLookedUp {
    std::string name;
    bool operator==(const CenterLookedUp&) const = default;
};

// ---- UIKit
struct AlertShown {
    std::optional<std::string> title;
    std::optional<std::string> message;
    std::vector<std::string> buttons;
    bool operator==(const AlertShown&) const = default;
};
struct AlertDismissed {
    std::optional<std::string> title;
    long buttonIndex = 0;
    bool operator==(const AlertDismissed&) const = default;
};
struct SectionsInserted {
    std::vector<unsigned long> sections;
    int animation = 0;
    bool operator==(const SectionsInserted&) const = default;
};
struct SectionsDeleted {
    std::vector<unsigned long> sections;
    int animation = 0;
    bool operator==(const SectionsDeleted&) const = default;
};
struct ControllerPushed {
    bool animated = false;
    bool operator==(const ControllerPushed&) const = default;
};
struct ControllerPopped {
    bool animated = false;
    bool operator==(const ControllerPopped&) const = default;
};
struct ModalPresented {
    bool animated = false;
    bool operator==(const ModalPresented&) const = default;
};
struct ModalDismissed {
    bool animated = false;
    bool operator==(const ModalDismissed&) const = default;
};
struct PickerRowSelected {
    long row = 0;
    long component = 0;
    bool animated = false;
    bool operator==(const PickerRowSelected&) const = default;
};
struct WebRequestLoaded {
    std::string url;
    bool operator==(const WebRequestLoaded&) const = default;
};

using Event =
    std::variant<RunLoopSourceAdded, RunLoopSourceRemoved, FileDescriptorCreated, TimerScheduled,
                 DefaultsRegistered, DefaultsWritten, DefaultsSynchronized, FileRead,
                 NotificationPortDestroyed, CenterLookedUp, AlertShown, AlertDismissed,
                 SectionsInserted, SectionsDeleted, ControllerPushed, ControllerPopped,
                 ModalPresented, ModalDismissed, PickerRowSelected, WebRequestLoaded>;

// One watcher at a time; null: nobody watches.
using Watcher = void (*)(const Event& event, void* context);
void watch(Watcher watcher, void* context);

namespace detail {
extern Watcher g_watcher;
extern void* g_context;
}  // namespace detail

inline bool watched() { return detail::g_watcher != nullptr; }
inline bool watchedBy(const void* context) { return watched() && detail::g_context == context; }

// `make` builds the event; it runs only while somebody watches.
template <class Make>
void report(Make&& make) {
    if (detail::g_watcher) detail::g_watcher(Event(make()), detail::g_context);
}

}  // namespace platform::probe
