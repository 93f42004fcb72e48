// The program runs as root but may be started by anyone: a shell it starts must not take its
// environment (PATH, IFS, ENV, LD_PRELOAD...) from whoever that was. While an object of this
// class lives, the process environment is a fixed clean one: PATH alone. Only for the moment a
// command is started (the app is single-threaded).
#pragma once

#include <string>
#include <vector>

class CleanShellEnvironment {
  public:
    static constexpr const char* kPath = "PATH=/usr/bin:/bin:/usr/sbin:/sbin";

    CleanShellEnvironment();
    ~CleanShellEnvironment();
    CleanShellEnvironment(const CleanShellEnvironment&) = delete;
    CleanShellEnvironment& operator=(const CleanShellEnvironment&) = delete;

    // The entries in force while the object lives.
    const std::vector<std::string>& entries() const { return entries_; }

  private:
    std::vector<std::string> entries_;
    std::vector<char*> pointers_;
    char** saved_;
};
