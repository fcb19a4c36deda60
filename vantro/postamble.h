#pragma once
// Date and time tokens in the postamble keystroke text.

#include <QDateTime>
#include <string>

// Replaces the first occurrence of each of {YEAR}, {MONTH}, {DAY}, {HOUR}, {MINUTE} and
// {SECOND} (in that order, any letter case) with two digits of the given moment.
std::string ExpandPostamble(const std::string& text, const QDateTime& now);
std::string ExpandPostamble(const std::string& text);
