#include <backend/Backend.h>
#include <wire/DevicePaths.h>

#include <utility>

#include "../device/DeviceActivity.h"
#include "../device/DeviceBattery.h"
#include "../device/DeviceFiles.h"
#include "../device/DeviceLinks.h"
#include "../device/DeviceNotify.h"
#include "../device/DevicePower.h"
#include "../device/DeviceProcess.h"
#include "../device/DeviceSpringBoard.h"
#include "../device/DeviceWake.h"

namespace platform {

namespace {
// The services a test installed; null: the device's.
template <class Service>
Service*& installed() {
    static Service* service = nullptr;
    return service;
}

template <class Service, class Device>
Service& active() {
    Service* service = installed<Service>();
    return service ? *service : Device::instance();
}
}  // namespace

PowerService& powerService() { return active<PowerService, device::DevicePower>(); }
WakeService& wakeService() { return active<WakeService, device::DeviceWake>(); }
SpringBoardService& springBoardService() {
    return active<SpringBoardService, device::DeviceSpringBoard>();
}
FilesService& filesService() { return active<FilesService, device::DeviceFiles>(); }
ProcessService& processService() { return active<ProcessService, device::DeviceProcess>(); }
ActivityService& activityService() { return active<ActivityService, device::DeviceActivity>(); }
NotifyService& notifyService() { return active<NotifyService, device::DeviceNotify>(); }
BatteryService& batteryService() { return active<BatteryService, device::DeviceBattery>(); }

PowerService* useService(PowerService* service) {
    return std::exchange(installed<PowerService>(), service);
}
WakeService* useService(WakeService* service) {
    return std::exchange(installed<WakeService>(), service);
}
SpringBoardService* useService(SpringBoardService* service) {
    return std::exchange(installed<SpringBoardService>(), service);
}
FilesService* useService(FilesService* service) {
    return std::exchange(installed<FilesService>(), service);
}
ProcessService* useService(ProcessService* service) {
    return std::exchange(installed<ProcessService>(), service);
}
ActivityService* useService(ActivityService* service) {
    return std::exchange(installed<ActivityService>(), service);
}
NotifyService* useService(NotifyService* service) {
    return std::exchange(installed<NotifyService>(), service);
}
BatteryService* useService(BatteryService* service) {
    return std::exchange(installed<BatteryService>(), service);
}

std::string activeDeviceRoot() {
    FilesService* files = installed<FilesService>();
    return files ? files->deviceRoot() : device::rootFromEnvironment();
}

const char* deviceRootVariable() { return device::rootVariable(); }

std::string hostPath(const std::string& devicePath) {
    const std::string root = activeDeviceRoot();
    if (root.empty() || devicePath.empty() || devicePath.front() != '/') return devicePath;
    // A path already resolved stays; either way ".." never leads above the root.
    return wire::resolveDeviceArgument(root, devicePath);
}

}  // namespace platform
