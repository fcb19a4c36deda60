#include "support/new_ini_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "support/ascii_text.h"
#include "support/file_ext.h"
#include "support/ini_integer.h"
#include "support/safe_file_replace.h"

namespace {

// The whole file, or nullopt when it does not exist.
std::optional<std::string> readWholeFile(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        throw tavrix::IniIoError(fileName, std::string("open: ") + std::strerror(errno));
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw tavrix::IniIoError(fileName, std::string("read: ") + std::strerror(error));
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return text;
}

}  // namespace

TNewIniFile::TNewIniFile(std::string fileName) : fileName_(std::move(fileName)) {
    Load();
}

TNewIniFile::TNewIniFile(std::string fileName, std::string& readError)
    : fileName_(std::move(fileName)) {
    readError.clear();
    try {
        Load();
    } catch (const tavrix::IniIoError& e) {
        readError = e.what();
    }
}

void TNewIniFile::Load() {
    if (auto text = readWholeFile(fileName_)) {
        document_ = tavrix::ParseIniText(*text);
    } else {
        modified_ = true;
    }
}

TNewIniFile::~TNewIniFile() {
    try {
        UpdateFile();
    } catch (const std::exception& e) {
        std::cerr << "settings file not saved: " << e.what() << '\n';
    }
}

const TIniSection* TNewIniFile::FindSection(std::string_view name) const {
    const auto index = tavrix::FindIniSection(document_.sections, name);
    return index ? &document_.sections[*index] : nullptr;
}

std::optional<std::size_t> TNewIniFile::FindValue(const TIniSection& section,
                                                  std::string_view name) const {
    return tavrix::FindIniValue(section, name);
}

std::string TNewIniFile::ReadString(std::string_view section, std::string_view ident,
                                    std::string_view def) const {
    if (const TIniSection* found = FindSection(section)) {
        if (const auto index = FindValue(*found, tavrix::TrimBlanksAndControls(ident))) {
            return found->Values[*index].Value;
        }
    }
    return std::string(def);
}

void TNewIniFile::WriteString(std::string_view section, std::string_view ident,
                              std::string_view value) {
    const std::string_view name = tavrix::TrimBlanksAndControls(ident);
    auto& sections = document_.sections;
    auto sectionIndex = tavrix::FindIniSection(sections, section);
    if (!sectionIndex) {
        sections.push_back(TIniSection{std::string(section), {}});
        sectionIndex = sections.size() - 1;
    }
    TIniSection& target = sections[*sectionIndex];
    if (const auto index = tavrix::FindIniValue(target, name)) {
        target.Values[*index].Value = std::string(value);
    } else {
        target.Values.push_back(TIniValue{std::string(name), std::string(value)});
    }
    modified_ = true;
}

std::int32_t TNewIniFile::ReadInteger(std::string_view section, std::string_view ident,
                                      std::int32_t def) const {
    return tavrix::IniTextToInt(ReadString(section, ident, "")).value_or(def);
}

void TNewIniFile::WriteInteger(std::string_view section, std::string_view ident,
                               std::int32_t value) {
    WriteString(section, ident, std::to_string(value));
}

bool TNewIniFile::ReadBool(std::string_view section, std::string_view ident, bool def) const {
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TNewIniFile::WriteBool(std::string_view section, std::string_view ident, bool value) {
    WriteString(section, ident, value ? "1" : "0");
}

void TNewIniFile::UpdateFile() {
    if (!modified_) return;
    tavrix::ReplaceFileKeepingBackup(fileName_, tavrix::RenderIniText(document_),
                                     tavrix::ChangeFileExt(fileName_, ".bak"));
    modified_ = false;
}
