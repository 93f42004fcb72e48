// How the tests start a program: input from /dev/null, stdout and stderr into a file emptied
// first. A file, never a pipe: simd, which `simctl boot` leaves running, would hold a pipe open
// and a read to its end would never end.
#pragma once

#include <base/Spawn.h>

#include <string>
#include <vector>

namespace test_support {

// `command` is the program's path and its arguments.
inline base::SpawnOptions programWithOutputIn(const std::vector<std::string>& command,
                                              const std::string& outputFile) {
    base::SpawnOptions options;
    options.program = command.at(0);
    options.argv = command;
    options.nullInput = true;
    options.outputPath = outputFile;
    options.freshOutput = true;
    return options;
}

}  // namespace test_support
