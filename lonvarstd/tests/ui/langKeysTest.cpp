// Every "~" key written in the program's sources has a text in each of the four
// language files that the build makes from the tables in resources/lang/.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "support/ascii_text.h"
#include "support/ini_text.h"

namespace {

namespace fs = std::filesystem;

const char* const Languages[] = {"Deutsch", "English", "Espanol", "Francais"};

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The string literals of C++ source text with their line numbers; comments, character
// literals and escapes are read as the compiler reads them.
std::vector<std::pair<std::string, int>> stringLiterals(const std::string& text) {
    std::vector<std::pair<std::string, int>> found;
    int line = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
        } else if (text.compare(i, 2, "//") == 0) {
            while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
        } else if (text.compare(i, 2, "/*") == 0) {
            const auto end = text.find("*/", i + 2);
            const auto stop = end == std::string::npos ? text.size() : end + 1;
            line += static_cast<int>(std::count(text.begin() + static_cast<long>(i),
                                                text.begin() + static_cast<long>(stop), '\n'));
            i = stop;
        } else if (c == '\'' || c == '"') {
            std::string literal;
            for (++i; i < text.size() && text[i] != c && text[i] != '\n'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                literal += text[i];
            }
            if (i < text.size() && text[i] == '\n') --i;  // unterminated: the line still counts
            if (c == '"') found.emplace_back(literal, line);
        }
    }
    return found;
}

// Where each key is used first: "file:line".
std::map<std::string, std::string> keysInSources(const fs::path& root) {
    std::map<std::string, std::string> keys;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path& path = entry.path();
        const std::string ext = path.extension().string();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        // Tests make up keys of their own.
        if (fs::relative(path, root).begin()->string() == "tests") continue;
        for (const auto& [literal, line] : stringLiterals(readAll(path))) {
            if (literal.size() < 2 || literal[0] != '~') continue;
            const std::string key =
                literal.substr(0, literal.find('#'));  // the suffix is no part of it
            keys.emplace(key, fs::relative(path, root).string() + ":" + std::to_string(line));
        }
    }
    return keys;
}

long countOf(const std::string& text, const std::string& part) {
    long n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

bool hasKey(const tavrix::IniDocument& doc, const std::string& key) {
    for (const TIniSection& section : doc.sections) {
        if (const auto v = tavrix::FindIniValue(section, key);
            v && section.Values[*v].Value != "?") {
            return true;
        }
    }
    return false;
}

TEST(LanguageFiles, EveryKeyOfTheProgramIsInAllFourLanguages) {
    const auto keys = keysInSources(TAVRIX_SOURCE_DIR);
    ASSERT_GT(keys.size(), 10u) << "no keys found under " << TAVRIX_SOURCE_DIR;
    ASSERT_TRUE(keys.count("~Betätigung")) << "the engine's captions were not scanned";
    std::map<std::string, std::string> missing;  // key -> the languages without it
    for (const char* language : Languages) {
        const fs::path file = fs::path(TAVRIX_PROGRAM_DIR) / (std::string(language) + ".LLNG");
        ASSERT_TRUE(fs::exists(file)) << file << " was not made";
        const std::string text = readAll(file);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), countOf(text, "\r\n"))
            << file << " has lines that do not end in CR LF";
        const tavrix::IniDocument doc = tavrix::ParseIniText(text);
        for (const auto& entry : keys) {
            if (!hasKey(doc, entry.first))
                missing[entry.first] += std::string(" ") + language + ".LLNG";
        }
    }
    std::string report;
    for (const auto& [key, files] : missing) {
        report += "  " + key + "  (" + keys.at(key) + ")  missing from" + files + "\n";
    }
    EXPECT_TRUE(missing.empty())
        << missing.size() << " keys without a text; add rows to resources/lang/<Section>.tsv:\n"
        << report;
}

}  // namespace
