// The project file: creation, opening, write-through of rows and values,
// setup keys, stored models, the field dictionary and compaction.

#include "projectfixture.h"

#include "common/testutil.h"
#include "foundation/stringstore.h"
#include "store/compressedblob.h"
#include "store/projectschema.h"
#include "store/storedmodel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <gtest/gtest.h>

using projecttest::ExecOnFile;
using projecttest::Project;
using projecttest::QueryFile;
using projecttest::QueryValue;
using storetest::AddObject;
using storetest::TextOf;

namespace {

class ProjectEngine : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedLocale = QLocale();
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        path = dir.file(QStringLiteral("Projekt Ä.kv4"));
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        QLocale::setDefault(m_savedLocale);
    }

    qint32 AddGroup(Project& p, const QString& name) { return AddObject(p.db, TopicId::DocumentGroups, -1, {{3, name}}); }
    qint32 AddDocument(Project& p, qint32 group, const QString& name)
    {
        return AddObject(p.db, TopicId::Documents, -1, {{2, QString::number(group)}, {6, name}});
    }
    qint32 AddCode(Project& p, const QString& name, qint32 parent = 0)
    {
        return AddObject(p.db, TopicId::Codes, -1, {{5, name}, {2, QString::number(parent)}});
    }
    qint32 AddCoding(Project& p, qint32 document, qint32 code, int start, int finish)
    {
        return AddObject(p.db, TopicId::Codings, -1,
                         {{3, QString::number(document)}, {4, QString::number(code)}, {5, QString::number(start)},
                          {6, QString::number(finish)}});
    }
    int FileRows(const QString& table)
    {
        return QueryValue(path, QStringLiteral("SELECT count(*) FROM [%1];").arg(table)).toInt();
    }

    testutil::TempDir dir;
    QString path;

private:
    QLocale m_savedLocale;
};

QByteArray Utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

/// Copies a file that a program holds open, with its log, as a stop of that
/// program leaves them.
bool CopyWithLog(const QString& from, const QString& to)
{
    return QFile::copy(from, to) && QFile::copy(from + QStringLiteral("-wal"), to + QStringLiteral("-wal"));
}

/// Overwrites in the main file every page but the first that the log holds
/// a newer copy of, as a stop in the middle of a checkpoint can leave it:
/// the file alone is damaged, the file read with its log is whole. The
/// number of pages overwritten.
int DamagePagesTheLogReplaces(const QString& file)
{
    constexpr qsizetype kLogHeader = 32;
    constexpr qsizetype kFrameHeader = 24;
    const QByteArray log = testutil::ReadFile(file + QStringLiteral("-wal"));
    const auto bigEndian = [&log](qsizetype at) {
        return quint32(quint8(log[at])) << 24 | quint32(quint8(log[at + 1])) << 16 |
               quint32(quint8(log[at + 2])) << 8 | quint32(quint8(log[at + 3]));
    };
    if (log.size() < kLogHeader)
        return 0;
    const qsizetype pageSize = bigEndian(8);
    QFile main(file);
    if (pageSize < 512 || !main.open(QIODevice::ReadWrite))
        return 0;
    int damaged = 0;
    for (qsizetype frame = kLogHeader; frame + kFrameHeader + pageSize <= log.size();
         frame += kFrameHeader + pageSize) {
        const qint64 page = bigEndian(frame);
        if (page > 1 && page * pageSize <= main.size() && main.seek((page - 1) * pageSize) &&
            main.write(QByteArray(pageSize, char(0xA5))) == pageSize)
            ++damaged;
    }
    return damaged;
}

}  // namespace

TEST_F(ProjectEngine, NewFileHoldsTheWholeSchemaAndNothingElse)
{
    {
        Project p;
        ASSERT_TRUE(p.Create(path)) << p.engine.LastError().toStdString();
        EXPECT_EQ(p.engine.GetSchemaVersion(), QStringLiteral("100829"));
        EXPECT_EQ(p.engine.GetFileName(false), QStringLiteral("Projekt Ä.kv4"));
        EXPECT_EQ(p.engine.GetFileName(true), path);
        // The row layouts the schema gives.
        EXPECT_EQ(p.db.GetTable(TopicId::Documents)->GetRowSize(), 1636);
        EXPECT_EQ(p.db.GetTable(TopicId::Codings)->GetRowSize(), 600);
        EXPECT_EQ(p.db.GetTable(TopicId::Memos)->GetSortField(), QStringLiteral("ID"));
        EXPECT_EQ(p.db.FormatRowDisplay(TopicId::Codes, 1, false), QString());
        p.Close();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Projekt Ä.kv4")});
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table';")).toInt(), 16);
    EXPECT_EQ(FileRows(QStringLiteral("sys_Topics")), 11);
    EXPECT_EQ(FileRows(QStringLiteral("sys_Fields")), 119);
    EXPECT_EQ(QueryFile(path, QStringLiteral("SELECT [Key],[Value] FROM [sys_Setup] ORDER BY rowid;")),
              (QList<QVariantList>{{QStringLiteral("DataEngine"), QStringLiteral("100829")},
                                   {QStringLiteral("DataType"), QStringLiteral("MAIN")},
                                   {QStringLiteral("MOD"), QStringLiteral("100829")}}));
    // Text and boolean fields are categorial, the others have no value.
    const struct {
        qint32 topic, field;
        QVariant categorial;
    } cases[] = {{2, 3, 1}, {10, 19, 1}, {5, 14, 1}, {10, 0, QVariant()}, {5, 5, QVariant()}, {8, 10, QVariant()}};
    for (const auto& c : cases)
        EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Categorial] FROM [sys_Fields] WHERE [TopicID]=? AND [ID]=?;"),
                             {c.topic, c.field}),
                  c.categorial)
            << c.topic << "/" << c.field;
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [AnnotationFormat] FROM [sys_Topics] WHERE [ID]=11;")).toString(),
              QString::fromLatin1(schema::kMemoAnnotation));

    ProjectDataEngine exchange(QStringLiteral("EXCHANGE"));
    ASSERT_TRUE(exchange.Create(dir.file(QStringLiteral("team.kex"))));
    EXPECT_EQ(exchange.GetDataType(), QStringLiteral("EXCHANGE"));
    exchange.Close();
    ProjectDataEngine reader;  // constructed as MAIN: the file's type wins
    ASSERT_TRUE(reader.Open(dir.file(QStringLiteral("team.kex"))));
    EXPECT_EQ(reader.GetDataType(), QStringLiteral("EXCHANGE"));
}

TEST_F(ProjectEngine, RowsAreWrittenThroughAndReadBackAfterReopening)
{
    qint32 group = 0, document = 0, code = 0, subcode = 0, coding = 0;
    const QByteArray text = QByteArray("{\\rtf1 ") + QByteArray(4000, 'x') + "}";
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        group = AddGroup(p, QStringLiteral("Interviews"));
        document = AddDocument(p, group, QStringLiteral("Anna's interview – ü"));
        code = AddCode(p, QStringLiteral("Emotions"));
        subcode = AddCode(p, QStringLiteral("Fear"), code);
        coding = AddCoding(p, document, subcode, 10, 42);
        ASSERT_TRUE(group && document && code && subcode && coding);

        RowBuffer row;
        ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, true));
        FieldValue value;
        ASSERT_TRUE(row.GetFieldValue(DocumentField::Text, value));
        value.SetBlob(text);
        ASSERT_TRUE(row.GetFieldValue(7, value));
        value.SetDate({45000.5, DateStatus::Valid});
        ASSERT_TRUE(row.Commit(true, false));

        // One field set from text goes to the file at once.
        ASSERT_TRUE(p.db.ReadRow(TopicId::Codings, coding, row, false));
        ASSERT_TRUE(row.SetFieldText(14, QStringLiteral("it's \"fine\"; DROP TABLE [Codings]; --")));
        row.Release();
        p.Close();
    }
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-wal")));
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [CommentL] FROM [Codings] WHERE [ID]=?;"), {coding}).toString(),
              QStringLiteral("it's \"fine\"; DROP TABLE [Codings]; --"));

    Project p;
    ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, document, 6), QStringLiteral("Anna's interview – ü"));
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, coding, 5), QStringLiteral("10"));
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, coding, 6), QStringLiteral("42"));
    EXPECT_EQ(p.db.FormatRowDisplay(TopicId::Codes, subcode, true), QStringLiteral("Emotions\\Fear"));
    QList<qint32> codings;
    ASSERT_TRUE(p.db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings));
    EXPECT_EQ(codings, QList<qint32>{coding});

    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, false));
    ASSERT_TRUE(row.GetFieldValue(DocumentField::Text, value));
    EXPECT_EQ(value.GetBlob(), nullptr);  // loading never reads blobs
    ASSERT_TRUE(row.GetFieldValue(7, value));
    EXPECT_EQ(value.GetDate().value, 45000.5);
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, true));
    ASSERT_TRUE(row.GetFieldValue(DocumentField::Text, value));
    ASSERT_NE(value.GetBlob(), nullptr);
    EXPECT_EQ(*value.GetBlob(), text);
}

TEST_F(ProjectEngine, OpenRefusesWhatIsNotAProjectAndNeverCreates)
{
    Project holder;
    ASSERT_TRUE(holder.Create(path));

    const QString missing = dir.file(QStringLiteral("missing.kv4"));
    const QString textFile = dir.file(QStringLiteral("notes.kv4"));
    testutil::WriteFile(textFile, "just some notes, not a database");
    const QString otherDb = dir.file(QStringLiteral("other.kv4"));
    {
        dao::Database db;
        ASSERT_TRUE(db.Create(otherDb));
        ASSERT_TRUE(db.Execute(QStringLiteral("CREATE TABLE t(x);")));
    }
    const QString jet = dir.file(QStringLiteral("old.kv3"));
    ASSERT_TRUE(QFile::copy(testutil::DataPath(QStringLiteral("jet/DateTestDatabase.mdb")), jet));

    const struct {
        QString path;
        EngineError error;
    } cases[] = {
        {missing, EngineError::NotFound},     {textFile, EngineError::NotAProject},
        {otherDb, EngineError::NotAProject},  {jet, EngineError::NeedsConversion},
        {path, EngineError::InUse},           {dir.path(), EngineError::Unreadable},
    };
    for (const auto& c : cases) {
        const QByteArray before = testutil::ReadFile(c.path);
        ProjectDataEngine engine;
        EXPECT_FALSE(engine.Open(c.path)) << c.path.toStdString();
        EXPECT_EQ(engine.LastErrorKind(), c.error) << c.path.toStdString();
        EXPECT_TRUE(engine.LastError().contains(QFileInfo(c.path).fileName())) << engine.LastError().toStdString();
        EXPECT_FALSE(engine.IsOpen());
        EXPECT_EQ(testutil::ReadFile(c.path), before);
    }
    EXPECT_FALSE(QFile::exists(missing));

    // The project in use stays usable by its holder.
    EXPECT_TRUE(AddGroup(holder, QStringLiteral("still mine")));

    ProjectDataEngine creator;
    EXPECT_FALSE(creator.Create(textFile));
    EXPECT_EQ(creator.LastErrorKind(), EngineError::Exists);
    EXPECT_EQ(testutil::ReadFile(textFile), QByteArray("just some notes, not a database"));
}

// Files written by other tools often use a rollback journal; a refused file
// must come out with every byte as it was and no log files beside it.
TEST_F(ProjectEngine, ARefusedFileKeepsEveryByteAndGetsNoCompanions)
{
    const auto rollbackJournal = [](const QString& file) {
        return ExecOnFile(file, {QStringLiteral("PRAGMA journal_mode=DELETE;")});
    };
    const QString foreign = dir.file(QStringLiteral("foreign.kv4"));
    {
        dao::Database db;
        ASSERT_TRUE(db.Create(foreign));
        ASSERT_TRUE(db.Execute(QStringLiteral("CREATE TABLE t(x);")));
    }
    ASSERT_TRUE(rollbackJournal(foreign));
    const QString newer = dir.file(QStringLiteral("newer.kv4"));
    {
        Project p;
        ASSERT_TRUE(p.Create(newer));
        ASSERT_TRUE(AddGroup(p, QStringLiteral("a group")));
    }
    ASSERT_TRUE(ExecOnFile(newer, {QStringLiteral("UPDATE [sys_Setup] SET [Value]='999999' WHERE [Key]='DataEngine';")}));
    ASSERT_TRUE(rollbackJournal(newer));
    // A project cut short after its first page: the table list is there,
    // the tables are not.
    const QString damaged = dir.file(QStringLiteral("damaged.kv4"));
    {
        Project p;
        ASSERT_TRUE(p.Create(damaged));
    }
    ASSERT_TRUE(rollbackJournal(damaged));
    {
        QFile file(damaged);
        ASSERT_TRUE(file.resize(4096));
    }

    const struct {
        QString path;
        EngineError error;
    } cases[] = {
        {foreign, EngineError::NotAProject},
        {newer, EngineError::CannotUpgrade},
        {damaged, EngineError::Unreadable},
    };
    for (const auto& c : cases) {
        const QByteArray before = testutil::ReadFile(c.path);
        ASSERT_EQ(before.at(18), 1) << "rollback journal expected";
        ProjectDataEngine engine;
        EXPECT_FALSE(engine.Open(c.path)) << c.path.toStdString();
        EXPECT_EQ(engine.LastErrorKind(), c.error) << c.path.toStdString() << ": " << engine.LastError().toStdString();
        EXPECT_FALSE(engine.IsOpen());
        engine.Close();
        EXPECT_EQ(testutil::ReadFile(c.path), before) << c.path.toStdString();
        EXPECT_FALSE(QFile::exists(c.path + QStringLiteral("-wal"))) << c.path.toStdString();
        EXPECT_FALSE(QFile::exists(c.path + QStringLiteral("-shm"))) << c.path.toStdString();
    }

    // A sound project in a rollback journal still opens and is written.
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
    }
    ASSERT_TRUE(rollbackJournal(path));
    Project p;
    ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
    EXPECT_TRUE(AddGroup(p, QStringLiteral("added")));
}

// A stop during a checkpoint leaves the main file incomplete and the log
// holding every committed change: such a project opens with all of them,
// and a foreign file in the same state is refused without a byte changed
// and without companions made beside it.
TEST_F(ProjectEngine, AProjectStoppedWithItsLogOpensWithEveryCommittedChange)
{
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
    }
    const QString crashed = dir.file(QStringLiteral("crashed.kv4"));
    qint32 group = 0;
    {
        Project live;
        ASSERT_TRUE(live.Open(path));
        ASSERT_TRUE(live.engine.SetSetupValue(QStringLiteral("committed"), QStringLiteral("in the log")));
        group = AddGroup(live, QStringLiteral("logged group"));
        ASSERT_NE(group, 0);
        ASSERT_TRUE(CopyWithLog(path, crashed));
    }
    ASSERT_GT(DamagePagesTheLogReplaces(crashed), 0);
    // SQLite itself, reading the log, finds the file whole (on a copy: the
    // check takes the log into the file).
    const QString view = dir.file(QStringLiteral("view.kv4"));
    ASSERT_TRUE(CopyWithLog(crashed, view));
    EXPECT_EQ(QueryFile(view, QStringLiteral("PRAGMA integrity_check;")),
              (QList<QVariantList>{{QStringLiteral("ok")}}));
    {
        Project p;
        ASSERT_TRUE(p.Open(crashed)) << p.engine.LastError().toStdString();
        QString value;
        ASSERT_TRUE(p.engine.GetSetupValue(QStringLiteral("committed"), value));
        EXPECT_EQ(value, QStringLiteral("in the log"));
        EXPECT_EQ(TextOf(p.db, TopicId::DocumentGroups, group, 3), QStringLiteral("logged group"));
    }

    const QString foreign = dir.file(QStringLiteral("foreign.kv4"));
    const QString foreignCopy = dir.file(QStringLiteral("foreign copy.kv4"));
    {
        dao::Database db;
        ASSERT_TRUE(db.Create(foreign));
        ASSERT_TRUE(db.Execute(QStringLiteral("CREATE TABLE t(x);")));
        db.Close();
        ASSERT_TRUE(db.Open(foreign));
        for (int i = 0; i < 50; ++i)
            ASSERT_TRUE(db.Execute(QStringLiteral("INSERT INTO t VALUES(?);"), {QString(200, QLatin1Char('x'))}));
        ASSERT_TRUE(CopyWithLog(foreign, foreignCopy));
    }
    const QByteArray main = testutil::ReadFile(foreignCopy);
    const QByteArray log = testutil::ReadFile(foreignCopy + QStringLiteral("-wal"));
    ASSERT_FALSE(log.isEmpty());
    ProjectDataEngine engine;
    EXPECT_FALSE(engine.Open(foreignCopy));
    EXPECT_EQ(engine.LastErrorKind(), EngineError::NotAProject) << engine.LastError().toStdString();
    engine.Close();
    EXPECT_EQ(testutil::ReadFile(foreignCopy), main);
    EXPECT_EQ(testutil::ReadFile(foreignCopy + QStringLiteral("-wal")), log);
    EXPECT_FALSE(QFile::exists(foreignCopy + QStringLiteral("-shm")));
}

TEST_F(ProjectEngine, SetupKeysKeepEveryTextExactly)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    DataEngine& engine = p.engine;
    const QStringList keys = {QStringLiteral("it's"), QStringLiteral("Größe"), QStringLiteral("日本語の鍵"),
                              QStringLiteral("x'; DELETE FROM [sys_Setup]; --"), QStringLiteral("[Key]")};
    for (const QString& key : keys) {
        const QString value = key + QStringLiteral(" = 'value' \"ÿ\" \n line two");
        ASSERT_TRUE(engine.SetSetupValue(key, value)) << key.toStdString();
        QString read;
        ASSERT_TRUE(engine.GetSetupValue(key, read));
        EXPECT_EQ(read, value);
    }
    // Keys compare without case, in every script: one row per key.
    ASSERT_TRUE(engine.SetSetupValue(QStringLiteral("GRÖSSE"), QStringLiteral("not the same key")));
    ASSERT_TRUE(engine.SetSetupValue(QStringLiteral("grösse"), QStringLiteral("first")));
    ASSERT_TRUE(engine.SetSetupValue(QStringLiteral("GRÖSSE"), QStringLiteral("second")));
    QString value;
    ASSERT_TRUE(engine.GetSetupValue(QStringLiteral("Grösse"), value));
    EXPECT_EQ(value, QStringLiteral("second"));
    ASSERT_TRUE(engine.GetSetupValue(QStringLiteral("absent"), value));
    EXPECT_EQ(value, QString());

    const QByteArray data = QByteArray("{\\rtf1 log}") + QByteArray(5000, 'l') + QByteArray("\0\x01\xFF", 3);
    ASSERT_TRUE(engine.SetSetupData(QStringLiteral("LOG"), data));
    ASSERT_TRUE(engine.SetSetupData(QStringLiteral("it's"), QByteArray("x")));
    QByteArray read;
    ASSERT_TRUE(engine.GetSetupData(QStringLiteral("log"), read));
    EXPECT_EQ(read, data);
    ASSERT_TRUE(engine.GetSetupValue(QStringLiteral("it's"), value));  // data leaves the text alone
    EXPECT_TRUE(value.startsWith(QStringLiteral("it's = ")));
    ASSERT_TRUE(engine.GetSetupData(QStringLiteral("absent"), read));
    EXPECT_TRUE(read.isEmpty());

    for (const QString& key : keys)
        ASSERT_TRUE(engine.DeleteSetupKey(key));
    p.Close();
    EXPECT_EQ(FileRows(QStringLiteral("sys_Setup")), 3 + 1 + 1);  // DataEngine, DataType, MOD, Grösse, LOG
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT count(*) FROM [sys_Setup] WHERE [Key]='LOG';")).toInt(), 1);
}

TEST_F(ProjectEngine, ValuesKeptInTheValueTableRoundTripExactly)
{
    FieldDescriptor real, date, text;
    qint32 document = 0;
    const double values[] = {0.1 + 0.2, 1e-300, -123456789.123456789, 6.02214076e23};
    const QStringList texts = {QStringLiteral("it's ünïcödé"), QStringLiteral("a'b''c"), QStringLiteral("日本")};
    QList<qint32> documents;
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        const qint32 group = AddGroup(p, QStringLiteral("g"));
        for (int i = 0; i < 4; ++i)
            documents.append(AddDocument(p, group, QStringLiteral("d%1").arg(i)));
        real.Name = QStringLiteral("Score");
        real.Type = FieldType::Real;
        real.State = FieldState::UserVariable | FieldState::ValueTable;
        date = real;
        date.Name = QStringLiteral("Seen");
        date.Type = FieldType::DateTime;
        text = real;
        text.Name = QStringLiteral("Remark");
        text.Type = FieldType::ShortText;
        for (FieldDescriptor* field : {&real, &date, &text})
            ASSERT_TRUE(p.db.AddField(TopicId::Documents, *field));
        for (int i = 0; i < 4; ++i) {
            RowBuffer row;
            FieldValue value;
            ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, documents[i], row, false));
            row.GetFieldValue(real.ID, value);
            value.SetReal(values[i]);
            row.GetFieldValue(date.ID, value);
            value.SetDate({45123.0 + i + 0.5 + 17.0 / 86400.0, DateStatus::Valid});  // seconds matter
            row.GetFieldValue(text.ID, value);
            value.SetText(texts.value(i));
            ASSERT_TRUE(row.Commit(false, true));
        }
        document = documents[0];
        p.Close();
    }
    EXPECT_EQ(FileRows(QStringLiteral("sys_Values")), 12);
    Project p;
    ASSERT_TRUE(p.Open(path));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(TextOf(p.db, TopicId::Documents, documents[i], text.ID), texts.value(i));
        RowBuffer row;
        FieldValue value;
        ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, documents[i], row, false));
        row.GetFieldValue(real.ID, value);
        EXPECT_EQ(value.GetReal(), values[i]);
        row.GetFieldValue(date.ID, value);
        EXPECT_NEAR(value.GetDate().value, 45123.0 + i + 0.5 + 17.0 / 86400.0, 1e-9);
    }
    // Setting one value writes that one row.
    RowBuffer row;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, false));
    ASSERT_TRUE(row.SetFieldText(text.ID, QStringLiteral("changed")));
    p.Close();
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Value] FROM [sys_Values] WHERE [FieldID]=? AND [ObjectID]=?;"),
                         {text.ID, document})
                  .toString(),
              QStringLiteral("changed"));
}

TEST_F(ProjectEngine, FieldDictionaryEditsReachTheFile)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    const qint32 group = AddGroup(p, QStringLiteral("g"));
    const qint32 first = AddDocument(p, group, QStringLiteral("first"));
    const qint32 second = AddDocument(p, group, QStringLiteral("second"));

    FieldDescriptor column;
    column.Name = QStringLiteral("Age's group");
    column.Type = FieldType::ShortText;
    column.State = FieldState::UserVariable;
    column.DefaultValue = QStringLiteral("12");
    ASSERT_TRUE(p.db.AddField(TopicId::Documents, column));
    EXPECT_EQ(column.ID, FieldDescriptor::kFirstUserFieldId);
    EXPECT_EQ(column.Source, QStringLiteral("F100000001"));
    FieldDescriptor kept = column;
    kept.Name = QStringLiteral("Region");
    kept.State = FieldState::UserVariable | FieldState::ValueTable;
    ASSERT_TRUE(p.db.AddField(TopicId::Documents, kept));

    RowBuffer row;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, second, row, false));
    ASSERT_TRUE(row.SetFieldText(column.ID, QStringLiteral("abc")));
    row.Release();

    // Rename, default value, categorial flag (read as an integer).
    ASSERT_TRUE(p.db.SetFieldProperties(TopicId::Documents, column.ID, QStringLiteral("Alter 'Gruppe'"), 0));
    ASSERT_TRUE(p.db.SetFieldProperties(TopicId::Documents, column.ID, QStringLiteral("it's 7"), 1));
    const auto fieldRow = [&](qint32 id) {
        return QueryFile(path, QStringLiteral("SELECT [Name],[DefaultValue],[Categorial],[Type] FROM [sys_Fields] "
                                              "WHERE [TopicID]=5 AND [ID]=?;"),
                         {id});
    };
    for (const auto& [text, expected] : {std::pair{"0", 0}, {"abc", 0}, {"5", 1}}) {
        ASSERT_TRUE(p.db.SetFieldProperties(TopicId::Documents, column.ID, QString::fromLatin1(text), 2));
        p.Close();
        ASSERT_EQ(fieldRow(column.ID).size(), 1);
        EXPECT_EQ(fieldRow(column.ID).first().at(2).toInt(), expected) << text;
        ASSERT_TRUE(p.Open(path));
    }
    FieldDescriptor read;
    ASSERT_TRUE(p.db.GetFieldDescriptor(TopicId::Documents, column.ID, read));
    EXPECT_EQ(read.Name, QStringLiteral("Alter 'Gruppe'"));
    EXPECT_EQ(read.DefaultValue, QStringLiteral("it's 7"));

    // Retyping converts the stored values: what reads as a number stays.
    ASSERT_TRUE(p.db.ChangeFieldType(TopicId::Documents, column.ID, FieldType::Integer));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, first, column.ID), QStringLiteral("12"));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, second, column.ID), QStringLiteral("0"));
    ASSERT_TRUE(p.db.ChangeFieldType(TopicId::Documents, kept.ID, FieldType::Real));
    p.Close();
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [F100000001] FROM [Texts] WHERE [ID]=?;"), {first}),
              QVariant(qint64(12)));
    EXPECT_EQ(FileRows(QStringLiteral("sys_Values")), 2);  // the default of both objects
    EXPECT_EQ(fieldRow(column.ID).first().at(3).toInt(), FieldType::Integer);
    EXPECT_EQ(fieldRow(column.ID).first().at(2).toInt(), 0);  // numbers are not categorial
    EXPECT_EQ(fieldRow(kept.ID).first().at(2).toInt(), 0);
    ASSERT_TRUE(p.Open(path));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, first, kept.ID), QStringLiteral("12"));

    // Deleting removes the column, the dictionary row and the kept values;
    // the id is never handed out again, also after reopening.
    ASSERT_TRUE(p.db.DeleteField(TopicId::Documents, kept.ID));
    ASSERT_TRUE(p.db.DeleteField(TopicId::Documents, column.ID));
    p.Close();
    for (const QVariantList& info : QueryFile(path, QStringLiteral("PRAGMA table_info([Texts]);")))
        EXPECT_NE(info.at(1).toString(), QStringLiteral("F100000001"));
    EXPECT_TRUE(fieldRow(column.ID).isEmpty());
    EXPECT_EQ(FileRows(QStringLiteral("sys_Values")), 0);
    ASSERT_TRUE(p.Open(path));
    FieldDescriptor again;
    again.Name = QStringLiteral("New");
    again.Type = FieldType::Integer;
    again.State = FieldState::UserVariable;
    ASSERT_TRUE(p.db.AddField(TopicId::Documents, again));
    EXPECT_EQ(again.ID, kept.ID + 1);
}

TEST_F(ProjectEngine, KeysAreNeverHandedOutTwiceAcrossReopening)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    for (int i = 0; i < 3; ++i)
        AddCode(p, QStringLiteral("c%1").arg(i));
    QList<ObjectRef> removed, changed;
    ASSERT_TRUE(p.db.DeleteRow(TopicId::Codes, 3, removed, changed));
    ASSERT_TRUE(p.db.DeleteRow(TopicId::Codes, 2, removed, changed));
    p.Close();
    ASSERT_TRUE(p.Open(path));
    EXPECT_EQ(AddCode(p, QStringLiteral("new")), 4);
    p.Close();
    // A file without the mark (every key deleted before it was kept by an
    // earlier version) starts above its rows.
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("DELETE FROM [sys_Setup] WHERE [Key] LIKE 'HighKey%';")}));
    ASSERT_TRUE(p.Open(path));
    EXPECT_EQ(AddCode(p, QStringLiteral("newer")), 5);
}

TEST_F(ProjectEngine, StoredModelsAreWrittenListedReadAndDeleted)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    StoredModel first;
    first.Name = QStringLiteral("Map of 'fear'");
    first.Author = QStringLiteral("Zoë");
    first.Date = {45000.25, DateStatus::Valid};
    first.Comment = QByteArray("comment \0 bytes", 15);
    SerialBuffer image;
    ASSERT_TRUE(image.Reserve(SerialBuffer::SizeOfString(QStringLiteral("node")) + 4));
    image.WriteString(QStringLiteral("node"));
    image.WriteInt(42);
    first.Data = image;
    first.UndoSlots[0] = image;
    ASSERT_TRUE(p.db.WriteModel(first));
    EXPECT_EQ(first.ID, 1);
    StoredModel second;
    second.Name = QStringLiteral("Second");
    second.Date = {0, DateStatus::Null};
    ASSERT_TRUE(p.db.WriteModel(second));
    EXPECT_EQ(second.ID, 2);
    first.Name = QStringLiteral("Renamed");
    ASSERT_TRUE(p.db.WriteModel(first));
    EXPECT_EQ(first.ID, 1);

    p.Close();
    ASSERT_TRUE(p.Open(path));
    QList<qint32> ids{99};
    QStringList names{QStringLiteral("kept")};
    ASSERT_TRUE(p.db.ListModels(ids, names));
    EXPECT_EQ(ids, (QList<qint32>{99, 1, 2}));
    EXPECT_EQ(names, (QStringList{QStringLiteral("kept"), QStringLiteral("Renamed"), QStringLiteral("Second")}));

    StoredModel read;
    read.ID = 1;
    ASSERT_TRUE(p.db.ReadModel(read));
    EXPECT_EQ(read.Name, QStringLiteral("Renamed"));
    EXPECT_EQ(read.Author, QStringLiteral("Zoë"));
    EXPECT_TRUE(read.Date.IsValid());
    EXPECT_EQ(read.Date.value, 45000.25);
    EXPECT_EQ(read.Comment, first.Comment);
    EXPECT_EQ(read.Data.Data(), image.Data());
    QString node;
    qint32 number = 0;
    EXPECT_TRUE(read.Data.ReadString(node) && read.Data.ReadInt(number));
    EXPECT_EQ(node, QStringLiteral("node"));
    EXPECT_EQ(number, 42);
    read.ID = 2;
    ASSERT_TRUE(p.db.ReadModel(read));
    EXPECT_FALSE(read.Date.IsValid());

    StoredModel fresh;
    const QString defaultName = fresh.Name;
    EXPECT_TRUE(p.db.ReadModel(fresh));  // ID 0 reads nothing
    EXPECT_EQ(fresh.Name, defaultName);
    ASSERT_TRUE(p.db.DeleteModel(1));
    fresh.ID = 1;
    EXPECT_FALSE(p.db.ReadModel(fresh));
    ids.clear();
    names.clear();
    ASSERT_TRUE(p.db.ListModels(ids, names));
    EXPECT_EQ(ids, QList<qint32>{2});
}

TEST_F(ProjectEngine, CompactionWritesANewFileOnly)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    const qint32 group = AddGroup(p, QStringLiteral("kept in the copy"));
    const QString copy = dir.file(QStringLiteral("backup.kv4"));
    QString error;
    ASSERT_TRUE(p.engine.CompactTo(copy, error)) << error.toStdString();

    // Onto an existing file, or onto itself: refused, the project stays open.
    testutil::WriteFile(dir.file(QStringLiteral("taken.kv4")), "taken");
    for (const QString& target : {dir.file(QStringLiteral("taken.kv4")), path}) {
        error.clear();
        EXPECT_FALSE(p.engine.CompactTo(target, error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(p.engine.LastErrorKind(), EngineError::Exists);
    }
    EXPECT_EQ(testutil::ReadFile(dir.file(QStringLiteral("taken.kv4"))), QByteArray("taken"));
    EXPECT_TRUE(AddGroup(p, QStringLiteral("after the copy")));
    p.db.BeginTransaction();
    EXPECT_FALSE(p.engine.CompactTo(dir.file(QStringLiteral("inside.kv4")), error));
    p.db.RollbackTransaction();

    Project backup;
    ASSERT_TRUE(backup.Open(copy));
    EXPECT_EQ(TextOf(backup.db, TopicId::DocumentGroups, group, 3), QStringLiteral("kept in the copy"));
    EXPECT_EQ(backup.db.GetRowCount(TopicId::DocumentGroups), 1);
}

TEST_F(ProjectEngine, OpeningKeepsTheUsersChoicesAndMendsOnlyWhatIsMissing)
{
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        FieldDescriptor variable;
        variable.Name = QStringLiteral("Region");
        variable.Type = FieldType::ShortText;
        variable.State = FieldState::UserVariable;
        ASSERT_TRUE(p.db.AddField(TopicId::Documents, variable));
        ASSERT_TRUE(p.db.SetFieldProperties(TopicId::Documents, variable.ID, QStringLiteral("0"), 2));
        p.Close();
    }
    // A file as earlier versions left it: media file of type 3, no links
    // topic, the memo annotation naming the old field ids.
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("UPDATE [sys_Fields] SET [Type]=3 WHERE [TopicID]=5 AND [ID]=14;"),
                                  QStringLiteral("DELETE FROM [sys_Topics] WHERE [ID]=12;"),
                                  QStringLiteral("UPDATE [sys_Topics] SET [AnnotationFormat]='%1' WHERE [ID]=11;")
                                      .arg(QLatin1String(schema::kOldMemoAnnotation)),
                                  QStringLiteral("DROP INDEX [sys_Values_Object];")}));
    Project p;
    ASSERT_TRUE(p.Open(path)) << p.engine.LastError().toStdString();
    FieldDescriptor media;
    ASSERT_TRUE(p.db.GetFieldDescriptor(TopicId::Documents, DocumentField::MediaFile, media));
    EXPECT_EQ(media.Type, FieldType::LongText);
    EXPECT_EQ(p.db.GetTable(TopicId::Links)->GetSource(), QStringLiteral("Links"));
    p.Close();
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Categorial] FROM [sys_Fields] WHERE [ID]=?;"),
                         {FieldDescriptor::kFirstUserFieldId}),
              QVariant(qint64(0)));
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [AnnotationFormat] FROM [sys_Topics] WHERE [ID]=11;")).toString(),
              QString::fromLatin1(schema::kMemoAnnotation));
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name='sys_Values_Object';"))
                  .toInt(),
              1);
}

TEST_F(ProjectEngine, WhatCannotBeLoadedFailsTheLoadAndChangesNothing)
{
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        const qint32 document = AddDocument(p, AddGroup(p, QStringLiteral("g")), QStringLiteral("d"));
        AddCoding(p, document, AddCode(p, QStringLiteral("c")), 1, 5);
        p.Close();
    }
    const struct {
        const char* sql;
        const char* where;
        EngineError error = EngineError::BadValue;
    } cases[] = {
        {"UPDATE [Codings] SET [StartChar]='twelve';", "Codings"},
        {"UPDATE [Codings] SET [Weight]=4294967296;", "Codings"},
        {"UPDATE [Texts] SET [Date]='not a date';", "Texts"},
        {"UPDATE [Codewords] SET [Name]=x'00FF';", "Codewords"},
        // A value kept in sys_Values that does not read as its type.
        {"INSERT INTO [sys_Fields]([TopicID],[ID],[Name],[Source],[Type],[State]) VALUES(5,100000001,'Score',"
         "'F100000001',4,130); INSERT INTO [sys_Values] VALUES(5,100000001,1,'lots');",
         "Score"},
        // A dictionary whose field has a type this program does not know, or
        // names one field id twice: its values would silently go missing.
        {"UPDATE [sys_Fields] SET [Type]=12 WHERE [TopicID]=10 AND [ID]=14;", "unknown type 12"},
        {"UPDATE [sys_Fields] SET [ID]=5 WHERE [TopicID]=10 AND [ID]=6;", "Codings"},
        // A topic the file does not describe, or whose table is gone.
        {"DELETE FROM [sys_Topics] WHERE [ID]=10;", "sys_Topics has no row 10"},
        {"DROP TABLE [Codings];", "no such table", EngineError::Unreadable},
    };
    for (const auto& c : cases) {
        const QString copy = dir.file(QStringLiteral("case.kv4"));
        QFile::remove(copy);
        ASSERT_TRUE(QFile::copy(path, copy));
        ASSERT_TRUE(ExecOnFile(copy, QString::fromLatin1(c.sql).split(u';', Qt::SkipEmptyParts)));
        const QByteArray before = testutil::ReadFile(copy);
        Project p;
        ASSERT_TRUE(p.engine.Open(copy));
        p.db.SetEngine(&p.engine);
        bool loaded = true;
        for (qint32 topic : kStoredTopics)
            loaded = loaded && p.engine.LoadTopic(*p.db.CreateTable(topic));
        EXPECT_FALSE(loaded) << c.sql;
        EXPECT_EQ(p.engine.LastErrorKind(), c.error) << c.sql;
        EXPECT_TRUE(p.engine.LastError().contains(QLatin1String(c.where))) << p.engine.LastError().toStdString();
        p.Close();
        EXPECT_EQ(testutil::ReadFile(copy), before) << c.sql;
    }
}

TEST_F(ProjectEngine, ADamagedBlobIsAnErrorAndStaysInTheFile)
{
    const QByteArray text = QByteArray("{\\rtf1 ") + QByteArray("Das Interview beginnt. ").repeated(100) + "}";
    QByteArray damaged = text;
    CompressBlob(damaged);
    damaged.chop(12);
    qint32 document = 0;
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        document = AddDocument(p, AddGroup(p, QStringLiteral("g")), QStringLiteral("d"));
        StoredModel model;
        model.Name = QStringLiteral("m");
        ASSERT_TRUE(p.db.WriteModel(model));
        p.Close();
    }
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("UPDATE [Texts] SET [Text]=x'%1';").arg(QLatin1String(damaged.toHex())),
                                  QStringLiteral("UPDATE [sys_Models] SET [Data]=x'%1';").arg(QLatin1String(damaged.toHex())),
                                  QStringLiteral("INSERT INTO [sys_Setup]([Key],[Data]) VALUES('LOG',x'%1');")
                                      .arg(QLatin1String(damaged.toHex()))}));
    Project p;
    ASSERT_TRUE(p.Open(path));   // blobs are read on demand only
    const QString expected = LoadString(StoreText::DamagedValue).arg(QFileInfo(path).fileName());
    const auto expectDamage = [&](const char* where) {
        EXPECT_EQ(p.engine.LastErrorKind(), EngineError::BadValue) << where;
        EXPECT_TRUE(p.engine.LastError().startsWith(expected.left(expected.indexOf(QLatin1String("%2")))))
            << p.engine.LastError().toStdString();
        EXPECT_TRUE(p.engine.LastError().contains(QLatin1String(where))) << p.engine.LastError().toStdString();
    };

    // The document's text: not loaded (no empty text in its place), and a
    // commit with blobs leaves the stored bytes alone.
    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, true));
    expectDamage("Texts");
    ASSERT_TRUE(row.GetFieldValue(DocumentField::Text, value));
    EXPECT_EQ(value.GetBlob(), nullptr);
    ASSERT_TRUE(row.SetFieldText(6, QStringLiteral("renamed")));
    ASSERT_TRUE(row.Commit(true, true));

    QByteArray data("stale");
    EXPECT_FALSE(p.engine.GetSetupData(QStringLiteral("LOG"), data));
    expectDamage("LOG");
    EXPECT_TRUE(data.isEmpty());

    StoredModel model;
    model.ID = 1;
    EXPECT_FALSE(p.db.ReadModel(model));
    expectDamage("sys_Models");
    p.Close();

    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Text] FROM [Texts] WHERE [ID]=?;"), {document}).toByteArray(),
              damaged);
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Data] FROM [sys_Models];")).toByteArray(), damaged);
}

TEST_F(ProjectEngine, AFailedWriteChangesNeitherFileNorMemory)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    const qint32 document = AddDocument(p, AddGroup(p, QStringLiteral("g")), QStringLiteral("d"));
    const qint32 code = AddCode(p, QStringLiteral("c"));
    const qint32 coding = AddCoding(p, document, code, 1, 5);
    p.Close();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON [Codings] BEGIN "
                                                 "SELECT RAISE(ABORT, 'disk says no'); END;"),
                                  QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON [Codewords] BEGIN "
                                                 "SELECT RAISE(ABORT, 'kept'); END;")}));
    ASSERT_TRUE(p.Open(path));
    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Codings, coding, row, false));
    row.GetFieldValue(5, value);
    value.SetInt(3);
    EXPECT_FALSE(row.Commit(false, false));
    EXPECT_TRUE(p.engine.LastError().contains(QStringLiteral("disk says no")));
    row.Release();
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, coding, 5), QStringLiteral("1"));
    ASSERT_TRUE(p.db.ReadRow(TopicId::Codings, coding, row, false));
    EXPECT_FALSE(row.SetFieldText(6, QStringLiteral("9")));
    row.Release();
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, coding, 6), QStringLiteral("5"));

    // A deletion that fails at its last step is undone as a whole: the
    // dependant coding and the counters its preparation lowered come back.
    QList<ObjectRef> removed, changed;
    EXPECT_FALSE(p.db.DeleteRow(TopicId::Codes, code, removed, changed));
    EXPECT_TRUE(removed.isEmpty());
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(p.db.GetRowCount(TopicId::Codings), 1);
    EXPECT_EQ(TextOf(p.db, TopicId::Codes, code, CodeField::Codes), QStringLiteral("0"));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, document, DocumentField::Codes), QStringLiteral("0"));
    p.Close();
    EXPECT_EQ(FileRows(QStringLiteral("Codewords")), 1);
    EXPECT_EQ(FileRows(QStringLiteral("Codings")), 1);
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Codes] FROM [Codewords];")).toInt(), 0);
}

// The record's columns and the user's values of one full write stand or
// fall together: a refused value undoes the columns written before it.
TEST_F(ProjectEngine, AFailedValueWriteUndoesTheRecordWrittenWithIt)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    const qint32 document = AddDocument(p, AddGroup(p, QStringLiteral("g")), QStringLiteral("before"));
    FieldDescriptor remark;
    remark.Name = QStringLiteral("Remark");
    remark.Type = FieldType::ShortText;
    remark.State = FieldState::UserVariable | FieldState::ValueTable;
    ASSERT_TRUE(p.db.AddField(TopicId::Documents, remark));
    p.Close();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON [sys_Values] BEGIN "
                                                 "SELECT RAISE(ABORT, 'disk says no'); END;")}));
    ASSERT_TRUE(p.Open(path));
    RowBuffer row;
    FieldValue value;
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, false));
    row.GetFieldValue(DocumentField::Name, value);
    value.SetText(QStringLiteral("after"));
    row.GetFieldValue(remark.ID, value);
    value.SetText(QStringLiteral("refused"));
    EXPECT_FALSE(row.Commit(false, true));
    EXPECT_TRUE(p.engine.LastError().contains(QStringLiteral("disk says no")));
    row.Release();
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, document, DocumentField::Name), QStringLiteral("before"));
    p.Close();
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Name] FROM [Texts] WHERE [ID]=?;"), {document}).toString(),
              QStringLiteral("before"));

    // Without the values (not full) the same change is one write and lands.
    ASSERT_TRUE(p.Open(path));
    ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, false));
    row.GetFieldValue(DocumentField::Name, value);
    value.SetText(QStringLiteral("after"));
    EXPECT_TRUE(row.Commit(false, false));
    row.Release();
    p.Close();
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Name] FROM [Texts] WHERE [ID]=?;"), {document}).toString(),
              QStringLiteral("after"));
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Value] FROM [sys_Values] WHERE [ObjectID]=?;"), {document})
                  .toString(),
              QString());
}

TEST_F(ProjectEngine, ExternalContentIsReadButTheReferenceIsKept)
{
    const QString reference = QStringLiteral("EXTERN:C:\\Users\\ann\\Scan 1.pdf");
    testutil::WriteFile(dir.file(QStringLiteral("Scan 1.pdf")), "%PDF-1.4 content");
    qint32 document = 0;
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        document = AddDocument(p, AddGroup(p, QStringLiteral("g")), QStringLiteral("scan"));
        RowBuffer row;
        FieldValue value;
        ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, false));
        row.GetFieldValue(DocumentField::Text, value);
        value.SetBlob(Utf16(reference));
        ASSERT_TRUE(row.Commit(true, false));

        ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, true));
        row.GetFieldValue(DocumentField::Text, value);
        ASSERT_NE(value.GetBlob(), nullptr);
        EXPECT_EQ(*value.GetBlob(), QByteArray("%PDF-1.4 content"));
        EXPECT_EQ(p.engine.GetLastExternalName(), QStringLiteral("C:\\Users\\ann\\Scan 1.pdf"));
        ASSERT_TRUE(row.Commit(true, false));  // writes the reference, not the content

        RowBuffer copy;
        ASSERT_TRUE(p.db.DuplicateRow(TopicId::Documents, document, copy));
        ASSERT_TRUE(copy.Commit(true, true));

        QList<ObjectRef> removed, changed;
        ASSERT_TRUE(p.db.DeleteRow(TopicId::Documents, document + 1, removed, changed));
        EXPECT_EQ(p.db.TakeDeletedDocumentFiles(), QStringList{QStringLiteral("C:\\Users\\ann\\Scan 1.pdf")});
        p.Close();
    }
    QByteArray stored;
    ASSERT_TRUE(DecompressBlob(
        QueryValue(path, QStringLiteral("SELECT [Text] FROM [Texts] WHERE [ID]=?;"), {document}).toByteArray(), stored));
    EXPECT_EQ(stored, Utf16(reference));
}

TEST_F(ProjectEngine, DeletionKeepsCountersAndOwnersInStep)
{
    Project p;
    ASSERT_TRUE(p.Create(path));
    const qint32 group = AddGroup(p, QStringLiteral("g"));
    const qint32 document = AddObject(p.db, TopicId::Documents, -1, {{2, QString::number(group)}, {8, QStringLiteral("2")}});
    const qint32 code = AddObject(p.db, TopicId::Codes, -1, {{5, QStringLiteral("c")}, {7, QStringLiteral("2")}});
    const qint32 coding = AddCoding(p, document, code, 0, 4);
    const qint32 set = AddObject(p.db, TopicId::DocumentSets, -1, {{3, QStringLiteral("s")}});
    const qint32 member = AddObject(p.db, TopicId::DocumentSetMembers, -1,
                                    {{2, QString::number(set)}, {3, QString::number(document)}});
    const qint32 codeSet = AddObject(p.db, TopicId::CodeSets, -1, {{3, QStringLiteral("cs")}});
    const qint32 codeMember = AddObject(p.db, TopicId::CodeSetMembers, -1,
                                        {{2, QString::number(codeSet)}, {3, QString::number(code)}});
    const qint32 memo = AddObject(p.db, TopicId::Memos, -1, {{4, QString::number(code)}, {7, QStringLiteral("-1")}});
    {
        RowBuffer row;
        ASSERT_TRUE(p.db.ReadRow(TopicId::Codes, code, row, false));
        ASSERT_TRUE(row.SetFieldText(CodeField::MemoID, QString::number(memo)));
    }
    const qint32 linkA = AddObject(p.db, TopicId::Links, -1, {{1, QString::number(document)}});
    const qint32 linkB = AddObject(p.db, TopicId::Links, -1, {{1, QString::number(document)}, {4, QString::number(linkA)}});
    {
        RowBuffer row;
        ASSERT_TRUE(p.db.ReadRow(TopicId::Links, linkA, row, false));
        ASSERT_TRUE(row.SetFieldText(LinkField::LinkID, QString::number(linkB)));
    }

    QList<ObjectRef> removed, changed;
    ASSERT_TRUE(p.db.DeleteRow(TopicId::Codings, coding, removed, changed));
    EXPECT_EQ(TextOf(p.db, TopicId::Codes, code, CodeField::Codes), QStringLiteral("1"));
    EXPECT_EQ(TextOf(p.db, TopicId::Documents, document, DocumentField::Codes), QStringLiteral("1"));
    EXPECT_EQ(changed, (QList<ObjectRef>{{8, code}, {5, document}, {2, group}, {6, member}, {4, set}, {1, 0}, {3, 0},
                                         {7, 0}}));

    changed.clear();
    ASSERT_TRUE(p.db.DeleteRow(TopicId::CodeSetMembers, codeMember, removed, changed));
    EXPECT_EQ(changed, (QList<ObjectRef>{{24, codeSet}, {23, 0}}));

    changed.clear();
    ASSERT_TRUE(p.db.DeleteRow(TopicId::Memos, memo, removed, changed));
    EXPECT_EQ(TextOf(p.db, TopicId::Codes, code, CodeField::MemoID), QStringLiteral("0"));
    EXPECT_EQ(changed, (QList<ObjectRef>{{8, code}}));

    removed.clear();
    ASSERT_TRUE(p.db.DeleteRow(TopicId::Links, linkA, removed, changed));
    EXPECT_EQ(removed, (QList<ObjectRef>{{12, linkB}}));
    EXPECT_EQ(p.db.GetRowCount(TopicId::Links), 0);
    p.Close();
    EXPECT_EQ(FileRows(QStringLiteral("Links")), 0);
    EXPECT_EQ(QueryValue(path, QStringLiteral("SELECT [Codes] FROM [Codewords];")).toInt(), 1);
}

TEST_F(ProjectEngine, RecordsLoadInTheOrderOfTheirTopic)
{
    {
        Project p;
        ASSERT_TRUE(p.Create(path));
        p.Close();
    }
    // Rows written out of key order, as another program may have left them.
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("INSERT INTO [Codings]([ID],[StartChar]) VALUES(7,70),(3,30),(5,50);"),
                                  QStringLiteral("INSERT INTO [Texts]([ID],[Index],[Name]) VALUES(1,2,'b'),(2,0,'a2'),"
                                                 "(3,1,'c'),(4,0,'a1');")}));
    Project p;
    ASSERT_TRUE(p.Open(path));
    QList<qint32> keys;
    p.db.GetAllKeys(TopicId::Codings, keys);
    EXPECT_EQ(keys, (QList<qint32>{3, 5, 7}));  // by key
    EXPECT_EQ(TextOf(p.db, TopicId::Codings, 5, 5), QStringLiteral("50"));
    p.db.GetAllKeys(TopicId::Documents, keys);
    EXPECT_EQ(keys, (QList<qint32>{2, 4, 3, 1}));  // by Index, then key
    EXPECT_EQ(AddObject(p.db, TopicId::Codings, -1, {}), 8);
}

TEST_F(ProjectEngine, StoredBlobsDecodeAsReadingTheRowGivesThem)
{
    const QByteArray text = QByteArray("{\\rtf1 ") + QByteArray("Das Interview beginnt. ").repeated(100) + "}";
    QByteArray damaged = text;
    CompressBlob(damaged);
    damaged.chop(12);
    Project p;
    ASSERT_TRUE(p.Create(path));
    const qint32 group = AddGroup(p, QStringLiteral("g"));
    struct Case {
        const char* name;
        QByteArray value;
        bool decodes;   // else only reading the row gives the content
    };
    const Case cases[] = {
        {"compressed", text, true},
        {"short, stored raw", "{\\rtf1 kurz}", true},
        {"empty, stored as NULL", QByteArray(), true},
        {"external reference", Utf16(QStringLiteral("EXTERN:scan.pdf")), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint32 document = AddDocument(p, group, QString::fromLatin1(c.name));
        RowBuffer row;
        FieldValue value;
        ASSERT_TRUE(p.db.ReadRow(TopicId::Documents, document, row, false));
        row.GetFieldValue(DocumentField::Text, value);
        value.SetBlob(c.value);
        ASSERT_TRUE(row.Commit(true, false));

        QByteArray stored;
        ASSERT_TRUE(p.db.ReadStoredBlob(TopicId::Documents, document, DocumentField::Text, stored));
        QByteArray decoded("stale");
        ASSERT_EQ(DecodeStoredBlob(stored, decoded), c.decodes);
        if (c.decodes) {
            EXPECT_EQ(decoded, c.value);
        }
    }
    // A damaged form is left to the row's reading, which reports it.
    const qint32 document = AddDocument(p, group, QStringLiteral("damaged"));
    p.Close();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("UPDATE [Texts] SET [Text]=x'%1' WHERE [ID]=%2;")
                                      .arg(QLatin1String(damaged.toHex()))
                                      .arg(document)}));
    Project reopened;
    ASSERT_TRUE(reopened.Open(path));
    QByteArray stored;
    ASSERT_TRUE(reopened.db.ReadStoredBlob(TopicId::Documents, document, DocumentField::Text, stored));
    EXPECT_EQ(stored, damaged);
    QByteArray decoded;
    EXPECT_FALSE(DecodeStoredBlob(stored, decoded));
    // Fields that are no blob, and absent rows, have no stored form.
    EXPECT_FALSE(reopened.db.ReadStoredBlob(TopicId::Documents, document, 6, stored));
    EXPECT_FALSE(reopened.db.ReadStoredBlob(TopicId::Documents, document + 100, DocumentField::Text, stored));
}
