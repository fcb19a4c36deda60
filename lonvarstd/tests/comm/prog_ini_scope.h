#pragma once
// A program INI file in a temporary folder for the time of one test, with COM
// ports mapped to chosen device paths; ProgIniFile points at it meanwhile.

#include <map>
#include <string>

namespace tavrix::testing {

class ProgIniScope {
public:
    explicit ProgIniScope(const std::map<int, std::string>& comPorts);
    ~ProgIniScope();
    ProgIniScope(const ProgIniScope&) = delete;
    ProgIniScope& operator=(const ProgIniScope&) = delete;

    const std::string& folder() const { return folder_; }

private:
    std::string folder_;
    std::string savedProgIniFile_;
};

}  // namespace tavrix::testing
