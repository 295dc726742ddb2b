// Backups: a compacted copy under a name that does not exist, never the
// open project; the backup file name; the days since the last automatic
// backup under the program options, with a fixed clock.

#include "docfixture.h"

#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/topicdatabase.h"

#include <QDir>

using namespace doctest;

namespace {

const QDateTime kNow(QDate(2024, 3, 9), QTime(7, 15, 2));

class BackupTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        BuildOptionDefinitions();
        m_savedOn = g_qdaOptions.GetString(QdaOption::AutomaticBackup);
        m_savedDays = g_qdaOptions.GetString(QdaOption::BackupDays);
        doc.SetClock([this] { return now; });
    }
    void TearDown() override
    {
        g_qdaOptions.SetValueText(QdaOption::AutomaticBackup, m_savedOn);
        g_qdaOptions.SetValueText(QdaOption::BackupDays, m_savedDays);
        DocTest::TearDown();
    }
    QString StoredDate()
    {
        QString value;
        EXPECT_TRUE(doc.ReadSetting(QStringLiteral("AutoBackup"), value));
        return value;
    }

    QDateTime now = kNow;

private:
    QString m_savedOn, m_savedDays;
};

}  // namespace

TEST_F(BackupTest, ABackupIsACompleteCopyAndTheProjectStaysOpen)
{
    NewProject();
    const qint32 group = AddGroup(QStringLiteral("Gruppe"));
    doc.GetProgramLists().quickCodes = {42};
    const QString target = dir.file(QStringLiteral("backup/copy.kv4"));
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("backup"))));
    QString error = QStringLiteral("stale");
    ASSERT_TRUE(doc.BackupProject(target, error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_NE(AddGroup(QStringLiteral("after the backup")), 0);

    CKorDoc copy;
    auto engine = copy.OpenProjectFile(target, QStringLiteral("MAIN"));
    ASSERT_TRUE(engine);
    ASSERT_TRUE(copy.OpenProject(std::move(engine), false));
    EXPECT_EQ(ValueOf(copy.GetDatabase(), TopicId::DocumentGroups, group, 3), QStringLiteral("Gruppe"));
    EXPECT_EQ(copy.GetDatabase().GetRowCount(TopicId::DocumentGroups), 1);
    EXPECT_EQ(copy.GetProgramLists().quickCodes, QList<qint32>{42});  // saved before the copy
}

TEST_F(BackupTest, TheTargetMustBeANewFileAndNeverTheOpenProject)
{
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(doc.BackupProject(dir.file(QStringLiteral("x.kv4")), error));
    EXPECT_TRUE(error.isEmpty());

    NewProject();
    const QString existing = dir.file(QStringLiteral("existing.kv4"));
    ASSERT_TRUE(testutil::WriteFile(existing, "keep"));
    const QString sameProject = QDir(dir.path()).filePath(QStringLiteral("./sub/../Projekt Ä.kv4"));
    ASSERT_TRUE(QDir().mkpath(dir.file(QStringLiteral("sub"))));
    for (const QString& target : {existing, path, sameProject}) {
        error.clear();
        EXPECT_FALSE(doc.BackupProject(target, error)) << target.toStdString();
        EXPECT_FALSE(error.isEmpty()) << target.toStdString();
    }
    EXPECT_EQ(testutil::ReadFile(existing), QByteArray("keep"));
    EXPECT_NE(AddGroup(QStringLiteral("still open")), 0);
}

TEST_F(BackupTest, BackupNamesCarryTheProjectNameAndTheTimeAndNeverRepeat)
{
    EXPECT_EQ(doc.MakeBackupPath(dir.path()), QString());
    NewProject();
    const QString folder = dir.file(QStringLiteral("backups"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString first = doc.MakeBackupPath(folder);
    EXPECT_EQ(first, folder + QStringLiteral("/Projekt Ä_20240309-071502.kv4"));
    QString error;
    ASSERT_TRUE(doc.BackupProject(first, error)) << error.toStdString();
    EXPECT_EQ(doc.MakeBackupPath(folder), folder + QStringLiteral("/Projekt Ä_20240309-071502(1).kv4"));
}

TEST_F(BackupTest, DaysSinceTheLastBackupCountOnlyWhenTheIntervalIsReached)
{
    NewProject();
    const struct {
        bool on;
        const char* interval;
        const char* stored;  // null: no key
        int days;
        const char* storedAfter;
    } cases[] = {
        {false, "7", nullptr, 0, ""},             // off: nothing read, nothing stored
        {true, "7", "20240302", 7, "20240302"},   // a week ago
        {true, "7", "20240303", 0, "20240303"},   // six days
        {true, "7", "20230309", 366, "20230309"}, // across a leap day
        {true, "0", "20240309", 0, "20240309"},   // today
        {true, "7", nullptr, 0, "20240309"},      // never: today counts as the last
        {true, "7", "2024-3-1", 0, "20240309"},   // malformed: as never
        {true, "7", "20241340", 0, "20240309"},   // no such date
    };
    for (const auto& c : cases) {
        g_qdaOptions.SetValueText(QdaOption::AutomaticBackup, c.on ? QStringLiteral("1") : QStringLiteral("0"));
        g_qdaOptions.SetValueText(QdaOption::BackupDays, QLatin1String(c.interval));
        if (c.stored)
            ASSERT_TRUE(doc.WriteSettingString(QStringLiteral("AutoBackup"), QLatin1String(c.stored)));
        else
            ASSERT_TRUE(doc.DeleteSetting(QStringLiteral("AutoBackup")));
        EXPECT_EQ(doc.GetDaysSinceBackup(), c.days) << c.stored << " " << c.interval;
        EXPECT_EQ(StoredDate(), QLatin1String(c.storedAfter)) << c.stored;
    }
}

TEST_F(BackupTest, TheBackupDateIsStoredAsEightDigits)
{
    doc.StoreBackupDate();  // without a project: nothing, and no failure
    NewProject();
    doc.StoreBackupDate();
    EXPECT_EQ(StoredDate(), QStringLiteral("20240309"));
    now = QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59));
    EXPECT_EQ(doc.GetLastBackupDate(), QDate(2024, 3, 9));
    doc.StoreBackupDate();
    EXPECT_EQ(doc.GetLastBackupDate(), QDate(2025, 12, 31));
}
