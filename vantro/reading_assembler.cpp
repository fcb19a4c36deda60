#include "reading_assembler.h"

bool TReadingAssembler::Feed(char ch, const TReadingOptions& options) {
    if (ch == '\r') return true;
    if ((ch >= '0' && ch <= '9') || ch == '-') {
        KeyText_ += ch;
        ReadingText_ += ch;
    } else if (ch == '.') {
        ReadingText_ += '.';
        KeyText_ += options.CommaSeperator ? ',' : '.';
    } else if (ch == '+') {
        if (options.NumFilter) return false;
        KeyText_ += "{+}";
        ReadingText_ += '+';
    } else {
        return false;
    }
    if (ReadingText_.size() > kMaxReadingLength) {
        Clear();
        ++DroppedOverlong_;
    }
    return false;
}

void TReadingAssembler::Clear() {
    ReadingText_.clear();
    KeyText_.clear();
}
