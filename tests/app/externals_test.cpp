// The frame's commands on external files: the list and the archive next to
// the project, read back with the zip reader.

#include "app/appids.h"
#include "app/framefixture.h"
#include "common/externalsproject.h"
#include "panes/externalfilesdlg.h"
#include "ui/questiondlg.h"

#include <QFileInfo>
#include <QTreeWidget>

#include <unzip.h>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

/// Every entry of an archive: name and bytes, in archive order.
QList<QPair<QString, QByteArray>> ReadZip(const QString& path)
{
    QList<QPair<QString, QByteArray>> entries;
    unzFile zip = unzOpen64(QFile::encodeName(path).constData());
    if (!zip)
        return entries;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        unz_file_info64 info{};
        char name[512] = {};
        unzGetCurrentFileInfo64(zip, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0);
        QByteArray data(qsizetype(info.uncompressed_size), '\0');
        if (unzOpenCurrentFile(zip) == UNZ_OK) {
            unzReadCurrentFile(zip, data.data(), unsigned(data.size()));
            unzCloseCurrentFile(zip);
        }
        entries.append({QString::fromUtf8(name), data});
    }
    unzClose(zip);
    return entries;
}

class ExternalsCommands : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        m_savedFolder = g_qdaOptions.GetString(QdaOption::ExternalsFolder);
        path = dir.file(QStringLiteral("Study.kv4"));
        archive = path + QStringLiteral(".zip");
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder, m_savedFolder);
    }
    /// The project made and opened through the menu; with files, the
    /// external files of the shared fixture.
    void Open(bool withFiles)
    {
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.CreateProjectFile(path, QStringLiteral("MAIN")), false));
        if (withFiles) {
            files = testutil::BuildExternalsProject(maker.GetDatabase(), dir.file(QStringLiteral("files")), dir.path());
        } else {
            doctest::AddRow(maker.GetDatabase(), TopicId::Links,
                            {{LinkField::Document, 1}, {LinkField::LinkID, -1},
                             {LinkField::Text, QByteArray("https://example.org")}});
        }
        maker.CloseDatabase();
        g_qdaOptions.SetValueText(QdaOption::ExternalsFolder,
                                  withFiles ? files.externals : dir.file(QStringLiteral("externals")));
        ShowFrame();
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        messages.texts.clear();
    }

    QString path;
    QString archive;
    testutil::ExternalsProject files;

private:
    QString m_savedFolder;
};

}  // namespace

TEST_F(ExternalsCommands, TheListShowsEveryFileReferenceWithItsState)
{
    Open(true);
    QStringList names;
    QStringList sizes;
    QStringList states;
    frametest::WhenModalShows([&](QWidget* modal) {
        auto* dialog = qobject_cast<ExternalFilesDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTreeWidget* list = dialog->List();
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            names.append(list->topLevelItem(row)->text(ExternalFilesDlg::NameColumn));
            sizes.append(list->topLevelItem(row)->text(ExternalFilesDlg::SizeColumn));
            states.append(list->topLevelItem(row)->text(ExternalFilesDlg::StatusColumn));
        }
        dialog->reject();
    });
    frametest::ClickMenuCommand(*frame, 0, CommandId::ShowExternals);
    const QString found = QStringLiteral("Found");
    const QString inFolder = QStringLiteral("Found in the externals or project folder");
    EXPECT_EQ(names, (QStringList{"scan.pdf", "notes.txt", "interview.mp3", "report.pdf", "gone.wav", "same.txt",
                                  "same.txt", "exact.bin", "over.bin"}));
    EXPECT_EQ(sizes, (QStringList{"2.00 KB", "0.00 KB", "0.01 KB", "0.01 KB", "", "0.00 KB", "0.01 KB",
                                  "1024.00 KB", "1.00 MB"}));
    EXPECT_EQ(states, (QStringList{inFolder, inFolder, found, inFolder, QStringLiteral("Not found"), found, found,
                                   found, found}));
}

TEST_F(ExternalsCommands, TheArchiveHoldsEveryFoundFileOnceUnderAUniqueName)
{
    Open(true);
    // Found but no file that can be read: named in the report, not archived.
    ASSERT_TRUE(QFile::remove(files.overMiB));
    ASSERT_EQ(mkfifo(QFile::encodeName(files.overMiB).constData(), 0600), 0);
    messages.AddAnswers({MessageAnswer::Cancel});
    frametest::ClickMenuCommand(*frame, 0, CommandId::ArchiveExternals);

    ASSERT_EQ(messages.questions.size(), 1);
    const QuestionPrompt& report = messages.questions[0];
    EXPECT_EQ(report.caption, QStringLiteral("Archive external files"));
    EXPECT_EQ(report.firstButton, QLatin1String(kQuestionHelpButton));
    EXPECT_TRUE(report.secondButton.isEmpty());
    EXPECT_EQ(report.thirdButton, QStringLiteral("OK"));
    EXPECT_TRUE(report.message.startsWith(QStringLiteral("\nThe external files were archived in:\n\n") + archive))
        << report.message.toStdString();
    EXPECT_TRUE(report.message.endsWith(QStringLiteral("could not be added to the archive:\n") + files.overMiB))
        << report.message.toStdString();

    const QList<QPair<QString, QByteArray>> entries = ReadZip(archive);
    QStringList names;
    for (const auto& entry : entries)
        names.append(entry.first);
    EXPECT_EQ(names, (QStringList{"scan.pdf", "notes.txt", "interview.mp3", "report.pdf", "same.txt",
                                  "same(01).txt", "exact.bin"}));
    ASSERT_EQ(entries.size(), 7);
    EXPECT_EQ(entries[4].second, QByteArray("first"));
    EXPECT_EQ(entries[5].second, QByteArray("second"));
    EXPECT_EQ(entries[6].second, QByteArray(1048576, 'e'));
    // Nothing but the archive was left beside the project.
    EXPECT_EQ(QDir(dir.path()).entryList({QStringLiteral("Study.kv4.zip*")}, QDir::Files),
              QStringList{QStringLiteral("Study.kv4.zip")});
}

TEST_F(ExternalsCommands, AProjectWithoutExternalFilesWritesNoArchiveAndSaysSo)
{
    Open(false);
    messages.AddAnswers({MessageAnswer::Cancel});
    frametest::ClickMenuCommand(*frame, 0, CommandId::ArchiveExternals);
    ASSERT_EQ(messages.questions.size(), 1);
    EXPECT_EQ(messages.questions[0].message,
              QStringLiteral("\nThis project refers to no external files: no archive was written."));
    EXPECT_FALSE(QFileInfo::exists(archive));
}

TEST_F(ExternalsCommands, TheCommandsWaitForAProject)
{
    ShowFrame();
    for (int id : {CommandId::ShowExternals, CommandId::ArchiveExternals}) {
        CCmdUI ui;
        ui.id = id;
        EXPECT_TRUE(frame->OnUpdateCommand(ui));
        EXPECT_FALSE(ui.enabled) << id;
    }
}
