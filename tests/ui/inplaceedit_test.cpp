// The editors over a list cell and the list search popup.

#include "ui/inplaceedit.h"
#include "ui/listsearchpopup.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void settle();

/// A list with a second widget to take the focus away from an editor.
class CellEditing : public testing::Test {
protected:
    void SetUp() override
    {
        list.addItems({"alpha", "beta", "gamma"});
        list.resize(300, 200);
        list.show();
        QApplication::setActiveWindow(&list);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
    }

    /// An editor over the first cell editing `target`, with its reports counted.
    template <typename Editor>
    Editor* open(QString* target, qint32* data = nullptr)
    {
        auto* editor = new Editor(&list, 40);
        editor->setGeometry(list.visualItemRect(list.item(0)));
        QObject::connect(editor, &Editor::changed, [this](int flag) { reports.push_back({1030, flag}); });
        QObject::connect(editor, &Editor::unchanged, [this](int flag) { reports.push_back({1031, flag}); });
        editor->show();
        editor->SetTarget(target, data);
        editor->setFocus();
        return editor;
    }
    void retype(QWidget* field, const QString& text)
    {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            QTest::keyClicks(field, text);
    }
    /// Takes the focus away, as a click elsewhere does, and lets a pending close run.
    void leave()
    {
        list.setFocus(Qt::MouseFocusReason);
        settle();
    }

    QListWidget list;
    std::vector<std::pair<int, int>> reports;
};

using Report = std::pair<int, int>;

/// Runs queued calls and the deletions they asked for.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

TEST_F(CellEditing, LeavingReportsWhetherTheTextChanged)
{
    struct Case {
        const char* name;
        const char* typed;
        Report report;
        const char* target;
    };
    const std::vector<Case> cases = {
        {"changed", "delta", {1030, 0}, "delta"},
        {"typed back to the start", "alpha", {1031, 0}, "alpha"},
        {"blanks are a change, but not kept", " alpha ", {1030, 0}, "alpha"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reports.clear();
        QString target = QStringLiteral("alpha");
        QPointer<CInplaceEdit> editor = open<CInplaceEdit>(&target);
        retype(editor, QString::fromLatin1(c.typed));
        leave();
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0], c.report);
        EXPECT_EQ(target, c.target);
        EXPECT_TRUE(editor.isNull());   // closed and deleted
    }
}

TEST_F(CellEditing, EnterReportsAndStaysOpenEscapeCancels)
{
    QString target = QStringLiteral("alpha");
    QPointer<CInplaceEdit> editor = open<CInplaceEdit>(&target);
    retype(editor, QStringLiteral(" new "));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(reports, (std::vector<Report>{{1030, 1}}));
    EXPECT_EQ(target, "new");
    QCoreApplication::processEvents();
    ASSERT_FALSE(editor.isNull());
    // Leaving afterwards does not report the same text again.
    leave();
    EXPECT_EQ(reports, (std::vector<Report>{{1030, 1}, {1031, 0}}));

    reports.clear();
    target = QStringLiteral("alpha");
    editor = open<CInplaceEdit>(&target);
    retype(editor, QStringLiteral("zzz"));
    QTest::keyClick(editor, Qt::Key_Escape);
    leave();
    EXPECT_EQ(reports, (std::vector<Report>{{1031, 0}}));   // no second report on focus loss
    EXPECT_EQ(target, "alpha");
    EXPECT_TRUE(editor.isNull());
}

TEST_F(CellEditing, TheEditGrowsWithItsText)
{
    QString target = QStringLiteral("a");
    CInplaceEdit* editor = open<CInplaceEdit>(&target);
    editor->resize(60, 20);
    retype(editor, QString(40, QLatin1Char('w')));
    EXPECT_GT(editor->width(), 60);
    retype(editor, QStringLiteral("w"));
    EXPECT_EQ(editor->width(), std::max(40, 20 + list.fontMetrics().horizontalAdvance(QStringLiteral("w"))));
    editor->EndEdit();
}

TEST_F(CellEditing, TheComboGivesTheChosenEntrysData)
{
    QString target = QStringLiteral("one");
    qint32 data = -1;
    QPointer<CInplaceCombo> combo = open<CInplaceCombo>(&target, &data);
    combo->addItem(QStringLiteral("one"), 1);
    combo->addItem(QStringLiteral("two"), 2);
    combo->setEditText(QStringLiteral("one"));
    combo->setCurrentIndex(1);
    leave();
    EXPECT_EQ(reports, (std::vector<Report>{{1030, 0}}));
    EXPECT_EQ(target, "two");
    EXPECT_EQ(data, 2);
    EXPECT_TRUE(combo.isNull());
}

namespace {

/// A list of the test's own that the popup searches.
class WordList : public IRowFinder {
public:
    explicit WordList(QStringList words) : m_words(std::move(words)) {}
    bool RowsLoaded() const override { return loaded; }
    int FindRow(int start, int, const QString& text) const override
    {
        for (int i = start; i < m_words.size(); ++i)
            if (RowMatches(m_words[i], text))
                return i;
        return -1;
    }
    void ShowFoundRow(int row, int previous) override { shown.push_back({row, previous}); }

    bool loaded = true;
    std::vector<std::pair<int, int>> shown;

private:
    QStringList m_words;
};

}  // namespace

TEST(ListSearch, RowsMatchByStartOrAnywhereWithAStar)
{
    EXPECT_TRUE(RowMatches("Interview 12", "inter"));
    EXPECT_FALSE(RowMatches("Interview 12", "view"));
    EXPECT_TRUE(RowMatches("Interview 12", "*VIEW"));
    EXPECT_TRUE(RowMatches("anything", "*"));
}

TEST(ListSearch, TypingFindsEnterFindsNextEscapeRemembers)
{
    ListSearchPopup::ClearHistory();
    WordList words({"apple", "banana", "avocado", "cherry", "apricot"});
    auto* popup = new ListSearchPopup(&words, 0, -1, 10, 300, 150);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<ListSearchPopup> alive = popup;
    popup->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    EXPECT_GE(popup->width(), ListSearchPopup::kMinWidth);
    EXPECT_EQ(popup->geometry().bottom() + 1, 300);

    QLineEdit* field = popup->Combo()->lineEdit();
    QTest::keyClicks(field, "a");
    EXPECT_EQ(popup->CurrentMatch(), 0);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(popup->CurrentMatch(), 2);
    QTest::keyClicks(field, "p");   // "ap": back to the first row that starts so
    EXPECT_EQ(popup->CurrentMatch(), 0);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(popup->CurrentMatch(), 4);
    QTest::keyClick(field, Qt::Key_Return);   // no more: the match stays
    EXPECT_EQ(popup->CurrentMatch(), 4);
    EXPECT_EQ(words.shown, (std::vector<std::pair<int, int>>{{0, -1}, {2, 0}, {0, 2}, {4, 0}}));

    QTest::keyClick(field, Qt::Key_Escape);
    settle();
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(ListSearchPopup::History(), QStringList{"ap"});
    ListSearchPopup::ClearHistory();
}

TEST(ListSearch, HistoryKeepsTwentyDistinctTextsNewestFirst)
{
    ListSearchPopup::ClearHistory();
    for (int i = 0; i < 25; ++i)
        ListSearchPopup::AddToHistory(QString::number(i));
    ListSearchPopup::AddToHistory(QStringLiteral("10"));
    const QStringList h = ListSearchPopup::History();
    ASSERT_EQ(h.size(), ListSearchPopup::kHistorySize);
    EXPECT_EQ(h.front(), "10");
    EXPECT_EQ(h.count(QStringLiteral("10")), 1);
    EXPECT_EQ(h[1], "24");
    ListSearchPopup::ClearHistory();
}

TEST(ListSearch, APopupAtTheRightEdgeStaysOnScreen)
{
    EXPECT_EQ(ListSearchPopup::FitToScreen(100, 150, 1000), (std::pair<int, int>{100, 200}));
    EXPECT_EQ(ListSearchPopup::FitToScreen(700, 400, 1000), (std::pair<int, int>{700, 300}));
    EXPECT_EQ(ListSearchPopup::FitToScreen(900, 400, 1000), (std::pair<int, int>{800, 200}));
}
