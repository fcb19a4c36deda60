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

std::string NoPermissionText(int languageIndex, const std::string& devicePath) {
    switch (languageIndex) {
        case LangGerman:
            return devicePath +
                   ": keine Berechtigung. Den Benutzer in die Gruppe dialout aufnehmen lassen "
                   "(USB-Kabel: Paket tavrix-cable-rules installieren), dann neu anmelden.";
        case LangFrench:
            return devicePath +
                   " : pas d'autorisation. Faites-vous ajouter au groupe dialout (câbles USB : "
                   "installez le paquet tavrix-cable-rules), puis reconnectez-vous.";
        case LangItalian:
            return devicePath +
                   ": nessuna autorizzazione. Farsi aggiungere al gruppo dialout (cavi USB: "
                   "installare il pacchetto tavrix-cable-rules), poi accedere di nuovo.";
        default:
            return devicePath +
                   ": no permission. Ask the administrator to add you to the group dialout "
                   "(USB cables: install the package tavrix-cable-rules), then log in again.";
    }
}
