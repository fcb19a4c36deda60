#include "ui/PathText.h"

#include <algorithm>

QString FolderOfPath(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

std::string FileNameOfPath(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

QString StartFolder(const std::string& file, const std::string& fallback) {
    const QString folder = FolderOfPath(QString::fromStdString(file));
    return folder.isEmpty() ? QString::fromStdString(fallback) : folder;
}
