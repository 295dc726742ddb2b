// The table commands clicked in the real window offscreen: File > Import
// and Export of variables with the columns dialog, the project workbook,
// and the context commands of the trees that import coded segments, code
// lists and activation lists. The columns dialog by itself, with keys and
// a picture.

#include "app/appids.h"
#include "app/contextmenus.h"
#include "app/framefixture.h"
#include "app/listwindows.h"
#include "common/screenshots.h"
#include "document/docfixture.h"
#include "document/rowfields.h"
#include "exchange/importcolumnsdlg.h"
#include "exchange/tableexports.h"
#include "foundation/workbook.h"
#include "store/fielddescriptor.h"
#include "store/topictable.h"
#include "ui/dlgbase.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using namespace frametest;

constexpr int kExportMenu = 200006;

QByteArray BytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

/// Closes the next modal window (the hint before an import) with Escape.
void CloseNextModal()
{
    WhenModalShows([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
}

/// Clicks OK in the columns dialog once it shows.
void AcceptColumnsDialog()
{
    WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CImportColumnsDlg*>(modal);
        ASSERT_NE(dialog, nullptr);
        QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(dialog, 1)), Qt::LeftButton);
    });
}

class TableCommandsTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        TableExports::SetOpener({});
        g_program.DocumentsFolder = dir.path();
        g_program.ExportFolder = dir.path();
        g_program.ProgramFolder = QStringLiteral(KORVAN_BIN_DIR) + u'/';
        document.SetExportService(&exports);
        path = dir.file(QStringLiteral("Study.kv4"));
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.CreateProjectFile(path, QStringLiteral("MAIN")), false));
        const qint32 group = maker.NewDocumentGroupNamed(QStringLiteral("G"));
        anna = maker.NewDocument(group, QStringLiteral("Anna"), doctest::RtfOf({QStringLiteral("Hello")}), {});
        juergen = maker.NewDocument(group, QStringLiteral("Jürgen"), doctest::RtfOf({QStringLiteral("Hi")}), {});
        ASSERT_TRUE(anna && juergen);
        maker.CloseDatabase();
        ShowFrame();
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
        messages.texts.clear();
        messages.prompts.clear();
    }
    void TearDown() override
    {
        frame->ListWindows().CloseAll();
        FrameTest::TearDown();
    }
    TopicDatabase& db() { return document.GetDatabase(); }
    QString Value(qint32 topic, qint32 key, const QString& name)
    {
        FieldDescriptor field;
        if (!db().FindFieldByName(topic, name, field))
            return QStringLiteral("<none>");
        return doctest::ValueOf(db(), topic, key, field.ID);
    }
    void ClickContext(qint32 kind, qint32 item, qint32 sender, int command)
    {
        QMenu* menu = RightClick(kind, item, sender);
        ASSERT_NE(menu, nullptr);
        ClickCommandIn(menu, command);
        QCoreApplication::processEvents();
    }

    TableExports exports;
    QString path;
    qint32 anna = 0;
    qint32 juergen = 0;
};

TEST_F(TableCommandsTest, DocumentVariablesComeInThroughTheColumnsDialog)
{
    const QString table = dir.file(QStringLiteral("vars.txt"));
    const QByteArray bytes = "Textgroup\tTextname\tAge\r\nG\tAnna\t30\r\nG\tJ\xC3\xBCrgen\t-4";
    ASSERT_TRUE(WriteBytes(table, bytes));
    messages.files.append({table});
    AcceptColumnsDialog();
    ClickSubmenuCommand(*frame, kFileMenu, TableCommand::ImportMenuText, TableCommand::ImportDocumentVariables);
    ASSERT_EQ(messages.prompts.size(), 1);
    EXPECT_EQ(messages.prompts.last().kind, FilePromptKind::OpenFile);
    EXPECT_TRUE(messages.prompts.last().filter.contains(QStringLiteral("*.xlsx")));
    EXPECT_EQ(Value(TopicId::Documents, anna, QStringLiteral("Age")), u"30");
    EXPECT_EQ(Value(TopicId::Documents, juergen, QStringLiteral("Age")), u"-4");
    EXPECT_EQ(BytesOf(table), bytes);
}

TEST_F(TableCommandsTest, VariablesAsTextAreEightBitOrUtf16ByTheAnswer)
{
    const QString plain = dir.file(QStringLiteral("plain.txt"));
    messages.files.append({plain});
    messages.AddAnswers({MessageAnswer::No});
    ClickSubmenuCommand(*frame, kFileMenu, kExportMenu, TableCommand::ExportDocumentVariables);
    const QByteArray eight = BytesOf(plain);
    ASSERT_FALSE(eight.isEmpty()) << messages.texts.join(u'\n').toStdString();
    EXPECT_FALSE(eight.startsWith("\xFF\xFE"));
    EXPECT_TRUE(eight.contains("J\xFCrgen"));   // Windows-1252, one byte

    const QString wide = dir.file(QStringLiteral("wide.txt"));
    messages.files.append({wide});
    messages.AddAnswers({MessageAnswer::Yes});
    ClickSubmenuCommand(*frame, kFileMenu, kExportMenu, TableCommand::ExportDocumentVariables);
    const QByteArray utf16 = BytesOf(wide);
    ASSERT_TRUE(utf16.startsWith("\xFF\xFE"));
    EXPECT_TRUE(QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData() + 2), (utf16.size() - 2) / 2)
                    .contains(QStringLiteral("Jürgen")));
}

TEST_F(TableCommandsTest, ProjectWorkbookHoldsEverySheet)
{
    const QString book = dir.file(QStringLiteral("whole.xlsx"));
    messages.files.append({book});
    ClickSubmenuCommand(*frame, kFileMenu, kExportMenu, 620);
    ASSERT_TRUE(QFile::exists(book)) << messages.texts.join(u'\n').toStdString();
    QStringList names;
    for (int i = 0;; ++i) {
        WorkbookSheetContent sheet;
        if (!ReadWorkbookSheet(book, i, sheet))
            break;
        names.append(sheet.name);
    }
    EXPECT_EQ(names, (QStringList{LoadString(57347), LoadString(57348), LoadString(102199), LoadString(57723),
                                  LoadString(57724), LoadString(547), LoadString(546)}));
    // The lists built for the book are empty again.
    EXPECT_EQ(db().GetRowCount(TopicId::DocumentVariables), 0);
    EXPECT_EQ(db().GetRowCount(TopicId::MapLinks), 0);
}

TEST_F(TableCommandsTest, SegmentTablesStopAtTheFirstUnreadableFile)
{
    const QString first = dir.file(QStringLiteral("first.txt"));
    const QString broken = dir.file(QStringLiteral("broken.xlsx"));
    const QString third = dir.file(QStringLiteral("third.txt"));
    ASSERT_TRUE(WriteBytes(first, "Textgroup\tTextname\tA\r\nNew\tOne\tfoo\r\n"));
    ASSERT_TRUE(WriteBytes(broken, "not a workbook"));
    ASSERT_TRUE(WriteBytes(third, "Textgroup\tTextname\tA\r\nNew\tThree\tbar\r\n"));
    CloseNextModal();
    messages.files.append({first, broken, third});
    messages.AddAnswers({MessageAnswer::Yes});
    ClickContext(NodeKind::DocumentsRoot, 0, PaneControlId::DocumentTree, 20146);
    RowBuffer row;
    EXPECT_TRUE(document.FindOrCreateDocument(QStringLiteral("New"), QStringLiteral("One"), row, false));
    EXPECT_FALSE(document.FindOrCreateDocument(QStringLiteral("New"), QStringLiteral("Three"), row, false));
    ASSERT_FALSE(messages.texts.isEmpty());
    EXPECT_TRUE(messages.texts.last().startsWith(broken + QStringLiteral("  ") + LoadString(57857)))
        << messages.texts.last().toStdString();
    EXPECT_EQ(BytesOf(broken), QByteArray("not a workbook"));
}

TEST_F(TableCommandsTest, CodeListAndActivationListFromTheCodeSystemMenu)
{
    const QString list = dir.file(QStringLiteral("codes.txt"));
    ASSERT_TRUE(WriteBytes(list, "Code\tMemo\r\nA\\B\tfirst\r\nC\t"));
    CloseNextModal();
    messages.files.append({list});
    ClickContext(NodeKind::CodeSystemRoot, 0, PaneControlId::CodeTree, 20172);
    const qint32 b = document.AddCodeByPath(0, QStringLiteral("A\\B"), false);
    const qint32 c = document.AddCodeByPath(0, QStringLiteral("C"), false);
    ASSERT_TRUE(b && c) << messages.texts.join(u'\n').toStdString();
    EXPECT_EQ(messages.texts.last(), LoadString(211027).arg(2).arg(3).arg(1).arg(0));

    const QString act = dir.file(QStringLiteral("active.act"));
    ASSERT_TRUE(WriteBytes(act, "C"));
    messages.files.append({act});
    ClickContext(NodeKind::CodeSystemRoot, 0, PaneControlId::CodeTree, 20058);
    EXPECT_TRUE(document.IsCodeActivated(c));
    EXPECT_FALSE(document.IsCodeActivated(b));
}

TEST_F(TableCommandsTest, CodeVariablesGoBelowTheCodeRightClicked)
{
    const qint32 parent = document.AddCodeByPath(0, QStringLiteral("P\\C"), true);
    const qint32 top = document.AddCodeByPath(0, QStringLiteral("P"), false);
    const QString table = dir.file(QStringLiteral("codes.csv"));
    ASSERT_TRUE(WriteBytes(table, "Code\tRank\r\nC\t2\r\n"));
    messages.files.append({table});
    AcceptColumnsDialog();
    ClickContext(NodeKind::Code, top, PaneControlId::CodeTree, TableCommand::ImportCodeVariables);
    EXPECT_EQ(Value(TopicId::Codes, parent, QStringLiteral("Rank")), u"2");
}

// ---------------------------------------------------------------- the dialog

class ImportColumnsDialogTest : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        NewProject();
        FieldDescriptor field;
        field.Name = QStringLiteral("Region");
        field.Type = FieldType::ShortText;
        field.State = FieldState::UserVariable;
        ASSERT_TRUE(db().AddField(TopicId::Documents, field));
        region = field.ID;
        records = {{QStringLiteral("Age"), QStringLiteral("30"), 2, -FieldType::Integer, 1},
                   {QStringLiteral("Region"), QStringLiteral("North"), 3, region, 1},
                   {QStringLiteral("Score"), QStringLiteral("1.5"), 4, -FieldType::Real, 1},
                   {QStringLiteral("Note"), QStringLiteral("late"), 5, -FieldType::ShortText, 1}};
    }
    static QPoint CellCentre(QTreeWidget* list, int row, int column)
    {
        const QRect rect = list->visualItemRect(list->topLevelItem(row));
        return {list->header()->sectionViewportPosition(column) + list->columnWidth(column) / 2, rect.center().y()};
    }
    static void DoubleClick(QTreeWidget* list, int row, int column)
    {
        const QPoint at = CellCentre(list, row, column);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QCoreApplication::processEvents();
    }

    qint32 region = 0;
    QList<ImportColumn> records;
};

TEST_F(ImportColumnsDialogTest, TypesAreChosenInPlaceAndUntickedRowsStayOut)
{
    CImportColumnsDlg dialog(&db());
    dialog.m_topic = TopicId::Documents;
    dialog.m_columns = &records;
    dialog.resize(620, 360);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTreeWidget* list = dialog.List();
    ASSERT_EQ(list->topLevelItemCount(), 4);
    EXPECT_EQ(list->topLevelItem(1)->text(1), u"Region");
    EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("<%1>").arg(FieldTypeName(FieldType::Integer)));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&dialog,
                                                testutil::DataPath(QStringLiteral("screenshots/app/importcolumns.png"))));

    // An existing variable keeps its name: no box.
    DoubleClick(list, 1, 1);
    EXPECT_EQ(dialog.ChoiceBox(), nullptr);

    // Age becomes text; Enter moves on past Region to Score.
    DoubleClick(list, 0, 1);
    QComboBox* box = dialog.ChoiceBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(box->currentData().toInt(), -FieldType::Integer);
    box->setCurrentIndex(box->findData(-FieldType::ShortText));
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(dialog.ChoiceBox(), box);
    EXPECT_EQ(list->currentItem(), list->topLevelItem(2));
    EXPECT_EQ(box->currentData().toInt(), -FieldType::Real);
    QTest::keyClick(box, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog.ChoiceBox(), nullptr);

    // Note is left out by its check box.
    const QRect note = list->visualItemRect(list->topLevelItem(3));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(note.left() + 10, note.center().y()));
    EXPECT_EQ(list->topLevelItem(3)->checkState(0), Qt::Unchecked);

    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, 1)), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(records[0].assignment, -FieldType::ShortText);
    EXPECT_EQ(records[1].assignment, region);
    EXPECT_EQ(records[2].assignment, -FieldType::Real);
    EXPECT_EQ(records[3].import, 0);
    EXPECT_EQ(records[0].import, 1);
}

TEST_F(ImportColumnsDialogTest, CancelLeavesTheRecords)
{
    const QList<ImportColumn> before = records;
    CImportColumnsDlg dialog(&db());
    dialog.m_topic = TopicId::Documents;
    dialog.m_columns = &records;
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.List()->topLevelItem(0)->setCheckState(0, Qt::Unchecked);
    QTest::mouseClick(qobject_cast<QPushButton*>(FindControl(&dialog, 2)), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    ASSERT_EQ(records.size(), before.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].import, before[i].import);
        EXPECT_EQ(records[i].assignment, before[i].assignment);
    }
}

}  // namespace
