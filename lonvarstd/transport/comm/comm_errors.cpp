#include "transport/comm/comm_errors.h"

namespace {

struct ErrorTexts {
    const char* german;
    const char* english;
};

const ErrorTexts kTexts[] = {
    {"Schnittstelle bereits offen", "Interface already open"},
    {"Schnittstelle bereits geschlossen", "Interface already close"},
    {"Schnittstelle geschlossen", "Interface closed"},
    {"Unterbrechungsanforderung empfangen", "Break detected"},
    {"Rahmenfehler", "Framing error"},
    {"Modus wird nicht unterstützt", "Mode not supported"},
    {"Zeichen verloren", "Characters lost"},
    {"Paritätsfehler", "Parity error"},
    {"Überlauf der Empfangswarteschlange", "In queue overload"},
    {"Überlauf der Sendewarteschlange", "Out queue overload"},
    {"Schnittstelle kann nicht geöffnet werden", "Can\u00b4t open Interface"},
};

}  // namespace

std::string CommErrorText(std::int32_t code, TLanguage language) {
    if (code < 1 || code > static_cast<std::int32_t>(std::size(kTexts))) return {};
    const ErrorTexts& texts = kTexts[code - 1];
    return language == English ? texts.english : texts.german;
}
