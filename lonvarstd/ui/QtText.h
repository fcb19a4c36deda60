#pragma once
// The engine keeps its texts as UTF-8 std::string, the windows as QString.

#include <QString>
#include <string>

inline QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
inline std::string S(const QString& text) {
    return text.toStdString();
}
