#include "ui/MultiLang.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

#include "engine/dataModule.h"
#include "support/multi_lang.h"
#include "ui/Image.h"
#include "ui/Panel.h"
#include "ui/UserDialogs.h"

namespace {

// Each translated text of a control remembers its "~" key and what it was turned
// into: a language change then starts from the key itself. The reverse map of the
// scratch file cannot tell two keys apart that translate alike.
class tFormTranslator {
public:
    tFormTranslator(TMultiLang& lang, std::string section)
        : lang_(lang), section_(std::move(section)) {}

    QString Text(QObject* control, const char* slot, const QString& shown, bool noAmpStrip) {
        const QByteArray keyProp = QByteArray("LangKey_") + slot;
        const QByteArray shownProp = QByteArray("LangShown_") + slot;
        const QVariant key = control->property(keyProp.constData());
        std::string source = shown.toStdString();
        if (key.isValid() && control->property(shownProp.constData()).toString() == shown) {
            source = key.toString().toStdString();
        }
        std::string newKey;
        const QString result =
            QString::fromStdString(lang_.Translate(section_, source, noAmpStrip, &newKey));
        if (newKey.empty()) {
            control->setProperty(keyProp.constData(), QVariant());
            control->setProperty(shownProp.constData(), QVariant());
        } else {
            control->setProperty(keyProp.constData(), QString::fromStdString(newKey));
            control->setProperty(shownProp.constData(), result);
        }
        return result;
    }

    void Hint(QWidget* control) {
        if (!control->toolTip().isEmpty()) {
            control->setToolTip(Text(control, "Hint", control->toolTip(), false));
        }
    }

    // The form's own title, then its controls in creation order.
    void Form(QWidget* form) {
        form->setWindowTitle(Text(form, "Caption", form->windowTitle(), false));
        Children(form);
    }

private:
    void Children(QObject* parent) {
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            // Another window is a form of its own with its own section; popup menus
            // belong to the form that shows them.
            if (widget && widget->isWindow() && !qobject_cast<QMenu*>(widget)) continue;
            Control(child);
            Children(child);
        }
    }

    // The first matching row decides, as with the classes of the old forms.
    void Control(QObject* object) {
        if (auto* action = qobject_cast<QAction*>(object)) {
            if (!action->isSeparator())
                action->setText(Text(action, "Caption", action->text(), true));
            return;
        }
        auto* widget = qobject_cast<QWidget*>(object);
        if (!widget) return;
        if (auto* image = qobject_cast<TImage*>(widget)) {
            Hint(image);
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            Button(radio, false);
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            Button(check, true);
        } else if (auto* tool = qobject_cast<QToolButton*>(widget)) {
            if (qobject_cast<QTabBar*>(tool->parent())) return;  // the tab bar's scroll arrows
            Button(tool, false);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            Button(button, true);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(Text(label, "Caption", label->text(), false));
            Hint(label);
        } else if (qobject_cast<QLineEdit*>(widget)) {
            // The line edit inside a combo or spin box is part of that control.
            if (!qobject_cast<QComboBox*>(widget->parent()) &&
                !qobject_cast<QAbstractSpinBox*>(widget->parent())) {
                Hint(widget);
            }
        } else if (qobject_cast<QAbstractSpinBox*>(widget) ||
                   qobject_cast<QAbstractSlider*>(widget)) {
            Hint(widget);
        } else if (auto* panel = qobject_cast<TPanel*>(widget)) {
            panel->SetCaption(Text(panel, "Caption", panel->Caption(), false));
            Hint(panel);
        } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            Hint(combo);
            for (int i = 0; i < combo->count(); ++i) {
                const QByteArray slot = "Item" + QByteArray::number(i);
                combo->setItemText(i, Text(combo, slot.constData(), combo->itemText(i), true));
            }
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(Text(group, "Caption", group->title(), true));
        } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                QWidget* page = tabs->widget(i);
                tabs->setTabText(i, Text(page, "Caption", tabs->tabText(i), false));
                if (!tabs->tabToolTip(i).isEmpty()) {
                    tabs->setTabToolTip(i, Text(page, "Hint", tabs->tabToolTip(i), false));
                }
            }
        }
    }

    void Button(QAbstractButton* button, bool noAmpStrip) {
        button->setText(Text(button, "Caption", button->text(), noAmpStrip));
        Hint(button);
    }

    TMultiLang& lang_;
    std::string section_;
};

}  // namespace

void TranslateForm(TMultiLang& lang, QWidget* form) {
    if (!form || !lang.BeginTexts()) {
        lang.EndTexts();
        return;
    }
    tFormTranslator(lang, form->objectName().toStdString()).Form(form);
    lang.EndTexts();
}

void TranslateForm(QWidget* form) {
    if (MultiLang) TranslateForm(*MultiLang, form);
}

QString TranslateText(const std::string& text, bool noAmpStrip) {
    if (!MultiLang) return QString::fromStdString(text);
    return QString::fromStdString(MultiLang->TranslateText("_", text, noAmpStrip));
}

void LoadLangTexts(TMultiLang& lang, TD& d) {
    lang.BeginTexts();
    d.LoadLangTexts([&lang](const std::string& key) { return lang.Translate("_", key, false); });
    lang.EndTexts();
}

void LoadLangTexts(TD& d) {
    if (MultiLang) {
        LoadLangTexts(*MultiLang, d);
    } else {
        d.LoadLangTexts();
    }
}

TFrmMultiLang::TFrmMultiLang(TMultiLang& lang, QWidget* parent) : QDialog(parent), lang_(lang) {
    setObjectName("MultiLang");
    setWindowTitle("~Sprache");
    QFont dialogFont = font();
    dialogFont.setPixelSize(14);
    setFont(dialogFont);
    setFixedSize(212, 50);
    CBx = new QComboBox(this);
    CBx->setObjectName("CBx");
    CBx->setGeometry(8, 12, 96, 26);
    BtnOk = new QPushButton("OK", this);
    BtnOk->setObjectName("BtnOk");
    BtnOk->setGeometry(110, 11, 46, 28);
    BtnOk->setDefault(true);
    FileCancel = new QPushButton("~Abbrechen", this);
    FileCancel->setObjectName("FileCancel");
    FileCancel->setGeometry(160, 11, 46, 28);
    connect(BtnOk, &QPushButton::clicked, this, [this] { BtnOkClick(); });
    connect(FileCancel, &QPushButton::clicked, this, &QDialog::reject);
    LoadLanguageList();
}

void TFrmMultiLang::LoadLanguageList() {
    CBx->clear();
    for (const std::string& name : lang_.ListLanguages()) {
        // The names are file names; at most 15 characters fit the box.
        CBx->addItem(QString::fromStdString(name).left(15), QString::fromStdString(name));
    }
    lang_.ReadLanguage();
    TranslateForm(lang_, this);
    FitButtons();
}

void TFrmMultiLang::FitButtons() {
    // The cancel text is the longest of the three; the buttons grow to fit it.
    const QFontMetrics metrics(FileCancel->font());
    const int cancelWidth = std::max(46, metrics.horizontalAdvance(FileCancel->text()) + 16);
    const int okWidth = std::max(46, metrics.horizontalAdvance(BtnOk->text()) + 16);
    BtnOk->setGeometry(110, 11, okWidth, 28);
    FileCancel->setGeometry(BtnOk->geometry().right() + 5, 11, cancelWidth, 28);
    setFixedSize(std::max(212, FileCancel->geometry().right() + 7), 50);
}

void TFrmMultiLang::showEvent(QShowEvent* event) {
    CBx->setCurrentIndex(CBx->findData(QString::fromStdString(lang_.Language)));
    QDialog::showEvent(event);
}

void TFrmMultiLang::BtnOkClick() {
    if (CBx->currentIndex() >= 0) lang_.Language = CBx->currentData().toString().toStdString();
    try {
        lang_.SaveLanguage();
    } catch (const std::exception& e) {
        UserDialogs().ShowMessage(this, QString::fromStdString(e.what()));
    }
    TranslateForm(lang_, this);
    FitButtons();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        // Popup menus are translated with the window that owns them.
        if (window == this || qobject_cast<QMenu*>(window) || window->objectName().isEmpty()) {
            continue;
        }
        TranslateForm(lang_, window);
        for (QMdiArea* area : window->findChildren<QMdiArea*>()) {
            for (QMdiSubWindow* child : area->subWindowList())
                TranslateForm(lang_, child->widget());
        }
    }
    accept();
}

bool ChooseLanguage(QWidget* parent) {
    if (!MultiLang) return false;
    TFrmMultiLang dialog(*MultiLang, parent);
    tModalDialogGuard guard;
    return dialog.exec() == QDialog::Accepted;
}
