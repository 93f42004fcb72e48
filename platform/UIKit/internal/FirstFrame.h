// For start-up measurements: when VIGILANT_UI_FIRST_FRAME names a file, the moment the main
// window has first been drawn (CLOCK_MONOTONIC, nanoseconds) is written there; with
// VIGILANT_UI_EXIT_AFTER_FIRST_FRAME=1 the app then ends.
#pragma once

class QWidget;

namespace uikit {
void reportFirstFrame(QWidget* window);
}
