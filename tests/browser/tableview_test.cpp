// Table documents in the browser of the main frame: opening, zooming,
// editing cells with their codings stored together, coding cells, stripes
// beside their rows, the context search and a damaged table image.

#include "app/contextmenus.h"
#include "app/mainframe.h"
#include "browser/browserids.h"
#include "browser/browserfixture.h"
#include "browser/framefixture.h"
#include "browser/tablewnd.h"
#include "common/printcapture.h"
#include "foundation/options.h"
#include "foundation/optionsrecord.h"
#include "foundation/tabledata.h"
#include "platform/rtf/rtfreader.h"
#include "retrieval/lexicalengine.h"

#include <QTextDocument>
#include "ui/chartwndc.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>

namespace {

/// Three rows of two columns; row 1 holds the word "honey" twice.
const QList<QStringList> kCells = {
    {QStringLiteral("Bees"), QStringLiteral("Garden")},
    {QStringLiteral("Honey and more honey"), QStringLiteral("Summer")},
    {QStringLiteral("Grandmother"), QString()},
};

QByteArray TableBytes(const QList<QStringList>& cells)
{
    CTableData table;
    table.Create(qint32(cells.size()), qint32(cells.first().size()));
    for (qint32 row = 0; row < cells.size(); ++row)
        for (qint32 column = 0; column < cells[row].size(); ++column)
            table.SetCell(row, column, cells[row][column]);
    QByteArray bytes;
    table.SaveToBytes(bytes);
    return bytes;
}

class TableViewTest : public browsertest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        group = AddGroup(QStringLiteral("G"));
        document = AddDocument(group, QStringLiteral("Survey"), TableBytes(kCells), TextCoderWindow::Table);
        code = AddCode(QStringLiteral("Sweet"), 0, 2);
    }
    CTableWnd& table()
    {
        CTableWnd* view = browser().TableView();
        EXPECT_NE(view, nullptr);
        return *view;
    }
    QTableView& grid() { return *table().View(); }
    /// Opens the document as a click in the document tree does.
    void Open()
    {
        IdListNotifyInfo info(RequestCode::OpenItem);
        info.kind = NodeKind::Document;
        info.itemId = document;
        SendRequest(frame.get(), nullptr, 0, info);
        ASSERT_EQ(browser().GetShownDocument(), document);
        ASSERT_NE(browser().TableView(), nullptr);
    }
    QPoint CellPoint(int row, int column) { return grid().visualRect(grid().model()->index(row, column)).center(); }
    void ClickCell(int row, int column, Qt::KeyboardModifiers keys = {})
    {
        QTest::mouseClick(grid().viewport(), Qt::LeftButton, keys, CellPoint(row, column));
    }
    QLineEdit* Editor() { return grid().viewport()->findChild<QLineEdit*>(); }
    /// The fields of a coding as the project holds them.
    QString Field(qint32 coding, qint32 field)
    {
        if (!db().GetTable(TopicId::Codings)->HasKey(coding))
            return QStringLiteral("<absent>");
        return field == CodingField::Preview ? doctest::ValueOf(db(), TopicId::Codings, coding, field)
                                             : QString::number(db().GetIntValue(TopicId::Codings, coding, field));
    }
    /// Opens a cell's editor as a user does: a click, then F2.
    QLineEdit* EditCellAt(int row, int column)
    {
        ClickCell(row, column);
        QTest::keyClick(&grid(), Qt::Key_F2);
        return Editor();
    }
    QList<qint32> Codings()
    {
        QList<qint32> keys;
        db().FindKeysByParent(TopicId::Codings, TopicId::Documents, document, keys);
        std::sort(keys.begin(), keys.end());
        return keys;
    }
    CTableData StoredTable()
    {
        CTableData stored;
        EXPECT_TRUE(stored.LoadFromBytes(doctest::BlobOf(db(), TopicId::Documents, document, DocumentField::Text)));
        return stored;
    }

    qint32 group = 0;
    qint32 document = 0;
    qint32 code = 0;
};

TEST_F(TableViewTest, OpensFromTheDocumentTreeAndZoomsBetweenFourAndSixteenPoints)
{
    Open();
    EXPECT_EQ(grid().model()->rowCount(), 3);
    EXPECT_EQ(grid().model()->columnCount(), 2);
    EXPECT_EQ(grid().model()->index(1, 0).data().toString(), kCells[1][0]);
    EXPECT_EQ(table().GetZoom(), CTableWnd::kDefaultZoom);

    for (int step = 0; step < 10; ++step)
        frame->Commands().Execute(BrowserCommand::ZoomIn);
    EXPECT_EQ(table().GetZoom(), 16);
    EXPECT_EQ(grid().font().pointSize(), 16);
    for (int step = 0; step < 20; ++step)
        frame->Commands().Execute(BrowserCommand::ZoomOut);
    EXPECT_EQ(table().GetZoom(), 4);
    frame->Commands().Execute(BrowserCommand::ZoomReset);
    EXPECT_EQ(table().GetZoom(), 8);
}

TEST_F(TableViewTest, ACellEditedWithTheKeyboardIsStoredAtOnceWithItsCodings)
{
    const qint32 whole = AddCoding(document, code, 0, 6,
                                   {{CodingField::IsText, 2}, {CodingField::Page, 2}, {CodingField::PosX1, 0}});
    const qint32 part = AddCoding(document, code, 4, 6,
                                  {{CodingField::IsText, 2}, {CodingField::Page, 2}, {CodingField::PosX1, 1}});
    Open();
    QLineEdit* editor = EditCellAt(0, 1);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Orchard"));
    QTest::keyClick(editor, Qt::Key_Return);

    // The editor hands its text over once the key's handling is done.
    ASSERT_TRUE(QTest::qWaitFor([&] { return table().CellText(0, 1) == QStringLiteral("Orchard"); }));
    // Stored at once: the table, its text length and the coding of the cell.
    EXPECT_FALSE(browser().IsEditMode());
    EXPECT_EQ(StoredTable().GetCell(0, 1), QStringLiteral("Orchard"));
    EXPECT_EQ(Field(whole, CodingField::FinishChar), QStringLiteral("7"));
    EXPECT_EQ(Field(whole, CodingField::Preview), QStringLiteral("Orchard"));
    EXPECT_EQ(doctest::ValueOf(db(), TopicId::Documents, document, DocumentField::Size),
              QString::number(StoredTable().GetTextLength()));

    // Emptying a cell deletes the codings inside it.
    ASSERT_NE(EditCellAt(1, 1), nullptr);
    Editor()->selectAll();
    QTest::keyClick(Editor(), Qt::Key_Delete);
    QTest::keyClick(Editor(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return table().CellText(1, 1).isEmpty(); }));
    EXPECT_EQ(Field(part, CodingField::StartChar), QStringLiteral("<absent>"));

    // The project file holds the edit after a reopen.
    frame.reset();
    Reopen();
    EXPECT_EQ(StoredTable().GetCell(0, 1), QStringLiteral("Orchard"));
    EXPECT_EQ(StoredTable().GetCell(1, 1), QString());
}

TEST_F(TableViewTest, AFailedStoreChangesNothingKeepsTheEditAndSaysSo)
{
    const qint32 coding = AddCoding(document, code, 0, 6,
                                    {{CodingField::IsText, 2}, {CodingField::Page, 2}, {CodingField::PosX1, 1}});
    // The project refuses to store a changed coding, after the table's
    // bytes were written in the same transaction.
    frame.reset();
    DocTest::frame.ExitCommand();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("CREATE TRIGGER [refuse] BEFORE UPDATE ON [Codings] "
                                                 "BEGIN SELECT RAISE(ABORT, 'refused'); END;")}));
    ASSERT_TRUE(DocTest::frame.OpenCommand(path));
    ShowFrame();
    Open();
    const QByteArray before = doctest::BlobOf(db(), TopicId::Documents, document, DocumentField::Text);

    ASSERT_TRUE(table().EditCell(1, 1, QStringLiteral("Winter")));
    EXPECT_TRUE(browser().IsEditMode());
    EXPECT_TRUE(messages.texts.join(QLatin1Char('\n')).contains(QStringLiteral("could not be stored")));
    EXPECT_EQ(table().CellText(1, 1), QStringLiteral("Winter"));
    EXPECT_EQ(doctest::BlobOf(db(), TopicId::Documents, document, DocumentField::Text), before);
    EXPECT_EQ(Field(coding, CodingField::FinishChar), QStringLiteral("6"));

    frame.reset();
    DocTest::frame.ExitCommand();
    ASSERT_TRUE(ExecOnFile(path, {QStringLiteral("DROP TRIGGER [refuse];")}));
    ASSERT_TRUE(DocTest::frame.OpenCommand(path));
    EXPECT_EQ(StoredTable().GetCell(1, 1), QStringLiteral("Summer"));
}

TEST_F(TableViewTest, CellsAreCodedAsWholeCellsRangesAndOnePiecePerSelectedCell)
{
    Open();
    struct Expected {
        qint32 page, row, start, finish;
        QString preview;
    };
    struct Case {
        const char* name;
        std::function<void()> select;
        QList<Expected> codings;
    };
    const QList<Case> cases = {
        {"a clicked cell codes its whole text",
         [&] { ClickCell(1, 0); },
         {{1, 1, 0, 20, QStringLiteral("Honey and more honey")}}},
        {"text selected in the cell's editor codes that range",
         [&] {
             ASSERT_NE(EditCellAt(0, 1), nullptr);
             Editor()->setSelection(1, 3);
         },
         {{2, 0, 1, 4, QStringLiteral("ard")}}},
        {"three selected cells give one coding each, the empty cell none",
         [&] {
             ClickCell(0, 0);
             ClickCell(1, 1, Qt::ControlModifier);
             ClickCell(2, 0, Qt::ControlModifier);
             ClickCell(2, 1, Qt::ControlModifier);
         },
         {{1, 0, 0, 4, QStringLiteral("Bees")},
          {2, 1, 0, 6, QStringLiteral("Summer")},
          {1, 2, 0, 11, QStringLiteral("Grandmother")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QList<qint32> before = Codings();
        c.select();
        frame->OnCodeSelectionWith(code);
        QList<qint32> added = Codings();
        for (const qint32 key : before)
            added.removeOne(key);
        ASSERT_EQ(added.size(), c.codings.size());
        for (int i = 0; i < added.size(); ++i) {
            const Expected& e = c.codings[i];
            const qint32 key = added[i];
            EXPECT_EQ(Field(key, CodingField::Page), QString::number(e.page));
            EXPECT_EQ(Field(key, CodingField::PosX1), QString::number(e.row));
            EXPECT_EQ(Field(key, CodingField::StartChar), QString::number(e.start));
            EXPECT_EQ(Field(key, CodingField::FinishChar), QString::number(e.finish));
            EXPECT_EQ(Field(key, CodingField::IsText), QStringLiteral("2"));
            EXPECT_EQ(Field(key, CodingField::StartPara), QString::number(e.row + 1));
            EXPECT_EQ(Field(key, CodingField::FinishPara), QString::number(e.row + 1));
            EXPECT_EQ(Field(key, CodingField::Preview), e.preview);
            EXPECT_EQ(Field(key, CodingField::Area), QString::number(e.finish - e.start));
            // What the retrieved segments show: the coded text of the cell.
            QTextDocument segment;
            ASSERT_TRUE(rtf::ReadRtf(doctest::BlobOf(db(), TopicId::Codings, key, CodingField::Text), segment).ok);
            EXPECT_EQ(segment.toPlainText(), e.preview);
        }
        if (QLineEdit* editor = Editor())
            QTest::keyClick(editor, Qt::Key_Escape);
    }
}

TEST_F(TableViewTest, StripesStandBesideTheirRowsAndShareLanesOnlyWithinARow)
{
    // Two codings in row 1, one in row 2, in the form every writer uses.
    const auto cell = [&](qint32 row, qint32 column, qint32 start, qint32 finish) {
        return AddCoding(document, code, start, finish,
                         {{CodingField::IsText, 2}, {CodingField::Page, column + 1}, {CodingField::PosX1, row},
                          {CodingField::StartPara, row + 1}, {CodingField::FinishPara, row + 1}});
    };
    const qint32 first = cell(1, 0, 0, 5);
    const qint32 second = cell(1, 1, 0, 6);
    const qint32 third = cell(2, 0, 0, 11);
    Open();
    browser().Refresh(true);
    ASSERT_EQ(browser().GetStripeCount(), 3);
    QMap<qint32, const StripeItem*> stripes;
    for (int i = 0; i < browser().GetStripeCount(); ++i)
        stripes.insert(browser().StripeAt(i).row.ID, &browser().StripeAt(i));
    for (const auto& [coding, row] : {std::pair{first, 1}, {second, 1}, {third, 2}}) {
        int top = 0;
        int bottom = 0;
        ASSERT_TRUE(table().RowExtent(row, top, bottom));
        const int offset = table().geometry().top() - browser().StripeMargin()->geometry().top();
        EXPECT_GE(stripes[coding]->top, top + offset) << coding;
        EXPECT_LE(stripes[coding]->bottom, bottom + offset) << coding;
    }
    EXPECT_NE(stripes[first]->lane, stripes[second]->lane);
    EXPECT_EQ(stripes[third]->lane, 1);

    // A coding shown again selects its cell.
    ASSERT_TRUE(browser().SelectCodingById(third));
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(2, 0));
}

TEST_F(TableViewTest, ACellAutocodedFromTheSearchIsTheCellTheBrowserCodes)
{
    // The second "honey" of row 1, column 0, as the lexical search stores it.
    doctest::AddRow(db(), TopicId::SearchHits,
                    {{SearchHitField::Type, 0},
                     {SearchHitField::Document, document},
                     {SearchHitField::Text, QStringLiteral("honey")},
                     {SearchHitField::Start, 15},
                     {SearchHitField::End, 20},
                     {SearchHitField::Page, 1},
                     {SearchHitField::Paragraph, 2}});
    retrieval::LexicalEngine engine;
    doc.SetLexicalService(&engine);
    // The paragraph extent codes a table's hit as its whole cell.
    doc.GetRetrievalSettings().hitExtent = 2;
    ASSERT_EQ(doc.AutoCodeSearchHits(code), 1);
    doc.SetLexicalService(nullptr);
    const QList<qint32> autocoded = Codings();
    ASSERT_EQ(autocoded.size(), 1);

    Open();
    ASSERT_EQ(browser().GetStripeCount(), 1);
    ASSERT_TRUE(browser().SelectCodingById(autocoded.first()));
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(1, 0));
    int top = 0;
    int bottom = 0;
    ASSERT_TRUE(table().RowExtent(1, top, bottom));
    const int offset = table().geometry().top() - browser().StripeMargin()->geometry().top();
    EXPECT_GE(browser().StripeAt(0).top, top + offset);
    EXPECT_LE(browser().StripeAt(0).bottom, bottom + offset);
    // The browser's coding of the same cell is the same coding: none is added.
    ClickCell(1, 0);
    frame->OnCodeSelectionWith(code);
    EXPECT_EQ(Codings(), autocoded);
}

TEST_F(TableViewTest, TheContextSearchFindsEveryHitInTheCells)
{
    Open();
    ASSERT_TRUE(browser().OffersContextSearch());
    ContextSearchRequest request;
    request.code = ContextSearchCode::Search;
    request.text = QStringLiteral("honey");
    ASSERT_TRUE(browser().OnContextSearch(request));
    EXPECT_EQ(request.count, 2);
    ASSERT_EQ(browser().TableHits().size(), 2);
    EXPECT_EQ(browser().TableHits()[0].position, 0);
    EXPECT_EQ(browser().TableHits()[1].position, 15);
    EXPECT_EQ(browser().TableHits()[1].page, 1);
    EXPECT_EQ(browser().TableHits()[1].row, 1);
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(1, 0));

    request = ContextSearchRequest();
    request.code = ContextSearchCode::Search;
    request.text = QStringLiteral("er");
    ASSERT_TRUE(browser().OnContextSearch(request));
    // "Summer", "Grandmother"
    EXPECT_EQ(request.count, 2);
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(1, 1));
    request.code = ContextSearchCode::Next;
    browser().OnContextSearch(request);
    EXPECT_EQ(request.current, 2);
    EXPECT_EQ(grid().currentIndex(), grid().model()->index(2, 0));
}

TEST_F(TableViewTest, ADamagedTableIsReportedShownEmptyAndLeftAsItWas)
{
    QByteArray damaged = TableBytes(kCells);
    damaged.truncate(damaged.size() / 2);
    const qint32 bad = AddDocument(group, QStringLiteral("Broken"), damaged, TextCoderWindow::Table);
    ASSERT_TRUE(doc.SetOpenDocument(bad, 0));
    ASSERT_NE(browser().TableView(), nullptr);
    EXPECT_FALSE(browser().TableView()->IsLoaded());
    EXPECT_TRUE(messages.texts.join(QLatin1Char('\n')).contains(QStringLiteral("damaged")));
    EXPECT_EQ(browser().TableView()->View()->model()->rowCount(), 0);
    EXPECT_FALSE(browser().TableView()->EditCell(0, 0, QStringLiteral("x")));
    EXPECT_FALSE(browser().SetEditable(true));
    EXPECT_FALSE(frame->CommitBrowserEdits());
    EXPECT_EQ(doctest::BlobOf(db(), TopicId::Documents, bad, DocumentField::Text), damaged);
}

TEST_F(TableViewTest, ThePrintShowsTheColumnLabelsAndEveryCell)
{
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("prints")));
    testutil::PrintCapture capture(dir.file(QStringLiteral("prints")));
    Open();
    ASSERT_TRUE(browser().PrintCodedText(true));
    const QStringList pages = testutil::PrintedPages(capture.LastFile());
    ASSERT_EQ(pages.size(), 1);
    for (const QString& text : {QStringLiteral("Survey"), QStringLiteral("Column 2"), kCells[1][0], kCells[2][0]})
        EXPECT_TRUE(pages[0].contains(text)) << text.toStdString();
}

// The browser on its own, at a fixed size, for the picture.
class TableViewPicture : public browsertest::BrowserTest {};

TEST_F(TableViewPicture, ACodedTableLooksAsRecorded)
{
    browser->SetViewerFactory([](qint32 kind, QWidget* parent) -> std::unique_ptr<IDocumentViewer> {
        if (kind == TextCoderWindow::Table)
            return std::make_unique<CTableWnd>(parent);
        return nullptr;
    });
    const qint32 group = AddGroup(QStringLiteral("G"));
    const qint32 document = AddDocument(group, QStringLiteral("Survey"), TableBytes(kCells), TextCoderWindow::Table);
    const qint32 code = AddCode(QStringLiteral("Sweet"), 0, 2);
    AddCoding(document, code, 0, 20,
              {{CodingField::IsText, 2}, {CodingField::Page, 1}, {CodingField::PosX1, 1},
               {CodingField::StartPara, 2}, {CodingField::FinishPara, 2}});
    AddCoding(document, code, 0, 6,
              {{CodingField::IsText, 2}, {CodingField::Page, 2}, {CodingField::PosX1, 1},
               {CodingField::StartPara, 2}, {CodingField::FinishPara, 2}});
    Show(document);
    browser->SetColourAll(true);
    browser->Refresh(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(testutil::MatchesReferenceImage(
        browser.get(), testutil::DataPath(QStringLiteral("screenshots/browser/codedtable.png"))));
}

}  // namespace
