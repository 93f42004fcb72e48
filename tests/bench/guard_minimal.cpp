// The smallest C++ program worth comparing the daemon with: the C++ runtime and nothing else.
// Prints its own resident memory in KiB.
#include <fstream>
#include <iostream>
#include <string>

int main() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) std::cout << std::stol(line.substr(6)) << "\n";
    return 0;
}
