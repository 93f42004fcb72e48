#pragma once

#include <UIKit/UIControl.h>

// An on/off switch. Sends UIControlEventValueChanged when the user flips it (not when the
// program sets it).
class UISwitch : public UIControl {
  public:
    explicit UISwitch(const CGRect& frame = CGRectZero);
    BOOL isOn() const;
    void setOn(BOOL on) { setOnAnimated(on, NO); }
    void setOnAnimated(BOOL on, BOOL animated);
};
