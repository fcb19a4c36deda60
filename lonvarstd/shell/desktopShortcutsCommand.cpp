#include "shell/desktopShortcutsCommand.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/gnomeShortcuts.h"
#include "shell/keyWatch.h"
#include "shell/requestCommand.h"
#include "ui/MultiLang.h"
#include "ui/UserDialogs.h"

namespace {

QString KeyList(const std::vector<std::uint16_t>& keys) {
    QStringList names;
    for (std::uint16_t key : keys) names << QString::fromStdString(RequestKeyName(key));
    return names.join(", ");
}

}  // namespace

void ShowCompositorLines(QWidget* parent, const QString& lines) {
    QDialog dialog(parent);
    dialog.setObjectName("FrmDesktopShortcuts");
    dialog.setWindowTitle(TranslateText("~Tastenkürzel des Desktops"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(TranslateText("~Zeilen für die Konfiguration des Desktops:")));
    auto* text = new QPlainTextEdit(lines);
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text->setMinimumSize(560, 200);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton* copy =
        buttons->addButton(TranslateText("~Kopieren"), QDialogButtonBox::ActionRole);
    QObject::connect(copy, &QPushButton::clicked,
                     [lines] { QApplication::clipboard()->setText(lines); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

QString CompositorLines(const std::vector<std::uint16_t>& keys, const std::string& program) {
    QString sway = "# sway: ~/.config/sway/config\n";
    QString hyprland = "# Hyprland: ~/.config/hypr/hyprland.conf\n";
    QString plain = "# " + TranslateText("~Andere Desktops: Tastenkürzel mit dem Befehl") + "\n";
    for (std::uint16_t key : keys) {
        const QString name = QString::fromStdString(RequestKeyName(key));
        const QString command = QString::fromStdString(RequestCommandLine(program, key));
        sway += "bindsym " + name + " exec " + command + "\n";
        hyprland += "bind = , " + name + ", exec, " + command + "\n";
        plain += name + ": " + command + "\n";
    }
    return sway + "\n" + hyprland + "\n" + plain;
}

bool RunDesktopShortcutsCommand(QWidget* parent, const TD& d, const std::string& program) {
    const std::vector<std::uint16_t> keys = RequestKeysInUse(d);
    if (!GnomeShortcutsAvailable()) {
        if (keys.empty()) {
            UserDialogs().ShowMessage(parent,
                                      TranslateText("~Kein Messgerät hat eine Anforderungstaste"));
        } else {
            ShowCompositorLines(parent, CompositorLines(keys, program));
        }
        return false;
    }
    const std::vector<std::uint16_t> ours = GnomeShortcutsOfOurs();
    std::string error;
    if (!ours.empty() && ours == keys) {
        if (!UserDialogs().Confirm(parent, TranslateText("~Tastenkürzel des Desktops entfernen?") +
                                               "\n" + KeyList(ours))) {
            return true;
        }
        if (!RemoveGnomeShortcuts(error)) {
            UserDialogs().ShowMessage(parent, QString::fromStdString(error));
            return true;
        }
        return false;
    }
    if (keys.empty()) {
        UserDialogs().ShowMessage(parent,
                                  TranslateText("~Kein Messgerät hat eine Anforderungstaste"));
        return false;
    }
    QString question = TranslateText("~Tastenkürzel des Desktops einrichten?");
    for (std::uint16_t key : keys) {
        question += "\n" + QString::fromStdString(RequestKeyName(key)) + ": " +
                    QString::fromStdString(RequestCommandLine(program, key));
    }
    if (!UserDialogs().Confirm(parent, question)) return false;
    if (!SetGnomeShortcuts(keys, program, error)) {
        UserDialogs().ShowMessage(parent, QString::fromStdString(error));
        return false;
    }
    return true;
}
