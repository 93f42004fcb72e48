// What tells one state of a file from another without reading it: its identity, size and
// times. A file replaced by a rename is another file; one written in place has new times.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>

namespace platform::device {

struct FileStamp {
    dev_t device;
    ino_t inode;
    off_t size;
    time_t modifiedSeconds;
    long modifiedNanoseconds;
    time_t changedSeconds;
    long changedNanoseconds;
    bool operator==(const FileStamp&) const = default;

    // None when the file is not there.
    static std::optional<FileStamp> of(const std::string& path) {
        struct stat st {};
        if (stat(path.c_str(), &st) != 0) return std::nullopt;
        return FileStamp{st.st_dev,         st.st_ino,          st.st_size,
                         st.st_mtim.tv_sec, st.st_mtim.tv_nsec, st.st_ctim.tv_sec,
                         st.st_ctim.tv_nsec};
    }
};

}  // namespace platform::device
