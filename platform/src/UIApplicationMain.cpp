// This build has no user-interface layer: the application main loop reports that and fails.
#include <UIKit/UIKit.h>

#include <cstdio>
#include <cstring>

int UIApplicationMain(int argc, char* argv[], const char*, const char*) {
    const char* name = argc > 0 && argv && argv[0] ? argv[0] : "VigilantPro";
    if (const char* slash = std::strrchr(name, '/')) name = slash + 1;
    std::fprintf(stderr, "%s: the control app is not part of this build\n", name);
    return 1;
}
