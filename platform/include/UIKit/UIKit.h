#pragma once

#include <UIKit/UIApplication.h>
#include <UIKit/UIDevice.h>
#include <UIKit/UILocalNotification.h>
