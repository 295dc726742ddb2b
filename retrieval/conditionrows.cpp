#include "retrieval/conditionrows.h"

#include "foundation/filehelpers.h"
#include "store/oledate.h"
#include "store/storeids.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>

namespace conditions {

namespace {

QString Bounded(const QString& text)
{
    QString cut = text.left(kFieldUnits);
    // A cut must not leave half of a surrogate pair behind.
    if (cut.size() == kFieldUnits && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

}  // namespace

QString FormatRows(const QList<ActivationCondition>& rows)
{
    QString text;
    for (const ActivationCondition& row : rows) {
        // A separator in a variable's name would break this and every later
        // record; such a row is written so that only it fails to load.
        QString name = Bounded(row.fieldName);
        if (!IsNameAcceptable(name))
            name.replace(QLatin1Char('|'), QLatin1Char('_')).replace(QLatin1Char('~'), QLatin1Char('_'));
        QString value = Bounded(row.value);
        if (!IsValueAcceptable(value))
            value.replace(QLatin1Char('~'), QLatin1Char('_'));
        // One pass of arg(): a name holding "%2" stays as typed.
        text += QStringLiteral("%1|%2|%3|%4|%5~")
                    .arg(QString::number(row.fieldId), name, QString::number(row.link),
                         QString::number(row.comparison), value);
    }
    return text;
}

QList<ActivationCondition> ParseRows(const QString& text)
{
    QList<ActivationCondition> rows;
    qsizetype start = 0;
    for (;;) {
        const qsizetype end = text.indexOf(QLatin1Char('~'), start);
        if (end < 0)
            break;
        const QStringView record = QStringView(text).mid(start, end - start);
        start = end + 1;
        qsizetype bars[4];
        qsizetype from = 0;
        int found = 0;
        for (; found < 4; ++found) {
            const qsizetype bar = record.indexOf(QLatin1Char('|'), from);
            if (bar < 0)
                break;
            bars[found] = bar;
            from = bar + 1;
        }
        if (found < 4)
            break;
        ActivationCondition row;
        row.fieldId = ReadLeadingInt(record.left(bars[0]));
        row.fieldName = Bounded(record.mid(bars[0] + 1, bars[1] - bars[0] - 1).toString());
        row.link = ReadLeadingInt(record.mid(bars[1] + 1, bars[2] - bars[1] - 1));
        row.comparison = ReadLeadingInt(record.mid(bars[2] + 1, bars[3] - bars[2] - 1));
        row.value = Bounded(record.mid(bars[3] + 1).toString());
        rows.append(row);
    }
    return rows;
}

QList<ActivationCondition> ResolveRows(const QList<ActivationCondition>& rows, const QList<qint32>& ids,
                                       const QStringList& names)
{
    QList<ActivationCondition> resolved;
    for (ActivationCondition row : rows) {
        const qsizetype at = names.indexOf(row.fieldName);
        if (at < 0 || at >= ids.size())
            continue;
        row.fieldId = ids.at(at);
        resolved.append(row);
    }
    return resolved;
}

QByteArray EncodeFileText(const QString& text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        bytes.append(char(unit & 0xFF));
        bytes.append(char(unit >> 8));
    }
    return bytes;
}

bool DecodeFileText(const QByteArray& bytes, QString& text)
{
    if (bytes.size() % 2 != 0)
        return false;
    text.resize(bytes.size() / 2);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(quint8(bytes[2 * i]) | (quint8(bytes[2 * i + 1]) << 8)));
    return true;
}

bool WriteConditionFile(const QString& path, const QList<ActivationCondition>& rows, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const QByteArray bytes = EncodeFileText(FormatRows(rows));
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool ReadConditionFile(const QString& path, QString& text, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        if (error)
            *error = QStringLiteral("The file is too large for a condition file.");
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (!DecodeFileText(bytes, text)) {
        if (error)
            *error = QStringLiteral("The file is not a condition file (UTF-16 text).");
        return false;
    }
    return true;
}

QString NormaliseValue(qint32 fieldType, const QString& text)
{
    switch (fieldType) {
    case FieldType::Integer: return QString::number(ReadLeadingInt(text.trimmed()));
    case FieldType::Real: {
        bool ok = false;
        double value = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(value))
            value = 0;
        return Bounded(QString::asprintf("%f", value));
    }
    case FieldType::DateTime: {
        double days = 0;
        if (!ParseDateText(text.trimmed(), days))
            return QString();
        const QString shown = FormatDateText(OleDate{days, DateStatus::Valid});
        // Midnight: the date alone.
        const bool dateOnly = std::abs(days - std::floor(days)) < 1.0 / (24 * 60 * 2);
        const qsizetype blank = shown.indexOf(QLatin1Char(' '));
        if (blank < 0)
            return shown;
        return dateOnly ? shown.left(blank) : shown.left(blank + 1) + shown.mid(blank + 1).left(5);
    }
    case FieldType::Boolean: return ReadLeadingInt(text.trimmed()) != 0 ? QStringLiteral("1") : QStringLiteral("0");
    case FieldType::ShortText: return Bounded(text.left(64));
    case FieldType::Text: return Bounded(text.left(128));
    case FieldType::LongText: return Bounded(text.left(256));
    default: return Bounded(text);
    }
}

bool IsValueAcceptable(const QString& value)
{
    return !value.contains(QLatin1Char('~'));
}

bool IsNameAcceptable(const QString& name)
{
    return !name.contains(QLatin1Char('~')) && !name.contains(QLatin1Char('|'));
}

QString OperatorText(qint32 op)
{
    switch (op) {
    case 0: return QStringLiteral("=");
    case 1: return QStringLiteral("<>");
    case 2: return QStringLiteral("<");
    case 3: return QStringLiteral(">");
    default: return QStringLiteral("?");
    }
}

QString RowText(const ActivationCondition& row, const QString& name, const QString& linkText)
{
    const QString variable = QStringLiteral("[%1]").arg(name);
    if (linkText.isEmpty())
        return QStringLiteral("%1 %2 %3").arg(variable, OperatorText(row.comparison), row.value);
    return QStringLiteral(".%1. %2 %3 %4").arg(linkText, variable, OperatorText(row.comparison), row.value);
}

}  // namespace conditions
