// The outside files of a project: collected in order, resolved against the
// externals and project folders, addresses left out.

#include "common/externalsproject.h"
#include "document/docfixture.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/options.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

class ExternalFilesOfProject : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        BuildOptionDefinitions();
        m_savedFolder = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
        NewProject();
    }
    void TearDown() override
    {
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, m_savedFolder);
        DocTest::TearDown();
    }
    testutil::ExternalsProject Build()
    {
        testutil::ExternalsProject files =
            testutil::BuildExternalsProject(db(), dir.file(QStringLiteral("files")), QFileInfo(path).path());
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, files.externals);
        return files;
    }

private:
    QString m_savedFolder;
};

}  // namespace

TEST_F(ExternalFilesOfProject, EveryReferenceIsResolvedInOrderAndAddressesAreLeftOut)
{
    const testutil::ExternalsProject files = Build();
    doc.SetStoredModelFiles([&files] { return QStringList{files.sameA, QStringLiteral("www.example.org")}; });
    QStringList paths;
    QList<ExternalFileRecord> records;
    doc.CollectExternalFiles(paths, &records);

    // Duplicates stay: the stored model refers to a file a link names too.
    EXPECT_EQ(paths, files.FoundPaths() + QStringList{files.sameA});

    const struct {
        const char* name;
        QString reference;
        LinkLocation status;
        qint64 size;  // -1: not known
    } expected[] = {
        {"scan.pdf", QStringLiteral("C:\\Data\\scan.pdf"), LinkLocation::SearchFolder, 2048},
        {"notes.txt", QStringLiteral("D:\\old\\notes.txt"), LinkLocation::SearchFolder, 5},
        {"interview.mp3", files.media, LinkLocation::StoredPath, 9},
        {"report.pdf", QStringLiteral("C:\\Scans\\report.pdf"), LinkLocation::SearchFolder, 15},
        {"gone.wav", QStringLiteral("/nowhere/gone.wav"), LinkLocation::NotFound, -1},
        {"same.txt", files.sameA, LinkLocation::StoredPath, 5},
        {"same.txt", files.sameB, LinkLocation::StoredPath, 6},
        {"exact.bin", files.exactMiB, LinkLocation::StoredPath, 1048576},
        {"over.bin", files.overMiB, LinkLocation::StoredPath, 1048577},
        {"same.txt", files.sameA, LinkLocation::StoredPath, 5},
    };
    QStringList listed;
    for (const ExternalFileRecord& record : std::as_const(records))
        listed.append(record.reference);
    ASSERT_EQ(records.size(), qsizetype(std::size(expected))) << listed.join(u'|').toStdString();
    for (qsizetype i = 0; i < records.size(); ++i) {
        const ExternalFileRecord& record = records[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(record.fileName, QString::fromUtf8(expected[i].name));
        EXPECT_EQ(record.reference, expected[i].reference);
        EXPECT_EQ(record.status, expected[i].status);
        EXPECT_EQ(record.sizeKnown, expected[i].size >= 0);
        if (expected[i].size >= 0) {
            EXPECT_EQ(record.size, expected[i].size);
        }
        EXPECT_TRUE(record.isFile);
    }

    // Paths only, as the archive asks.
    QStringList only;
    doc.CollectExternalFiles(only);
    EXPECT_EQ(only, paths);
}

TEST_F(ExternalFilesOfProject, AProjectWithoutOutsideFilesHasNone)
{
    AddDocument(AddGroup(QStringLiteral("G")), QStringLiteral("Plain"), doctest::RtfOf({QStringLiteral("Text.")}));
    doctest::AddRow(db(), TopicId::Links,
                    {{LinkField::Document, 1}, {LinkField::LinkID, -1}, {LinkField::Text, QByteArray("https://a.b/")}});
    QStringList paths;
    QList<ExternalFileRecord> records;
    doc.CollectExternalFiles(paths, &records);
    EXPECT_TRUE(paths.isEmpty());
    EXPECT_TRUE(records.isEmpty());
}

TEST_F(ExternalFilesOfProject, DamagedContentNamesNoFile)
{
    // A stored form that claims compression but holds no valid stream, and
    // one whose stated length is far too large for a reference.
    const QByteArray damaged = QByteArray("*ZIP*") + QByteArray("\x20\x00\x00\x00", 4) + QByteArray("not zlib");
    const QByteArray huge = QByteArray("*ZIP*") + QByteArray("\xFF\xFF\xFF\x7F", 4) + QByteArray("x");
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 first = AddDocument(group, QStringLiteral("A"));
    const qint32 second = AddDocument(group, QStringLiteral("B"));
    frame.ExitCommand();
    const auto update = [](const QByteArray& blob, qint32 key) {
        return QStringLiteral("UPDATE [Texts] SET [Text]=X'%1' WHERE [ID]=%2;")
            .arg(QString::fromLatin1(blob.toHex()))
            .arg(key);
    };
    ASSERT_TRUE(doctest::ExecOnFile(path, {update(damaged, first), update(huge, second)}));
    ASSERT_TRUE(frame.OpenCommand(path)) << messages.texts.join(QLatin1Char('\n')).toStdString();
    QStringList paths;
    QList<ExternalFileRecord> records;
    doc.CollectExternalFiles(paths, &records);
    EXPECT_TRUE(paths.isEmpty());
    EXPECT_TRUE(records.isEmpty());
}
