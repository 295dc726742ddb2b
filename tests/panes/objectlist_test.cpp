#include "panes/objectlistctrl.h"

#include "document/objectlistregistry.h"
#include "listfixture.h"
#include "panes/listheaderctrl.h"
#include "panes/listids.h"
#include "platform/profile/privateprofile.h"
#include "store/topicdatabase.h"
#include "ui/inplaceedit.h"
#include "ui/listsearchpopup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using listtest::ListTest;
using testing::ElementsAre;
using testing::UnorderedElementsAre;

namespace {

/// The order the document's own row comparison gives, as the sort request
/// would answer it.
QList<qint32> OracleOrder(CKorDoc& doc, qint32 topic, qint32 fieldId, QList<qint32> keys, bool ascending)
{
    std::sort(keys.begin(), keys.end(), [&](qint32 a, qint32 b) {
        const int c = doc.CompareRowField(topic, fieldId, a, b);
        return ascending ? c < 0 : c > 0;
    });
    return keys;
}

}  // namespace

TEST_F(ListTest, CodingsListShowsEveryCodingWithReferencesAndCount)
{
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    EXPECT_EQ(list->RowCount(), 6);
    EXPECT_TRUE(window->PreviewShown());
    EXPECT_EQ(window->CountText(), "6 codings in 0 documents of 0 groups    ");
    window->SetCodingsCounts(3, 1);
    EXPECT_EQ(window->CountText(), "6 codings in 3 documents of 1 groups    ");

    const int row = int(list->Model()->RowOfKey(codings[2]));
    EXPECT_EQ(Text(list, row, CodingField::Document), "Interview Bert");
    EXPECT_EQ(Text(list, row, CodingField::Code), "bankrupt");
    EXPECT_EQ(Text(list, row, CodingField::Weight), "100");
    EXPECT_EQ(Text(list, row, CodingField::Comment), "Äpfel");
    // Without stored state the comment stands first, after the pinned colour column.
    const int colour = list->DisplayedColumns().value(0);
    EXPECT_TRUE(list->Columns().at(colour).IsColourColumn());
    EXPECT_EQ(list->DisplayedColumns().value(1), list->ColumnOfField(CodingField::Comment));
    EXPECT_EQ(list->horizontalHeader()->sectionSize(colour), ListLimit::ColourColumnWidth);
}

// Each kind of column sorts as the document compares its rows: integers,
// texts (collated, empty last), references by what they show, dates; a
// second click descends.
TEST_F(ListTest, SortingByEachColumnKindFollowsTheDocumentsComparison)
{
    ObjectListCtrl* list = Open(TopicId::Codings)->List1();
    const int requestsBefore = listOwner.requests;
    for (const qint32 field : {qint32(CodingField::Weight), qint32(CodingField::Comment),
                               qint32(CodingField::Document), qint32(CodingField::Code), qint32(CodingField::Date)}) {
        ClickHeader(list, field);
        EXPECT_EQ(list->SortColumn(), list->ColumnOfField(field));
        EXPECT_TRUE(list->Ascending());
        EXPECT_EQ(Rows(list), OracleOrder(doc, TopicId::Codings, field, codings, true)) << "field " << field;
        ClickHeader(list, field);
        EXPECT_FALSE(list->Ascending());
        EXPECT_EQ(Rows(list), OracleOrder(doc, TopicId::Codings, field, codings, false)) << "field " << field;
    }
    // Texts: case ignored, empty comments after all others.
    ClickHeader(list, CodingField::Comment);
    QStringList comments;
    for (int row = 0; row < list->RowCount(); ++row)
        comments.append(Text(list, row, CodingField::Comment));
    EXPECT_EQ(comments.indexOf("apple"), 0);
    EXPECT_LT(comments.indexOf("banana"), comments.indexOf("zebra"));
    EXPECT_THAT(comments.mid(4), ElementsAre("", ""));
    // Each row's key is read once per sort, never once per comparison.
    EXPECT_LT(listOwner.requests - requestsBefore, 200);
}

TEST_F(ListTest, RowsAddedFromOutsideComeFirstAndLeaveTheListUnsorted)
{
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    ClickHeader(list, CodingField::Weight);
    const qint32 added = AddCoding(docs[0], codes[3], 9, 12, {{CodingField::Weight, 60}});
    doc.GetRegistry().NotifyAdded(TopicId::Codings, added, -1, TopicId::Codes, codes[3], false);
    EXPECT_EQ(list->KeyAt(0), added);
    EXPECT_EQ(list->SortColumn(), -1);
    EXPECT_EQ(window->CountText().left(1), "7");
    // The same object announced again, alone or among others, adds no row.
    doc.GetRegistry().NotifyAdded(TopicId::Codings, added, -1, TopicId::Codes, codes[3], false);
    doc.GetRegistry().NotifyAddedMany(TopicId::Codings, {quint32(added), quint32(codings[0])}, 0, 0);
    EXPECT_EQ(list->RowCount(), 7);
    // Result rows of a retrieval run are no list's business.
    doc.GetRegistry().NotifyAddedMany(TopicId::Codings, {999}, TopicId::Codings, -1);
    EXPECT_FALSE(list->HasRow(999));
    // Deleted and changed objects.
    doc.GetRegistry().NotifyDeleted(TopicId::Codings, codings[1]);
    EXPECT_FALSE(list->HasRow(codings[1]));
    EXPECT_EQ(window->CountText().left(1), "6");
    doc.GetRegistry().NotifyDeleted(TopicId::Memos, codings[2]);   // another topic
    EXPECT_TRUE(list->HasRow(codings[2]));
}

TEST_F(ListTest, ListOfOneCodeTakesOnlyCodingsOfThatCode)
{
    QList<qint32> fieldIds;
    db().GetFieldIds(TopicId::Codings, fieldIds, true);
    ObjectListCtrl list(&listOwner, ListControl::List1);
    list.Init(TopicId::Codings, TopicId::Codes, codes[0], fieldIds, {codings[0], codings[4]});
    list.Setup(MakeColor(255, 224, 180), true);
    PaneListener listener;
    listener.SetHost(&list);
    doc.GetRegistry().Register(&listener);
    const qint32 other = AddCoding(docs[1], codes[1], 1, 2);
    const qint32 mine = AddCoding(docs[1], codes[0], 1, 2);
    doc.GetRegistry().NotifyAdded(TopicId::Codings, other, -1, TopicId::Codes, codes[1], false);
    doc.GetRegistry().NotifyAdded(TopicId::Codings, mine, -1, TopicId::Codes, codes[0], false);
    EXPECT_THAT(Rows(&list), ElementsAre(mine, codings[0], codings[4]));
    // A selection broadcast selects that row alone; an unknown key changes nothing.
    doc.GetRegistry().SelectObject(TopicId::Codings, codings[4], 0);
    EXPECT_EQ(list.GetSelectedItemData(), codings[4]);
    doc.GetRegistry().SelectObject(TopicId::Codings, codings[3], 0);
    EXPECT_EQ(list.GetSelectedItemData(), codings[4]);
    doc.GetRegistry().SelectObject(TopicId::Memos, memos[0], 0);
    EXPECT_EQ(list.GetSelectedItemData(), codings[4]);
    listener.LeaveRegistry();
}

// The search of a column: "*" finds the rest anywhere, otherwise a cell must
// begin with the text; case never matters and empty cells never match.
TEST_F(ListTest, FindingRowsByColumnText)
{
    ObjectListCtrl* list = Open(TopicId::Codes)->List1();
    const int name = list->ColumnOfField(CodeField::Name);
    const auto names = [&](const QString& text) {
        QStringList found;
        for (int row = list->FindRow(0, name, text); row >= 0; row = list->FindRow(row + 1, name, text))
            found.append(Text(list, row, CodeField::Name));
        return found;
    };
    EXPECT_THAT(names("*bank"), UnorderedElementsAre("Bank", "bankrupt", "Databank"));
    EXPECT_THAT(names("Bank"), UnorderedElementsAre("Bank", "bankrupt"));
    EXPECT_THAT(names("*"), UnorderedElementsAre("Ärger", "Bank", "bankrupt", "Databank"));
    EXPECT_TRUE(names("").isEmpty());
    EXPECT_EQ(list->FindRow(-5, name, "Bank"), list->FindRow(0, name, "Bank"));

    // Find and select: every match selected and brought to the top, unsorted.
    ClickHeader(list, CodeField::Name);
    EXPECT_EQ(list->SelectMatches(name, "*bank"), 3);
    EXPECT_EQ(list->SortColumn(), -1);
    QList<qint32> selected;
    list->GetSelection(selected);
    EXPECT_EQ(selected.size(), 3);
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(selected.contains(list->KeyAt(row)));
    EXPECT_EQ(list->KeyAt(3), codes[3]);
}

TEST_F(ListTest, SearchPopupFindsAsTheUserTypes)
{
    ObjectListCtrl* list = Open(TopicId::Codes)->List1();
    const int name = list->ColumnOfField(CodeField::Name);
    list->OnHeaderFilterClick(name);
    ListSearchPopup* popup = list->SearchPopup();
    ASSERT_TRUE(popup);
    EXPECT_EQ(list->SortColumn(), name);
    QTest::keyClicks(popup->Combo()->lineEdit(), "data");
    EXPECT_EQ(list->GetSelectedItemData(), codes[1]);
    QTest::keyClick(popup->Combo()->lineEdit(), Qt::Key_Escape);
    EXPECT_TRUE(ListSearchPopup::History().contains("data"));
}

// In-place editing: a changed comment is written to the project; a weight
// outside 0 to 100 is refused and leaves the project file as it was.
TEST_F(ListTest, CellsEditInPlaceAndRefusedValuesChangeNothing)
{
    ObjectListCtrl* list = Open(TopicId::Codings)->List1();
    const int row = list->Model()->RowOfKey(codings[0]);
    DoubleClick(list, Cell(list, row, CodingField::Comment));
    QLineEdit* editor = EditorLine(list);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), "zebra");
    editor->selectAll();
    QTest::keyClicks(editor, "  zebra crossing ");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Codings, codings[0], CodingField::Comment), "zebra crossing");
    // Enter moved the editor to the next row of the same column.
    ASSERT_TRUE(list->CellEditor());
    QTest::keyClick(EditorLine(list), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list->HasCellEditor());

    const QByteArray fileBefore = testutil::ReadFile(path);
    const QByteArray walBefore = testutil::ReadFile(path + "-wal");
    DoubleClick(list, Cell(list, row, CodingField::Weight));
    editor = EditorLine(list);
    ASSERT_TRUE(editor);
    editor->selectAll();
    QTest::keyClicks(editor, "150");
    QTest::keyClick(editor, Qt::Key_Tab);   // commits and moves on to the next editable column
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Codings, codings[0], CodingField::Weight), "50");
    EXPECT_EQ(Text(list, row, CodingField::Weight), "50");
    EXPECT_EQ(testutil::ReadFile(path), fileBefore);
    EXPECT_EQ(testutil::ReadFile(path + "-wal"), walBefore);
    list->CloseCellEditor(false);

    // A column that is not editable asks the owner to open the object.
    listOwner.Take();
    DoubleClick(list, Cell(list, row, CodingField::Document));
    EXPECT_FALSE(list->HasCellEditor());
    EXPECT_TRUE(listOwner.Take().contains(
        QStringLiteral("open(%1,%2,%3)").arg(TopicId::Codings).arg(codings[0]).arg(CodingField::Document)));
}

TEST_F(ListTest, BooleansToggleAndCategorialValuesComeInAComboOfAtMost21Rows)
{
    FieldDescriptor flag;
    flag.Name = "Checked";
    flag.Type = FieldType::Boolean;
    flag.State = FieldState::UserVariable | FieldState::WeightComment;
    ASSERT_TRUE(db().AddField(TopicId::Documents, flag));
    FieldDescriptor place;
    place.Name = "Place";
    place.Type = FieldType::ShortText;
    place.State = FieldState::UserVariable | FieldState::WeightComment;
    ASSERT_TRUE(db().AddField(TopicId::Documents, place));
    for (int i = 0; i < 30; ++i)
        doctest::AddRow(db(), TopicId::Documents, {{DocumentField::Name, QStringLiteral("d%1").arg(i)},
                                                    {place.ID, QStringLiteral("place %1").arg(i, 2, 10, QLatin1Char('0'))}});

    ObjectListCtrl* list = Open(TopicId::Documents, false, QSize(900, 400))->List1();
    const int row = list->Model()->RowOfKey(docs[1]);
    DoubleClick(list, Cell(list, row, flag.ID));
    EXPECT_FALSE(list->HasCellEditor());
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Documents, docs[1], flag.ID), "1");
    EXPECT_EQ(Text(list, row, flag.ID), "1");
    DoubleClick(list, Cell(list, row, flag.ID));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Documents, docs[1], flag.ID), "");

    DoubleClick(list, Cell(list, row, place.ID));
    auto* combo = qobject_cast<QComboBox*>(list->CellEditor());
    ASSERT_TRUE(combo);
    EXPECT_EQ(combo->count(), 30);
    EXPECT_EQ(combo->maxVisibleItems(), 21);
    combo->setCurrentIndex(combo->findText("place 07"));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Documents, docs[1], place.ID), "place 07");
    list->CloseCellEditor(false);
}

// Column state: widths, order, hidden columns, categorial flags and the
// sorting are stored under the window's section and come back; hiding the
// sort column leaves the list unsorted and ascending.
TEST_F(ListTest, ColumnStateIsStoredAndRestored)
{
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    const int weight = list->ColumnOfField(CodingField::Weight);
    const int author = list->ColumnOfField(CodingField::Author);
    ClickHeader(list, CodingField::Weight);
    ClickHeader(list, CodingField::Weight);
    list->horizontalHeader()->resizeSection(weight, 77);
    list->horizontalHeader()->resizeSection(author, 10);   // never narrower than 45
    EXPECT_EQ(list->horizontalHeader()->sectionSize(author), ListLimit::MinColumnWidth);
    list->HideColumn(author);
    window->close();
    QCoreApplication::processEvents();

    const PrivateProfile profile(g_program.ProfilePath);
    EXPECT_EQ(profile.GetString("dlgObjList10", "Sorting"), QStringLiteral("%1,0").arg(weight));
    EXPECT_TRUE(profile.GetString("dlgObjList10", QStringLiteral("Field%1").arg(CodingField::Weight)).contains(",77,"));
    EXPECT_EQ(profile.GetString("dlgObjList10", QStringLiteral("Field%1").arg(CodingField::Author)), "0,0,45,1");

    ObjectListCtrl* again = Open(TopicId::Codings)->List1();
    EXPECT_EQ(again->SortColumn(), weight);
    EXPECT_FALSE(again->Ascending());
    EXPECT_EQ(again->horizontalHeader()->sectionSize(weight), 77);
    EXPECT_TRUE(again->horizontalHeader()->isSectionHidden(author));
    EXPECT_EQ(Rows(again), OracleOrder(doc, TopicId::Codings, CodingField::Weight, codings, false));
    again->HideColumn(weight);
    EXPECT_EQ(again->SortColumn(), -1);
    EXPECT_TRUE(again->Ascending());
}

TEST_F(ListTest, DamagedStoredStateFallsBackToDefaults)
{
    PrivateProfile profile(g_program.ProfilePath);
    profile.WriteString("dlgObjList10", "Sorting", "99,1");
    profile.WriteString("dlgObjList10", QStringLiteral("Field%1").arg(CodingField::Weight), "1,x,40");
    profile.WriteString("dlgObjList10", "WindowPos", "1,2,3");
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    EXPECT_EQ(list->SortColumn(), -1);
    EXPECT_FALSE(list->horizontalHeader()->isSectionHidden(list->ColumnOfField(CodingField::Weight)));
    EXPECT_EQ(list->horizontalHeader()->sectionSize(list->ColumnOfField(CodingField::Weight)),
              ListLimit::DefaultColumnWidth);
}

TEST_F(ListTest, ColumnMenuOffersWhatTheColumnAllows)
{
    ObjectListCtrl* list = Open(TopicId::Codings)->List1();
    const auto ids = [](QMenu* menu) {
        QList<int> result;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                result.append(action->data().toInt());
        delete menu;
        return result;
    };
    EXPECT_THAT(ids(list->BuildColumnMenu(-1)), ElementsAre(ListCommand::ChooseColumns));
    EXPECT_THAT(ids(list->BuildColumnMenu(0)), ElementsAre(ListCommand::ChooseColumns));
    EXPECT_THAT(ids(list->BuildColumnMenu(list->ColumnOfField(CodingField::Document))),
                ElementsAre(ListCommand::ValuePopup, ListCommand::FindAndSelect, ListCommand::HideColumn,
                            ListCommand::ChooseColumns));
    EXPECT_THAT(ids(list->BuildColumnMenu(list->ColumnOfField(CodingField::Comment))),
                ElementsAre(ListCommand::ValuePopup, ListCommand::FindAndSelect, ListCommand::HideColumn,
                            ListCommand::ToggleCategorial, ListCommand::ChooseColumns));
}

TEST_F(ListTest, ColumnWidthsAreMeasuredOffTheUiThreadFromASnapshot)
{
    ObjectListCtrl* list = Open(TopicId::Codes)->List1();
    list->WaitForMeasuring();
    const int name = list->ColumnOfField(CodeField::Name);
    EXPECT_GE(list->MeasuredWidth(name), list->fontMetrics().horizontalAdvance("Databank"));
    // A divider double click fits the column to what was measured.
    QHeaderView* header = list->horizontalHeader();
    const int right = header->sectionViewportPosition(name) + header->sectionSize(name) - 1;
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, QPoint(right, header->height() / 2));
    EXPECT_EQ(header->sectionSize(name), std::max(list->MeasuredWidth(name) + 10, ListLimit::MinColumnWidth));
    // Changing rows stops a pass and starts another; a list going away joins it.
    for (int i = 0; i < 20; ++i)
        list->Fill(0, 0, codes);
}

TEST_F(ListTest, RowsChangedOneByOneAreMeasuredInOnePass)
{
    // A project's codes arriving one broadcast each once cost a snapshot and
    // a thread per row.
    ObjectListCtrl* list = Open(TopicId::Codes)->List1();
    list->WaitForMeasuring();
    const quint64 before = list->MeasuringPasses();
    for (int round = 0; round < 50; ++round) {
        for (const qint32 code : codes) {
            ASSERT_TRUE(list->DeleteRowById(code));
            list->AddRow(code);
        }
    }
    EXPECT_EQ(list->MeasuringPasses(), before);
    list->WaitForMeasuring();
    EXPECT_EQ(list->MeasuringPasses(), before + 1);
    EXPECT_GE(list->MeasuredWidth(list->ColumnOfField(CodeField::Name)),
              list->fontMetrics().horizontalAdvance("Databank"));
}
