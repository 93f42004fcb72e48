// Which implementation of each platform service is active: the simulated device's (device/)
// unless a test installed its own. A test may replace one service alone; the others stay the
// device's. The frameworks reach the phone through these calls only.
#pragma once

#include <backend/ActivityService.h>
#include <backend/BatteryService.h>
#include <backend/FilesService.h>
#include <backend/NotifyService.h>
#include <backend/PowerService.h>
#include <backend/ProcessService.h>
#include <backend/SpringBoardService.h>
#include <backend/WakeService.h>

#include <string>

namespace platform {

PowerService& powerService();
WakeService& wakeService();
SpringBoardService& springBoardService();
FilesService& filesService();
ProcessService& processService();
ActivityService& activityService();
NotifyService& notifyService();
BatteryService& batteryService();

// Makes `service` (not owned) the active one of its kind; null returns to the device's.
// Returns the one a test had installed before, or null.
PowerService* useService(PowerService* service);
WakeService* useService(WakeService* service);
SpringBoardService* useService(SpringBoardService* service);
FilesService* useService(FilesService* service);
ProcessService* useService(ProcessService* service);
ActivityService* useService(ActivityService* service);
NotifyService* useService(NotifyService* service);
BatteryService* useService(BatteryService* service);

// Puts a service in place for its own lifetime, and the one before it back after it.
template <class Service>
class ServiceInUse {
  public:
    explicit ServiceInUse(Service& service) : before_(useService(&service)) {}
    ~ServiceInUse() { useService(before_); }
    ServiceInUse(const ServiceInUse&) = delete;
    ServiceInUse& operator=(const ServiceInUse&) = delete;

  private:
    Service* before_;
};

// The active device root without starting the device's services; empty when none.
std::string activeDeviceRoot();
// The host path of a device path: the device root joined with it once ".", ".." and "//" are
// taken out, so it never lies above the root. A host path inside the root stays as it is.
std::string hostPath(const std::string& devicePath);

// The environment variable that names the device's root to a process of the device, so the
// commands it starts stay on the device.
const char* deviceRootVariable();

}  // namespace platform
