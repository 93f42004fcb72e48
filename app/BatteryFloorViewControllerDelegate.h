#pragma once

class BatteryFloorViewController;

// Hears about the save of the battery floor picker; the picker closes itself afterwards.
class BatteryFloorViewControllerDelegate {
  public:
    virtual ~BatteryFloorViewControllerDelegate() = default;
    virtual void batteryFloorViewControllerSave(BatteryFloorViewController* controller) = 0;
};
