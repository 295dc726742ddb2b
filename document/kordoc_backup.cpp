// Backups: a compacted copy of the open project, and the bookkeeping of
// automatic backups under the program options.

#include "document/kordoc.h"

#include "document/documentids.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "store/projectdataengine.h"

#include <QDir>

bool CKorDoc::BackupProject(const QString& target, QString& error)
{
    error.clear();
    SaveProjectSettings();  // the copy carries them
    if (!m_engine)
        return false;
    if (IsOpenProjectPath(target)) {
        error = LoadString(DocumentText::TargetIsOpenProject).arg(target);
        return false;
    }
    return m_engine->CompactTo(target, error);
}

void CKorDoc::StoreBackupDate()
{
    if (!m_engine)
        return;
    const QDate today = Now().date();
    m_engine->SetSetupValue(QLatin1String(SetupKey::AutoBackup),
                            QString::asprintf("%d%02d%02d", today.year(), today.month(), today.day()));
}

QDate CKorDoc::GetLastBackupDate()
{
    const QString text = SetupValue(QLatin1String(SetupKey::AutoBackup));
    QDate stored;
    bool yearOk = false, monthOk = false, dayOk = false;
    if (text.size() == 8) {
        stored = QDate(text.left(4).toInt(&yearOk), text.mid(4, 2).toInt(&monthOk), text.mid(6, 2).toInt(&dayOk));
    }
    // A missing or malformed date counts as a backup today, so the first
    // automatic backup falls due one interval later.
    if (!yearOk || !monthOk || !dayOk || !stored.isValid()) {
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
    return m_engine ? GetFileTitle(m_engine->GetFileName(false)) : QString();
}

QString CKorDoc::MakeBackupPath(const QString& folder) const
{
    if (!m_engine || folder.isEmpty())
        return {};
    const QDateTime now = Now();
    const QDate date = now.date();
    const QTime time = now.time();
    QString path = QDir(folder).filePath(
        GetProjectName() + QString::asprintf("_%d%02d%02d-%02d%02d%02d.kv4", date.year(), date.month(), date.day(),
                                             time.hour(), time.minute(), time.second()));
    return MakeUniqueFileName(path) ? path : QString();
}
