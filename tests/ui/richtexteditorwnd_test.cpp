// The rich-text editor window: read-only with its editing and format
// commands disabled, Copy following the selection, and the handlers acting
// when a command reaches the window.
#include "ui/richtexteditorwnd.h"

#include "common/screenshots.h"
#include "common/testutil.h"
#include "ui/richeditwnd.h"

#include <QApplication>
#include <QClipboard>
#include <QDate>
#include <QLocale>
#include <QLineEdit>
#include <QSpinBox>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextList>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QByteArray kNotice("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 The notice says: meet on "
                         "\\b Monday\\b0  at nine.\\par Bring the consent forms.\\par}");

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(420, 160);
        window.Editor()->StreamInRtf(&kNotice, false);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    bool Enabled(int command) const
    {
        QAction* action = window.ToolBar()->Action(command);
        return action && action->isEnabled();
    }

    RichTextEditorWnd window;
};

TEST_F(EditorWindow, IsReadOnlyWithOnlyCopyAndColourEnabled)
{
    EXPECT_TRUE(window.Editor()->isReadOnly());
    EXPECT_EQ(window.Editor()->property("controlId").toInt(), RichTextEditorWnd::kEditorId);
    EXPECT_EQ(window.Editor()->geometry(), QRect(0, 27, 420, 160 - 27));
    const QList<int> formatting = {kEditorBold,        kEditorItalic,     kEditorUnderline, kEditorTimeStamp,
                                   kEditorAlignLeft,   kEditorAlignCenter, kEditorAlignRight, kEditorBullets,
                                   kEditorNumbering,   kEditorIndentLess, kEditorIndentMore, kEditorLineSpacing,
                                   kEditorCut,         kEditorPaste};
    for (bool selected : {false, true}) {
        SCOPED_TRACE(selected ? "with a selection" : "without a selection");
        window.Editor()->SetSel(0, selected ? 10 : 0);
        for (int command : formatting)
            EXPECT_FALSE(Enabled(command)) << command;
        EXPECT_EQ(Enabled(kEditorCopy), selected);
        EXPECT_TRUE(window.ToolBar()->ColourButton()->isEnabled());
        EXPECT_FALSE(window.ToolBar()->SizeField()->isEnabled());
        EXPECT_FALSE(window.ToolBar()->FaceField()->isEnabled());
    }
    // Copy is a real click on its button.
    QApplication::clipboard()->clear();
    window.Editor()->SetSel(4, 10);
    QTest::mouseClick(window.ToolBar()->widgetForAction(window.ToolBar()->Action(kEditorCopy)), Qt::LeftButton);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("notice"));
    // Typing changes nothing.
    const QString before = window.Editor()->toPlainText();
    window.Editor()->setFocus();
    QTest::keyClicks(window.Editor(), QStringLiteral("xyz"));
    EXPECT_EQ(window.Editor()->toPlainText(), before);
}

TEST_F(EditorWindow, PaintsAsRecorded)
{
    window.Editor()->SetSel(0, 0);
    EXPECT_TRUE(testutil::MatchesReferenceImage(&window, testutil::DataPath(QStringLiteral("screenshots/rich_text_editor.png"))));
}

TEST_F(EditorWindow, ColourChoiceColoursTheSelection)
{
    window.Editor()->SetSel(4, 10);
    window.OnColourChanged(QColor(200, 0, 0));
    EXPECT_EQ(window.ToolBar()->CurrentColour(), QColor(200, 0, 0));
    window.Editor()->SetSel(6, 6);
    EXPECT_EQ(window.Editor()->textCursor().charFormat().foreground().color(), QColor(200, 0, 0));
}

TEST_F(EditorWindow, GetRtfOfAnEmptyTextIsEmpty)
{
    QByteArray rtf("stale");
    window.Editor()->SetText(QStringLiteral(""));
    window.GetRtf(rtf);
    EXPECT_TRUE(rtf.isEmpty());
    window.Editor()->StreamInRtf(&kNotice, false);
    window.GetRtf(rtf);
    EXPECT_TRUE(rtf.startsWith("{\\rtf"));
    EXPECT_TRUE(rtf.contains("Monday"));
}

TEST_F(EditorWindow, FormattingHandlersActWhenACommandArrives)
{
    QSignalSpy changed(&window, &RichTextEditorWnd::TextChanged);
    window.Editor()->SetSel(4, 10);
    window.OnCommand(kEditorBold);
    RichEditCharFormat format;
    ASSERT_TRUE(window.GetSelectionCharFormat(format));
    EXPECT_TRUE(format.effects & kCharBold);
    window.OnCommand(kEditorBold);
    window.GetSelectionCharFormat(format);
    EXPECT_FALSE(format.effects & kCharBold);

    // Numbering on a bulleted paragraph numbers it; the same command again
    // takes the numbers off.
    window.OnCommand(kEditorBullets);
    ASSERT_TRUE(window.Editor()->textCursor().currentList());
    EXPECT_EQ(window.Editor()->textCursor().currentList()->format().style(), QTextListFormat::ListDisc);
    window.OnCommand(kEditorNumbering);
    ASSERT_TRUE(window.Editor()->textCursor().currentList());
    EXPECT_EQ(window.Editor()->textCursor().currentList()->format().style(), QTextListFormat::ListDecimal);
    window.OnCommand(kEditorNumbering);
    EXPECT_FALSE(window.Editor()->textCursor().currentList());

    // Indenting less at the left edge keeps the text in the window.
    window.OnCommand(kEditorIndentLess);
    EXPECT_EQ(window.Editor()->textCursor().blockFormat().leftMargin(), 0);
    window.OnCommand(kEditorIndentMore);
    EXPECT_GT(window.Editor()->textCursor().blockFormat().leftMargin(), 30);

    window.OnCommand(kEditorSpacing25);
    EXPECT_TRUE(window.ToolBar()->Action(kEditorSpacing25)->isChecked());
    EXPECT_FALSE(window.ToolBar()->Action(kEditorSpacing10)->isChecked());
    EXPECT_EQ(window.Editor()->textCursor().blockFormat().lineHeight(), 250);

    window.OnCommand(kEditorAlignCenter);
    EXPECT_EQ(window.Editor()->textCursor().blockFormat().alignment(), Qt::AlignHCenter);

    const int before = int(changed.count());
    window.OnCommand(kEditorRefresh);
    EXPECT_EQ(changed.count(), before + 1);
    EXPECT_FALSE(Enabled(kEditorBold)) << "still read-only";
}

TEST_F(EditorWindow, TimeStampGoesInPlaceOfTheSelectionOnItsOwnLine)
{
    window.Editor()->SetSel(0, 3);
    window.OnCommand(kEditorTimeStamp);
    const QString text = window.Editor()->toPlainText();
    const QString today = QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
    EXPECT_TRUE(text.startsWith(today)) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("\n notice says"))) << text.toStdString();
}

}  // namespace
