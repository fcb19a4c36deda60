#pragma once
// What the reading box shows for a finished reading: the reading itself with the settings
// shown, or the compact "000.0000" form with the settings hidden.

#include <string>

// Numeric value of a reading read with "." as decimal point; empty or non-numeric text
// (and whatever follows the number) counts as 0 or is ignored.
double ReadingValue(const std::string& readingText);

// The reading in the "000.0000" form: at least three integer digits, four decimals,
// rounded, with the given decimal symbol.
std::string CompactReading(const std::string& readingText, char decimalSymbol);

// The text of the reading box. In the compact form a negative value gets one leading
// blank and any other value two, so that the digits line up.
std::string DisplayedReading(const std::string& readingText, bool settingsHidden,
                             bool commaSeperator, char systemDecimalSymbol);
