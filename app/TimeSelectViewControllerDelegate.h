#pragma once

class TimeSelectViewController;

// Hears about the save of the time picker; the picker closes itself afterwards.
class TimeSelectViewControllerDelegate {
  public:
    virtual ~TimeSelectViewControllerDelegate() = default;
    virtual void timeSelectViewControllerSave(TimeSelectViewController* controller) = 0;
};
