// A file's whole contents; empty when it cannot be read.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

inline std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
