// The search dialogs and their ".sea" files: the settings text, the files
// with and without byte-order mark, the term list edited in place, the
// enabling rules, and the last settings kept whichever way a dialog ends.

#include "common/screenshots.h"
#include "common/scriptedmessages.h"
#include "common/testutil.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/searchdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace SearchDlgIds;

TEST(SearchSettingsText, ReadsAndWritesAsTheDialogsKeepIt)
{
    struct Case {
        const char* text;
        bool memos;
        bool all;
        bool within;
        int distance;
        bool wholeWords;
        QStringList terms;
        QByteArray operators;
    };
    const Case cases[] = {
        // Four numbers: the rest keeps its defaults.
        {"1|0|0|5", true, false, false, 5, false, {}, {}},
        // Nine numbers and two bars: no terms, no operators.
        {"0|1|1|3|1|0|0|0|0||", false, true, true, 3, true, {}, {}},
        // Cut inside the terms: the terms before the cut stay.
        {"0|0|0|1|1|0|0|0|0|alpha|be", false, false, false, 1, true, {"alpha", "be"}, {}},
        // Cut inside the numbers: the fields before the cut stay.
        {"1|1|0|", true, true, false, 0, false, {}, {}},
        // Two terms and one operator, text after the last bar ignored.
        {"0|0|0|1|0|0|0|0|0|alpha|beta||1|junk", false, false, false, 1, false, {"alpha", "beta"}, QByteArray(1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CSearchOptions options;
        options.Parse(QString::fromLatin1(c.text));
        EXPECT_EQ(options.searchMemos, c.memos);
        EXPECT_EQ(options.allTerms, c.all);
        EXPECT_EQ(options.withinDistance, c.within);
        EXPECT_EQ(options.distance, c.distance);
        EXPECT_EQ(options.wholeWords, c.wholeWords);
        EXPECT_FALSE(options.matchCase || options.onlyActivated || options.onlyRetrieved);
        EXPECT_EQ(options.terms, c.terms);
        EXPECT_EQ(options.operators, c.operators);
    }
    // A record without operators writes nothing after the two bars.
    CSearchOptions record;
    record.terms = {QStringLiteral("alpha")};
    EXPECT_EQ(record.Format(), QStringLiteral("0|0|0|1|0|0|0|0|0|alpha||"));
    record.operators = QByteArray(1, 2);
    EXPECT_EQ(record.Format(), QStringLiteral("0|0|0|1|0|0|0|0|0|alpha||2|"));
}

class SearchDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        g_program.SettingsFolder = dir.path() + QLatin1Char('/');
    }
    void TearDown() override
    {
        g_pStringStore->Close();
        g_program = {};
    }

    template <typename Dialog>
    std::unique_ptr<Dialog> Show()
    {
        auto dialog = std::make_unique<Dialog>();
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }
    template <typename Control>
    static Control* Find(QWidget* dialog, int id)
    {
        auto* control = qobject_cast<Control*>(FindControl(dialog, id));
        EXPECT_NE(control, nullptr) << "control " << id;
        return control;
    }
    /// Types into the open in-place editor of the term list and ends with Enter.
    static void TypeIntoEditor(QListWidget* list, const QString& text)
    {
        auto* editor = qobject_cast<QLineEdit*>(list->window()->focusWidget());
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(list->isAncestorOf(editor));
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        // The item view takes the text once the key has been handled.
        QCoreApplication::processEvents();
    }
    static QStringList Items(const QListWidget* list)
    {
        QStringList items;
        for (int row = 0; row < list->count(); ++row)
            items.append(list->item(row)->text());
        return items;
    }

    testutil::TempDir dir;
    testutil::ScriptedMessages messages;
};

TEST_F(SearchDialogs, SearchFilesCarryTheMarkAndReadBothForms)
{
    CSearchOptions options;
    options.terms = {QStringLiteral("Grüße"), QStringLiteral("work")};
    options.matchCase = true;
    const QString path = dir.file(QStringLiteral("terms.sea"));
    ASSERT_TRUE(WriteSearchFile(path, options));
    const QByteArray bytes = testutil::ReadFile(path);
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    EXPECT_EQ(bytes.size(), 2 + 2 * options.Format().size());
    EXPECT_EQ(bytes.mid(2, 4), QByteArray("0\0|\0", 4));
    CSearchOptions read;
    ASSERT_TRUE(ReadSearchFile(path, read));
    EXPECT_EQ(read.Format(), options.Format());

    // Without the mark: 8-bit text, UTF-8 when it is well-formed, else
    // Windows-1252.
    struct Case {
        QByteArray bytes;
        QString term;
    };
    const Case cases[] = {
        {QByteArray("0|0|0|1|0|0|0|0|0|Gr\xFC\xDF" "e||"), QStringLiteral("Grüße")},
        {QByteArray("0|0|0|1|0|0|0|0|0|Gr\xC3\xBC\xC3\x9F" "e||"), QStringLiteral("Grüße")},
        {QByteArray("0|0|0|1|0|0|0|0|0|\x80uro||"), QStringLiteral("€uro")},
    };
    for (const Case& c : cases) {
        const QString plain = dir.file(QStringLiteral("plain.sea"));
        ASSERT_TRUE(testutil::WriteFile(plain, c.bytes));
        CSearchOptions eight;
        ASSERT_TRUE(ReadSearchFile(plain, eight));
        EXPECT_EQ(eight.terms, QStringList{c.term});
    }

    // A file that cannot be read, or is too large to be settings, changes nothing.
    CSearchOptions kept = options;
    QString error;
    EXPECT_FALSE(ReadSearchFile(dir.file(QStringLiteral("missing.sea")), kept, &error));
    EXPECT_FALSE(error.isEmpty());
    const QString large = dir.file(QStringLiteral("large.sea"));
    ASSERT_TRUE(testutil::WriteFile(large, QByteArray(2 << 20, 'x')));
    EXPECT_FALSE(ReadSearchFile(large, kept, &error));
    EXPECT_EQ(kept.Format(), options.Format());
    // A file that cannot be written is reported; the earlier one stays.
    EXPECT_FALSE(WriteSearchFile(dir.file(QStringLiteral("no/such/folder.sea")), CSearchOptions(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(SearchDialogs, TermsAreAddedTrimmedAndNeverTwice)
{
    auto dialog = Show<CSearchDlg>();
    QListWidget* list = dialog->TermList();
    auto* add = Find<QPushButton>(dialog.get(), Add);
    auto* ok = Find<QPushButton>(dialog.get(), Ok);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>(dialog.get(), Memos)->isEnabled());

    QTest::mouseClick(add, Qt::LeftButton);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Hit 1"));
    TypeIntoEditor(list, QStringLiteral("  work  "));
    EXPECT_EQ(Items(list), QStringList{"work"});
    // One term: OK, but no any/all and no distance.
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>(dialog.get(), AllTerms)->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(dialog.get(), WithinDistance)->isEnabled());

    QTest::mouseClick(add, Qt::LeftButton);
    TypeIntoEditor(list, QStringLiteral("work"));   // an existing text: refused
    EXPECT_EQ(Items(list), (QStringList{"work", "Hit 2"}));
    list->editItem(list->item(1));
    TypeIntoEditor(list, QStringLiteral("   "));    // empty: refused
    EXPECT_EQ(Items(list), (QStringList{"work", "Hit 2"}));
    list->editItem(list->item(1));
    TypeIntoEditor(list, QStringLiteral("a|b ") + QString(70, u'x'));   // "|" refused, cut at 63
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("ab ") + QString(60, u'x'));

    // The new name takes the lowest free number above the count.
    list->item(0)->setText(QStringLiteral("Hit 3"));
    QTest::mouseClick(add, Qt::LeftButton);
    QTest::keyClick(dialog->focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Hit 4"));

    // Two terms and more: any/all; the distance only with "all" and on.
    auto* all = Find<QRadioButton>(dialog.get(), AllTerms);
    auto* within = Find<QCheckBox>(dialog.get(), WithinDistance);
    auto* distance = Find<QSpinBox>(dialog.get(), Distance);
    EXPECT_TRUE(all->isEnabled());
    EXPECT_FALSE(within->isEnabled());
    QTest::mouseClick(all, Qt::LeftButton);
    EXPECT_TRUE(within->isEnabled());
    EXPECT_FALSE(distance->isEnabled());
    QTest::mouseClick(within, Qt::LeftButton);
    EXPECT_TRUE(distance->isEnabled());
    QTest::mouseClick(Find<QRadioButton>(dialog.get(), AnyTerm), Qt::LeftButton);
    EXPECT_FALSE(within->isEnabled());
    EXPECT_FALSE(distance->isEnabled());

    // The Delete key removes every selected term.
    list->setFocus();
    list->clearSelection();
    list->item(0)->setSelected(true);
    list->item(2)->setSelected(true);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(list->count(), 1);
    EXPECT_FALSE(all->isEnabled());
}

TEST_F(SearchDialogs, MemosSwitchOffTheDocumentRestrictions)
{
    CSearchOptions last;
    last.terms = {QStringLiteral("work"), QStringLiteral("home")};
    ASSERT_TRUE(WriteSearchFile(LastSearchFilePath(false), last));
    auto dialog = Show<CSearchDlg>();
    auto* activated = Find<QCheckBox>(dialog.get(), OnlyActivated);
    auto* retrieved = Find<QCheckBox>(dialog.get(), OnlyRetrieved);
    EXPECT_TRUE(activated->isEnabled());
    EXPECT_FALSE(retrieved->isEnabled());
    QTest::mouseClick(activated, Qt::LeftButton);
    EXPECT_TRUE(retrieved->isEnabled());
    QTest::mouseClick(retrieved, Qt::LeftButton);
    EXPECT_TRUE(retrieved->isChecked());

    QTest::mouseClick(Find<QRadioButton>(dialog.get(), Memos), Qt::LeftButton);
    EXPECT_FALSE(activated->isEnabled());
    EXPECT_FALSE(retrieved->isEnabled());
    QTest::mouseClick(Find<QRadioButton>(dialog.get(), Documents), Qt::LeftButton);
    EXPECT_TRUE(activated->isEnabled());
    EXPECT_TRUE(retrieved->isEnabled());
    // Switching the first restriction clears the second.
    QTest::mouseClick(activated, Qt::LeftButton);
    EXPECT_FALSE(retrieved->isChecked());
    EXPECT_FALSE(retrieved->isEnabled());

    auto ext = Show<CSearchExtDlg>();
    auto* extActivated = Find<QCheckBox>(ext.get(), OnlyActivated);
    QTest::mouseClick(Find<QRadioButton>(ext.get(), Memos), Qt::LeftButton);
    EXPECT_FALSE(extActivated->isEnabled());
    EXPECT_FALSE(Find<QCheckBox>(ext.get(), OnlyRetrieved)->isEnabled());
}

TEST_F(SearchDialogs, CancelStillKeepsTheSettingsForTheNextOpening)
{
    {
        auto dialog = Show<CSearchDlg>();
        QTest::mouseClick(Find<QPushButton>(dialog.get(), Add), Qt::LeftButton);
        TypeIntoEditor(dialog->TermList(), QStringLiteral("home"));
        QTest::mouseClick(Find<QCheckBox>(dialog.get(), MatchCase), Qt::LeftButton);
        dialog->move(40, 30);
        QTest::mouseClick(Find<QPushButton>(dialog.get(), Cancel), Qt::LeftButton);
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
    }
    CSearchOptions kept;
    ASSERT_TRUE(ReadSearchFile(LastSearchFilePath(false), kept));
    EXPECT_EQ(kept.terms, QStringList{"home"});
    EXPECT_TRUE(kept.matchCase);
    const QString placement = PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("LookFor"),
                                                                              QStringLiteral("WindowPos"));
    EXPECT_EQ(placement.split(u',').size(), 10);

    auto dialog = Show<CSearchDlg>();
    EXPECT_EQ(Items(dialog->TermList()), QStringList{"home"});
    EXPECT_TRUE(Find<QCheckBox>(dialog.get(), MatchCase)->isChecked());
    EXPECT_EQ(dialog->pos(), QPoint(40, 30));
    // The extended dialog keeps its own file.
    EXPECT_FALSE(QFile::exists(LastSearchFilePath(true)));
}

TEST_F(SearchDialogs, APlacementOfFewerThanTenNumbersIsNotApplied)
{
    PrivateProfile(g_program.ProfilePath)
        .WriteString(QStringLiteral("SearchExt"), QStringLiteral("WindowPos"), QStringLiteral("0,1,0,0,0,0,30,40,500"));
    auto dialog = Show<CSearchExtDlg>();
    EXPECT_NE(dialog->pos(), QPoint(30, 40));
}

TEST_F(SearchDialogs, SaveAndLoadThroughTheButtons)
{
    CSearchOptions stored;
    stored.terms = {QStringLiteral("alpha")};
    stored.operators = QByteArray(1, 2);   // kept through a save of the search dialog
    ASSERT_TRUE(WriteSearchFile(LastSearchFilePath(false), stored));
    auto dialog = Show<CSearchDlg>();
    const QString saved = dir.file(QStringLiteral("mine.sea"));
    messages.files = {{saved}};
    QTest::mouseClick(Find<QPushButton>(dialog.get(), Save), Qt::LeftButton);
    ASSERT_EQ(messages.prompts.size(), 1);
    EXPECT_EQ(messages.prompts[0].kind, FilePromptKind::SaveFile);
    EXPECT_EQ(messages.prompts[0].filter, QStringLiteral("Search settings (*.sea)"));
    CSearchOptions read;
    ASSERT_TRUE(ReadSearchFile(saved, read));
    EXPECT_EQ(read.Format(), stored.Format());

    // A file that cannot be read is reported and leaves the dialog as it was.
    const QString broken = dir.file(QStringLiteral("folder.sea"));
    ASSERT_TRUE(QDir().mkpath(broken));
    messages.files = {{broken}};
    QTest::mouseClick(Find<QPushButton>(dialog.get(), Load), Qt::LeftButton);
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(messages.texts[0].contains(broken));
    EXPECT_EQ(Items(dialog->TermList()), QStringList{"alpha"});

    const QString other = dir.file(QStringLiteral("other.sea"));
    ASSERT_TRUE(testutil::WriteFile(other, "1|0|0|1|0|0|0|0|0|x|y||"));
    messages.files = {{other}};
    QTest::mouseClick(Find<QPushButton>(dialog.get(), Load), Qt::LeftButton);
    EXPECT_EQ(Items(dialog->TermList()), (QStringList{"x", "y"}));
    EXPECT_TRUE(Find<QRadioButton>(dialog.get(), Memos)->isChecked());
    // The default folder follows the file.
    EXPECT_EQ(messages.prompts.last().path, dir.path() + QLatin1Char('/'));
    QTest::mouseClick(Find<QPushButton>(dialog.get(), Ok), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("LookFor"), QStringLiteral("DefaultPath")),
              dir.path() + QLatin1Char('/'));
    EXPECT_EQ(dialog->Options().terms, (QStringList{"x", "y"}));
}

TEST_F(SearchDialogs, EnterMovesOnUntilOkOrCancel)
{
    CSearchOptions last;
    last.terms = {QStringLiteral("work")};
    ASSERT_TRUE(WriteSearchFile(LastSearchFilePath(false), last));
    auto dialog = Show<CSearchDlg>();
    auto* whole = Find<QCheckBox>(dialog.get(), WholeWords);
    whole->setFocus();
    QTest::keyClick(whole, Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_NE(dialog->focusWidget(), whole);
    auto* ok = Find<QPushButton>(dialog.get(), Ok);
    ok->setFocus();
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(SearchDialogs, ExtendedTermsUpToTheFirstEmptyBoxWithTheirOperators)
{
    CSearchOptions last;
    last.terms = {QStringLiteral("work"), QStringLiteral("home")};
    last.operators = QByteArray("\x02\x07", 2);   // an unknown operator shows as 0
    last.withinDistance = false;
    ASSERT_TRUE(WriteSearchFile(LastSearchFilePath(true), last));
    auto dialog = Show<CSearchExtDlg>();
    EXPECT_EQ(dialog->TermBox(0)->text(), QStringLiteral("work"));
    EXPECT_EQ(dialog->OperatorList(0)->currentText(), QStringLiteral("and not"));
    EXPECT_EQ(dialog->OperatorList(1)->currentIndex(), 0);
    auto* distance = Find<QSpinBox>(dialog.get(), Distance);
    EXPECT_FALSE(distance->isEnabled());
    EXPECT_TRUE(testutil::MatchesReferenceImage(dialog.get(), QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                                  + QStringLiteral("/screenshots/search_extended.png")));

    QTest::mouseClick(Find<QCheckBox>(dialog.get(), ExtendedWithinDistance), Qt::LeftButton);
    EXPECT_TRUE(distance->isEnabled());
    distance->setValue(5);
    distance->setFocus();
    distance->selectAll();
    QTest::keyClicks(distance, QStringLiteral("0"));
    dialog->TermBox(2)->setFocus();
    EXPECT_EQ(distance->value(), 1);

    QTest::keyClicks(dialog->TermBox(2), QStringLiteral(" a|b "));
    dialog->TermBox(4)->setText(QStringLiteral("after a gap"));
    dialog->OperatorList(1)->setCurrentIndex(1);
    QTest::mouseClick(Find<QPushButton>(dialog.get(), Ok), Qt::LeftButton);
    EXPECT_EQ(dialog->Options().terms, (QStringList{"work", "home", "ab"}));
    EXPECT_EQ(dialog->Options().operators, QByteArray("\x02\x01\x00\x00\x00\x00", 6));
    EXPECT_TRUE(dialog->Options().withinDistance);

    // Without a first term there is nothing to search.
    auto empty = Show<CSearchExtDlg>();
    empty->TermBox(0)->clear();
    EXPECT_FALSE(Find<QPushButton>(empty.get(), Ok)->isEnabled());
}

TEST_F(SearchDialogs, SearchDialogLooksAsBefore)
{
    CSearchOptions last;
    last.terms = {QStringLiteral("work"), QStringLiteral("home")};
    last.allTerms = true;
    last.withinDistance = true;
    last.distance = 3;
    last.onlyActivated = true;
    ASSERT_TRUE(WriteSearchFile(LastSearchFilePath(false), last));
    auto dialog = Show<CSearchDlg>();
    dialog->resize(360, 440);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(dialog.get(), QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                                  + QStringLiteral("/screenshots/search_dialog.png")));
}

}  // namespace
