#include "settings_store.h"

#include <QSettings>

namespace {

// A fresh object per call, so that the file on disk is the single truth between the
// start-up read and the exit write.
QSettings Store() {
    return QSettings(QStringLiteral("Vantro"), QStringLiteral("Vantro"));
}

QString Key(const char* name) {
    return QStringLiteral("Settings/") + QLatin1String(name);
}

}  // namespace

int ReadSetting(const char* name) {
    bool ok = false;
    const int value = Store().value(Key(name)).toString().trimmed().toInt(&ok);
    return ok ? value : 0;
}

void WriteSetting(const char* name, int value) {
    QSettings store = Store();
    store.setValue(Key(name), QString::number(value));
}

void SyncSettings() {
    Store().sync();
}

std::string ReadTextSetting(const char* name) {
    return Store().value(Key(name)).toString().toStdString();
}

void WriteTextSetting(const char* name, const std::string& value) {
    QSettings store = Store();
    store.setValue(Key(name), QString::fromStdString(value));
    store.sync();
}

void WritePortChoice(int comNumber, const std::string& path) {
    QSettings store = Store();
    store.beginGroup(QStringLiteral("Ports"));
    const QString key = QStringLiteral("COM%1").arg(comNumber);
    if (path.empty()) {
        store.remove(key);
    } else {
        store.setValue(key, QString::fromStdString(path));
    }
}
