// Project settings: the retrieval settings, the project memo, the colour
// filters and quick codes kept in sys_Setup, and the forwarders through
// which the frame and the views keep any other setting.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "store/projectdataengine.h"
#include "store/storeids.h"

#include <limits>

namespace {

// Not the id-list helpers of foundation/filehelpers.h: those take signed
// ids and skip 0, while a colour filter holds COLORREF values and 0 is black.

/// Every value followed by "|".
template <typename Id>
QString FormatIdList(const QList<Id>& ids)
{
    QString text;
    for (const Id id : ids)
        text += QString::number(id) + QLatin1Char('|');
    return text;
}

/// The values of every piece that ends with "|"; text after the last "|"
/// and pieces that are no number are left out.
template <typename Id>
QList<Id> ParseIdList(const QString& text)
{
    QList<Id> ids;
    QStringList pieces = text.split(QLatin1Char('|'));
    pieces.removeLast();  // not followed by "|"
    for (const QString& piece : std::as_const(pieces)) {
        bool ok = false;
        const qint64 value = piece.trimmed().toLongLong(&ok);
        if (ok && value >= std::numeric_limits<Id>::min() && value <= std::numeric_limits<Id>::max())
            ids.append(Id(value));
    }
    return ids;
}

QString CodeAliasKey(qint32 code)
{
    return QLatin1String(SetupKey::CodeAliasPrefix) + QString::number(code);
}

}  // namespace

QString CKorDoc::SetupValue(const QString& key)
{
    QString value;
    if (d->m_engine)
        d->m_engine->GetSetupValue(key, value);
    return value;
}

void CKorDoc::SaveProjectSettings()
{
    if (!d->m_engine)
        return;
    const std::pair<const char*, QString> settings[] = {
        {SetupKey::Options, d->m_options.Format(false)},
        {SetupKey::ProjectMemo, QString::number(d->m_projectMemo)},
        {SetupKey::ColorCodingsFilter, FormatIdList(d->m_lists.codingsColorFilter)},
        {SetupKey::ColorCodesFilter, FormatIdList(d->m_lists.codesColorFilter)},
        {SetupKey::ColorTextFilter, FormatIdList(d->m_lists.documentsColorFilter)},
        {SetupKey::Codes2Toolbar, FormatIdList(d->m_lists.quickCodes)},
    };
    for (const auto& [key, value] : settings)
        d->m_engine->SetSetupValue(QLatin1String(key), value);
}

void CKorDoc::LoadProjectSettings()
{
    const auto read = [this](const char* key) { return SetupValue(QLatin1String(key)); };
    d->m_options.Parse(read(SetupKey::Options), false);
    d->m_projectMemo = d->m_engine ? read(SetupKey::ProjectMemo).trimmed().toInt() : d->m_projectMemo;
    d->m_lists.Clear();
    d->m_lists.codingsColorFilter = ParseIdList<quint32>(read(SetupKey::ColorCodingsFilter));
    d->m_lists.codesColorFilter = ParseIdList<quint32>(read(SetupKey::ColorCodesFilter));
    d->m_lists.documentsColorFilter = ParseIdList<quint32>(read(SetupKey::ColorTextFilter));
    d->m_lists.quickCodes = ParseIdList<qint32>(read(SetupKey::Codes2Toolbar));
}

bool CKorDoc::WriteSettingString(const QString& key, const QString& text)
{
    return d->m_engine && d->m_engine->SetSetupValue(key, text);
}

bool CKorDoc::ReadSetting(const QString& key, QString& text)
{
    return d->m_engine && d->m_engine->GetSetupValue(key, text);
}

bool CKorDoc::DeleteSetting(const QString& key)
{
    return d->m_engine && d->m_engine->DeleteSetupKey(key);
}

bool CKorDoc::WriteSettingData(const QString& key, const QByteArray& bytes)
{
    return d->m_engine && d->m_engine->SetSetupData(key, bytes);
}

bool CKorDoc::ReadSettingData(const QString& key, QByteArray& bytes)
{
    return d->m_engine && d->m_engine->GetSetupData(key, bytes);
}

QString CKorDoc::GetCodeAlias(qint32 code)
{
    if (!d->m_engine)
        return {};
    const QString alias = SetupValue(CodeAliasKey(code));
    return alias.isEmpty() ? d->m_db.FormatRowDisplay(TopicId::Codes, code, false) : alias;
}

bool CKorDoc::DeleteCodeAlias(qint32 code)
{
    return d->m_engine && d->m_engine->DeleteSetupKey(CodeAliasKey(code));
}
