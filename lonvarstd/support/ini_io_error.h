#pragma once
// The one error a settings file raises: it could not be read or written.

#include <stdexcept>
#include <string>

namespace tavrix {

class IniIoError : public std::runtime_error {
public:
    IniIoError(const std::string& fileName, const std::string& what)
        : std::runtime_error(fileName + ": " + what), fileName_(fileName) {}

    const std::string& fileName() const { return fileName_; }

private:
    std::string fileName_;
};

}  // namespace tavrix
