#include "support/locale_separators.h"

#include <langinfo.h>
#include <locale.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace tavrix {
namespace {

std::atomic<char> decimalSep{'.'};
std::atomic<char> timeSep{':'};
std::once_flag fixedOnce;

// The byte between the hour and minute fields of the locale's time format ("%H:%M:%S").
char timeSeparatorOf(const char* format) {
    for (const char* p = format; p[0] != '\0' && p[1] != '\0'; ++p) {
        if (p[0] == '%' && (p[1] == 'H' || p[1] == 'I' || p[1] == 'k' || p[1] == 'l')) {
            const char next = p[2];
            if (next != '\0' && next != '%') return next;
        }
    }
    return ':';
}

void readFromLocale() {
    const locale_t locale =
        ::newlocale(LC_NUMERIC_MASK | LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) return;
    const char* radix = ::nl_langinfo_l(RADIXCHAR, locale);
    if (radix != nullptr && std::strlen(radix) == 1) decimalSep = radix[0];
    const char* timeFormat = ::nl_langinfo_l(T_FMT, locale);
    if (timeFormat != nullptr) {
        const char sep = timeSeparatorOf(timeFormat);
        if (static_cast<unsigned char>(sep) < 0x80) timeSep = sep;
    }
    ::freelocale(locale);
}

}  // namespace

void FixLocaleSeparators() {
    std::call_once(fixedOnce, readFromLocale);
}

void SetLocaleSeparators(char decimalSeparator, char timeSeparator) {
    std::call_once(fixedOnce, [] {});  // an explicit setting wins over the locale
    decimalSep = decimalSeparator;
    timeSep = timeSeparator;
}

}  // namespace tavrix

char DecimalSeparator() {
    tavrix::FixLocaleSeparators();
    return tavrix::decimalSep.load();
}

char TimeSeparator() {
    tavrix::FixLocaleSeparators();
    return tavrix::timeSep.load();
}
