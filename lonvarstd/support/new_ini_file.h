#pragma once
// The program's own INI file class: the whole file is read at creation, reads and
// writes work in memory, and the file is written back (keeping a ".bak" of the old
// one) when the object is released, only if something was written.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/ini_io_error.h"
#include "support/ini_text.h"

class TNewIniFile {
public:
    // Reads the file if it exists (throws tavrix::IniIoError if it cannot be read);
    // a missing file is no error: the object starts empty and Modified() is true,
    // so that releasing it creates the file.
    explicit TNewIniFile(std::string fileName);
    // For reading only: a file that exists but cannot be read gives its reason in
    // `readError` (empty otherwise), and the object starts empty and unmodified, so
    // that releasing it leaves the file as it is.
    TNewIniFile(std::string fileName, std::string& readError);
    // Writes the file back if modified; an error is reported on stderr, as a
    // destructor cannot raise it. Call UpdateFile() first to see the error.
    virtual ~TNewIniFile();

    TNewIniFile(const TNewIniFile&) = delete;
    TNewIniFile& operator=(const TNewIniFile&) = delete;

    // The first entry named `ident` (trimmed) in the first section named `section`,
    // names compared ASCII case-insensitively; the value unchanged, else `def`.
    std::string ReadString(std::string_view section, std::string_view ident,
                           std::string_view def) const;
    // Replaces the first matching entry's value or appends a new entry (and a new
    // section at the end when none matches). Always marks the file modified.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);

    // Decimal, or hexadecimal after "$" or "0x"; anything that does not convert gives `def`.
    std::int32_t ReadInteger(std::string_view section, std::string_view ident,
                             std::int32_t def) const;
    void WriteInteger(std::string_view section, std::string_view ident, std::int32_t value);

    // Any number other than 0 is true; text that is no number gives `def`.
    bool ReadBool(std::string_view section, std::string_view ident, bool def) const;
    void WriteBool(std::string_view section, std::string_view ident, bool value);

    bool Modified() const { return modified_; }
    const std::string& FileName() const { return fileName_; }

    // The sections and their entries in file order, duplicates included.
    const std::vector<TIniSection>& Sections() const { return document_.sections; }
    const TIniSection* FindSection(std::string_view name) const;
    std::optional<std::size_t> FindValue(const TIniSection& section, std::string_view name) const;

    // Writes the file now if modified (see tavrix::ReplaceFileKeepingBackup); throws
    // tavrix::IniIoError and stays modified when that fails.
    void UpdateFile();

private:
    void Load();

    std::string fileName_;
    bool modified_ = false;
    tavrix::IniDocument document_;
};

// The program INI file, the configuration files and the window placement memory.
class tPgIniFile : public TNewIniFile {
public:
    using TNewIniFile::TNewIniFile;
};
