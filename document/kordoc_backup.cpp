// Backups: a compacted copy of the open project, and the bookkeeping of
// automatic backups under the program options.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "store/projectdataengine.h"

#include <QDir>

namespace {

/// The stored form of the last automatic backup's date.
const QString kBackupDateFormat = QStringLiteral("yyyyMMdd");

}  // namespace

bool CKorDoc::BackupProject(const QString& target, QString& error)
{
    error.clear();
    SaveProjectSettings();  // the copy carries them
    if (!d->m_engine)
        return false;
    if (IsOpenProjectPath(target)) {
        error = LoadString(DocumentText::TargetIsOpenProject).arg(target);
        return false;
    }
    return d->m_engine->CompactTo(target, error);
}

void CKorDoc::StoreBackupDate()
{
    if (!d->m_engine)
        return;
    d->m_engine->SetSetupValue(QLatin1String(SetupKey::AutoBackup), Now().date().toString(kBackupDateFormat));
}

QDate CKorDoc::GetLastBackupDate()
{
    const QDate stored = QDate::fromString(SetupValue(QLatin1String(SetupKey::AutoBackup)), kBackupDateFormat);
    // A missing or malformed date counts as a backup today, so the first
    // automatic backup falls due one interval later.
    if (!stored.isValid()) {
        StoreBackupDate();
        return Now().date();
    }
    return stored;
}

int CKorDoc::GetDaysSinceBackup()
{
    if (!g_qdaOptions.GetBool(QdaOption::AutomaticBackup))
        return 0;
    const qint64 days = GetLastBackupDate().daysTo(Now().date());
    return g_qdaOptions.GetInt(QdaOption::BackupDays) <= days ? int(days) : 0;
}

QString CKorDoc::GetProjectName() const
{
    return d->m_engine ? GetFileTitle(d->m_engine->GetFileName(false)) : QString();
}

QString CKorDoc::MakeBackupPath(const QString& folder) const
{
    if (!d->m_engine || folder.isEmpty())
        return {};
    QString path = QDir(folder).filePath(GetProjectName() + Now().toString(QStringLiteral("_yyyyMMdd-hhmmss")) +
                                         QStringLiteral(".kv4"));
    return MakeUniqueFileName(path) ? path : QString();
}
