// The yardstick for the control app's start-up: the smallest Qt Widgets program that shows a
// phone-sized window, timed by the same first-frame watcher the app uses.
#include <QApplication>
#include <QWidget>

#include "FirstFrame.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    QWidget window;
    window.resize(320, 480);
    window.show();
    uikit::reportFirstFrame(&window);
    return QApplication::exec();
}
