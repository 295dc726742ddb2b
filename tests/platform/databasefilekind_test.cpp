// Files are told apart by their first bytes, whatever their names say.
#include "platform/jet/databasefilekind.h"

#include "common/testutil.h"

namespace {

QByteArray JetHeader(const char* name)
{
    QByteArray head("\x00\x01\x00\x00", 4);
    head += QByteArray(name, 16);  // with its NUL
    head += QByteArray(2028, '\x07');
    return head;
}

}  // namespace

TEST(DatabaseFileKind, KnowsFilesByHeader)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        DatabaseFileKind kind;
    };
    const Case cases[] = {
        {"project.kv4", QByteArray("SQLite format 3\0", 16) + QByteArray(84, '\0'), DatabaseFileKind::Sqlite},
        {"old.kv3", JetHeader("Standard Jet DB"), DatabaseFileKind::Jet},
        {"old.k2k", JetHeader("Standard ACE DB"), DatabaseFileKind::Jet},
        {"renamed.txt", JetHeader("Standard Jet DB"), DatabaseFileKind::Jet},
        {"sqlite-named.kv3", QByteArray("SQLite format 3\0", 16), DatabaseFileKind::Sqlite},
        {"empty.kv4", QByteArray(), DatabaseFileKind::Other},
        {"short.kv4", QByteArray("SQLite form"), DatabaseFileKind::Other},
        {"no-nul.kv4", QByteArray("SQLite format 3x"), DatabaseFileKind::Other},
        {"cut-jet.kv3", JetHeader("Standard Jet DB").left(12), DatabaseFileKind::Other},
        {"jet-at-zero.mdb", QByteArray("Standard Jet DB\0", 16) + QByteArray(64, '\0'), DatabaseFileKind::Other},
        {"other-jet.mdb", JetHeader("Standard Jet XX"), DatabaseFileKind::Other},
        {"text.kv4", QByteArray("Interview transcript\n"), DatabaseFileKind::Other},
    };
    testutil::TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.file(QString::fromLatin1(c.name));
        ASSERT_TRUE(testutil::WriteFile(path, c.bytes));
        EXPECT_EQ(DetectDatabaseFile(path), c.kind);
    }
}

TEST(DatabaseFileKind, ReadsTheJetFixtures)
{
    EXPECT_EQ(DetectDatabaseFile(testutil::DataPath("jet/nwind.mdb")), DatabaseFileKind::Jet);
    EXPECT_EQ(DetectDatabaseFile(testutil::DataPath("jet/DateTestDatabase.mdb")), DatabaseFileKind::Jet);
}

TEST(DatabaseFileKind, MissingFilesAndFoldersAreUnreadable)
{
    testutil::TempDir dir;
    for (const QString& path : {dir.file("missing.kv3"), dir.path()}) {
        SCOPED_TRACE(path.toStdString());
        QString error;
        EXPECT_EQ(DetectDatabaseFile(path, &error), DatabaseFileKind::Unreadable);
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
    }
}
