// A SpringBoard on a temporary device root, with a virtual clock and its events kept.
#pragma once

#include <base/PlistFile.h>
#include <gtest/gtest.h>
#include <sim/springboard/SpringBoardApp.h>
#include <wire/Wire.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FakeEventSink.h"
#include "SpringBoardSideBackend.h"
#include "TemporaryFolder.h"

// Builds a request dictionary: Request("statusbar").text("item", "A").flag("show", true).
class Request {
  public:
    explicit Request(const std::string& op) { dict_.Set("op", PList::String(op)); }
    Request& text(const std::string& key, const std::string& value) {
        dict_.Set(key, PList::String(value));
        return *this;
    }
    Request& flag(const std::string& key, bool value) {
        dict_.Set(key, PList::Boolean(value));
        return *this;
    }
    Request& integer(const std::string& key, uint64_t value) {
        dict_.Set(key, PList::Integer(value));
        return *this;
    }
    Request& real(const std::string& key, double value) {
        dict_.Set(key, PList::Real(value));
        return *this;
    }
    Request& node(const std::string& key, const PList::Node& value) {
        dict_.Set(key, value);
        return *this;
    }
    const PList::Dictionary& dict() const { return dict_; }

  private:
    PList::Dictionary dict_;
};

class SpringBoardTest : public testing::Test {
  protected:
    static constexpr double kStart = 298814400;  // 2010-06-21 12:00:00, device time
    static constexpr mach_port_t kPort = 0x5eed;

    void SetUp() override {
        backend.files().setDeviceRoot(root);
        backend.process().setAbsoluteTime(kStart);
        files = springboard::SpringBoardApp::filesOfDevice(root);
        prepareDevice();
        startSpringBoard();
    }
    void TearDown() override { springBoard.reset(); }

    // Runs before the first SpringBoard starts, to install things on the device.
    virtual void prepareDevice() {}

    // A new SpringBoard process on the same device (the old one ends first).
    void startSpringBoard() {
        springBoard.reset();
        springBoard = std::make_unique<springboard::SpringBoardApp>(files, events, kPort);
        springBoard->start("com.apple.springboard");
    }

    PList::Dictionary send(const Request& request) { return springBoard->handle(request.dict()); }
    static bool ok(const PList::Dictionary& reply) {
        return base::booleanAt(reply, "ok").value_or(false);
    }

    // Lets the device clock run for `seconds` with SpringBoard's timers firing on time.
    // A run period may end early (with its last timer), so periods are run until the time is up.
    void runFor(double seconds) {
        const double until = backend.process().now() + seconds;
        while (backend.process().now() < until) {
            if (CFRunLoopRunInMode(kCFRunLoopDefaultMode, until - backend.process().now(), false) ==
                kCFRunLoopRunFinished)
                backend.process().setAbsoluteTime(
                    until);  // nothing to wait for: time simply passes
        }
    }

    // Device seconds since 1970, as the platform sends fire dates.
    static double since1970(double deviceTime) {
        return deviceTime + kCFAbsoluteTimeIntervalSince1970;
    }

    std::vector<std::string> statusBarFile() const {
        std::vector<std::string> names;
        for (const auto& entry : arrayFile(files.statusBar))
            if (entry->GetType() == PLIST_STRING)
                names.push_back(static_cast<PList::String&>(*entry).GetValue());
        return names;
    }
    std::vector<std::unique_ptr<PList::Node>> arrayFile(const std::string& path) const {
        const base::PlistFile file = base::readPlistFile(path);
        const PList::Array* array = base::arrayRoot(file);
        return array ? base::arrayItems(*array) : std::vector<std::unique_ptr<PList::Node>>();
    }
    static std::string textAt(const PList::Node& entry, const std::string& key) {
        if (entry.GetType() != PLIST_DICT) return "<no dict>";
        return base::stringAt(static_cast<const PList::Dictionary&>(entry), key)
            .value_or("<absent>");
    }
    static double dateAt(const PList::Node& entry, const std::string& key) {
        if (entry.GetType() != PLIST_DICT) return -1;
        return base::dateAt(static_cast<const PList::Dictionary&>(entry), key).value_or(-1);
    }
    size_t logLinesContaining(const std::string& text) const {
        size_t n = 0;
        for (const std::string& line : backend.logLines())
            n += line.find(text) != std::string::npos;
        return n;
    }

    SpringBoardSideBackend backend;
    FakeEventSink events;
    TemporaryFolder folder{"springboard"};
    const std::string root = folder.path();
    springboard::SpringBoardApp::Files files;
    std::unique_ptr<springboard::SpringBoardApp> springBoard;
};
