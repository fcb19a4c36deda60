#include "bench/bench_text.h"

#include <cerrno>
#include <cstdlib>

namespace tavrix::bench {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

const char* const kDigits = "0123456789abcdef";

}  // namespace

std::string toHex(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::optional<std::string> fromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    std::string out;
    out.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        int hi = hexDigit(hex[i]);
        int lo = hexDigit(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

std::string quote(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20 || c >= 0x7f) {
                    out += "\\x";
                    out += kDigits[c >> 4];
                    out += kDigits[c & 15];
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

std::optional<std::vector<Word>> splitWords(const std::string& line) {
    std::vector<Word> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= n) break;
        Word word;
        std::string* target = &word.value;
        bool sawEquals = false;
        while (i < n && line[i] != ' ' && line[i] != '\t') {
            char c = line[i];
            if (c == '=' && !sawEquals && target->size() > 0 && word.key.empty()) {
                word.key = word.value;
                word.value.clear();
                sawEquals = true;
                ++i;
                continue;
            }
            if (c != '"') {
                *target += c;
                ++i;
                continue;
            }
            ++i;  // opening quote: read up to the closing one
            bool closed = false;
            while (i < n) {
                c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c != '\\') {
                    *target += c;
                    continue;
                }
                if (i >= n) return std::nullopt;
                char e = line[i++];
                switch (e) {
                    case 'r':
                        *target += '\r';
                        break;
                    case 'n':
                        *target += '\n';
                        break;
                    case 't':
                        *target += '\t';
                        break;
                    case '0':
                        *target += '\0';
                        break;
                    case '\\':
                        *target += '\\';
                        break;
                    case '"':
                        *target += '"';
                        break;
                    case 'x': {
                        if (i + 2 > n) return std::nullopt;
                        int hi = hexDigit(line[i]);
                        int lo = hexDigit(line[i + 1]);
                        if (hi < 0 || lo < 0) return std::nullopt;
                        *target += static_cast<char>(hi * 16 + lo);
                        i += 2;
                        break;
                    }
                    default:
                        return std::nullopt;
                }
            }
            if (!closed) return std::nullopt;
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::optional<std::int64_t> toNumber(const std::string& text) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    long long v = std::strtoll(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0') return std::nullopt;
    return static_cast<std::int64_t>(v);
}

}  // namespace tavrix::bench
