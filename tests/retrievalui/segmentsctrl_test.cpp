// The retrieved-segments pane on a real project: rebuilt from the
// retrieval's broadcasts, boxes beside their texts with the spacer rule,
// memo markers in lanes, removal, context search, the exports and the
// header's divider.

#include "segmentsfixture.h"

#include "common/screenshots.h"
#include "document/objectlistregistry.h"
#include "foundation/optionsrecord.h"
#include "foundation/programpaths.h"
#include "platform/profile/privateprofile.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/lexicalengine.h"
#include "retrieval/segmentsctrl.h"
#include "store/topicdatabase.h"
#include "ui/dragstripwnd.h"
#include "ui/textpaneex.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

using segmentstest::DocumentOwner;

class SegmentsPane : public segmentstest::SegmentsProject {
protected:
    void SetUp() override
    {
        SegmentsProject::SetUp();
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        pane = std::make_unique<SegmentsCtrl>();
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(10);
        pane->setFont(font);
        pane->SetOwner(&owner);
        pane->SetDatabase(&db());
        pane->SetContextSearchNotice([this](qint32 code) { notices.append(code); });
        pane->resize(520, 420);
        pane->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(pane.get()));
        doc.GetRegistry().Register(pane.get());
    }
    void TearDown() override
    {
        pane.reset();
        g_program = {};
        SegmentsProject::TearDown();
    }

    /// The pane's text without the separator marks of the last segment.
    QString PaneText() const { return pane->Text()->TextMap().text(); }
    /// The text of one box, without its separator marks.
    QString BoxText(int index) const
    {
        const SegmentBoxItem* item = pane->Strip()->Item(index);
        return PaneText().mid(item->m_textStart, item->m_textEnd - item->m_textStart - SegmentsCtrl::kSeparatorMarks);
    }
    QList<qint32> Ids() const
    {
        QList<qint32> ids;
        pane->GetSegmentIds(ids);
        return ids;
    }

    DocumentOwner owner{doc};
    std::unique_ptr<SegmentsCtrl> pane;
    QList<qint32> notices;
};

TEST_F(SegmentsPane, ActivatedSegmentsAppearInOrderBesideTheirBoxes)
{
    EXPECT_EQ(Run(), 4);
    // By document, then by code: Anger before Places.
    EXPECT_EQ(Ids(), (QList<qint32>{c1, c3, c2, c4}));
    EXPECT_EQ(BoxText(0), QStringLiteral("First paragraph of one."));
    EXPECT_EQ(BoxText(1), QStringLiteral("Third and last words."));
    EXPECT_EQ(BoxText(2), QStringLiteral("Second part tells more."));
    EXPECT_EQ(BoxText(3), QStringLiteral("document"));
    EXPECT_EQ(notices, (QList<qint32>{ContextSearchCode::SearchAgain, ContextSearchCode::SearchAgain}));

    // Each box starts at its text's first line and the next segment begins
    // no earlier than 8 pixels below the box.
    for (int i = 0; i < pane->GetSegmentCount(); ++i) {
        const SegmentBoxItem* item = pane->Strip()->Item(i);
        const QRect first = pane->Text()->cursorRect(QTextCursor(pane->Text()->document()->findBlock(
            pane->Text()->ToDocumentPosition(item->m_textStart))));
        const int scroll = pane->Text()->verticalScrollBar()->value();
        EXPECT_NEAR(item->m_box.top() - scroll, first.top(), 3) << "box " << i;
        if (i + 1 < pane->GetSegmentCount()) {
            EXPECT_GE(pane->Strip()->Item(i + 1)->m_box.top(), item->m_box.bottom() + 8) << "box " << i;
        }
    }
    const SegmentsCtrl::ShownSegment* first = pane->Segment(c1);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->documentName, QStringLiteral("Interviews\\Anna"));
    EXPECT_EQ(first->weight, 80);
    EXPECT_EQ(pane->Strip()->Item(0)->m_coding.codePath, first->codePath);
    EXPECT_TRUE(first->codePath.endsWith(QStringLiteral("Anger"))) << first->codePath.toStdString();
    EXPECT_TRUE(testutil::MatchesReferenceImage(pane.get(), QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                               + QStringLiteral("/screenshots/segments_pane.png")));
}

TEST_F(SegmentsPane, CombinedSegmentsShowTheirTextsFromTheResult)
{
    // Function 3 keeps the segments that overlap none of another code: here
    // all four, as result segments of their own that live in memory only.
    OptionsRecord& settings = doc.GetRetrievalSettings();
    settings.retrievalFunction = 3;
    settings.codeIds = {anger, places};
    EXPECT_EQ(Run(), 4);
    const QList<qint32> ids = Ids();
    ASSERT_EQ(ids.size(), 4);
    for (int i = 0; i < ids.size(); ++i) {
        const SegmentsCtrl::ShownSegment* segment = pane->Segment(ids.at(i));
        ASSERT_TRUE(segment);
        EXPECT_EQ(segment->topic, TopicId::RetrievedSegments);
        EXPECT_EQ(segment->documentKind, DocumentKind::RichText);
    }
    EXPECT_EQ(BoxText(0), QStringLiteral("First paragraph of one."));
    EXPECT_EQ(BoxText(3), QStringLiteral("document"));
    EXPECT_EQ(pane->Segment(ids.at(2))->document, d1);
    EXPECT_TRUE(pane->Segment(ids.at(2))->codePath.endsWith(QStringLiteral("Places")));
}

TEST_F(SegmentsPane, ARunWithoutResultsLeavesNothingButSaysSo)
{
    Run();
    Activate(TopicId::Documents, d1, false);
    Activate(TopicId::Documents, d2, false);
    notices.clear();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(pane->GetSegmentCount(), 0);
    EXPECT_TRUE(PaneText().isEmpty());
    EXPECT_TRUE(pane->MemoMarks().isEmpty());
    EXPECT_EQ(notices, QList<qint32>{ContextSearchCode::SearchAgain});
}

TEST_F(SegmentsPane, MemoMarkersStandInsideTheirSegmentsInLanes)
{
    Run();
    QList<qint32> shown;
    for (const MemoMark& mark : pane->MemoMarks())
        shown.append(mark.memoId);
    // In text order; m3 lies one past c1 and belongs to c2, m7 lies one
    // before c4.
    EXPECT_EQ(shown, (QList<qint32>{m1, m2, m4, m5, m6, m3}));
    const auto markOf = [this](qint32 memo) {
        for (const MemoMark& mark : pane->MemoMarks())
            if (mark.memoId == memo)
                return mark;
        return MemoMark{};
    };
    EXPECT_EQ(markOf(m3).position, pane->Strip()->Item(2)->m_textStart);
    EXPECT_EQ(markOf(m2).position, pane->Strip()->Item(0)->m_textStart + 23);
    EXPECT_EQ(markOf(m4).column, 0);
    EXPECT_EQ(markOf(m5).column, 1);
    EXPECT_EQ(markOf(m6).column, 2);
    EXPECT_EQ(markOf(m1).column, 0);
    EXPECT_GE(pane->MemoMarginWidth(), pane->MemoMargin()->NeededWidth());
    EXPECT_GT(pane->MemoMarginWidth(), 23);

    pane->HideMemos();
    Run();
    EXPECT_TRUE(pane->MemoMarks().isEmpty());
    EXPECT_EQ(pane->MemoMarginWidth(), 23);
}

TEST_F(SegmentsPane, DeletingACodingOrAMemoRemovesOnlyItsPart)
{
    Run();
    const int before = int(pane->MemoMarks().size());
    doc.GetRegistry().NotifyDeleted(TopicId::Memos, m5);
    EXPECT_EQ(pane->MemoMarks().size(), before - 1);

    doc.GetRegistry().NotifyDeleted(TopicId::Codings, c3);
    EXPECT_EQ(Ids(), (QList<qint32>{c1, c2, c4}));
    EXPECT_EQ(BoxText(0), QStringLiteral("First paragraph of one."));
    EXPECT_EQ(BoxText(1), QStringLiteral("Second part tells more."));
    // The gap closed: the boxes' ranges follow each other.
    EXPECT_EQ(pane->Strip()->Item(1)->m_textStart, pane->Strip()->Item(0)->m_textEnd);
    EXPECT_EQ(pane->Strip()->Item(2)->m_textEnd, PaneText().size());
    EXPECT_GE(pane->Strip()->Item(1)->m_box.top(), pane->Strip()->Item(0)->m_box.bottom() + 8);
    for (const MemoMark& mark : pane->MemoMarks())
        EXPECT_TRUE(mark.memoId != m4 && mark.memoId != m6);
    EXPECT_EQ(pane->MemoMarks().constLast().position, pane->Strip()->Item(1)->m_textStart);
}

TEST_F(SegmentsPane, ContextSearchWalksTheHitsWithoutWrapping)
{
    Run();
    ContextSearchRequest request;
    request.code = ContextSearchCode::Search;
    request.text = QStringLiteral("s");
    ASSERT_TRUE(pane->OnContextSearch(request));
    const QString text = PaneText().toLower();
    const qint32 expected = qint32(text.count(QStringLiteral("s")));
    EXPECT_EQ(request.count, expected);
    EXPECT_EQ(request.current, 1);
    int start = 0;
    int end = 0;
    pane->Text()->GetSel(start, end);
    ASSERT_GE(expected, 3);
    EXPECT_EQ(start, text.indexOf(QStringLiteral("s")));
    EXPECT_EQ(end, start + 1);
    for (int step = 0; step < expected + 2; ++step) {
        request.code = ContextSearchCode::Next;
        pane->OnContextSearch(request);
    }
    EXPECT_EQ(request.current, expected);
    request.code = ContextSearchCode::Previous;
    pane->OnContextSearch(request);
    EXPECT_EQ(request.current, expected - 1);

    request.code = ContextSearchCode::Search;
    request.text.clear();
    pane->OnContextSearch(request);
    EXPECT_EQ(request.count, 0);
    EXPECT_EQ(request.current, 0);
    pane->Text()->GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 0);
}

TEST_F(SegmentsPane, ReportSeparatesHeadlinesByOneEmptyLine)
{
    Run();
    CRichEditCtrlEx report;
    pane->BuildReport(report, false, nullptr);
    const QStringList lines = report.TextMap().text().split(QLatin1Char('\r'));
    ASSERT_GE(lines.size(), 12);
    EXPECT_EQ(lines.at(0), QStringLiteral("Document:\tInterviews\\Anna"));
    EXPECT_EQ(lines.at(1), QStringLiteral("Weight:\t80"));
    EXPECT_EQ(lines.at(2), QStringLiteral("Position:\t1 - 1"));
    EXPECT_TRUE(lines.at(3).startsWith(QStringLiteral("Code:\t\t")));
    EXPECT_EQ(lines.at(4), QStringLiteral("First paragraph of one."));
    EXPECT_EQ(lines.at(5), QString());
    EXPECT_EQ(lines.at(6), QStringLiteral("Document:\tInterviews\\Anna"));
    EXPECT_EQ(lines.at(8), QStringLiteral("Position:\t3 - 3"));
}

TEST_F(SegmentsPane, TheReportTakesTheMemosOfEachSegment)
{
    retrieval::LexicalEngine lexical;
    doc.SetLexicalService(&lexical);
    Run();
    CRichEditCtrlEx report;
    pane->BuildReport(report, true, &doc);
    const QString text = report.TextMap().text();
    // c1's memos at its start and end, c3's three, c2's one; m7 lies outside.
    for (const char* title : {"At the start", "At the end", "Lane one", "Lane two", "Lane three", "Next segment"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(title))) << title;
    EXPECT_FALSE(text.contains(QStringLiteral("Outside")));
    EXPECT_LT(text.indexOf(QStringLiteral("At the end")), text.indexOf(QStringLiteral("Third and last words.")));
    doc.SetLexicalService(nullptr);
}

TEST_F(SegmentsPane, ExportWritesTheReportOrReportsTheFailure)
{
    Run();
    QStringList opened;
    pane->SetFileOpener([&opened](const QString& path) {
        opened.append(path);
        return true;
    });
    const QString path = dir.file(QStringLiteral("segments.rtf"));
    ASSERT_TRUE(pane->ExportRtf(path, nullptr));
    EXPECT_EQ(opened, QStringList{path});
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    CRichEditCtrlEx readBack;
    const QByteArray bytes = written.readAll();
    readBack.StreamInRtf(&bytes, false);
    EXPECT_TRUE(readBack.TextMap().text().contains(QStringLiteral("Second part tells more.")));

    // A folder that does not exist: a message, nothing opened.
    testutil::ScriptedMessages scripted;
    EXPECT_FALSE(pane->ExportRtf(dir.file(QStringLiteral("missing/segments.rtf")), nullptr));
    EXPECT_EQ(scripted.texts.size(), 1);
    EXPECT_EQ(opened.size(), 1);
}

TEST_F(SegmentsPane, CodingRecordsAndRowsComeFromTheBoxes)
{
    Run();
    CSegmentArray rows;
    pane->GetRetrievedSegments(rows);
    ASSERT_EQ(rows.GetSize(), 4);
    EXPECT_EQ(rows[2].coding, c2);
    EXPECT_EQ(rows[2].start, 24);
    EXPECT_EQ(rows[2].end, 47);
    EXPECT_EQ(rows[2].weight, 25);

    CodingRecord record;
    ASSERT_TRUE(pane->GetNextSegmentCoding(record, true));
    EXPECT_EQ(record.ID, c1);
    EXPECT_EQ(record.Preview, QStringLiteral("First paragraph of one."));
    CRichEditCtrlEx text;
    text.StreamInRtf(&record.Text, false);
    EXPECT_EQ(text.TextMap().text(), QStringLiteral("First paragraph of one."));
    int count = 1;
    while (pane->GetNextSegmentCoding(record, false))
        ++count;
    EXPECT_EQ(count, 4);
    EXPECT_EQ(record.ID, c4);
}

TEST_F(SegmentsPane, AnAddedCodingGoesBehindItsNeighbourAndCanBeSelected)
{
    Run();
    const qint32 added = Coding(d2, places, 0, 5, 1, 10);
    ASSERT_TRUE(pane->OnObjectAdded(TopicId::Codings, added, c1, TopicId::Codings, -1, true));
    EXPECT_EQ(Ids(), (QList<qint32>{c1, added, c3, c2, c4}));
    EXPECT_EQ(BoxText(1), QStringLiteral("Other"));
    EXPECT_EQ(BoxText(2), QStringLiteral("Third and last words."));
    int start = 0;
    int end = 0;
    pane->Text()->GetSel(start, end);
    EXPECT_EQ(start, pane->Strip()->Item(1)->m_textStart);
    EXPECT_EQ(end, start + 5);
    EXPECT_FALSE(pane->OnObjectAdded(TopicId::Codings, added, -1, TopicId::Codings, -1, false));
}

TEST_F(SegmentsPane, AreaPicturesComeInTheAnswerAndTheClipboardStays)
{
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(QColor(200, 30, 30));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    const qint32 pictureDocument = Document(QStringLiteral("Photo"), 4, true, png, DocumentKind::Picture);
    const qint32 area = AddCoding(pictureDocument, anger, 5, 30,
                                  {{retrieval::CodingExtraField::PosX1, 10},
                                   {retrieval::CodingExtraField::PosX2, 50},
                                   {retrieval::CodingExtraField::Page, 1},
                                   {CodingField::IsText, 0}});
    QApplication::clipboard()->setText(QStringLiteral("the user's own text"));
    Run();
    EXPECT_TRUE(Ids().contains(area));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("the user's own text"));
    const int index = int(Ids().indexOf(area));
    EXPECT_EQ(BoxText(index), QString(QChar(0xFFFC)));
}

TEST_F(SegmentsPane, DividerDragsAreClampedAndTheSettingsKept)
{
    EXPECT_TRUE(pane->StripAtLeft());
    EXPECT_EQ(pane->StripWidth(), 50);
    QHeaderView* header = pane->Header();
    const auto dragDivider = [header](int toX) {
        const int divider = header->sectionViewportPosition(0) + header->sectionSize(0);
        QWidget* viewport = header->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, QPoint(divider - 1, 6));
        // Moves with the button held, as QTest's own moves carry no buttons.
        for (const int x : {(divider + toX) / 2, toX}) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 6), viewport->mapToGlobal(QPointF(x, 6)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &move);
        }
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(toX, 6));
    };
    dragDivider(30);
    EXPECT_EQ(pane->StripWidth(), 50);
    dragDivider(300);
    EXPECT_EQ(pane->StripWidth(), 200);
    dragDivider(120);
    EXPECT_NEAR(pane->StripWidth(), 120, 2);
    const int width = pane->StripWidth();
    pane.reset();
    EXPECT_EQ(PrivateProfile(g_program.ProfilePath).GetString(QStringLiteral("SegmentsCtrl"), QStringLiteral("Settings")),
              QStringLiteral("1, %1").arg(width));

    // A stored width is taken as it is, and side 0 puts the strip right.
    PrivateProfile(g_program.ProfilePath).WriteString(QStringLiteral("SegmentsCtrl"), QStringLiteral("Settings"),
                                                      QStringLiteral("0, 30"));
    SegmentsCtrl restored;
    restored.resize(400, 300);
    EXPECT_FALSE(restored.StripAtLeft());
    EXPECT_EQ(restored.StripWidth(), 30);
    EXPECT_GT(restored.Strip()->geometry().left(), restored.Text()->geometry().left());
}

TEST_F(SegmentsPane, TheHeaderTipsNameTheSourceAndTheSegmentWhereverTheyStand)
{
    QHeaderView* header = pane->Header();
    QWidget* viewport = header->viewport();
    const auto tipAt = [header, viewport](int column) {
        QToolTip::hideText();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 6);
        QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
        QApplication::sendEvent(viewport, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tipAt(0), QStringLiteral("Source"));
    EXPECT_EQ(tipAt(1), QStringLiteral("Segment"));
    // The text column dragged in front: the strip goes right, the tips go with their columns.
    const QPoint from(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, 6);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    for (const int x : {from.x() / 2, 5}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 6), viewport->mapToGlobal(QPointF(x, 6)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
    }
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(5, 6));
    QCoreApplication::processEvents();
    EXPECT_FALSE(pane->StripAtLeft());
    EXPECT_EQ(header->logicalIndexAt(5), 1);
    EXPECT_EQ(tipAt(1), QStringLiteral("Segment"));
    EXPECT_EQ(tipAt(0), QStringLiteral("Source"));
    QToolTip::hideText();
}

}  // namespace

namespace {

TEST_F(SegmentsPane, AChangedCodingIsReadAgainInPlace)
{
    Run();
    {
        RowBuffer row;
        ASSERT_TRUE(db().ReadRow(TopicId::Codings, c3, row, false));
        FieldValue weight;
        ASSERT_TRUE(row.GetFieldValue(retrieval::CodingExtraField::Weight, weight));
        weight.SetInt(65);
        ASSERT_TRUE(row.WriteBack());
    }
    const int reads = owner.reads;
    doc.GetRegistry().NotifyChange(TopicId::Codings, c3);
    EXPECT_EQ(owner.reads, reads + 1);
    EXPECT_EQ(pane->Strip()->Item(1)->m_coding.weight, 65);
    EXPECT_EQ(pane->Segment(c3)->weight, 65);
    EXPECT_EQ(BoxText(1), QStringLiteral("Third and last words."));
    EXPECT_EQ(Ids(), (QList<qint32>{c1, c3, c2, c4}));
    EXPECT_TRUE(pane->IsShown(TopicId::Codings, c3));
    EXPECT_TRUE(pane->IsShown(TopicId::Codings, -1));
    EXPECT_FALSE(pane->IsShown(TopicId::Codings, c5));
}

TEST_F(SegmentsPane, WithoutAnOwnerNothingIsBuilt)
{
    pane->SetOwner(nullptr);
    EXPECT_FALSE(pane->OnObjectsAdded(TopicId::Codings, {quint32(c1)}, TopicId::Codings, -1));
    EXPECT_EQ(pane->GetSegmentCount(), 0);
    EXPECT_TRUE(PaneText().isEmpty());
}

}  // namespace
