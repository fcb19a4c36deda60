#include "language_table.h"

namespace {

using TCaptions = std::vector<std::pair<std::string, std::string>>;

TCaptions English() {
    return {
        {"FilePullDown", "&File"},
        {"MHide", "&Hide Settings"},
        {"FileExit", "E&xit"},
        {"MSettings", "&Settings"},
        {"Help", "&Help"},
        {"HelpIndex", "&Index"},
        {"HelpAbout", "&About..."},
        {"Label7", "Port:"},
        {"Frame1", "Port:"},
        {"Frame2", "Preferences:"},
        {"Label1", "Postamble Keystroke:"},
        {"Label2", "Input Data From Gage:"},
        {"Label3", "Press Function Key F1 For Help"},
        {"Label4", "STEP 1: Select a serial port and choose your preferences."},
        {"Label5",
         "STEP 2: Transmit a reading from your gage. If data does not appear correctly in the "
         "text box below, you may have to check that your gage is configured correctly or "
         "choose a different serial port."},
        {"Label6",
         "STEP 3: If data appears correctly, keep Vantro running and switch to another "
         "program. When you transmit data from your gage, it will appear in the other "
         "application as if it were being typed in."},
        {"LumoRS232", "Gage Uses LumoRS Duplex Adapter"},
        {"CommaSeperator", "Use Comma As Decimal Separator"},
        {"BeepOnInput", "Beep Speaker On Input From Gage"},
        {"NumFilter", "Filter Out Non Numeric Characters"},
        {"LoadWithWindows", "Start Vantro When I Log In"},
    };
}

TCaptions German() {
    return {
        {"FilePullDown", "&Datei"},
        {"MHide", "&Ausblenden der Einstellparameter"},
        {"FileExit", "E&xit"},
        {"MSettings", "&Einstellparameter"},
        {"Help", "&Hilfe"},
        {"HelpIndex", "&Index"},
        {"HelpAbout", "&Aufgabe"},
        {"Label7", "Schnittstelle:"},
        {"Frame1", "Schnittstelle:"},
        {"Frame2", "Vorzugsweise:"},
        {"Label1", "Automatischer Folenanschlag:"},
        {"Label2", "Messinstrument Dateingang:"},
        {"Label3", "F1 drücken für Hilfe"},
        {"Label4", "SCHRITT 1: Serielle Schnittstelle Nummer und Vorzugsweise auswählen."},
        {"Label5",
         "SCHRITT 2: Übertragen Sie einen Messwert von Ihrer Messinstrument. Wenn kein Daten "
         "im Textfeld erscheinen, bitte prüfen Sie ob Messinstrument richtig ist, oder eine "
         "andere serielle Schnittstelle wählen."},
        {"Label6",
         "SCHRITT 3: Wenn Daten richtig erscheinen, Unterhaltlehre Keilbetrieb und -schaltern "
         "zu einem anderen Programm. Wenn Sie Daten von Ihrer Messinstrument übertragen, "
         "scheint sie in der anderen Anwendung, als ob Sie eingetippt wurde."},
        {"LumoRS232", "Messinstrument verbindet mit Lumo-RS-Duplex-Adapter"},
        {"CommaSeperator", "Komma als Dezimaltrennzeichen"},
        {"BeepOnInput", "Signalgeber auf dateneingabe"},
        {"NumFilter", "Filtern Sie nicht numerische Zeichen heraus"},
        {"LoadWithWindows", "Beim Anmelden automatisch starten"},
    };
}

TCaptions French() {
    return {
        {"FilePullDown", "&Fichier"},
        {"MHide", "&Masquer les paramètres"},
        {"FileExit", "&Quitter"},
        {"MSettings", "&Paramètres"},
        {"Help", "&Aide"},
        {"HelpIndex", "&Index"},
        {"HelpAbout", "&A propos de..."},
        {"Label7", "Port:"},
        {"Frame1", "Port:"},
        {"Frame2", "Préférences:"},
        {"Label1", "Caractères additionnels:"},
        {"Label2", "Lecture des données de l'instrument:"},
        {"Label3", "Presser F1pour l'aide sur Vantro"},
        {"Label4", "Pas 1: choisir un port série, et configurer vos préférences."},
        {"Label5",
         "Pas 2: Transmission d'une donnés depuis l'instrument. Si aucune données n'apparaît "
         "dans la fenêtre ci-dessous, veuillez contrôler les paramètre de configuration de "
         "votre instrument, ou sélectionner un autre port."},
        // The step 3 text is set in two pieces; the second is appended to the first.
        {"Label6",
         "Pas 3: Si les données sont correctes, ouvrir une nouvelle application sans quitter "
         "Vantro. Lorsque vous transmettrez des données depuis votre instrument, celles-ci "
         "seront envoyées dans votre application "},
        {"+Label6", "comme si vous les aviez entré au clavier."},
        {"LumoRS232", "Utilisation d'un instrument avec un adaptateur LUMO-RS duplex"},
        {"CommaSeperator", "Sélection de la virgule comme séparateur décimal"},
        {"BeepOnInput", "Signal sonore lors d'une transmission de l'instrument"},
        {"NumFilter", "Filtrage des caractères non numériques"},
        {"LoadWithWindows", "Lancer Vantro à l’ouverture de session"},
    };
}

TCaptions Italian() {
    return {
        {"FilePullDown", "&File"},
        {"MHide", "&Nascondi impostazioni"},
        {"FileExit", "&Uscire"},
        {"MSettings", "&Impostazioni"},
        {"Help", "&Aiuto"},
        {"HelpIndex", "&Indice"},
        {"HelpAbout", "&Informazioni..."},
        {"Label7", "Porta:"},
        {"Frame1", "Porta:"},
        {"Frame2", "Impostazioni:"},
        {"Label1", "Carattere da Postporre:"},
        {"Label2", "Lettura dati dallo strumento:"},
        {"Label3", "Premere F1 per aiuto"},
        {"Label4",
         "Passo 1 : Scegliere una pota serieale, e configurarla secondo le vostra necessità."},
        {"Label5",
         "Passo 2 : Trasmissione dati dallo strumento. Se non appare nella finestra qui "
         "sopra, controllare la configurazione dello strumento e la porta selezionata."},
        {"Label6",
         "Passo 3 : Se i dati sricevuti sono corretti aprire una nuova applicazione senza "
         "chiudere Vantro. Trasmettendo il dato dallo strumento questo sarà inviato"},
        {"+Label6",
         "nella casella attiva dell'applicazione in uso come se provenisse da tastiera. "},
        {"LumoRS232", "Uso di uno strumento duplex"},
        {"CommaSeperator", "Uso della virgola come separatore decimale"},
        {"BeepOnInput", "Segnali sonoro al momento della trasmissione del dato"},
        {"NumFilter", "Filtro numerico"},
        {"LoadWithWindows", "Avvia Vantro all’accesso"},
    };
}

}  // namespace

std::vector<std::pair<std::string, std::string>> CaptionsFor(int languageIndex) {
    switch (languageIndex) {
        case LangEnglish:
            return English();
        case LangGerman:
            return German();
        case LangFrench:
            return French();
        case LangItalian:
            return Italian();
        default:
            return {};
    }
}

std::string HelpFileFor(int languageIndex) {
    switch (languageIndex) {
        case LangGerman:
            return "VNGerman.hlp";
        case LangFrench:
            return "VNFrench.hlp";
        case LangSpanish:
            return "VNSpan.hlp";
        case LangItalian:
            return "VNItal.hlp";
        default:
            return "Vantro.hlp";
    }
}

std::string ClosedCaption() {
    return "Vantro (Inactive)";
}

std::string OpenCaption(int languageIndex, const std::string& portText) {
    switch (languageIndex) {
        case LangGerman:
            return "Vantro (Serielle Eingang COM" + portText + ")";
        case LangFrench:
            return "Vantro (Port actif COM" + portText + ")";
        case LangItalian:
            return "Vantro (Porta attiva COM" + portText + ")";
        default:
            return "Vantro (Active On COM" + portText + ")";
    }
}

namespace {

// English, German, French, Italian.
struct TStatusRow {
    TStatusText Id;
    const char* Texts[4];
};

using enum TStatusText;

// Kept short enough for the status line of the window's normal width; the line shows the
// rest of a longer one in its tooltip.
const TStatusRow kStatusRows[] = {
    {StatusLine,
     {"Typing: %1 | Hot keys: %2", "Tippen: %1 | Tastenkürzel: %2", "Saisie : %1 | Raccourcis : %2",
      "Digitazione: %1 | Tasti rapidi: %2"}},
    {TypingNone, {"none", "keine", "aucune", "nessuna"}},
    {TypingNoneBecause, {"none, %1: %2", "keine, %1: %2", "aucune, %1 : %2", "nessuna, %1: %2"}},
    {TypingNoneVia, {"none (%1)", "keine (%1)", "aucune (%1)", "nessuna (%1)"}},
    {RouteVirtualKeyboard,
     {"Wayland virtual keyboard", "virtuelle Wayland-Tastatur", "clavier virtuel Wayland",
      "tastiera virtuale Wayland"}},
    {RoutePortal,
     {"RemoteDesktop portal", "RemoteDesktop-Portal", "portail RemoteDesktop",
      "portale RemoteDesktop"}},
    {PortalHotKeys, {"portal", "Portal", "portail", "portale"}},
    {Asking,
     {"%1 (asking the desktop)", "%1 (fragt den Desktop)", "%1 (demande au bureau)",
      "%1 (richiesta al desktop)"}},
    {HotKeysBound, {"portal (%1)", "Portal (%1)", "portail (%1)", "portale (%1)"}},
    {HotKeyOn, {"%1 on %2", "%1 auf %2", "%1 sur %2", "%1 su %2"}},
    {HotKeysNotBound,
     {"the desktop bound no hot keys: bind F9, F10, F11 to \"Vantro --hotkey F9\" ... in its "
      "keyboard settings",
      "der Desktop hat keine Tastenkürzel belegt: F9, F10, F11 in seinen "
      "Tastatureinstellungen mit \"Vantro --hotkey F9\" ... belegen",
      "le bureau n'a attribué aucun raccourci : associez F9, F10, F11 à \"Vantro --hotkey F9\" "
      "... dans ses réglages du clavier",
      "il desktop non ha assegnato tasti rapidi: assegnare F9, F10, F11 a \"Vantro --hotkey "
      "F9\" ... nelle impostazioni della tastiera"}},
    {HotKeysNotBoundBrief,
     {"not bound by the desktop", "vom Desktop nicht belegt", "non attribués par le bureau",
      "non assegnati dal desktop"}},
    {PortalNoSession,
     {"the portal made no session", "das Portal hat keine Sitzung angelegt",
      "le portail n'a créé aucune session", "il portale non ha creato una sessione"}},
    {PortalGaveNoKeyboard,
     {"the portal gave no keyboard", "das Portal gab keine Tastatur",
      "le portail n'a fourni aucun clavier", "il portale non ha fornito una tastiera"}},
    {PortalRefused,
     {"the desktop refused the keyboard: nothing is typed; start Vantro again to be asked "
      "again",
      "der Desktop hat die Tastatur abgelehnt: es wird nichts getippt; Vantro neu starten, um "
      "erneut gefragt zu werden",
      "le bureau a refusé le clavier : rien n'est saisi ; relancez Vantro pour être de nouveau "
      "sollicité",
      "il desktop ha rifiutato la tastiera: non viene digitato nulla; riavviare Vantro per una "
      "nuova richiesta"}},
    {PortalRefusedBrief,
     {"refused by the desktop", "vom Desktop abgelehnt", "refusée par le bureau",
      "rifiutata dal desktop"}},
    {PortalNoKeyboard,
     {"the desktop gave no keyboard: nothing is typed",
      "der Desktop gab keine Tastatur: es wird nichts getippt",
      "le bureau n'a fourni aucun clavier : rien n'est saisi",
      "il desktop non ha fornito una tastiera: non viene digitato nulla"}},
    {PortalNoSessionBus,
     {"no session bus", "kein Sitzungsbus", "pas de bus de session", "nessun bus di sessione"}},
    {PortalNotOffered, {"not offered", "nicht angeboten", "non proposé", "non offerto"}},
    {PortalOffersNoKeyboard,
     {"offers no keyboard", "bietet keine Tastatur", "n'offre pas de clavier",
      "non offre una tastiera"}},
    {NoXTest,
     {"no X display with XTest", "kein X-Display mit XTest", "pas d'écran X avec XTest",
      "nessun display X con XTest"}},
    {NoCompositor,
     {"no Wayland compositor", "kein Wayland-Compositor", "pas de compositeur Wayland",
      "nessun compositor Wayland"}},
    {NoVirtualKeyboard,
     {"the compositor offers no virtual keyboard", "der Compositor bietet keine virtuelle Tastatur",
      "le compositeur n'offre pas de clavier virtuel",
      "il compositor non offre una tastiera virtuale"}},
    {NoKeymapFile,
     {"no keymap file: %1", "keine Datei für die Tastaturbelegung: %1",
      "pas de fichier de disposition du clavier : %1", "nessun file della mappa tastiera: %1"}},
    {CompositorRefused,
     {"the compositor refused the virtual keyboard",
      "der Compositor hat die virtuelle Tastatur abgelehnt",
      "le compositeur a refusé le clavier virtuel",
      "il compositor ha rifiutato la tastiera virtuale"}},
    {NoLayout,
     {"no keyboard layout known to xkbcommon", "keine Tastaturbelegung, die xkbcommon kennt",
      "aucune disposition de clavier connue de xkbcommon",
      "nessun layout di tastiera noto a xkbcommon"}},
    {UinputCannotOpen,
     {"cannot open %1: %2", "%1 lässt sich nicht öffnen: %2", "impossible d'ouvrir %1 : %2",
      "impossibile aprire %1: %2"}},
    {UinputNoAccess,
     {"cannot open %1: %2 (the package's udev rule 71-vantro-uinput.rules gives it to the user "
      "at the desktop; log in again after installing)",
      "%1 lässt sich nicht öffnen: %2 (die udev-Regel 71-vantro-uinput.rules des Pakets gibt "
      "es dem Benutzer am Desktop; nach der Installation neu anmelden)",
      "impossible d'ouvrir %1 : %2 (la règle udev 71-vantro-uinput.rules du paquet le donne à "
      "l'utilisateur du bureau ; reconnectez-vous après l'installation)",
      "impossibile aprire %1: %2 (la regola udev 71-vantro-uinput.rules del pacchetto lo "
      "assegna all'utente del desktop; accedere di nuovo dopo l'installazione)"}},
    {UinputNoModule,
     {"cannot open %1: %2 (load the kernel module: modprobe uinput)",
      "%1 lässt sich nicht öffnen: %2 (Kernelmodul laden: modprobe uinput)",
      "impossible d'ouvrir %1 : %2 (chargez le module du noyau : modprobe uinput)",
      "impossibile aprire %1: %2 (caricare il modulo del kernel: modprobe uinput)"}},
    {UinputCannotCreate,
     {"cannot make the virtual keyboard on %1: %2",
      "die virtuelle Tastatur auf %1 lässt sich nicht anlegen: %2",
      "impossible de créer le clavier virtuel sur %1 : %2",
      "impossibile creare la tastiera virtuale su %1: %2"}},
    {CannotType,
     {"Vantro cannot type: %1", "Vantro kann nicht tippen: %1", "Vantro ne peut pas saisir : %1",
      "Vantro non può digitare: %1"}},
    // The device last: a long name is cut, not what is wrong.
    {PortNoPermission,
     {"No permission for %1", "Keine Berechtigung für %1", "Pas d'autorisation pour %1",
      "Nessuna autorizzazione per %1"}},
    {PortNoPermissionAdvice,
     {"%1: no permission. Ask the administrator to add you to the group dialout (USB cables: "
      "install the package tavrix-cable-rules), then log in again.",
      "%1: keine Berechtigung. Den Benutzer in die Gruppe dialout aufnehmen lassen "
      "(USB-Kabel: Paket tavrix-cable-rules installieren), dann neu anmelden.",
      "%1 : pas d'autorisation. Faites-vous ajouter au groupe dialout (câbles USB : installez "
      "le paquet tavrix-cable-rules), puis reconnectez-vous.",
      "%1: nessuna autorizzazione. Farsi aggiungere al gruppo dialout (cavi USB: installare il "
      "pacchetto tavrix-cable-rules), poi accedere di nuovo."}},
    {PortNotOpened,
     {"Port COM%1 not opened", "Schnittstelle COM%1 nicht geöffnet", "Port COM%1 non ouvert",
      "Porta COM%1 non aperta"}},
    // The reason in the system's words.
    {PortNotOpenedBecause,
     {"Port COM%1 not opened: %2", "Schnittstelle COM%1 nicht geöffnet: %2",
      "Port COM%1 non ouvert : %2", "Porta COM%1 non aperta: %2"}},
};

int TextColumn(int languageIndex) {
    switch (languageIndex) {
        case LangGerman:
            return 1;
        case LangFrench:
            return 2;
        case LangItalian:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

TStatusMessage Brief(const TStatusMessage& message) {
    switch (message.Id) {
        case StatusLine:
            return {StatusLine, {Brief(message.Args.at(0)), Brief(message.Args.at(1))}};
        case TypingNoneBecause:
            return {TypingNoneVia, {message.Args.at(0)}};
        case PortalRefused:
            return PortalRefusedBrief;
        case PortalNoKeyboard:
        case PortalGaveNoKeyboard:
            return {TypingNoneVia, {RoutePortal}};
        case HotKeysNotBound:
            return HotKeysNotBoundBrief;
        default:
            return message;
    }
}

std::string StatusTemplate(int languageIndex, TStatusText id) {
    const int column = languageIndex == LangEnglish ? 0 : TextColumn(languageIndex);
    if (column < 0) return {};
    for (const TStatusRow& row : kStatusRows) {
        if (row.Id == id) return row.Texts[column];
    }
    return {};
}

std::string StatusText(int languageIndex, const TStatusMessage& message) {
    if (message.Id == Literal) return message.Text;
    if (message.Id == List) {
        std::string text;
        for (const TStatusMessage& item : message.Args) {
            text += (text.empty() ? "" : ", ") + StatusText(languageIndex, item);
        }
        return text;
    }
    std::string pattern = StatusTemplate(languageIndex, message.Id);
    if (pattern.empty()) pattern = StatusTemplate(LangEnglish, message.Id);
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        const size_t arg = next >= '1' && next <= '9' ? size_t(next - '1') : message.Args.size();
        if (pattern[i] == '%' && arg < message.Args.size()) {
            text += StatusText(languageIndex, message.Args[arg]);
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}
