#include "ModeSelection.h"

#include <Foundation/Foundation.h>

bool argumentsSelectDaemonMode(int argc, char* argv[]) {
    bool daemon = false;
    for (int i = 0; i < argc; ++i)
        if (argv[i] && NSString(argv[i]) == "darwin") daemon = true;
    return daemon;
}
