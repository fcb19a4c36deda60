#pragma once
// Builds one reading from the gauge's characters: the text for the reading box and the
// keystroke text to type. Only digits, sign and decimal point are kept; CR ends a reading.

#include <cstddef>
#include <string>

struct TReadingOptions {
    bool NumFilter = false;       // drop the plus sign
    bool CommaSeperator = false;  // type a comma for the decimal point
};

class TReadingAssembler {
public:
    // A line that never ends is dropped once its kept text passes this length; a reading
    // is a dozen characters, so nothing real comes near it.
    static constexpr std::size_t kMaxReadingLength = 1024;

    // Takes one character. Returns true when it was the carriage return that ends the
    // reading; the reading then stays available until Clear().
    bool Feed(char ch, const TReadingOptions& options);

    const std::string& ReadingText() const { return ReadingText_; }
    const std::string& KeyText() const { return KeyText_; }
    void Clear();

    // How many partial lines were dropped for being too long.
    std::size_t DroppedOverlongLines() const { return DroppedOverlong_; }

private:
    std::string ReadingText_;
    std::string KeyText_;
    std::size_t DroppedOverlong_ = 0;
};
