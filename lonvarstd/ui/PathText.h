#pragma once
// Folder and file name of a path as the windows show them. Settings written by older
// versions may still hold "\" as separator ("C:\Messung\x.txt"); both "/" and "\" count.

#include <QString>
#include <string>

// The folder part of `path` with its final separator, or "" when it has none.
QString FolderOfPath(const QString& path);
// The file name without its folder.
std::string FileNameOfPath(const std::string& path);
// Where a file dialog for `file` starts: its folder, else `fallback` (a folder).
QString StartFolder(const std::string& file, const std::string& fallback);
