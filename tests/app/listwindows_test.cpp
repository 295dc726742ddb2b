#include "app/listwindows.h"

#include "common/documentowner.h"
#include "common/recordingpane.h"
#include "document/docfixture.h"
#include "panes/listids.h"
#include "panes/objectlistwindow.h"
#include "document/documentids.h"

#include "document/objectlistregistry.h"
#include "foundation/programpaths.h"
#include "store/topicdatabase.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class ListWindowsTest : public doctest::DocTest {
protected:
    ListWindowsTest() : listOwner(doc), windows(&frameWidget, &doc) {}

    void SetUp() override
    {
        DocTest::SetUp();
        m_savedProfile = g_program.ProfilePath;
        g_program.ProfilePath = dir.file("KORVAN10.ini");
        NewProject();
        const qint32 group = AddGroup("G");
        document = AddDocument(group, "Anna", doctest::RtfOf({"text"}));
        code = AddCode("Bank");
        coding = AddCoding(document, code, 0, 2);
        AddCoding(document, 0, 0, 2);   // a coding of no code is not listed
        memo = AddMemo({{MemoField::Title, QStringLiteral("memo")}});
        windows.SetOwner(&listOwner);
    }
    void TearDown() override
    {
        windows.CloseAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        g_program.ProfilePath = m_savedProfile;
        DocTest::TearDown();
    }

    QWidget frameWidget;
    testutil::DocumentOwner listOwner;
    CListWindows windows;
    qint32 document = 0, code = 0, coding = 0, memo = 0;

private:
    QString m_savedProfile;
};

}  // namespace

TEST_F(ListWindowsTest, ListCommandTwiceReusesItsWindowWithNewRows)
{
    const int panes = doc.GetRegistry().GetCount();
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::MemosList));
    ObjectListWindow* window = windows.Window(CListWindows::Memos);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->List1()->RowCount(), 1);
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes + 1);
    const qint32 second = AddMemo({{MemoField::Title, QStringLiteral("another")}});
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::MemosList));
    EXPECT_EQ(windows.Window(CListWindows::Memos), window);
    EXPECT_TRUE(window->List1()->HasRow(second));
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes + 1);
    // A window that goes clears its slot and leaves the registry.
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(windows.Window(CListWindows::Memos));
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes);
}

TEST_F(ListWindowsTest, CodingsListLeavesOutCodingsOfNoCodeAndCountsTheirSources)
{
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::CodingsList));
    ObjectListWindow* window = windows.Window(CListWindows::Codings);
    ASSERT_TRUE(window);
    EXPECT_EQ(window->List1()->RowCount(), 1);
    EXPECT_TRUE(window->List1()->HasRow(coding));
    EXPECT_EQ(window->CountText(), LoadString(ListText::CodingsCount).arg(1).arg(1).arg(1) + "    ");
}

TEST_F(ListWindowsTest, VariablesCommandsReplaceTheOneVariablesWindow)
{
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::CodeVariables));
    ObjectListWindow* codes = windows.Window(CListWindows::Variables);
    ASSERT_TRUE(codes);
    EXPECT_EQ(codes->Topic(), TopicId::Codes);
    EXPECT_TRUE(codes->VariablesShown());
    QPointer<ObjectListWindow> gone(codes);
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::DocumentVariables));
    EXPECT_TRUE(gone.isNull());
    ObjectListWindow* documents = windows.Window(CListWindows::Variables);
    ASSERT_TRUE(documents);
    EXPECT_EQ(documents->Topic(), TopicId::Documents);
    EXPECT_TRUE(documents->VariablesShown());
    EXPECT_TRUE(documents->List2()->RowCount() > 0);
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::DocumentsList));
    EXPECT_FALSE(windows.Window(CListWindows::Variables)->VariablesShown());
}

TEST_F(ListWindowsTest, WithoutOwnerOrProjectTheCommandsAreDisabled)
{
    CCmdUI ui;
    ui.id = ListWindowCommand::CodesList;
    ASSERT_TRUE(windows.OnUpdateCommand(ui));
    EXPECT_TRUE(ui.enabled);
    CListWindows alone(&frameWidget, &doc);
    CCmdUI off;
    off.id = ListWindowCommand::CodesList;
    ASSERT_TRUE(alone.OnUpdateCommand(off));
    EXPECT_FALSE(off.enabled);
    EXPECT_TRUE(alone.OnCommand(ListWindowCommand::CodesList));
    EXPECT_FALSE(alone.Window(CListWindows::Codes));
    CCmdUI other;
    other.id = 12345;
    EXPECT_FALSE(windows.OnUpdateCommand(other));
}

TEST_F(ListWindowsTest, CodeFrequenciesCountWhileAListOfCodesIsOpen)
{
    ASSERT_FALSE(doc.GetAutoFrequencies());
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::CodesList));
    ObjectListWindow* codes = windows.Window(CListWindows::Codes);
    ASSERT_TRUE(codes);
    EXPECT_TRUE(doc.GetAutoFrequencies());

    // The code variables are a list of codes too: closing one of the two
    // keeps the counting on, closing the last ends it.
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::CodeVariables));
    ASSERT_TRUE(windows.Window(CListWindows::Variables));
    codes->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(windows.Window(CListWindows::Codes));
    EXPECT_TRUE(doc.GetAutoFrequencies());
    windows.Window(CListWindows::Variables)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(doc.GetAutoFrequencies());

    // Lists of other objects leave it alone.
    ASSERT_TRUE(windows.OnCommand(ListWindowCommand::MemosList));
    EXPECT_FALSE(doc.GetAutoFrequencies());
}

TEST_F(ListWindowsTest, CountedWordsJoinACategoryOnceEachAndAreAnnounced)
{
    doc.PrepareWordTable({}, TopicId::Codes);
    const qint32 category = doctest::AddRow(db(), TopicId::DictionaryCategories, {{1, 0}, {2, QStringLiteral("Geld")}});
    const qint32 other = doctest::AddRow(db(), TopicId::DictionaryCategories, {{1, 0}, {2, QStringLiteral("Arbeit")}});
    ASSERT_GT(category, 0);
    ASSERT_GT(other, 0);
    const qint32 held = doctest::AddRow(db(), TopicId::DictionaryEntries,
                                        {{EntryField::Category, category}, {EntryField::Text, QStringLiteral("bank")}});
    ASSERT_GT(held, 0);
    // The same word under another category does not count as held.
    ASSERT_GT(doctest::AddRow(db(), TopicId::DictionaryEntries,
                              {{EntryField::Category, other}, {EntryField::Text, QStringLiteral("kredit")}}),
              0);
    QList<qint32> words;
    for (const char* word : {"kredit", "bank", "zins", "zins"})
        words.append(doctest::AddRow(db(), TopicId::WordFrequencies, {{2, QString::fromLatin1(word)}}));
    ASSERT_FALSE(words.contains(0));

    testutil::CallLog log;
    testutil::RecordingPane pane("p", log);
    pane.showsAll = true;
    doc.GetRegistry().Register(&pane);
    log.Take();

    EXPECT_EQ(windows.AddWordsToCategory(category, words + QList<qint32>{987654}), 2);
    QList<qint32> entries;
    db().FindKeysByParent(TopicId::DictionaryEntries, TopicId::DictionaryCategories, category, entries);
    QStringList texts;
    for (const qint32 entry : entries)
        texts.append(doc.GetDatabase().FormatRowDisplay(TopicId::DictionaryEntries, entry, false));
    EXPECT_EQ(texts, (QStringList{"bank", "kredit", "zins"}));
    ASSERT_EQ(entries.size(), 3);
    const auto calls = log.Take();
    std::vector<std::string> added;
    for (const std::string& call : calls)
        if (call.rfind("p.OnObjectAdded", 0) == 0)
            added.push_back(call);
    EXPECT_EQ(added, (std::vector<std::string>{
                         testutil::FormatCall("p", "OnObjectAdded", {TopicId::DictionaryEntries, entries[1], 0,
                                                                     TopicId::DictionaryCategories, category, 1}),
                         testutil::FormatCall("p", "OnObjectAdded", {TopicId::DictionaryEntries, entries[2], 0,
                                                                     TopicId::DictionaryCategories, category, 1})}));

    // Nothing for an unknown category, no words, or without a project.
    EXPECT_EQ(windows.AddWordsToCategory(category + other + 100, words), 0);
    EXPECT_EQ(windows.AddWordsToCategory(category, {}), 0);
    CListWindows alone(&frameWidget, nullptr);
    EXPECT_EQ(alone.AddWordsToCategory(category, words), 0);
    doc.GetRegistry().Unregister(&pane);
}
