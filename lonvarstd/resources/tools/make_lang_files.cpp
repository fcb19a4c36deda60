// Builds the language files "<Language>.LLNG" from the tables lang/<Section>[.<part>].tsv:
// UTF-8, tab-separated, a header "key<TAB>Deutsch<TAB>English<TAB>Espanol<TAB>Francais",
// then one row per "~" key. Several tables may feed one section. The files are INI text
// with CR LF lines. A table with a fault stops the build with the file and line named.
#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::array<const char*, 4> Languages = {"Deutsch", "English", "Espanol", "Francais"};

struct tRow {
    std::string Key;
    std::array<std::string, 4> Texts;
    std::string Where;
};

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return cells;
        start = tab + 1;
    }
}

bool sameNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_lang_files <table folder> <program folder>\n");
        return 2;
    }
    std::vector<fs::path> tables;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        if (entry.path().extension() == ".tsv") tables.push_back(entry.path());
    }
    std::sort(tables.begin(), tables.end());

    std::map<std::string, std::vector<tRow>> sections;
    int faults = 0;
    auto fault = [&faults](const std::string& where, const std::string& what) {
        std::fprintf(stderr, "%s: %s\n", where.c_str(), what.c_str());
        ++faults;
    };
    for (const fs::path& table : tables) {
        const std::string fileName = table.filename().string();
        const std::string section = fileName.substr(0, fileName.find('.'));
        std::ifstream in(table, std::ios::binary);
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string where = table.string() + ":" + std::to_string(lineNo);
            if (lineNo == 1) {
                if (line != "key\tDeutsch\tEnglish\tEspanol\tFrancais")
                    fault(where, "header line expected");
                continue;
            }
            if (line.empty() || line[0] == '#') continue;
            const auto cells = splitTabs(line);
            if (cells.size() != 5) {
                fault(where, "five tab-separated columns expected");
                continue;
            }
            tRow row{cells[0], {cells[1], cells[2], cells[3], cells[4]}, where};
            if (row.Key.size() < 2 || row.Key[0] != '~' ||
                row.Key.find_first_of("=#") != std::string::npos) {
                fault(where, "a key starts with \"~\" and holds no \"=\" or \"#\"");
                continue;
            }
            for (std::size_t i = 0; i < Languages.size(); ++i) {
                // A blank or "?" text reads as a missing entry; line breaks would end the entry.
                if (row.Texts[i].find_first_not_of(' ') == std::string::npos ||
                    row.Texts[i] == "?") {
                    fault(where, std::string("no ") + Languages[i] + " text for " + row.Key);
                }
            }
            auto& rows = sections[section];
            const auto same = std::find_if(rows.begin(), rows.end(), [&](const tRow& r) {
                return sameNoCase(r.Key, row.Key);
            });
            if (same == rows.end()) {
                rows.push_back(row);
            } else if (same->Texts != row.Texts) {
                fault(where, row.Key + " is already translated differently at " + same->Where);
            }
        }
    }
    if (faults > 0) return 1;

    for (std::size_t i = 0; i < Languages.size(); ++i) {
        std::string text;
        for (const auto& [section, rows] : sections) {
            text += "[" + section + "]\r\n";
            for (const tRow& row : rows) text += row.Key + "=" + row.Texts[i] + "\r\n";
        }
        const fs::path out = fs::path(argv[2]) / (std::string(Languages[i]) + ".LLNG");
        std::ifstream old(out, std::ios::binary);
        const std::string oldText{std::istreambuf_iterator<char>(old),
                                  std::istreambuf_iterator<char>()};
        if (old && oldText == text) continue;
        old.close();
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        file << text;
        if (!file.flush()) {
            std::fprintf(stderr, "make_lang_files: cannot write %s\n", out.string().c_str());
            return 1;
        }
    }
    return 0;
}
