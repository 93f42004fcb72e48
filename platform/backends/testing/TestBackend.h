// The in-process test backend: every platform service played inside the test, with a virtual
// clock, a device root folder of its own, and the calls that reach the services (and what the
// frameworks' probes report) kept as typed records in order. While it exists its services are
// the active ones. It knows nothing of the frameworks' own state: TestPlatform (the test kit)
// adds that.
#pragma once

#include <backend/Backend.h>

#include <vector>

#include "CallLog.h"
#include "TestActivity.h"
#include "TestBattery.h"
#include "TestFiles.h"
#include "TestNotify.h"
#include "TestPower.h"
#include "TestProcess.h"
#include "TestSpringBoard.h"
#include "TestWake.h"

namespace platform::testing {

class TestBackend {
  public:
    TestBackend() = default;
    TestBackend(const TestBackend&) = delete;
    TestBackend& operator=(const TestBackend&) = delete;

    TestProcess& process() { return process_; }
    TestFiles& files() { return files_; }
    const TestFiles& files() const { return files_; }
    TestPower& power() { return power_; }
    const TestPower& power() const { return power_; }
    TestWake& wake() { return wake_; }
    const TestWake& wake() const { return wake_; }
    TestSpringBoard& springBoard() { return springBoard_; }
    TestNotify& notify() { return notify_; }
    const TestNotify& notify() const { return notify_; }
    TestBattery& battery() { return battery_; }

    // ---- the records, in order
    const std::vector<Record>& calls() const { return log_.all(); }
    template <class T>
    const std::vector<T>& callsOf() const {
        return log_.of<T>();
    }
    template <class T>
    size_t countCalls() const {
        return log_.count<T>();
    }
    template <class T>
    std::vector<size_t> indicesOf() const {
        return log_.indicesOf<T>();
    }
    // Forgets every record.
    void clearRecords() { log_.clear(); }
    void setKeepRecords(bool keep) { log_.setKeep(keep); }
    // Called with each record as it is added.
    void observeRecords(std::function<void(const Record&)> observer) {
        log_.observe(std::move(observer));
    }

    // ---- what reached the services, by kind
    const std::vector<PowerAnswer>& powerAnswers() const { return callsOf<PowerAnswer>(); }
    size_t userActivities() const { return countCalls<UserActivity>(); }
    const std::vector<WakeRequest>& wakeRequests() const { return callsOf<WakeRequest>(); }
    std::vector<StatusBarRequest> statusBarRequests() const { return statusBarRequestsIn(calls()); }
    const std::vector<CenterMessage>& centerMessages() const { return callsOf<CenterMessage>(); }
    const std::vector<LocalNotificationRecord>& notifications() const {
        return springBoard_.notifications();
    }
    std::vector<std::string> openedURLs() const;
    std::vector<std::string> logLines() const;

  private:
    CallLog log_;
    TestProcess process_{log_};
    TestFiles files_{log_};
    TestPower power_{log_};
    TestWake wake_{log_, files_};
    TestSpringBoard springBoard_{log_};
    TestActivity activity_{log_};
    TestNotify notify_{log_};
    TestBattery battery_{log_, notify_};
    // Last, so they go first: the services in place before come back.
    ServiceInUse<ProcessService> processInUse_{process_};
    ServiceInUse<FilesService> filesInUse_{files_};
    ServiceInUse<PowerService> powerInUse_{power_};
    ServiceInUse<WakeService> wakeInUse_{wake_};
    ServiceInUse<SpringBoardService> springBoardInUse_{springBoard_};
    ServiceInUse<ActivityService> activityInUse_{activity_};
    ServiceInUse<NotifyService> notifyInUse_{notify_};
    ServiceInUse<BatteryService> batteryInUse_{battery_};
};

}  // namespace platform::testing
