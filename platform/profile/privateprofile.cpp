#include "platform/profile/privateprofile.h"

#include "platform/codepage/codepage.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <climits>

namespace {

// The section name of a "[name]" line, or a null string for other lines.
QString SectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'['))
        return {};
    const qsizetype close = t.indexOf(u']');
    return (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
}

// Key and value of a "key=value" line; false for other lines.
bool SplitEntry(const QString& line, QString& key, QString& value)
{
    const QString t = line.trimmed();
    const qsizetype equals = t.indexOf(u'=');
    if (t.startsWith(u';') || equals <= 0)
        return false;
    key = t.left(equals).trimmed();
    value = t.mid(equals + 1).trimmed();
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    return true;
}

bool Same(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

QStringList PrivateProfile::ReadLines() const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = codepage::DecodeTextFile(file.readAll());
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

bool PrivateProfile::WriteLines(const QStringList& lines) const
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join(u'\n') + u'\n').toUtf8());
    return file.commit();
}

QString PrivateProfile::GetString(const QString& section, const QString& key, const QString& defaultValue) const
{
    bool inSection = false;
    for (const QString& line : ReadLines()) {
        const QString name = SectionOf(line);
        if (!name.isNull()) {
            inSection = Same(name, section);
            continue;
        }
        QString k;
        QString v;
        if (inSection && SplitEntry(line, k, v) && Same(k, key))
            return v;
    }
    return defaultValue;
}

int PrivateProfile::GetInt(const QString& section, const QString& key, int defaultValue) const
{
    const QString value = GetString(section, key, QString());
    if (value.isNull())
        return defaultValue;
    qsizetype end = 0;
    if (end < value.size() && (value[end] == u'-' || value[end] == u'+'))
        ++end;
    while (end < value.size() && end < 12 && value[end] >= u'0' && value[end] <= u'9')
        ++end;
    return int(std::clamp<qint64>(value.left(end).toLongLong(), INT_MIN, INT_MAX));
}

bool PrivateProfile::WriteString(const QString& section, const QString& key, const QString& value)
{
    QStringList lines = ReadLines();
    const QString entry = key + u'=' + value;
    int sectionStart = -1;
    int insertAt = -1;   // after the last entry of the section
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = SectionOf(lines[i]);
        if (!name.isNull()) {
            if (sectionStart >= 0)
                break;
            if (Same(name, section))
                sectionStart = insertAt = i;
            continue;
        }
        if (sectionStart < 0)
            continue;
        QString k;
        QString v;
        if (SplitEntry(lines[i], k, v)) {
            if (Same(k, key)) {
                lines[i] = k + u'=' + value;
                return WriteLines(lines);
            }
            insertAt = i;
        }
    }
    if (sectionStart < 0) {
        lines << u'[' + section + u']' << entry;
    } else {
        lines.insert(insertAt + 1, entry);
    }
    return WriteLines(lines);
}

bool PrivateProfile::KeepOnlySection(const QString& section)
{
    QStringList kept;
    bool keep = false;
    for (const QString& line : ReadLines()) {
        const QString name = SectionOf(line);
        if (!name.isNull())
            keep = Same(name, section);
        if (keep)
            kept << line;
    }
    return WriteLines(kept);
}

bool PrivateProfile::DeleteKey(const QString& section, const QString& key)
{
    QStringList lines = ReadLines();
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString name = SectionOf(lines[i]);
        if (!name.isNull()) {
            inSection = Same(name, section);
            continue;
        }
        QString k;
        QString v;
        if (inSection && SplitEntry(lines[i], k, v) && Same(k, key)) {
            lines.removeAt(i);
            return WriteLines(lines);
        }
    }
    return true;
}
