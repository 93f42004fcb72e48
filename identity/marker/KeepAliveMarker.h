// The launch-image name that tags the keep-alive notifications. The control app books them
// with it and the SpringBoard extension drops the alerts that carry it, so both deliverables
// must spell it the same: this is the one place it is written.
#pragma once

inline constexpr char kKeepAliveLaunchImage[] = "IPHONE_VIGILANT_1234567890_ABCDEFGH";
