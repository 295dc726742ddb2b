// The in-place rename editor: its reports, its trimmed text and the rule
// that only one exists.

#include "ui/redit4list.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class RenameEditor : public testing::Test {
protected:
    void SetUp() override
    {
        list.resize(300, 200);
        list.show();
        QApplication::setActiveWindow(&list);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    }
    /// An editor over the list's top row; its reports go to `reports`,
    /// each with the text it could read then.
    QPointer<CREdit4List> open(const QString& text, qint32 value = 7)
    {
        auto* editor = new CREdit4List;
        EXPECT_TRUE(editor->Create(&list, nullptr, QRect(10, 10, 150, 22), text, 64, value));
        QObject::connect(editor, &CREdit4List::finished, [this, editor](bool accepted) {
            reports.push_back({accepted, editor->GetText(), editor->CallerValue()});
        });
        return editor;
    }
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    struct Report {
        bool accepted;
        QString text;
        qint32 value;
        bool operator==(const Report&) const = default;
    };
    QWidget list;
    std::vector<Report> reports;
};

}  // namespace

TEST_F(RenameEditor, EnterAcceptsTrimmedEscapeCancels)
{
    QPointer<CREdit4List> editor = open(QStringLiteral("old"));
    QLineEdit* field = editor->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->selectedText(), "old");
    QTest::keyClicks(field, "  new name  ");
    QTest::keyClick(field, Qt::Key_Return);
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(CREdit4List::Active(), nullptr);

    editor = open(QStringLiteral("keep"), 9);
    QTest::keyClicks(editor->findChild<QLineEdit*>(), "x");
    QTest::keyClick(editor->findChild<QLineEdit*>(), Qt::Key_Escape);
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(reports, (std::vector<Report>{{true, "new name", 7}, {false, "x", 9}}));
}

TEST_F(RenameEditor, AClickInsideKeepsItAClickElsewhereAccepts)
{
    QPointer<CREdit4List> editor = open(QStringLiteral("name"));
    QTest::mouseClick(editor->findChild<QLineEdit*>(), Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    ASSERT_FALSE(editor.isNull());
    EXPECT_TRUE(reports.empty());
    QTest::mouseClick(&list, Qt::LeftButton, {}, QPoint(250, 150));
    settle();
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(reports, (std::vector<Report>{{true, "name", 7}}));
}

TEST_F(RenameEditor, ASecondEditorClosesTheFirstWithoutAReport)
{
    QPointer<CREdit4List> first = open(QStringLiteral("one"));
    QPointer<CREdit4List> second = open(QStringLiteral("two"));
    settle();
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(CREdit4List::Active(), second.data());
    EXPECT_TRUE(reports.empty());
    CREdit4List::DestroyActive();
    settle();
    EXPECT_TRUE(second.isNull());
    EXPECT_TRUE(reports.empty());
}
