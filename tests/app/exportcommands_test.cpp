// The frame's export commands, clicked in the File menu's Export submenu
// offscreen: the save dialog's entries and default type by the remembered
// type, writers chosen by the typed extension, the document browser's
// stored bytes, the folder export's numbered root, and 611, 658 and 33218.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "app/listwindows.h"
#include "app/framefixture.h"
#include "browser/textcoderwindow.h"
#include "exchange/tableexports.h"
#include "foundation/workbook.h"
#include "platform/profile/privateprofile.h"
#include "store/topictable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

constexpr int kExportMenuText = 200006;

QByteArray BytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ExportCommandsTest : public frametest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        TableExports::SetOpener({});
        TextCoderWindow::SetOpenSavedDocuments(false);
        g_program.DocumentsFolder = dir.path();
        g_program.ExportFolder = dir.path();
        g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR) + u'/';
        document.SetExportService(&exports);
        path = dir.file(QStringLiteral("Study.kv4"));
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.CreateProjectFile(path, QStringLiteral("MAIN")), false));
        const qint32 group = maker.NewDocumentGroupNamed(QStringLiteral("Interviews"));
        text = maker.NewDocument(group, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Hello there")}), {});
        pdfBytes = QByteArray("%PDF-1.4 stored bytes\n%%EOF\n");
        pdf = maker.NewExternalDocument(group, QStringLiteral("Paper"), pdfBytes, DocumentKind::Pdf);
        ASSERT_TRUE(text && pdf);
        maker.CloseDatabase();
        ShowFrame();
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        messages.texts.clear();
        messages.prompts.clear();
    }
    void TearDown() override
    {
        frame->ListWindows().CloseAll();
        FrameTest::TearDown();
    }

    /// Opens File, then its Export submenu, and clicks the command.
    void ClickExport(int command)
    {
        frametest::ClickSubmenuCommand(*frame, frametest::kFileMenu, LoadString(kExportMenuText), command);
    }
    bool Enabled(int command)
    {
        for (QAction* action : frame->menuBar()->actions().value(0)->menu()->actions())
            if (QMenu* sub = action->menu()) {
                emit sub->aboutToShow();
                for (QAction* each : sub->actions())
                    if (each->data().toInt() == command)
                        return each->isEnabled();
            }
        return false;
    }
    QString Remembered(const QString& section)
    {
        return PrivateProfile(g_program.ProfilePath).GetString(section, QStringLiteral("ExportFileType"));
    }

    TableExports exports;
    QString path;
    qint32 text = 0;
    qint32 pdf = 0;
    QByteArray pdfBytes;
};

TEST_F(ExportCommandsTest, TheRememberedTypeComesFirst)
{
    const QString excel = LoadString(102259);
    const QString rtf = LoadString(3129);
    for (const auto& [option, suffix] : {std::pair{"0", "xls"}, std::pair{"1", "xlsx"}}) {
        g_qdaOptions.SetValueText(QdaOption::ExcelFormat, QString::fromLatin1(option));
        QFile::remove(g_program.ProfilePath);
        messages.files.append(QStringList());   // cancelled
        ClickExport(612);
        ASSERT_EQ(messages.prompts.size(), 1);
        EXPECT_EQ(messages.prompts[0].defaultSuffix, QString::fromLatin1(suffix));
        EXPECT_TRUE(messages.prompts[0].filter.startsWith(excel)) << messages.prompts[0].filter.toStdString();
        messages.prompts.clear();
    }
    // After an RTF export of the pane, RTF is offered first.
    const QString file = dir.file(QStringLiteral("tree.rtf"));
    messages.files.append({file});
    ClickExport(612);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(Remembered(QStringLiteral("TextsCtrl")), QStringLiteral("rtf"));
    messages.prompts.clear();
    messages.files.append(QStringList());
    ClickExport(612);
    ASSERT_EQ(messages.prompts.size(), 1);
    EXPECT_TRUE(messages.prompts[0].filter.startsWith(rtf));
    EXPECT_EQ(messages.prompts[0].defaultSuffix, QStringLiteral("rtf"));
}

TEST_F(ExportCommandsTest, AnExtensionOutsideTheOfferedTypes)
{
    // The segments pane writes nothing but remembers the type.
    const QString doc = dir.file(QStringLiteral("segments.doc"));
    messages.files.append({doc});
    ClickExport(616);
    EXPECT_FALSE(QFile::exists(doc));
    EXPECT_EQ(Remembered(QStringLiteral("SegmentsCtrl")), QStringLiteral("doc"));
    // The code matrix writes it as text after the Unicode question.
    const QString matrix = dir.file(QStringLiteral("matrix.dat"));
    messages.files.append({matrix});
    messages.AddAnswers({MessageAnswer::Yes});
    ClickExport(619);
    ASSERT_TRUE(QFile::exists(matrix));
    EXPECT_TRUE(BytesOf(matrix).startsWith("\xFF\xFE"));
    EXPECT_TRUE(messages.texts.contains(LoadString(100620)));
}

TEST_F(ExportCommandsTest, ThePdfInTheBrowserIsSavedAsStored)
{
    EXPECT_TRUE(Enabled(614));
    // Nothing open in the browser: nothing is asked.
    ClickExport(614);
    EXPECT_TRUE(messages.prompts.isEmpty());

    QMenu* menu = RightClick(NodeKind::Document, pdf, PaneControlId::DocumentTree);
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
        if (action->data().toInt() == 20024)
            action->trigger();
    QCoreApplication::processEvents();
    ASSERT_NE(frame->BrowserWindow(), nullptr);
    ASSERT_EQ(frame->BrowserWindow()->GetDocKind(), TextCoderWindow::Pdf);
    const QString file = dir.file(QStringLiteral("saved.pdf"));
    messages.files.append({file});
    ClickExport(614);
    ASSERT_EQ(messages.prompts.size(), 1);
    EXPECT_EQ(messages.prompts[0].defaultSuffix, QStringLiteral("pdf"));
    EXPECT_EQ(BytesOf(file), pdfBytes);
}

TEST_F(ExportCommandsTest, TheRichTextAsStoredNumberedOrAsRows)
{
    QMenu* menu = RightClick(NodeKind::Document, text, PaneControlId::DocumentTree);
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
        if (action->data().toInt() == 20024)
            action->trigger();
    QCoreApplication::processEvents();
    ASSERT_EQ(frame->BrowserWindow()->GetDocKind(), TextCoderWindow::RichText);
    QByteArray stored;
    ASSERT_TRUE(document.GetDocumentContentBytes(text, stored));

    const QString plain = dir.file(QStringLiteral("plain.rtf"));
    messages.files.append({plain});
    messages.AddAnswers({MessageAnswer::No});
    ClickExport(614);
    EXPECT_EQ(BytesOf(plain), stored);

    const QString numbered = dir.file(QStringLiteral("numbered.rtf"));
    messages.files.append({numbered});
    messages.AddAnswers({MessageAnswer::Yes});
    ClickExport(614);
    const QByteArray rtf = BytesOf(numbered);
    EXPECT_TRUE(rtf.startsWith("{\\rtf"));
    EXPECT_TRUE(rtf.contains("1\\tab Hello there")) << rtf.constData();

    // A workbook needs no question: one numbered row per paragraph.
    const QString book = dir.file(QStringLiteral("rows.xlsx"));
    messages.files.append({book});
    ClickExport(614);
    WorkbookSheetContent sheet;
    ASSERT_TRUE(ReadWorkbookSheet(book, 0, sheet));
    EXPECT_EQ(sheet.Cell(0, 0).number, 1);
    EXPECT_EQ(sheet.Text(0, 1).trimmed(), QStringLiteral("Hello there"));
}

TEST_F(ExportCommandsTest, AllDocumentsTwiceGiveANumberedRoot)
{
    const QString out = dir.file(QStringLiteral("out"));
    ASSERT_TRUE(QDir().mkpath(out));
    messages.files.append({out});
    ClickExport(618);
    messages.files.append({out});
    ClickExport(618);
    const QString name = document.GetProjectName();
    EXPECT_TRUE(QFile::exists(QDir(out).filePath(name + QStringLiteral("/Interviews/Anna.rtf"))));
    EXPECT_TRUE(QFile::exists(QDir(out).filePath(name + QStringLiteral("(1)/Interviews/Paper.pdf"))))
        << QDir(out).entryList().join(u' ').toStdString();
    EXPECT_EQ(g_program.ExportFolder, out);
}

TEST_F(ExportCommandsTest, SegmentsAsPageAndTableAndTheLinkList)
{
    ClickExport(611);
    EXPECT_TRUE(QFile::exists(dir.file(LoadString(57723) + QStringLiteral(".htm"))));
    g_qdaOptions.SetValueText(QdaOption::ExcelFormat, QStringLiteral("1"));
    ClickExport(658);
    EXPECT_TRUE(QFile::exists(dir.file(LoadString(57723) + QStringLiteral(".xlsx"))));
    EXPECT_TRUE(Enabled(620));   // the project workbook
    EXPECT_TRUE(Enabled(621));
    EXPECT_TRUE(Enabled(622));

    // The geo-link list rebuilds the link overview first.
    doctest::AddRow(db(), TopicId::Links, {{LinkField::Document, text}, {LinkField::LinkID, -1},
                                           {LinkField::Text, QByteArray("r\0o\0u\0t\0e\0.\0k\0m\0l\0", 18)}});
    frame->Commands().Execute(ListWindowCommand::GeoLinkList);
    QList<qint32> rows;
    db().GetAllKeys(TopicId::MapLinks, rows);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(db().GetIntValue(TopicId::MapLinks, rows.first(), 1), 2);
}

}  // namespace
