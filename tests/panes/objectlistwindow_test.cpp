#include "panes/objectlistwindow.h"

#include "common/screenshots.h"
#include "common/workbookreader.h"
#include "document/objectlistregistry.h"
#include "foundation/workbook.h"
#include "listfixture.h"
#include "panes/dragrichedit.h"
#include "panes/listids.h"
#include "panes/spinoptionsdlg.h"
#include "platform/profile/privateprofile.h"
#include "store/topicdatabase.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QToolBar>
#include <QXmlStreamReader>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using listtest::ListTest;
using testing::ElementsAre;

namespace {

/// The cells of an exported HTML page, read with Qt's XML reader: one list
/// of cell texts per row (title row first), BR elements as line breaks.
QList<QStringList> HtmlRows(const QString& path, QString* error = nullptr)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<QStringList> rows;
    QString cell;
    bool inCell = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == u"TR")
            rows.append(QStringList());
        else if (xml.isStartElement() && xml.name() == u"TD") {
            inCell = true;
            cell.clear();
        } else if (xml.isStartElement() && xml.name() == u"BR")
            cell += u'\n';
        else if (xml.isCharacters() && inCell)
            cell += xml.text();
        else if (xml.isEndElement() && xml.name() == u"TD") {
            inCell = false;
            rows.last().append(cell.trimmed());
        }
    }
    if (xml.hasError() && error)
        *error = xml.errorString();
    return rows;
}

}  // namespace

TEST_F(ListTest, HtmlExportReadsBackWithEveryRowOnceAndTheFullTexts)
{
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    ClickHeader(list, CodingField::Weight);
    const QString page = dir.file("list ä.htm");
    QGuiApplication::clipboard()->setText("kept");
    ASSERT_TRUE(list->Export(page, "All codings", ObjectListCtrl::ExportHtmlPage, true, false));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");

    QString error;
    const QList<QStringList> rows = HtmlRows(page, &error);
    ASSERT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(rows.size(), 2 + codings.size());
    EXPECT_THAT(rows[0], ElementsAre("All codings"));
    const QStringList& header = rows[1];
    const qsizetype weight = header.indexOf("Weight");
    const qsizetype preview = header.indexOf(LoadString(ListText::PreviewCoding));
    ASSERT_GE(weight, 0);
    ASSERT_GE(preview, 0);
    EXPECT_FALSE(header.contains(""));   // the colour column stays out
    QStringList weights;
    for (int i = 2; i < rows.size(); ++i)
        weights.append(rows[i].value(weight));
    EXPECT_THAT(weights, ElementsAre("0", "10", "25", "50", "75", "100"));
    // The preview column carries the whole coded text, not the preview.
    EXPECT_EQ(rows[2].value(preview), "coded text of");
    EXPECT_EQ(rows[5].value(preview), "coded text of zebra");
}

TEST_F(ListTest, HtmlCellsKeepLineBreaksAndEscapeMarkup)
{
    ObjectListCtrl* list = Open(TopicId::Memos)->List1();
    const QString page = dir.file("memos.htm");
    ASSERT_TRUE(list->ExportHtml(page, "Memos <&>", false));
    const QList<QStringList> rows = HtmlRows(page);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_THAT(rows[0], ElementsAre("Memos <&>"));
    const qsizetype preview = rows[1].indexOf(LoadString(ListText::PreviewMemo));
    ASSERT_GE(preview, 0);
    QStringList texts = {rows[2].value(preview), rows[3].value(preview)};
    texts.sort();
    EXPECT_THAT(texts, ElementsAre("memo text one\nline two", "memo text two"));
}

TEST_F(ListTest, WorkbookExportReadsBackThroughOwnReader)
{
    ObjectListCtrl* list = Open(TopicId::Codings)->List1();
    ClickHeader(list, CodingField::Weight);
    // Only the selected rows when any are selected.
    list->SelectIds({codings[0], codings[2]});
    QString saved;
    ASSERT_TRUE(list->Export(dir.file("LIST.XLSX"), "Codings: all", ObjectListCtrl::ExportWorkbook, true, true, &saved));
    EXPECT_EQ(saved, dir.file("LIST.XLSX"));
    WorkbookSheetContent sheet;
    QString error;
    ASSERT_TRUE(ReadWorkbookSheet(saved, 0, sheet, &error)) << error.toStdString();
    EXPECT_EQ(sheet.rows, 3);
    int weight = -1;
    int preview = -1;
    int date = -1;
    for (int c = 0; c < sheet.columns; ++c) {
        if (sheet.Text(0, c) == "Weight")
            weight = c;
        if (sheet.Text(0, c) == LoadString(ListText::PreviewCoding))
            preview = c;
        if (sheet.Text(0, c) == list->Columns().at(list->ColumnOfField(CodingField::Date)).name)
            date = c;
    }
    ASSERT_GE(weight, 0);
    ASSERT_GE(preview, 0);
    ASSERT_GE(date, 0);
    EXPECT_EQ(sheet.Cell(1, weight).kind, WorkbookCell::Number);
    EXPECT_EQ(sheet.Text(1, weight), "50");
    EXPECT_EQ(sheet.Text(2, weight), "100");
    EXPECT_EQ(sheet.Text(1, preview), "coded text of zebra");
    EXPECT_EQ(sheet.Cell(1, date).kind, WorkbookCell::Date);
    EXPECT_NEAR(sheet.Cell(1, date).number, 44259.4167, 0.001);   // 2021-03-04 10:00
    // Widths: the preview column at least 70 characters.
    EXPECT_GE(testutil::ReadXlsxSheet(saved).columnWidths.value(preview), 70.0);
}

TEST_F(ListTest, TextExportsWriteSafeTabTextAndOnlyCopyTouchesTheClipboard)
{
    ASSERT_TRUE(doc.GetDatabase().GetTable(TopicId::Codings));
    RowBuffer row;
    ASSERT_TRUE(db().ReadRow(TopicId::Codings, codings[0], row, false));
    ASSERT_TRUE(row.SetFieldText(CodingField::Comment, "two\tcells"));
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    const QString text = dir.file("codings.txt");
    ASSERT_TRUE(list->OpenInExcel(text, true));
    const QByteArray bytes = testutil::ReadFile(text);
    ASSERT_TRUE(bytes.startsWith("\xFF\xFE"));
    const QString content = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData() + 2),
                                               (bytes.size() - 2) / 2);
    const QStringList lines = content.split("\r\n");
    ASSERT_EQ(lines.size(), 2 + codings.size());   // header, six rows, the empty rest after the last end
    const int columns = int(lines[0].count('\t'));
    for (const QString& line : lines.mid(1, codings.size()))
        EXPECT_EQ(line.count('\t'), columns) << line.toStdString();
    EXPECT_TRUE(content.contains("two cells"));

    ASSERT_TRUE(list->OpenInExcel(dir.file("codings8.txt"), false));
    EXPECT_TRUE(testutil::ReadFile(dir.file("codings8.txt")).startsWith("\xEF\xBB\xBF"));

    QGuiApplication::clipboard()->setText("kept");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), list->BuildTabText());
    EXPECT_TRUE(QGuiApplication::clipboard()->text().startsWith(lines[0]));
}

TEST_F(ListTest, FailedExportsAreReportedAndWriteNothing)
{
    ObjectListCtrl* list = Open(TopicId::Codings)->List1();
    for (const int kind : {ObjectListCtrl::ExportHtmlPage, ObjectListCtrl::ExportWorkbook, ObjectListCtrl::ExportText}) {
        testutil::ScriptedMessages shown;
        const QString target = dir.file(kind == ObjectListCtrl::ExportWorkbook ? "missing/list.xlsx" : "missing/list.txt");
        EXPECT_FALSE(list->Export(target, "Codings", kind, true, false)) << kind;
        ASSERT_EQ(shown.texts.size(), 1) << kind;
        EXPECT_TRUE(shown.texts[0].contains("list.")) << kind;
        EXPECT_FALSE(QFileInfo::exists(dir.file("missing"))) << kind;
    }
}

TEST_F(ListTest, ExportDialogChoosesTheWriterByExtensionAndRemembersIt)
{
    ObjectListWindow* window = Open(TopicId::Codings);
    testutil::ScriptedMessages prompts({MessageAnswer::Yes});
    prompts.files = {{dir.file("out.htm")}, {dir.file("out.rtf")}, {dir.file("out.txt")}, {}};
    window->activateWindow();
    QTest::keyClick(window->List1(), Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(prompts.prompts.size(), 1);
    EXPECT_TRUE(prompts.prompts[0].filter.startsWith(LoadString(ListText::FilterExcel)));
    EXPECT_TRUE(QFileInfo::exists(dir.file("out.htm")));
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetString("dlgObjList10", "ExportFileType"), "htm");

    listOwner.Take();
    window->OnCommand(ListCommand::Export);
    EXPECT_TRUE(prompts.prompts[1].filter.startsWith(LoadString(ListText::FilterHtml)));
    // RTF is the owner's: it gets every key of the list and the path.
    const QStringList log = listOwner.Take();
    const QString rtfMessage = QStringLiteral("message(%1,").arg(ListMessage::ExportRtf);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const QString& line) {
        return line.startsWith(rtfMessage) && line.endsWith(dir.file("out.rtf") + ")");
    })) << log.join('\n').toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.file("out.rtf")));

    window->OnCommand(ListCommand::Export);   // text: asked for Unicode, yes
    EXPECT_TRUE(testutil::ReadFile(dir.file("out.txt")).startsWith("\xFF\xFE"));
    // Cancelled: nothing written, the stored type stays.
    window->OnCommand(ListCommand::Export);
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetString("dlgObjList10", "ExportFileType"), "txt");
}

TEST_F(ListTest, SearchHitListWithoutConfirmationExportsNothing)
{
    // A search-hit list of one hit.
    RowBuffer hit;
    ASSERT_TRUE(db().AddRow(TopicId::SearchHits, hit, -1));
    FieldValue value;
    ASSERT_TRUE(hit.GetFieldValue(2, value));
    value.SetInt(docs[0]);
    ASSERT_TRUE(hit.WriteBack());
    ObjectListWindow* window = Open(TopicId::SearchHits);
    listOwner.confirm = false;
    testutil::ScriptedMessages prompts;
    prompts.files = {{dir.file("hits.htm")}};
    window->OnCommand(ListCommand::Export);
    window->OnCommand(ListCommand::OpenAsHtml);
    EXPECT_TRUE(prompts.prompts.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.file("hits.htm")));
    EXPECT_THAT(listOwner.Take(), testing::Contains(QStringLiteral("command(%1)").arg(ListCommand::ConfirmSearchHits)));
}

TEST_F(ListTest, DocumentsListOpenedWithVariablesShowsAndExportsTheVariables)
{
    ObjectListWindow* window = Open(TopicId::Documents, true);
    EXPECT_TRUE(window->VariablesShown());
    EXPECT_TRUE(window->List2()->isVisible());
    EXPECT_FALSE(window->List1()->isVisible());
    EXPECT_EQ(window->ShownList(), window->List2());
    EXPECT_EQ(window->CaptionTitle(), LoadString(ListText::DocumentVariables));
    EXPECT_TRUE(window->CountText().endsWith(LoadString(ListText::Documents) + "    "));
    QTest::keyClick(window->List2(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(window->VariablesShown());
    EXPECT_TRUE(window->List1()->isVisible());
    EXPECT_EQ(window->CountText(), QStringLiteral("3 %1    ").arg(LoadString(ListText::DocumentsCount)));
}

TEST_F(ListTest, HidingAColumnThroughTheVariablesListAndBack)
{
    FieldDescriptor age;
    age.Name = "Age";
    age.Type = FieldType::Integer;
    age.State = FieldState::UserVariable | FieldState::WeightComment;
    AddFieldNotifyInfo add;
    add.topic = TopicId::Documents;
    add.field = age;
    doc.HandleAddField(add);
    ASSERT_TRUE(add.result);
    ObjectListWindow* window = Open(TopicId::Documents, true, QSize(900, 400));
    ObjectListCtrl* variables = window->List2();
    ObjectListCtrl* list = window->List1();
    const int row = variables->Model()->RowOfKey(add.field.ID);
    ASSERT_GE(row, 0);
    EXPECT_FALSE(list->horizontalHeader()->isSectionHidden(list->ColumnOfField(add.field.ID)));
    // Unticking the shown flag of the variable hides the documents' column.
    DoubleClick(variables, Cell(variables, row, VariableListField::Shown));
    EXPECT_TRUE(list->horizontalHeader()->isSectionHidden(list->ColumnOfField(add.field.ID)));
    // Renaming the variable renames the column.
    DoubleClick(variables, Cell(variables, row, VariableListField::Name));
    QLineEdit* line = EditorLine(variables);
    ASSERT_TRUE(line);
    line->selectAll();
    QTest::keyClicks(line, "Years");
    QTest::keyClick(line, Qt::Key_Return);
    variables->CloseCellEditor(false);
    EXPECT_EQ(list->Columns().at(list->ColumnOfField(add.field.ID)).name, "Years");
    FieldDescriptor stored;
    ASSERT_TRUE(db().GetFieldDescriptor(TopicId::Documents, add.field.ID, stored));
    EXPECT_EQ(stored.Name, "Years");
}

TEST_F(ListTest, ReopeningAListReusesItsWindowForNewContent)
{
    ObjectListWindow* window = Open(TopicId::Memos);
    const int panes = doc.GetRegistry().GetCount();
    window->SetContent(0, 0, {memos[1]}, "Code memos");
    EXPECT_EQ(window->List1()->RowCount(), 1);
    EXPECT_EQ(window->CaptionTitle(), "    Code memos");
    EXPECT_EQ(window->CountText(), QStringLiteral("1 %1    ").arg(LoadString(ListText::MemosCount)));
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes);
    window->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(doc.GetRegistry().GetCount(), panes - 1);
    EXPECT_THAT(listOwner.Take(), testing::Contains(QStringLiteral("message(%1,,)").arg(ListMessage::WindowClosed)));
}

TEST_F(ListTest, PreviewShowsTheSelectedMemoAndItsSplitterKeepsItsMinimum)
{
    ObjectListWindow* window = Open(TopicId::Memos);
    ObjectListCtrl* list = window->List1();
    const int row = list->Model()->RowOfKey(memos[0]);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(Cell(list, row, MemoField::Title)).center());
    EXPECT_EQ(window->Preview()->toPlainText(), "memo text one\nline two");
    EXPECT_EQ(window->Preview()->DragObjectId(), memos[0]);
    EXPECT_TRUE(listOwner.Take().contains(QStringLiteral("follow(%1,%2,0)").arg(TopicId::Memos).arg(memos[0])));

    // Dragging the band under the preview: up to just above 70, no further.
    const int y = window->SplitterPosition() + 3;
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(100, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(100, y - 60), window->mapToGlobal(QPointF(100, y - 60)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &move);
    EXPECT_EQ(window->SplitterPosition(), 90);
    QMouseEvent further(QEvent::MouseMove, QPointF(100, y - 85), window->mapToGlobal(QPointF(100, y - 85)),
                        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &further);
    EXPECT_EQ(window->SplitterPosition(), 90);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(100, y - 60));
    EXPECT_EQ(window->Preview()->height(), 90 - ObjectListWindow::kContentTop);
}

TEST_F(ListTest, PreviewDragStartsAfterFivePixelsWithTextSelected)
{
    ObjectListWindow* window = Open(TopicId::Memos);
    CDragRichEditCtrl* preview = window->Preview();
    QList<qint32> dragged;
    preview->SetDragStarter([&](qint32 kind, qint32 id) { dragged = {kind, id}; });
    preview->SetDragObject(true, memos[1]);
    preview->setPlainText("some text");
    preview->selectAll();
    const QPoint start = preview->cursorRect().center();
    QTest::mousePress(preview->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(preview->viewport(), start + QPoint(4, 4));
    EXPECT_TRUE(dragged.isEmpty());
    QTest::mouseMove(preview->viewport(), start + QPoint(5, 0));
    EXPECT_THAT(dragged, ElementsAre(CDragRichEditCtrl::kDragKind, memos[1]));
    QTest::mouseRelease(preview->viewport(), Qt::LeftButton, {}, start + QPoint(5, 0));
    // Without an object nothing starts.
    dragged.clear();
    preview->SetDragObject(true, 0);
    QTest::mousePress(preview->viewport(), Qt::LeftButton, {}, start);
    QTest::mouseMove(preview->viewport(), start + QPoint(20, 0));
    EXPECT_TRUE(dragged.isEmpty());
}

TEST_F(ListTest, SpinDialogRefusesNumbersOutsideTheRange)
{
    SpinOptionsDlg dialog;
    dialog.m_choice = 2;
    dialog.m_first = 3;
    dialog.m_second = 4;
    dialog.show();
    auto* first = qobject_cast<QLineEdit*>(FindControl(&dialog, 1091));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text(), "3");
    first->selectAll();
    QTest::keyClicks(first, "101");
    testutil::ScriptedMessages shown;
    QTest::mouseClick(qobject_cast<QWidget*>(FindControl(&dialog, 1)), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(shown.texts.size(), 1);
    EXPECT_EQ(dialog.m_first, 3);
    first->selectAll();
    QTest::keyClicks(first, "100");
    QTest::mouseClick(qobject_cast<QWidget*>(FindControl(&dialog, 1)), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.m_first, 100);
    // The first two choices leave the numbers disabled.
    SpinOptionsDlg second;
    second.m_choice = 0;
    second.show();
    EXPECT_FALSE(FindControl(&second, 1091)->isEnabled());
    QTest::mouseClick(FindControl(&second, 1101), Qt::LeftButton);
    EXPECT_TRUE(FindControl(&second, 1091)->isEnabled());
}

TEST_F(ListTest, ScreenshotsOfTwoLists)
{
    ObjectListWindow* codingsWindow = Open(TopicId::Codings, false, QSize(760, 360));
    ClickHeader(codingsWindow->List1(), CodingField::Weight);
    codingsWindow->List1()->SelectRow(codings[2]);
    EXPECT_TRUE(testutil::MatchesReferenceImage(codingsWindow, testutil::DataPath("panes/codingslist.png")));
    ObjectListWindow* codesWindow = Open(TopicId::Codes, false, QSize(600, 260));
    EXPECT_TRUE(testutil::MatchesReferenceImage(codesWindow, testutil::DataPath("panes/codeslist.png")));
}
