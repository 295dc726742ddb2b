// The print commands of the frame, reached through the caption buttons of
// the trees, the retrieved segments and the browser, printed into PDF files
// and read back.

#include "browser/studyframe.h"
#include "common/printcapture.h"
#include "document/documentids.h"
#include "platform/rtf/rtfwriter.h"

#include <QTextDocument>

using namespace browsertest;

namespace {

class Printing : public StudyFrame {
protected:
    void SetUp() override
    {
        StudyFrame::SetUp();
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("prints")));
    }
    /// Clicks the caption button of a command in the view that hosts a pane.
    void ClickCaption(CMainFrame::View view, int command)
    {
        QToolButton* button = frame->ViewAt(view)->PaneButton(command);
        ASSERT_NE(button, nullptr) << "command " << command;
        ASSERT_TRUE(button->isVisible() && button->isEnabled()) << "command " << command;
        QTest::mouseClick(button, Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    QStringList LastPrint() const { return testutil::PrintedPages(capture.LastFile()); }
    /// Codes "honey" in Anna with Honey by dragging the code onto the word.
    void CodeHoney()
    {
        SelectWordAt(text(), At(QStringLiteral("honey")) + 1);
        ASSERT_TRUE(DragNodeToText(*frame->CodeTree(), TopicId::Codes, honey, At(QStringLiteral("honey")) + 1));
        ASSERT_EQ(Retrieved().size(), 1);
    }

    testutil::PrintCapture capture{dir.file(QStringLiteral("prints"))};
};

TEST_F(Printing, DocumentTreePrintsItsGroupsAndDocumentsUnderTheProjectTitle)
{
    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path);
    ClickCaption(CMainFrame::Blau, TreePaneWindow::Print);
    const QStringList pages = LastPrint();
    ASSERT_EQ(pages.size(), 1);
    for (const char* text : {"Project: Study", "Interviews", "Anna", "Ben"})
        EXPECT_TRUE(pages[0].contains(QString::fromLatin1(text))) << text;
}

TEST_F(Printing, CodeTreePrintsItsCodesWithTheirMemosOnlyWhenAsked)
{
    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path);
    QTextDocument memo;
    memo.setPlainText(QStringLiteral("Sweet things in the talks"));
    bool created = false;
    ASSERT_NE(document.GetCodeMemo(honey, created, true, rtf::WriteRtf(memo)), 0);

    {
        testutil::ScriptedMessages answers({MessageAnswer::No});
        ClickCaption(CMainFrame::Green, CObjTreeCtrl::Print);
        EXPECT_EQ(answers.texts, QStringList{LoadString(101042)});
    }
    QStringList pages = LastPrint();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Honey")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Bees")));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Sweet things")));

    {
        testutil::ScriptedMessages answers({MessageAnswer::Yes});
        ClickCaption(CMainFrame::Green, CObjTreeCtrl::Print);
    }
    pages = LastPrint();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Sweet things in the talks")));
    EXPECT_EQ(capture.files.size(), 2);
}

TEST_F(Printing, RetrievedSegmentsPrintTheirReportWithOrWithoutMemos)
{
    OpenAnnaActivated();
    CodeHoney();
    for (const MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Yes}) {
        {
            testutil::ScriptedMessages answers({answer});
            ClickCaption(CMainFrame::Black, 606);
            EXPECT_EQ(answers.texts.size(), 1);
        }
        const QStringList pages = LastPrint();
        ASSERT_EQ(pages.size(), 1);
        for (const char* text : {"Project: Study", "Anna", "Honey", "honey"})
            EXPECT_TRUE(pages[0].contains(QString::fromLatin1(text))) << text;
    }
    EXPECT_EQ(capture.files.size(), 2);
}

TEST_F(Printing, BrowserPrintsTheShownDocumentWithItsCodesWhenAsked)
{
    OpenAnnaActivated();
    CodeHoney();
    QToolButton* button = frame->ViewAt(CMainFrame::White)->PaneButton(604);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->toolTip(), QStringLiteral("Print the document"));

    {
        testutil::ScriptedMessages answers({MessageAnswer::Yes});
        ClickCaption(CMainFrame::White, 604);
        EXPECT_EQ(answers.texts, QStringList{LoadString(3123)});
    }
    QStringList pages = LastPrint();
    ASSERT_EQ(pages.size(), 1);
    for (const QString& line : kStudyText)
        EXPECT_TRUE(pages[0].contains(line)) << line.toStdString();
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Honey")));
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Anna")));

    {
        testutil::ScriptedMessages answers({MessageAnswer::No});
        ClickCaption(CMainFrame::White, 604);
    }
    pages = LastPrint();
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(kStudyText.first()));
    EXPECT_FALSE(pages[0].contains(QStringLiteral("Honey")));
}

TEST_F(Printing, CancelledDialogOrNoProjectPrintsNothing)
{
    // Without a project the commands do nothing, not even the dialog.
    for (const int command : {600, 602, 604, 606, 608, 610})
        EXPECT_TRUE(frame->Commands().Execute(command)) << command;
    EXPECT_EQ(capture.dialogs, 0);

    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path);
    capture.cancel = true;
    ClickCaption(CMainFrame::Blau, TreePaneWindow::Print);
    EXPECT_EQ(capture.dialogs, 1);
    EXPECT_TRUE(QDir(dir.file(QStringLiteral("prints"))).entryList(QDir::Files).isEmpty());
}

TEST_F(Printing, ProjectStatisticsPrintThroughTheirCommand)
{
    OpenThroughMenu(path);
    ASSERT_EQ(OpenPath(), path);
    ASSERT_TRUE(frame->Commands().Execute(610));
    const QStringList pages = LastPrint();
    ASSERT_GE(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Project: Study")));
    // Two documents in the study.
    const QString documents = LoadString(DocumentText::StatisticsDocuments).simplified();
    ASSERT_FALSE(documents.isEmpty());
    EXPECT_TRUE(pages[0].simplified().contains(documents + QStringLiteral(" 2")) ||
                pages[0].simplified().contains(documents + QStringLiteral("2")))
        << pages[0].toStdString();
}

}  // namespace
