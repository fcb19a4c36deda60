// Feeds arbitrary language files, scratch files and texts to Translate. The input is
// split at "\x01" into the language file, the scratch file and the texts (one per line).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/multi_lang.h"
#include "support/prog_paths.h"

namespace {

// A folder of its own for the run, removed when the fuzzer ends.
struct tFuzzFolder {
    std::string Path;
    tFuzzFolder() {
        char pattern[] = "/tmp/tavrix-translate-fuzz-XXXXXX";
        const char* dir = ::mkdtemp(pattern);
        if (!dir) std::abort();
        Path = std::string(dir) + "/";
    }
    ~tFuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(Path, ignored);
    }
};

std::string folder() {
    static const tFuzzFolder made;
    return made.Path;
}

void write(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto first = input.find('\x01');
    const auto second = first == std::string::npos ? first : input.find('\x01', first + 1);
    const std::string dir = folder();
    tavrix::SetProgPathsFromExe(dir + "LonvarStd");
    tavrix::SetFixedSearchFolder(dir + "none/");
    TMultiLang lang;
    lang.Language = "Fuzz";
    write(dir + "Fuzz.LLNG", input.substr(0, first));
    if (first != std::string::npos) {
        write(lang.LangScratchFile, input.substr(first + 1, second - first - 1));
    }
    const std::string texts = second == std::string::npos ? input : input.substr(second + 1);
    lang.BeginTexts();
    std::istringstream lines(texts);
    std::string line;
    int n = 0;
    while (std::getline(lines, line)) {
        std::string key;
        lang.Translate(n % 3 == 0 ? "" : "FrmTest", line, n % 2 == 0, &key);
        ++n;
    }
    lang.EndTexts();
    return 0;
}
