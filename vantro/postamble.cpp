#include "postamble.h"

#include <QString>

std::string ExpandPostamble(const std::string& text, const QDateTime& now) {
    if (text.empty()) return text;
    const QDate date = now.date();
    const QTime time = now.time();
    const struct {
        const char* Token;
        int Value;
    } fields[] = {
        {"{YEAR}", date.year() % 100}, {"{MONTH}", date.month()},   {"{DAY}", date.day()},
        {"{HOUR}", time.hour()},       {"{MINUTE}", time.minute()}, {"{SECOND}", time.second()},
    };
    QString result = QString::fromStdString(text);
    for (const auto& field : fields) {
        const qsizetype at = result.indexOf(QLatin1String(field.Token), 0, Qt::CaseInsensitive);
        if (at < 0) continue;
        result.replace(at, qsizetype(qstrlen(field.Token)),
                       QStringLiteral("%1").arg(field.Value, 2, 10, QLatin1Char('0')));
    }
    return result.toStdString();
}

std::string ExpandPostamble(const std::string& text) {
    return ExpandPostamble(text, QDateTime::currentDateTime());
}
