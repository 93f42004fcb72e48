#include "EventLog.h"

#include <fcntl.h>
#include <unistd.h>
#include <wire/DeviceTime.h>

#include <filesystem>

#include "PlistJson.h"

namespace simd {

using nlohmann::ordered_json;

EventLog::EventLog(std::string hostPath, Clock clock)
    : hostPath_(std::move(hostPath)), clock_(std::move(clock)) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(hostPath_).parent_path(), ec);
    fd_.reset(::open(hostPath_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644));
}

ordered_json EventLog::line(const std::string& time, const std::string& source,
                            const std::string& event, const ordered_json& fields) {
    ordered_json out = {{"time", time}, {"source", source}, {"event", event}};
    if (fields.is_object())
        for (auto it = fields.begin(); it != fields.end(); ++it)
            if (it.key() != "time" && it.key() != "source" && it.key() != "event")
                out[it.key()] = it.value();
    return out;
}

void EventLog::write(const std::string& source, const std::string& event,
                     const ordered_json& fields) {
    if (!fd_) return;
    // One write per line with O_APPEND: readers never see half a line of ours.
    const std::string text = line(wire::formatDeviceTime(clock_()), source, event, fields)
                                 .dump(-1, ' ', false, ordered_json::error_handler_t::replace) +
                             "\n";
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_.get(), text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
}

void EventLog::record(const wire::LogEvent& event) {
    write(event.source, event.event, plistToJson(event.details.dict.get()));
}

}  // namespace simd
