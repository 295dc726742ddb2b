// The matrix list control: its model's values and ranges, tree rows, header
// rules, the owner's messages and the picture of each display type.

#include "common/screenshots.h"
#include "common/testutil.h"
#include "store/storeids.h"
#include "ui/objlistctrl.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

/// Answers captions as "Code <id>" / "Doc <id>" and records what it is told.
class RecordingOwner : public IMatrixListOwner {
public:
    void OnItemInfo(ListNotifyInfo& info) override
    {
        ++itemRequests;
        info.name = QStringLiteral("%1 %2")
                        .arg(info.topic == TopicId::Codes ? QStringLiteral("Code") : QStringLiteral("Doc"))
                        .arg(info.itemId);
        if (info.itemId == 1)
            info.colour = 0x0000C000;   // a green mark
        info.handled = true;
    }
    void OnFollowItem(IdListNotifyInfo& info) override { follows.push_back({info.itemId, info.kind}); }
    void OnMatrixDoubleClick(MatrixDoubleClick kind, qint32 first, qint32 second) override
    {
        doubleClicks.push_back({int(kind), first, second});
    }

    int itemRequests = 0;
    std::vector<std::pair<qint32, qint32>> follows;
    std::vector<std::array<qint32, 3>> doubleClicks;
};

MatrixRow codeRow(qint32 id, int level, bool hasChildren, bool expanded, bool siblingFollows)
{
    MatrixRow r;
    r.id = id;
    r.level = level;
    r.hasParent = level > 0;
    r.hasChildren = hasChildren;
    r.expanded = expanded;
    r.siblingFollows = siblingFollows;
    for (int a = 0; a < level; ++a)
        r.ancestorLines.append(a == 0);
    return r;
}

/// Codes 1 (open) with 2 and 3 (closed, with 4 below), then 5; three documents.
MatrixData codeTree()
{
    MatrixData d;
    d.columnIds = {101, 102, 103};
    d.rows = {codeRow(1, 0, true, true, true), codeRow(2, 1, false, false, true), codeRow(3, 1, true, false, false),
              codeRow(4, 2, false, false, false), codeRow(5, 0, false, false, false)};
    d.values = {
        1, 0, 2,    // 1
        3, 0, 0,    // 2
        0, 4, 1,    // 3
        6, 8, 0,    // 4
        0, 0, 12,   // 5
    };
    return d;
}

std::vector<qint64> rowValues(const CMatrixModel& m, int listRow)
{
    std::vector<qint64> out;
    for (int c = 1; c < m.columnCount(); ++c)
        out.push_back(m.CellValue(listRow, c));
    return out;
}

QPoint expandBox(const CObjListCtrl& ctrl, int listRow, int level)
{
    const QRect cell = ctrl.visualRect(ctrl.model()->index(listRow, 0));
    return QPoint(cell.left() + level * 19 + 4 + 4, cell.center().y());
}

class MatrixList : public testing::Test {
protected:
    void SetUp() override
    {
        ctrl.SetOwner(&owner);
        ctrl.resize(420, 160);
    }
    RecordingOwner owner;
    CObjListCtrl ctrl;
};

}  // namespace

TEST(MatrixModel, CollapsedParentsShowTheirSubtreeAndCountInTheRange)
{
    MatrixData d = codeTree();
    CMatrixModel m;
    m.Load(MatrixDisplay::CodesByDocuments, &d);
    // Row 4 lies under the collapsed row 3.
    ASSERT_EQ(m.rowCount(), 4);
    EXPECT_EQ(m.RowIndex(3), 4);
    EXPECT_EQ(rowValues(m, 0), (std::vector<qint64>{1, 0, 2}));          // open: its own cells
    EXPECT_EQ(rowValues(m, 2), (std::vector<qint64>{6, 12, 1}));         // closed: 3 and 4 summed
    // Smallest non-zero cell 1; largest counted cell the subtree of 1: 1+3+0+6 = 10, 0+0+4+8 = 12, 2+0+1+0 = 3, or 12.
    EXPECT_EQ(m.WholeRange().minimum, 1);
    EXPECT_EQ(m.WholeRange().maximum, 12);
    EXPECT_DOUBLE_EQ(m.WholeRange().sizeStep, 11.0 / 6.0);
    EXPECT_DOUBLE_EQ(m.WholeRange().colourStep, 11.0 / 255.0);

    m.Toggle(2);   // open 3
    ASSERT_EQ(m.rowCount(), 5);
    EXPECT_EQ(rowValues(m, 2), (std::vector<qint64>{0, 4, 1}));
    m.Toggle(0);   // close 1: 2, 3 and 4 go, 5 stays
    ASSERT_EQ(m.rowCount(), 2);
    EXPECT_EQ(m.RowIndex(1), 4);
    EXPECT_EQ(rowValues(m, 0), (std::vector<qint64>{10, 12, 3}));
}

TEST(MatrixModel, EmptyAndFlatRangesHaveZeroSteps)
{
    struct Case {
        const char* name;
        QList<qint32> values;
        qint64 minimum;
        qint64 maximum;
    };
    const std::vector<Case> cases = {
        {"all zero", {0, 0, 0, 0}, 0, 0},
        {"one value", {7, 0, 7, 7}, 7, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MatrixData d;
        d.columnIds = {1, 2};
        d.rows = {codeRow(1, 0, false, false, true), codeRow(2, 0, false, false, false)};
        d.values = c.values;
        CMatrixModel m;
        m.Load(MatrixDisplay::CodesByDocuments, &d);
        EXPECT_EQ(m.WholeRange().minimum, c.minimum);
        EXPECT_EQ(m.WholeRange().maximum, c.maximum);
        EXPECT_EQ(m.WholeRange().sizeStep, 0.0);
        EXPECT_EQ(m.WholeRange().colourStep, 0.0);
        m.SetScaling(MatrixScaling::PerColumn);
        EXPECT_EQ(m.RangeFor(0, 1).sizeStep, 0.0);
    }
}

TEST(MatrixModel, PerColumnAndPerRowScaling)
{
    MatrixData d = codeTree();
    CMatrixModel m;
    m.Load(MatrixDisplay::CodesByDocuments, &d);
    m.SetScaling(MatrixScaling::PerColumn);
    // Column 3 holds a zero, which lowers its minimum; its maximum counts the
    // subtree of 1 (2+0+1+0 = 3) against 5's 12.
    EXPECT_EQ(m.RangeFor(0, 3).minimum, 0);
    EXPECT_EQ(m.RangeFor(0, 3).maximum, 12);
    m.SetScaling(MatrixScaling::PerRow);
    // Row 1 is open: its own cells only; row 3 is closed: its subtree.
    EXPECT_EQ(m.RangeFor(0, 1).maximum, 2);
    EXPECT_EQ(m.RangeFor(2, 1).maximum, 12);
    m.Toggle(2);
    EXPECT_EQ(m.RangeFor(2, 1).maximum, 4);
    // Per-cell scaling is for symbols only.
    m.SetShowNumbers(true);
    EXPECT_EQ(m.RangeFor(2, 1).maximum, m.WholeRange().maximum);
}

TEST(MatrixModel, NumbersAndPercentagesAgainstTheTotals)
{
    MatrixData d;
    d.rows = {codeRow(1, 0, false, false, true), codeRow(2, 0, false, false, false)};
    d.cellsPerRow = 2;
    d.columnCaptions = {QStringLiteral("A"), QStringLiteral("B")};
    d.values = {
        1, 3, 4,    // row 1 and its total
        0, 0, 0,    // row 2: all zero
        1, 3, 4,    // column totals
    };
    CMatrixModel m;
    m.Load(MatrixDisplay::Numbers, &d);
    ASSERT_EQ(m.rowCount(), 3);   // two rows and the total row
    EXPECT_EQ(m.RowIndex(2), CMatrixModel::kTotalRow);
    EXPECT_EQ(m.CellText(0, 2), "3");
    EXPECT_EQ(m.CellText(2, 3), "4");
    m.SetPercentage(MatrixPercentage::OfRowTotal);
    EXPECT_EQ(m.CellText(0, 1), "25.0%");
    EXPECT_EQ(m.CellText(1, 1), "");   // a zero total leaves the cell empty
    m.SetPercentage(MatrixPercentage::OfColumnTotal);
    EXPECT_EQ(m.CellText(0, 2), "100.0%");
    d.alternativeValues = true;
    d.secondValues = {9, 9, 18};
    m.SetPercentage(MatrixPercentage::None);
    EXPECT_EQ(m.CellText(0, 1), "9");
}

TEST(MatrixModel, OwnerDataShorterThanTheMatrixReadsAsEmpty)
{
    MatrixData d;
    d.columnIds = {1, 2};
    d.rowIds = {10, 11};
    d.values = {0, 1};                      // row 11 has no values
    d.secondValues = {0, 0xFF, 0xFF00, 0};  // the run at 1 is two colours
    CMatrixModel m;
    m.Load(MatrixDisplay::DocumentStripes, &d);
    EXPECT_EQ(m.StripeColours(0, 2), (QList<quint32>{0xFF, 0xFF00}));
    EXPECT_EQ(m.CellValue(1, 1), 0);
    d.values = {0, 99};                     // past the colours
    EXPECT_TRUE(m.StripeColours(0, 2).isEmpty());

    MatrixData texts;
    texts.cellsPerRow = 2;
    texts.rowLabels = {QStringLiteral("r1"), QStringLiteral("r2")};
    texts.cellTexts = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
    m.Load(MatrixDisplay::Texts, &texts);
    EXPECT_EQ(m.CellText(1, 1), "c");
    EXPECT_EQ(m.CellText(1, 2), "");
}

TEST_F(MatrixList, ClickOnTheExpandBoxOpensAndClosesASubtree)
{
    MatrixData d = codeTree();
    ctrl.Load(MatrixDisplay::CodesByDocuments, &d);
    ctrl.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ctrl));
    ASSERT_EQ(ctrl.model()->rowCount(), 4);
    QTest::mouseClick(ctrl.viewport(), Qt::LeftButton, {}, expandBox(ctrl, 2, 1));
    EXPECT_EQ(ctrl.model()->rowCount(), 5);
    EXPECT_TRUE(d.rows[2].expanded);
    QTest::mouseClick(ctrl.viewport(), Qt::LeftButton, {}, expandBox(ctrl, 0, 0));
    ASSERT_EQ(ctrl.model()->rowCount(), 2);
    EXPECT_EQ(ctrl.RowCaption(1), "Code 5");
    // A click beside the box selects the row instead, and tells the owner.
    owner.follows.clear();
    QTest::mouseClick(ctrl.viewport(), Qt::LeftButton, {}, expandBox(ctrl, 1, 0) + QPoint(60, 0));
    EXPECT_EQ(ctrl.model()->rowCount(), 2);
    ASSERT_FALSE(owner.follows.empty());
    EXPECT_EQ(owner.follows.back(), (std::pair<qint32, qint32>{5, TopicId::Codes}));
}

TEST_F(MatrixList, DoubleClicksTellTheOwnerWhatWasHit)
{
    struct Case {
        MatrixDisplay display;
        int listRow;
        int column;
        std::array<qint32, 3> expected;
    };
    MatrixData tree = codeTree();
    MatrixData docs;
    docs.columnIds = {7, 8};
    docs.rowIds = {30, 31};
    docs.values = {1, 1, 1, 1};
    docs.secondValues = {0, 0xFF};
    const std::vector<Case> cases = {
        {MatrixDisplay::CodesByDocuments, 0, 2, {17, 102, 1}},
        {MatrixDisplay::CodesByDocuments, 2, 1, {17, 101, -3}},   // closed parent: negated
        {MatrixDisplay::CodesByCodes, 1, 3, {18, 103, 2}},
        {MatrixDisplay::CodeColours, 1, 1, {26, 101, 2}},
        {MatrixDisplay::DocumentStripes, 1, 2, {27, 8, 31}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.display));
        ctrl.Load(c.display, c.display == MatrixDisplay::DocumentStripes ? &docs : &tree);
        ctrl.show();
        owner.doubleClicks.clear();
        const QRect cell = ctrl.visualRect(ctrl.model()->index(c.listRow, c.column));
        QTest::mouseDClick(ctrl.viewport(), Qt::LeftButton, {}, cell.center());
        ASSERT_EQ(owner.doubleClicks.size(), 1u);
        EXPECT_EQ(owner.doubleClicks[0], c.expected);
    }
    // A zero colour cell and the label column say nothing.
    ctrl.Load(MatrixDisplay::CodeColours, &tree);
    owner.doubleClicks.clear();
    QTest::mouseDClick(ctrl.viewport(), Qt::LeftButton, {}, ctrl.visualRect(ctrl.model()->index(1, 2)).center());
    QTest::mouseDClick(ctrl.viewport(), Qt::LeftButton, {}, ctrl.visualRect(ctrl.model()->index(1, 0)).center());
    EXPECT_TRUE(owner.doubleClicks.empty());
}

TEST_F(MatrixList, ColumnWidthsFollowTheHeaderRules)
{
    MatrixData d = codeTree();
    ctrl.Load(MatrixDisplay::CodesByDocuments, &d);
    QHeaderView* header = ctrl.horizontalHeader();
    EXPECT_EQ(header->sectionSize(0), 200);
    EXPECT_EQ(header->sectionSize(1), 17);
    header->resizeSection(1, 60);
    EXPECT_EQ(header->sectionSize(1), 17);     // columns of documents stay narrow
    header->resizeSection(0, 90);
    EXPECT_EQ(header->sectionSize(0), 150);    // the label column's least width

    ctrl.SetHeaderMode(MatrixHeaderMode::Captions);
    EXPECT_EQ(ctrl.model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Doc 102");
    EXPECT_EQ(header->sectionSize(2), 50);
    header->resizeSection(2, 30);
    EXPECT_EQ(header->sectionSize(2), 50);

    ctrl.Load(MatrixDisplay::CodeColours, &d);
    ctrl.SetHeaderMode(MatrixHeaderMode::Narrow);
    EXPECT_EQ(ctrl.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "101");
    header->resizeSection(2, 40);
    for (int c = 1; c < ctrl.model()->columnCount(); ++c)
        EXPECT_EQ(header->sectionSize(c), 40) << c;   // colour cells share one width
    header->resizeSection(3, 5);
    EXPECT_EQ(header->sectionSize(1), 20);
}

TEST_F(MatrixList, TipNamesRowColumnAndValue)
{
    MatrixData d = codeTree();
    ctrl.Load(MatrixDisplay::CodesByDocuments, &d);
    const QString tip = ctrl.CellTip(2, 2);   // closed row 3 in document 102
    EXPECT_TRUE(tip.contains("Doc 102")) << tip.toStdString();
    EXPECT_TRUE(tip.contains("Code 3")) << tip.toStdString();
    EXPECT_TRUE(tip.endsWith("\t12")) << tip.toStdString();
    EXPECT_EQ(ctrl.CellTip(2, 0), "");
    ctrl.SetFixedSize(true);
    EXPECT_TRUE(ctrl.CellTip(2, 2).endsWith("\t1"));
}

TEST_F(MatrixList, EachDisplayTypeLooksAsBefore)
{
    MatrixData tree = codeTree();
    MatrixData colours = codeTree();
    colours.values = {0x0000FF, 0, 0x00FF00, 0xFF0000, 0x00FFFF, 0, 0, 0xFF00FF, 0x808080, 0x0080FF, 0, 0, 0, 0, 0xFFFFFF};
    MatrixData docs;
    docs.columnIds = {7, 8, 9};
    docs.rowIds = {30, 31};
    docs.values = {1, 0, 4, 4, 1, 0};
    docs.secondValues = {0, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0};
    MatrixData numbers;
    numbers.rows = {codeRow(1, 0, false, false, true), codeRow(2, 0, false, false, false)};
    numbers.cellsPerRow = 2;
    numbers.columnCaptions = {QStringLiteral("North"), QStringLiteral("South")};
    numbers.values = {1, 3, 4, 2, 2, 4, 3, 5, 8};
    MatrixData texts;
    texts.cellsPerRow = 2;
    texts.columnCaptions = {QStringLiteral("Type"), QStringLiteral("Size")};
    texts.rowLabels = {QStringLiteral("first"), QStringLiteral("second")};
    texts.cellTexts = {QStringLiteral("a"), QStringLiteral("12"), QStringLiteral("b"), QStringLiteral("7")};

    struct Case {
        MatrixDisplay display;
        MatrixData* data;
        const char* picture;
        std::function<void()> options;
    };
    const std::vector<Case> cases = {
        {MatrixDisplay::CodesByDocuments, &tree, "ui/matrix_codes_documents.png", [] {}},
        {MatrixDisplay::CodesByCodes, &tree, "ui/matrix_codes_codes_circles.png", [&] { ctrl.SetCircles(true); }},
        {MatrixDisplay::CodeColours, &colours, "ui/matrix_code_colours.png", [] {}},
        {MatrixDisplay::DocumentStripes, &docs, "ui/matrix_document_stripes.png", [] {}},
        {MatrixDisplay::Numbers, &numbers, "ui/matrix_numbers.png", [&] { ctrl.SetPercentage(MatrixPercentage::OfRowTotal); }},
        {MatrixDisplay::Texts, &texts, "ui/matrix_texts.png", [] {}},
    };
    ctrl.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&ctrl));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        ctrl.SetCircles(false);
        ctrl.SetPercentage(MatrixPercentage::None);
        ctrl.SetHeaderMode(MatrixHeaderMode::Narrow);
        ctrl.Load(c.display, c.data);
        c.options();
        ctrl.clearSelection();
        ctrl.setCurrentIndex({});
        EXPECT_TRUE(testutil::MatchesReferenceImage(ctrl.grab().toImage(), testutil::DataPath(QString::fromLatin1(c.picture))));
    }
}
