// PDF and picture documents opened from the document tree of the real
// frame: selections coded with the quick code, stored field by field, shown
// again, the page pane, context search over pages and zoom commands.

#include "browser/pdfviewerwnd.h"
#include "browser/studyframe.h"
#include "common/pdfbuilder.h"
#include "ui/titleeditpopup.h"

#include <QBuffer>
#include <QScrollBar>

namespace {

using browsertest::StudyFrame;

QByteArray SevenPages()
{
    QList<std::function<void(QPainter&)>> pages;
    for (int i = 0; i < 7; ++i)
        pages.append(testutil::TextLines({QStringLiteral("Page %1 first").arg(i), QStringLiteral("second %1").arg(i)}));
    return testutil::MakePdf(QSizeF(200, 200), pages);
}

class PdfBrowser : public StudyFrame {
protected:
    void SetUp() override
    {
        StudyFrame::SetUp();
        // Added after the study was made: a PDF and a picture in the group
        // of the study's documents.
        CKorDoc maker;
        ASSERT_TRUE(maker.OpenProject(maker.OpenProjectFile(path, QStringLiteral("MAIN")), false));
        TopicDatabase& store = maker.GetDatabase();
        const qint32 group = store.GetIntValue(TopicId::Documents, anna, DocumentField::GroupID);
        pdf = doctest::AddRow(store, TopicId::Documents,
                              {{DocumentField::GroupID, group},
                               {DocumentField::Name, QStringLiteral("Scan")},
                               {DocumentField::DocType, DocumentKind::Pdf},
                               {DocumentField::Text, SevenPages()}});
        QImage image(160, 100, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        picture = doctest::AddRow(store, TopicId::Documents,
                                  {{DocumentField::GroupID, group},
                                   {DocumentField::Name, QStringLiteral("Photo")},
                                   {DocumentField::DocType, DocumentKind::Picture},
                                   {DocumentField::Text, png}});
        maker.CloseDatabase();
        OpenThroughMenu(path);
        ASSERT_EQ(OpenPath(), path) << messages.texts.join(u'\n').toStdString();
    }

    CPdfViewerWnd* Viewer() { return dynamic_cast<CPdfViewerWnd*>(browser().Viewer()); }

    void Drag(QPoint from, QPoint to)
    {
        QWidget* view = Viewer()->viewport();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, view->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }

    /// Codes the selection with the first quick code through its list.
    void CodeWithQuickCode(qint32 code)
    {
        frame->QuickCodes().AddCode(code);
        QComboBox* quick = frame->QuickCodeCombo();
        quick->showPopup();
        QAbstractItemView* list = quick->view();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(list));
        const int row = frame->QuickCodes().Codes().indexOf(code);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
    }

    /// The codings of the document as (page, start, end, x1, x2, isText), by page.
    QList<std::array<qint32, 6>> StoredCodings(qint32 documentId)
    {
        QList<qint32> keys;
        db().GetAllKeys(TopicId::Codings, keys);
        QList<std::array<qint32, 6>> rows;
        for (const qint32 key : keys) {
            if (db().GetIntValue(TopicId::Codings, key, CodingField::Document) != documentId)
                continue;
            const auto field = [&](qint32 f) { return db().GetIntValue(TopicId::Codings, key, f); };
            rows.append({field(CodingField::Page), field(CodingField::StartChar), field(CodingField::FinishChar),
                         field(CodingField::PosX1), field(CodingField::PosX2), field(CodingField::IsText)});
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    qint32 pdf = 0;
    qint32 picture = 0;
};

TEST_F(PdfBrowser, DISABLED_ASelectionOverThreePagesIsCodedOncePerPage)
{
    OpenFromTree(pdf);
    ASSERT_EQ(browser().GetShownDocument(), pdf);
    CPdfViewerWnd* viewer = Viewer();
    ASSERT_TRUE(viewer);
    ASSERT_TRUE(viewer->isVisible());
    ASSERT_EQ(viewer->GetPageCount(), 7);
    viewer->ZoomReset();
    for (int i = 0; i < 7; ++i)
        viewer->ZoomOut();
    viewer->GoToPageIndex(3);
    EXPECT_EQ(frame->StatusPane(30017)->text(), QStringLiteral("4 / 7"));
    PdfEngine& engine = *viewer->GetPdfEngine();
    const int end = engine.CountChars(5) - 4;
    Drag(viewer->GetCharRect(3, true, 3).center(), viewer->GetCharRect(end, true, 5).center());
    ASSERT_EQ(viewer->SegmentCount(), 3);
    qint32 page, start, finish, x1, x2, isText;
    ASSERT_TRUE(viewer->GetSelection(1, page, start, finish, x1, x2, isText));

    CodeWithQuickCode(honey);
    const auto rows = StoredCodings(pdf);
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ((std::array<qint32, 3>{rows[0][0], rows[0][1], rows[0][2]}), (std::array<qint32, 3>{4, 3, engine.CountChars(3)}));
    EXPECT_EQ((std::array<qint32, 6>{rows[1]}), (std::array<qint32, 6>{page, start, finish, x1, x2, isText}));
    EXPECT_EQ((std::array<qint32, 3>{rows[2][0], rows[2][1], rows[2][2]}), (std::array<qint32, 3>{6, 0, end + 1}));
    for (const auto& row : rows) {
        EXPECT_EQ(row[5], 1);
        EXPECT_LT(row[3], row[4]);  // lower edge below the upper edge
    }

    // Each coding has its stripe beside its page's text.
    ASSERT_EQ(browser().GetStripeCount(), 3);
    for (int i = 0; i < 3; ++i) {
        const StripeItem& stripe = browser().StripeAt(i);
        const QRect first = viewer->GetCharRect(stripe.row.StartChar, true, stripe.row.Page - 1);
        EXPECT_EQ(stripe.top, first.top()) << i;
        EXPECT_GE(stripe.bottom, first.bottom()) << i;
    }

    // A stored coding shown again selects the same characters.
    viewer->GoToPageIndex(0);
    ASSERT_TRUE(viewer->SetSelection(rows[1][0], rows[1][3], rows[1][1], rows[1][4], rows[1][2], true));
    ASSERT_TRUE(viewer->GetSelection(0, page, start, finish, x1, x2, isText));
    EXPECT_EQ((std::array<qint32, 6>{page, start, finish, x1, x2, isText}), rows[1]);
}

TEST_F(PdfBrowser, ContextSearchFindsHitsOnTheirPages)
{
    OpenFromTree(pdf);
    CPdfViewerWnd* viewer = Viewer();
    ASSERT_TRUE(viewer);
    ContextSearchRequest request;
    request.code = ContextSearchCode::Search;
    request.text = QStringLiteral("second");
    ASSERT_TRUE(browser().OnContextSearch(request));
    EXPECT_EQ(request.count, 7);
    EXPECT_EQ(request.current, 1);
    const int at = int(viewer->GetPdfEngine()->PageText(2).indexOf(QStringLiteral("second")));
    request.code = ContextSearchCode::Next;
    browser().OnContextSearch(request);
    browser().OnContextSearch(request);
    EXPECT_EQ(request.current, 3);
    qint32 page, start, finish, x1, x2, isText;
    ASSERT_TRUE(viewer->GetSelection(0, page, start, finish, x1, x2, isText));
    EXPECT_EQ(std::tuple(page, start, finish), std::tuple(3, at, at + 6));
    int first = 0, last = 0;
    viewer->GetVisiblePages(first, last);
    EXPECT_LE(first, 2);
    EXPECT_GE(last, 2);
}

TEST_F(PdfBrowser, DISABLED_AnAreaOverTwoPagesGivesTwoCodingsAndAPictureAreaIsInPixels)
{
    OpenFromTree(pdf);
    CPdfViewerWnd* viewer = Viewer();
    ASSERT_TRUE(viewer);
    const QRect page0 = viewer->PageRect(0);
    Drag(page0.topLeft() + QPoint(page0.width() / 2, page0.height() - 30),
         viewer->PageRect(1).topLeft() + QPoint(page0.width() - 10, 20));
    ASSERT_EQ(viewer->AreaPieceCount(), 2);
    CodeWithQuickCode(bees);
    const auto rows = StoredCodings(pdf);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0][0], 1);
    EXPECT_EQ(rows[1][0], 2);
    for (const auto& row : rows) {
        EXPECT_EQ(row[5], 0);
        EXPECT_GT(row[1], row[2]);  // top above bottom, y upwards
        EXPECT_LT(row[3], row[4]);
    }

    OpenFromTree(picture);
    ASSERT_EQ(browser().GetShownDocument(), picture);
    CPdfViewerWnd* pictureViewer = Viewer();
    ASSERT_TRUE(pictureViewer && pictureViewer->IsPicture());
    pictureViewer->ZoomReset();
    Drag(QPoint(10, 20), QPoint(50, 60));
    CodeWithQuickCode(bees);
    const auto pictureRows = StoredCodings(picture);
    ASSERT_EQ(pictureRows.size(), 1);
    const int sx = pictureViewer->horizontalScrollBar()->value();
    const int sy = pictureViewer->verticalScrollBar()->value();
    EXPECT_EQ(pictureRows[0], (std::array<qint32, 6>{1, 20 + sy, 60 + sy, 10 + sx, 50 + sx, 0}));
}

TEST_F(PdfBrowser, DISABLED_ZoomCommandsAndThePagePaneReachTheViewer)
{
    OpenFromTree(pdf);
    CPdfViewerWnd* viewer = Viewer();
    ASSERT_TRUE(viewer);
    const double before = viewer->Zoom();
    browser().ZoomIn();
    EXPECT_DOUBLE_EQ(viewer->Zoom(), before * 1.1);
    browser().ZoomReset();
    EXPECT_EQ(viewer->Zoom(), 1.0);

    // The page pane's popup goes to the page entered, clamped to the document.
    for (const auto& [entered, shown] : {std::pair(5, 4), std::pair(99, 6), std::pair(-3, 0)}) {
        frametest::WhenModalShows([entered](QWidget* modal) {
            auto* popup = qobject_cast<CTitleEditPopup*>(modal);
            ASSERT_TRUE(popup);
            popup->SetValue(entered);
            popup->accept();
        });
        QLabel* pane = frame->StatusPane(30017);
        QTest::mouseDClick(pane, Qt::LeftButton, {}, QPoint(5, pane->height() / 2));
        EXPECT_EQ(viewer->GetCurrentPage(), shown) << entered;
        EXPECT_EQ(frame->StatusPane(30017)->text(), QStringLiteral("%1 / 7").arg(shown + 1));
    }
}

}  // namespace
