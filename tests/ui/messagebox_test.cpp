// The program's message box speaks the current language and gives the
// safe answer when closed without a choice.

#include "common/testutil.h"
#include "foundation/stringstore.h"
#include "ui/messagebox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Runs `act` on the message box once it is up.
template <typename Act>
void WhenBoxShows(Act act)
{
    QTimer::singleShot(0, [act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        act(box);
    });
}

QStringList ButtonTexts(const QMessageBox* box)
{
    QStringList texts;
    for (const QAbstractButton* button : box->buttons())
        texts.append(button->text());
    texts.sort();
    return texts;
}

}  // namespace

TEST(MessageBox, GermanButtonsAndTheClickedAnswer)
{
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 0));
    CMessageBoxService service;
    QStringList shown;
    WhenBoxShows([&](QMessageBox* box) {
        shown = ButtonTexts(box);
        EXPECT_EQ(box->text(), QStringLiteral("Projekt schließen?"));
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    EXPECT_EQ(service.Ask(QStringLiteral("Projekt schließen?"), MessageButtons::YesNo, MessageKind::Question,
                          MessageAnswer::Yes),
              MessageAnswer::No);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("&Ja"), QStringLiteral("&Nein")}));

    WhenBoxShows([&](QMessageBox* box) {
        shown = ButtonTexts(box);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_EQ(service.Ask(QStringLiteral("Weiter?"), MessageButtons::OkCancel, MessageKind::Warning,
                          MessageAnswer::Cancel),
              MessageAnswer::Cancel);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("Abbrechen"), QStringLiteral("OK")}));
    g_pStringStore->Close();
}

TEST(MessageBox, EscapeGivesTheSafeAnswer)
{
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
    CMessageBoxService service;
    const struct {
        MessageButtons buttons;
        MessageAnswer expected;
    } cases[] = {
        {MessageButtons::YesNo, MessageAnswer::No},
        {MessageButtons::YesNoCancel, MessageAnswer::Cancel},
        {MessageButtons::Ok, MessageAnswer::Ok},
    };
    for (const auto& c : cases) {
        WhenBoxShows([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        EXPECT_EQ(service.Ask(QStringLiteral("Delete?"), c.buttons, MessageKind::Question, MessageAnswer::Yes),
                  c.expected);
    }
    g_pStringStore->Close();
}
