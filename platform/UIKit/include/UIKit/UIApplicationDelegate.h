#pragma once

class UIApplication;

// What the application tells its delegate. Every operation is optional.
class UIApplicationDelegate {
  public:
    virtual ~UIApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching(UIApplication* application) { (void)application; }
    virtual void applicationWillTerminate(UIApplication* application) { (void)application; }
};
