#pragma once
// The user's decimal and time separators, taken once when the program starts and
// not re-read while it runs.

namespace tavrix {

// Takes the separators from the user's locale (LC_ALL / LC_NUMERIC / LC_TIME / LANG)
// unless they are already fixed. A locale that cannot be loaded, or whose separator
// is not a single byte, gives "." and ":". Called by InitProgPaths().
void FixLocaleSeparators();

// Sets both separators, as a user's regional settings would (tests, other locales).
void SetLocaleSeparators(char decimalSeparator, char timeSeparator);

}  // namespace tavrix

// The start-up values; fixed from the locale at first use if not yet fixed.
char DecimalSeparator();
char TimeSeparator();
