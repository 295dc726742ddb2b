#include "foundation/regvalue.h"

#include "foundation/filehelpers.h"

#include <QSettings>

#include <algorithm>
#include <memory>

namespace {

bool IsSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

QString TrimSeparators(QString part)
{
    while (!part.isEmpty() && IsSeparator(part.front()))
        part.remove(0, 1);
    while (!part.isEmpty() && IsSeparator(part.back()))
        part.chop(1);
    return part;
}

// The user's file; reading falls back on the system-wide one.
std::unique_ptr<QSettings> OpenSettings()
{
    return std::make_unique<QSettings>(QSettings::UserScope, QLatin1String(kSettingsOrganisation),
                                       QLatin1String(kSettingsApplication));
}

}  // namespace

CRegValue::CRegValue(const QString& path, const QString& defaultText, bool alwaysReread)
    : m_defaultText(defaultText), m_alwaysReread(alwaysReread)
{
    const qsizetype split = LastSeparator(path);
    m_keyPath = TrimSeparators(path.left(std::max<qsizetype>(split, 0)));
    m_valueName = TrimSeparators(path.mid(split + 1));
    RegValueReadRaw();
}

CRegValue::~CRegValue()
{
    if (m_pendingWrite)
        RegValueWrite();
}

QString CRegValue::SettingsKey() const
{
    QString key = m_keyPath;
    key.replace(u'\\', u'/');
    if (!m_valueName.isEmpty())
        key += (key.isEmpty() ? QString() : QStringLiteral("/")) + m_valueName;
    return key;
}

QString CRegValue::Read()
{
    if (m_pendingWrite)
        return m_text;
    if (!m_read || m_alwaysReread)
        return RegValueReadRaw();
    return m_text;
}

QString CRegValue::RegValueReadRaw()
{
    const QString key = SettingsKey();
    if (key.isEmpty())
        return m_defaultText;
    const QVariant value = OpenSettings()->value(key);
    if (!value.isValid())
        return m_defaultText;
    m_text = value.toString();
    m_read = true;
    return m_text;
}

void CRegValue::Set(const QString& text)
{
    m_text = text;
    m_pendingWrite = true;
}

bool CRegValue::RegValueWrite()
{
    const QString key = SettingsKey();
    if (key.isEmpty())
        return false;
    const std::unique_ptr<QSettings> settings = OpenSettings();
    settings->setValue(key, m_text);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        return false;
    m_written = true;
    m_pendingWrite = false;
    return true;
}
