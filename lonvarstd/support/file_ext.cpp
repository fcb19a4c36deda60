#include "support/file_ext.h"

namespace tavrix {

std::string ChangeFileExt(std::string_view path, std::string_view extension) {
    const auto slash = path.rfind('/');
    const auto nameStart = (slash == std::string_view::npos) ? 0 : slash + 1;
    const auto dot = path.rfind('.');
    std::string result(path);
    if (dot != std::string_view::npos && dot >= nameStart) result.resize(dot);
    result += extension;
    return result;
}

}  // namespace tavrix
