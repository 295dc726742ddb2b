// The word-frequency commands through the frame's menu: the options dialog,
// the word list window it fills, and the stop-list dialog with its files.

#include "framefixture.h"

#include "app/listwindows.h"
#include "app/textviewerdlg.h"
#include "common/screenshots.h"
#include "app/wordfreqcommands.h"
#include "dictionary/stoplistdlg.h"
#include "dictionary/wordfrequency.h"
#include "dictionary/wordfrequencydlg.h"
#include "document/documentids.h"
#include "document/wordcountoptions.h"
#include "panes/objectlistwindow.h"
#include "platform/profile/privateprofile.h"
#include "ui/redit4list.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

using namespace frametest;

template <class T>
T* Control(QWidget* dialog, int id)
{
    return qobject_cast<T*>(FindControl(dialog, id));
}

/// A click on the box of a check box or radio button, which may stretch far beyond its text.
void ClickBox(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

class WordFreqTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        document.SetWordCounter(&counter);
        document.SetWordTally(&counter);
        ShowFrame();
        OpenThroughMenu(MakeProject(QStringLiteral("Words.kv4")));
        ASSERT_TRUE(document.GetEngine());
        group = document.NewDocumentGroupNamed(QStringLiteral("G"));
        document.NewDocument(group, QStringLiteral("A"), doctest::RtfOf({QStringLiteral("red red blue")}), QString());
        document.NewDocument(group, QStringLiteral("B"), doctest::RtfOf({QStringLiteral("blue green")}), QString());
    }
    void TearDown() override
    {
        FrameTest::TearDown();
        document.SetWordCounter(nullptr);
        document.SetWordTally(nullptr);
    }
    /// The word counter from the Analysis menu; `fill` sets the dialog up before OK.
    void CountFromMenu(std::function<void(CWordFrequencyDlg*)> fill = {})
    {
        WhenModalShows([fill](QWidget* modal) {
            auto* dialog = qobject_cast<CWordFrequencyDlg*>(modal);
            ASSERT_NE(dialog, nullptr);
            if (fill)
                fill(dialog);
            QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
        });
        ClickMenuCommand(*frame, kAnalysisMenu, WordFreqCommand::WordCounter);
        QCoreApplication::processEvents();
    }

    doctest::WordCountOptions options;
    dictionary::WordFrequencyCounter counter{&document};
    qint32 group = 0;
};

}  // namespace

TEST_F(WordFreqTest, ACountFromTheMenuFillsTheWordListAndASecondReusesIt)
{
    CountFromMenu();
    ObjectListWindow* window = frame->ListWindows().Window(CListWindows::Words);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Title(), QStringLiteral("3 words, 5 in all"));
    EXPECT_EQ(window->ShownList()->model()->rowCount(), 3);

    // Per document, with a minimum length of 4: the same window, new rows.
    CountFromMenu([](CWordFrequencyDlg* dialog) {
        ClickBox(Control<QRadioButton>(dialog, CWordFrequencyDlg::UnitDocument));
        QSpinBox* length = Control<QSpinBox>(dialog, CWordFrequencyDlg::MinCharsEdit);
        length->selectAll();
        QTest::keyClicks(length, QStringLiteral("4"));
    });
    ObjectListWindow* again = frame->ListWindows().Window(CListWindows::Words);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Title(), QStringLiteral("2 words, 3 in all"));
    EXPECT_EQ(document.GetWordCountSettings().minChars, 4);
    EXPECT_EQ(document.GetWordCountSettings().typeCount, 1);
    CountFromMenu();
    EXPECT_EQ(frame->ListWindows().Window(CListWindows::Words), again);

    // Cancel keeps the settings and counts nothing.
    const qint64 total = document.GetTotalWordCount();
    WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CWordFrequencyDlg*>(modal);
        ClickBox(Control<QRadioButton>(dialog, CWordFrequencyDlg::UnitAll));
        QTest::mouseClick(Control<QPushButton>(dialog, 2), Qt::LeftButton);
    });
    ClickMenuCommand(*frame, kAnalysisMenu, WordFreqCommand::WordCounter);
    QCoreApplication::processEvents();
    EXPECT_EQ(document.GetWordCountSettings().typeCount, 1);
    EXPECT_EQ(document.GetTotalWordCount(), total);

    // The settings go to "QNT" and come back.
    ASSERT_TRUE(frame->SaveSettings());
    PrivateProfile profile(g_program.ProfilePath);
    EXPECT_EQ(profile.GetInt(QStringLiteral("QNT"), QStringLiteral("MinCharsCount"), 0), 4);
    EXPECT_EQ(profile.GetInt(QStringLiteral("QNT"), QStringLiteral("TypeCount"), 0), 1);
}

TEST_F(WordFreqTest, TheOptionsDialogHidesInGoListModeAndKeepsItsRanges)
{
    QStringList recent = {QStringLiteral("/a/one.txt"), QStringLiteral("/a/two.txt")};
    {
        CWordFrequencyDlg dialog(frame.get());
        dialog.m_recentStopLists = &recent;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QSpinBox* length = Control<QSpinBox>(&dialog, CWordFrequencyDlg::MinCharsEdit);
        QTest::keyClick(length, Qt::Key_Down);
        EXPECT_EQ(length->value(), 1);
        length->setValue(10000);
        QTest::keyClick(length, Qt::Key_Up);
        EXPECT_EQ(length->value(), 10000);
        QComboBox* combo = Control<QComboBox>(&dialog, CWordFrequencyDlg::StopListCombo);
        ASSERT_EQ(combo->count(), 3);
        EXPECT_TRUE(combo->isEnabled());
        combo->setCurrentIndex(2);
        ClickBox(Control<QCheckBox>(&dialog, CWordFrequencyDlg::UseStopList));
        EXPECT_FALSE(combo->isEnabled());
        dialog.accept();
        EXPECT_TRUE(dialog.m_stopListFile.isEmpty());  // the stop list is off
        EXPECT_FALSE(dialog.m_useStopList);
        EXPECT_EQ(dialog.m_minChars, 10000);
    }
    {
        CWordFrequencyDlg dialog(frame.get());
        dialog.m_recentStopLists = &recent;
        dialog.show();
        Control<QComboBox>(&dialog, CWordFrequencyDlg::StopListCombo)->setCurrentIndex(2);
        dialog.accept();
        EXPECT_EQ(dialog.m_stopListFile, QStringLiteral("/a/two.txt"));
    }
    CWordFrequencyDlg dialog(frame.get());
    dialog.m_goList = true;
    dialog.m_minChars = 7;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (int id : {int(CWordFrequencyDlg::MinCharsEdit), int(CWordFrequencyDlg::MinCharsLabel),
                   int(CWordFrequencyDlg::UseStopList), int(CWordFrequencyDlg::StopListCombo)})
        EXPECT_FALSE(FindControl(&dialog, id)->isVisible()) << id;
    for (int id : {int(CWordFrequencyDlg::UnitAll), int(CWordFrequencyDlg::OnlyActivated),
                   int(CWordFrequencyDlg::OnlySegments)})
        EXPECT_TRUE(FindControl(&dialog, id)->isVisible()) << id;
    EXPECT_TRUE(dialog.windowTitle().endsWith(QStringLiteral(" - Dictionary word frequencies")));
    dialog.accept();
    EXPECT_EQ(dialog.m_minChars, 7);
}

TEST_F(WordFreqTest, StopListEditsAndFiles)
{
    QString path = dir.file(QStringLiteral("StopList.txt"));
    QStringList recent;
    {
        CStopListDlg dialog(frame.get(), &document, &recent, &path);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::NewWord), Qt::LeftButton);
        ASSERT_NE(CREdit4List::Active(), nullptr);
        QLineEdit* edit = CREdit4List::Active()->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, QStringLiteral("Foo bar"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(document.GetWordList(), QStringList{QStringLiteral("foo")});
        ASSERT_EQ(dialog.List()->count(), 1);
        EXPECT_EQ(dialog.List()->item(0)->text(), QStringLiteral("foo"));
        EXPECT_TRUE(dialog.List()->item(0)->isSelected());
        QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::CloseButton), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), CStopListDlg::kModified);
    }
    {
        // Nothing changed: 2, and the frame leaves the file alone.
        CStopListDlg dialog(frame.get(), &document, &recent, &path);
        dialog.show();
        QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::CloseButton), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), CStopListDlg::kUnchanged);
    }

    // Files in UTF-16 with its mark and in 8-bit; "," is a separator.
    const QString wide = dir.file(QStringLiteral("wide.txt"));
    const QString narrow = dir.file(QStringLiteral("narrow.txt"));
    const QString text = QStringLiteral("The, and\r\nthe AND \u00e9t\u00e9");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    testutil::WriteFile(wide, bytes);
    testutil::WriteFile(narrow, QByteArray("The, and\r\nthe AND \xE9t\xE9"));
    const QStringList expected = {QStringLiteral("and"), QStringLiteral("the"), QStringLiteral("\u00e9t\u00e9")};
    for (const QString& file : {wide, narrow}) {
        CStopListDlg dialog(frame.get(), &document, &recent, &path);
        dialog.show();
        messages.files.append({file});
        QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::ReplaceButton), Qt::LeftButton);
        EXPECT_EQ(document.GetWordList(), expected) << file.toStdString();
        EXPECT_EQ(dialog.List()->count(), 3);
        EXPECT_EQ(path, file);
        EXPECT_EQ(recent.constFirst(), file);
        dialog.reject();
    }
    EXPECT_EQ(recent, (QStringList{narrow, wide}));

    CStopListDlg dialog(frame.get(), &document, &recent, &path);
    dialog.show();
    // A file that cannot be read: reported, nothing changed.
    messages.files.append({dir.file(QStringLiteral("missing.txt"))});
    QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::AddButton), Qt::LeftButton);
    EXPECT_EQ(document.GetWordList(), expected);
    EXPECT_EQ(messages.texts.size(), 1);
    // Export: FF FE and each word with CR LF.
    const QString exported = dir.file(QStringLiteral("out.txt"));
    messages.files.append({exported});
    QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::ExportButton), Qt::LeftButton);
    const QString words = QStringLiteral("and\r\nthe\r\n\u00e9t\u00e9\r\n");
    EXPECT_EQ(testutil::ReadFile(exported),
              QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(words.utf16()), words.size() * 2));
    // A folder in the way: reported, the folder stays.
    messages.files.append({dir.path()});
    QTest::mouseClick(Control<QPushButton>(&dialog, CStopListDlg::ExportButton), Qt::LeftButton);
    EXPECT_EQ(messages.texts.size(), 2);
    EXPECT_TRUE(QFileInfo(dir.path()).isDir());
    // Delete removes the selected words.
    dialog.List()->item(0)->setSelected(true);
    QTest::keyClick(dialog.List(), Qt::Key_Delete);
    EXPECT_EQ(document.GetWordList(), (QStringList{QStringLiteral("the"), QStringLiteral("\u00e9t\u00e9")}));
    dialog.reject();
}

TEST_F(WordFreqTest, TheStopListCommandSavesAChangedList)
{
    WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CStopListDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(Control<QPushButton>(dialog, CStopListDlg::NewWord), Qt::LeftButton);
        QLineEdit* edit = CREdit4List::Active()->findChild<QLineEdit*>();
        QTest::keyClicks(edit, QStringLiteral("Zebra"));
        QTest::keyClick(edit, Qt::Key_Return);
        QTest::mouseClick(Control<QPushButton>(dialog, CStopListDlg::CloseButton), Qt::LeftButton);
    });
    ClickMenuCommand(*frame, kAnalysisMenu, WordFreqCommand::StopList);
    QCoreApplication::processEvents();
    const QString file = frame->WordFreqCommands().StopListPath();
    const QString word = QStringLiteral("zebra");
    EXPECT_EQ(testutil::ReadFile(file),
              QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(word.utf16()), word.size() * 2));
}

TEST_F(WordFreqTest, TheTagCloudLooksAsRecorded)
{
    // The words of the group in their sizes and colours by frequency: red
    // and blue twice, green once.
    document.GetRegistry().SelectObject(TopicId::DocumentGroups, group, 0);
    QCoreApplication::processEvents();
    bool matches = false;
    WhenModalShows([&matches](QWidget* modal) {
        auto* viewer = qobject_cast<CTextViewerDlg*>(modal);
        ASSERT_NE(viewer, nullptr);
        viewer->setFixedSize(420, 240);
        QCoreApplication::processEvents();
        matches = testutil::MatchesReferenceImage(viewer->grab().toImage(),
                                                  testutil::DataPath(QStringLiteral("app/tagcloud.png")));
        viewer->reject();
    });
    ClickMenuCommand(*frame, kAnalysisMenu, WordFreqCommand::TagCloud);
    QCoreApplication::processEvents();
    EXPECT_TRUE(matches);
}
