#pragma once
// A file's whole content ("" where it cannot be read), for the logs, outputs and stored
// settings that tests look into.

#include <fstream>
#include <iterator>
#include <string>

inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
