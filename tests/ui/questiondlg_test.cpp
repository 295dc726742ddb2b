// The question dialog and the confirmation popup, clicked as a user does,
// and their answers through the message service.

#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/messageservice.h"
#include "foundation/stringstore.h"
#include "ui/confirmdlg.h"
#include "ui/messagebox.h"
#include "ui/questiondlg.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

QuestionPrompt Prompt(const QString& second)
{
    return {QStringLiteral("Archive"), QStringLiteral("Keep the files?"), QStringLiteral("Keep"), second,
            QStringLiteral("Close")};
}

// Runs `act` on the modal dialog once it is up.
template <typename Dialog, typename Act>
void WhenShown(Act act)
{
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        act(dialog);
    });
}

}  // namespace

TEST(QuestionDlg, AnEmptySecondTextGivesTheTwoButtonLayout)
{
    CQuestionDlg three(Prompt(QStringLiteral("Move")));
    EXPECT_EQ(three.TemplateId(), CQuestionDlg::kThreeButtonTemplateId);
    ASSERT_NE(three.Button(CQuestionDlg::kSecondButtonId), nullptr);
    EXPECT_EQ(three.Button(CQuestionDlg::kSecondButtonId)->text(), QStringLiteral("Move"));

    CQuestionDlg two(Prompt(QString()));
    EXPECT_EQ(two.TemplateId(), CQuestionDlg::kTwoButtonTemplateId);
    EXPECT_EQ(two.Button(CQuestionDlg::kSecondButtonId), nullptr);
    EXPECT_EQ(two.Button(CQuestionDlg::kFirstButtonId)->text(), QStringLiteral("Keep"));
    EXPECT_EQ(two.Button(CQuestionDlg::kThirdButtonId)->text(), QStringLiteral("Close"));
    EXPECT_EQ(two.MessageLabel()->text(), QStringLiteral("Keep the files?"));
    EXPECT_EQ(two.windowTitle(), QStringLiteral("Archive"));
}

TEST(QuestionDlg, EachButtonAnswersWithItsIdAndEscapeAsTheThird)
{
    const struct {
        int clicked;  // 0: Escape
        int expected;
        MessageAnswer answer;
    } cases[] = {
        {CQuestionDlg::kFirstButtonId, 6, MessageAnswer::Yes},
        {CQuestionDlg::kSecondButtonId, 7, MessageAnswer::No},
        {CQuestionDlg::kThirdButtonId, 2, MessageAnswer::Cancel},
        {0, 2, MessageAnswer::Cancel},
    };
    for (const auto& c : cases) {
        CQuestionDlg dialog(Prompt(QStringLiteral("Move")));
        WhenShown<CQuestionDlg>([&c](CQuestionDlg* shown) {
            if (c.clicked)
                QTest::mouseClick(shown->Button(c.clicked), Qt::LeftButton);
            else
                QTest::keyClick(shown, Qt::Key_Escape);
        });
        const int result = dialog.exec();
        EXPECT_EQ(result, c.expected) << c.clicked;
        EXPECT_EQ(CQuestionDlg::AnswerOf(result), c.answer);
    }
}

TEST(QuestionDlg, TheHelpKeyShowsTheHelpButton)
{
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
    QuestionPrompt prompt = Prompt(QString());
    prompt.firstButton = QLatin1String(kQuestionHelpButton);
    CQuestionDlg dialog(prompt);
    QPushButton* help = dialog.Button(CQuestionDlg::kFirstButtonId);
    EXPECT_EQ(help->text(), QStringLiteral("Help"));
    EXPECT_EQ(help->toolTip(), QStringLiteral("Help"));
    EXPECT_FALSE(help->icon().isNull());
    g_pStringStore->Close();
}

TEST(QuestionDlg, TheShellServiceRunsTheDialogsAndTestsAnswerThemInstead)
{
    CMessageBoxService service;
    WhenShown<CQuestionDlg>([](CQuestionDlg* shown) {
        QTest::mouseClick(shown->Button(CQuestionDlg::kSecondButtonId), Qt::LeftButton);
    });
    EXPECT_EQ(service.AskQuestion(Prompt(QStringLiteral("Move"))), MessageAnswer::No);
    WhenShown<CConfirmDlg>([](CConfirmDlg* shown) {
        QTest::mouseClick(shown->Button(CConfirmDlg::kOkId), Qt::LeftButton);
    });
    EXPECT_EQ(service.Confirm({QPoint(40, 40), 10, QStringLiteral("Delete"), QStringLiteral("Keep"),
                               QStringLiteral("Delete the variable?")}),
              MessageAnswer::Ok);

    // Without a service nobody answers: the safe answer.
    IMessageService* previous = SetMessageService(nullptr);
    EXPECT_EQ(AskQuestion(Prompt(QString())), MessageAnswer::Cancel);
    EXPECT_FALSE(AskConfirm({}));
    SetMessageService(previous);

    testutil::ScriptedMessages scripted({MessageAnswer::Yes, MessageAnswer::Ok});
    EXPECT_EQ(AskQuestion(Prompt(QString())), MessageAnswer::Yes);
    EXPECT_TRUE(AskConfirm({QPoint(1, 2), 0, QStringLiteral("OK"), QStringLiteral("Cancel"), QStringLiteral("Sure?")}));
    ASSERT_EQ(scripted.questions.size(), 1);
    EXPECT_EQ(scripted.questions[0].caption, QStringLiteral("Archive"));
    ASSERT_EQ(scripted.confirmations.size(), 1);
    EXPECT_EQ(scripted.confirmations[0].point, QPoint(1, 2));
    EXPECT_EQ(scripted.texts, (QStringList{QStringLiteral("Keep the files?"), QStringLiteral("Sure?")}));
}

TEST(ConfirmDlg, PlacementKeepsThePopupWholeOnTheArea)
{
    const QRect area(0, 0, 1000, 800);
    const QSize size(200, 100);
    const struct {
        QPoint point;
        QPoint expected;
        const char* why;
    } cases[] = {
        {{300, 300}, {295, 300}, "five pixels left of the point"},
        {{2, 300}, {5, 300}, "a left edge off the area becomes 5"},
        {{950, 300}, {795, 300}, "near the right edge: ends 5 before it"},
        {{300, 750}, {295, 750 - 20 - 100}, "near the bottom: above the point, less the offset"},
        {{990, 790}, {795, 790 - 20 - 100}, "the corner: both"},
        {{300, 700}, {295, 700}, "exactly fitting at the bottom stays below"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CConfirmDlg::PlaceAt(c.point, 20, size, area), c.expected) << c.why;
}

TEST(ConfirmDlg, APopupNearTheScreensCornerStaysWholeOnScreen)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint corner(screen.right() - 3, screen.bottom() - 3);
    CConfirmDlg dialog({corner, 12, QStringLiteral("OK"), QStringLiteral("Cancel"),
                        QStringLiteral("Delete the categorial variable?")});
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRect shown = dialog.frameGeometry();
    EXPECT_TRUE(screen.contains(shown)) << shown.x() << "," << shown.y() << " " << shown.width() << "x"
                                        << shown.height();
    EXPECT_EQ(shown.bottom(), corner.y() - 12 - 1);
    EXPECT_EQ(dialog.MessageLabel()->text(), QStringLiteral("Delete the categorial variable?"));
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), CConfirmDlg::kCancelId);
}
