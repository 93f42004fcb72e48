#include "StatusBarController.h"

#include <CoreFoundation/CoreFoundation.h>
#include <UIKit/UIKit.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "LibStatusBar.h"
#include "VigilantProIdentity.h"

namespace {
StatusBarController* sharedStatusBarController_ = nullptr;
UIApplication* theApp = nullptr;
mach_port_t sbport = 0;
std::recursive_mutex creationLock;
int terminationPipe[2] = {-1, -1};

// Asked afresh at every test, so a route follows the system at once.
std::optional<int> generationNow() {
    return launchdGeneration(UIDevice::currentDevice().systemVersion());
}

// Runs on the run loop after a termination signal: hide on the route of the last addIcon
// (removeIcon's own route choice, with the stored port), then end.
void terminationRequested(CFFileDescriptorRef, CFOptionFlags, void*) {
    char bytes[16];
    for (;;) {
        const ssize_t n = read(terminationPipe[0], bytes, sizeof bytes);
        if (n > 0 || (n < 0 && errno == EINTR)) continue;
        break;
    }
    StatusBarController::sharedStatusBarController()->removeIcon();
    std::exit(0);
}

// The signal handler only writes to this pipe; the run loop does the work. The pipe and its
// source are made once; the source is put back should the run loop have lost it.
bool watchTerminationPipe() {
    static CFRunLoopSourceRef source = nullptr;
    if (!source) {
        if (pipe2(terminationPipe, O_CLOEXEC | O_NONBLOCK) != 0) return false;
        CFFileDescriptorRef fd = CFFileDescriptorCreate(kCFAllocatorDefault, terminationPipe[0],
                                                        true, terminationRequested, nullptr);
        CFFileDescriptorEnableCallBacks(fd, kCFFileDescriptorReadCallBack);
        source = CFFileDescriptorCreateRunLoopSource(kCFAllocatorDefault, fd, 0);
    }
    if (!CFRunLoopContainsSource(CFRunLoopGetCurrent(), source, kCFRunLoopCommonModes))
        CFRunLoopAddSource(CFRunLoopGetCurrent(), source, kCFRunLoopCommonModes);
    return true;
}

// Holds back SIGTERM and SIGINT for its lifetime: a signal that arrives between a show and
// the handler's installation then still finds the handler, so a shown image is always hidden.
class TerminationSignalsHeld {
  public:
    TerminationSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        sigaddset(&held, SIGTERM);
        sigaddset(&held, SIGINT);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~TerminationSignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
    TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

  private:
    sigset_t previous_;
};

template <class F>
F lookUp(void* library, const char* name) {
    return library ? reinterpret_cast<F>(dlsym(library, name)) : nullptr;
}
}  // namespace

void removeIcon(int) {
    const int saved = errno;
    const char byte = 1;
    if (terminationPipe[1] >= 0) (void)!write(terminationPipe[1], &byte, 1);
    errno = saved;
}

StatusBarController* StatusBarController::sharedStatusBarController() {
    std::lock_guard lock(creationLock);
    if (!sharedStatusBarController_) allocWithZone(nullptr);
    return sharedStatusBarController_;
}

StatusBarController* StatusBarController::allocWithZone(void*) {
    std::lock_guard lock(creationLock);
    if (sharedStatusBarController_) return nullptr;
    sharedStatusBarController_ = new StatusBarController();  // never destroyed
    return sharedStatusBarController_;
}

NSString StatusBarController::iconName() const {
    std::lock_guard lock(iconNameLock_);
    return iconName_;
}

void StatusBarController::setIconName(const NSString& name) {
    std::lock_guard lock(iconNameLock_);
    iconName_ = name;
}

mach_port_t StatusBarController::springBoardPort() { return sbport; }

void StatusBarController::addIcon() {
    const TerminationSignalsHeld held;
    const NSString name = iconName();
    if (generationNow() == 2) {
        if (!theApp) theApp = new UIApplication();  // kept for the life of the process
        theApp->addStatusBarImageNamed(name);
    } else if (generationNow() == 3) {
        // A missing library or function is skipped, never called.
        if (void* library = dlopen(kSpringBoardServicesPath, RTLD_LAZY)) {
            if (auto port =
                    lookUp<SBSSpringBoardServerPortFunction>(library, "SBSSpringBoardServerPort"))
                sbport = port();
            if (auto add = lookUp<SBAddStatusBarItemFunction>(library, "SBAddStatusBarItem"))
                add(sbport, name.c_str(), 0);
            dlclose(library);
        }
    } else {
        LibStatusBar::addStatusBarImageNamed(name);
    }
    installTerminationHandler();
}

void StatusBarController::removeIcon() {
    const NSString name = iconName();
    if (generationNow() == 2) {
        if (theApp) theApp->removeStatusBarImageNamed(name);
    } else if (generationNow() == 3) {
        if (void* library = dlopen(kSpringBoardServicesPath, RTLD_LAZY)) {
            if (auto remove =
                    lookUp<SBRemoveStatusBarItemFunction>(library, "SBRemoveStatusBarItem"))
                remove(sbport, name.c_str());
            dlclose(library);
        }
    } else {
        LibStatusBar::removeStatusBarImageNamed(name);
    }
}

void StatusBarController::installTerminationHandler() {
    // Without the pipe the handler could not pass the signal on: keep the default effect.
    if (!watchTerminationPipe()) return;
    struct sigaction action {};
    action.sa_handler = ::removeIcon;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}
