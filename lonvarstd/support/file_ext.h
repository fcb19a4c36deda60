#pragma once
// File name extensions: the text behind the last "." of the file name.

#include <string>
#include <string_view>

namespace tavrix {

// "DAT/DEFAULT.TVC" + ".bak" -> "DAT/DEFAULT.bak"; a name without extension gets
// `extension` appended. Dots in folder names do not count.
std::string ChangeFileExt(std::string_view path, std::string_view extension);

}  // namespace tavrix
