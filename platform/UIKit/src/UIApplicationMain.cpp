// The application main loop: the Qt application, the main interface file named by Info.plist
// (NSMainNibFile), the delegate's launch, the event loop, and an orderly end.
#include <UIKit/UIKit.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Automation.h"
#include "FirstFrame.h"
#include "FontWarmup.h"
#include "NibLoader.h"
#include "ScreenPower.h"
#include "Support.h"
#include "TouchActivity.h"

namespace {
// Real time between passes of the run loop: half a device second at the display demo's rate,
// ten at the headless road's.
constexpr int kRunLoopPassMilliseconds = 50;

const char* programName(int argc, char* argv[]) {
    const char* name = argc > 0 && argv && argv[0] ? argv[0] : "VigilantPro";
    if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
    return name;
}

void printUsage(const char* name) {
    std::printf(
        "Usage: %s            run the control app\n"
        "       %s darwin     run the sleep-guard daemon (as launchd does)\n"
        "\n"
        "The control app shows a window of the phone's size. Without a display it draws\n"
        "offscreen (QT_QPA_PLATFORM=offscreen).\n"
        "\n"
        "Environment:\n"
        "  SIMDEVICE_ROOT                     the simulated device to run on\n"
        "  VIGILANT_UI_AUTOMATION=SOCKET      serve automation commands on a local socket\n"
        "  VIGILANT_UI_ANIMATIONS=0           change screens without animations\n"
        "  VIGILANT_UI_FIRST_FRAME=FILE       write the time of the first frame to FILE\n"
        "  VIGILANT_UI_EXIT_AFTER_FIRST_FRAME=1  and end right after it\n",
        name, name);
}

bool wantsHelp(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (argv[i] && (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0))
            return true;
    return false;
}

void chooseOffscreenWithoutDisplay() {
    if (std::getenv("QT_QPA_PLATFORM")) return;
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if ((!display || !*display) && (!wayland || !*wayland))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace

int UIApplicationMain(int argc, char* argv[], const char* principalClassName,
                      const char* delegateClassName) {
    const char* name = programName(argc, argv);
    if (wantsHelp(argc, argv)) {
        printUsage(name);
        return 0;
    }
    chooseOffscreenWithoutDisplay();
    // Qt keeps a reference to the count for the application's whole life.
    static int qtArgc;
    qtArgc = argc;
    QApplication qt(qtArgc, argv);
    QApplication::setApplicationName(QString::fromLocal8Bit(name));
    QApplication::setQuitOnLastWindowClosed(true);
    const uikit::FontWarmup fonts;

    if (principalClassName && std::strcmp(principalClassName, "UIApplication") != 0)
        std::fprintf(stderr, "%s: principal class %s is not supported; using UIApplication\n", name,
                     principalClassName);
    UIApplication* application = UIApplication::sharedApplication();
    std::vector<std::unique_ptr<UIResponder>> objects;
    if (delegateClassName) {
        auto delegate = UICreateObjectOfClass(delegateClassName);
        if (auto* d = dynamic_cast<UIApplicationDelegate*>(delegate.get())) {
            application->setDelegate(d);
            objects.push_back(std::move(delegate));
        } else {
            std::fprintf(stderr, "%s: no application delegate class named %s\n", name,
                         delegateClassName);
            return 1;
        }
    }

    NSBundle& bundle = NSBundle::mainBundle();
    const auto mainNib = bundle.objectForInfoDictionaryKey("NSMainNibFile");
    std::unique_ptr<QWidget> mainRoot;
    if (mainNib) {
        uikit::Nib nib = uikit::loadNib(*mainNib, &bundle, application);
        if (!nib.root) {
            std::fprintf(stderr, "%s: cannot load the main interface file %s\n", name,
                         uikit::nibPath(*mainNib, &bundle).c_str());
            return 1;
        }
        mainRoot.reset(nib.root);
        for (auto& object : nib.objects) objects.push_back(std::move(object));
    } else if (!application->delegate()) {
        std::fprintf(stderr, "%s: %s/Info.plist names no main interface file (NSMainNibFile)\n",
                     name, bundle.bundlePath().c_str());
        return 1;
    }
    UIApplicationDelegate* delegate = application->delegate();
    if (!delegate) std::fprintf(stderr, "%s: the application has no delegate\n", name);

    // The user's touches keep the device awake; the screen goes dark while it sleeps. Starting
    // the app was a tap on its icon.
    uikit::TouchActivity touches;
    touches.touched();
    uikit::ScreenPower screen;
    auto automation = uikit::Automation::fromEnvironment();
    if (delegate) delegate->applicationDidFinishLaunching(application);
    if (UIWindow* key = UIWindow::keyWindow()) uikit::reportFirstFrame(key->widget());

    // The application's loop is Qt's, but the app's own timers (NSTimer) live on the main
    // thread's run loop, as on the phone: a pass of it, which waits for nothing, fires those due.
    QTimer runLoopPass;
    QObject::connect(&runLoopPass, &QTimer::timeout,
                     [] { CFRunLoopRunInMode(kCFRunLoopDefaultMode, 0, true); });
    runLoopPass.start(kRunLoopPassMilliseconds);

    const int status = QApplication::exec();

    if (delegate) delegate->applicationWillTerminate(application);
    automation.reset();
    uikit::discardAlerts();
    application->setDelegate(nullptr);
    // The interface file's objects in their order (a navigation controller before the screens
    // it shows), then its views.
    for (auto& object : objects) object.reset();
    mainRoot.reset();
    return status;
}
