// The frame's handlers around the browser, reached as a user reaches them:
// coding while the text is edited stores the edit first, drops between the
// trees run the project's operations, the drop test answers by the pair of
// kinds, and every retrieved segment is coded with a new code from the
// segments pane's menu.

#include "browser/studyframe.h"
#include "foundation/richtexthelpers.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/topicdatabase.h"
#include "ui/dragstripwnd.h"

namespace {

using browsertest::SelectWordAt;
using FrameHandlers = browsertest::StudyFrame;

TEST_F(FrameHandlers, CodingWhileTheTextIsEditedStoresTheEditFirst)
{
    OpenAnnaActivated();
    ASSERT_TRUE(browser().SetEditable(true));
    QTest::mouseClick(text().viewport(), Qt::LeftButton, {}, browsertest::PointOfPosition(text(), 0) - QPoint(2, 0));
    QTest::keyClicks(&text(), QStringLiteral("So: "));
    browser().FlushLayout();
    ASSERT_EQ(At(QStringLiteral("Bees")), 4);

    SelectWordAt(text(), At(QStringLiteral("honey")) + 1);
    ASSERT_TRUE(DragNodeToText(*frame->CodeTree(), TopicId::Codes, honey, At(QStringLiteral("honey")) + 1));

    // The text was stored before the coding, so the two agree.
    EXPECT_FALSE(browser().IsEditMode());
    const QByteArray rtf = doctest::BlobOf(db(), TopicId::Documents, anna, DocumentField::Text);
    const std::unique_ptr<CRichEditCtrlEx> stored = CreateHiddenRichEdit();
    stored->StreamInRtf(&rtf, false);
    ASSERT_TRUE(stored->TextMap().text().startsWith(QStringLiteral("So: Bees and honey")));
    EXPECT_EQ(Codings(), QStringList{Coding(honey, QStringLiteral("honey"))});
    EXPECT_EQ(stored->GetTextRange(At(QStringLiteral("honey")), At(QStringLiteral("honey")) + 5),
              QStringLiteral("honey"));
    EXPECT_EQ(Retrieved().size(), 1);
}

TEST_F(FrameHandlers, DropsBetweenTheTreesRunTheProjectsOperations)
{
    OpenAnnaActivated();
    TreePaneWindow& documents = *frame->DocumentTree();
    CObjTreeCtrl& codes = *frame->CodeTree();

    // The group dropped on the sets root becomes a set of its documents.
    const qint32 group = db().GetIntValue(TopicId::Documents, anna, DocumentField::GroupID);
    ASSERT_TRUE(DragNode(documents, TopicId::DocumentGroups, group, NodeKind::DocumentSetsRoot, 0));
    QList<qint32> sets;
    db().GetAllKeys(TopicId::DocumentSets, sets);
    ASSERT_EQ(sets.size(), 1);
    EXPECT_EQ(documents.GetSetDocuments(sets.at(0)).size(), 2);

    // A code dropped on the code sets' root makes a set of it.
    ASSERT_TRUE(DragNode(codes, TopicId::Codes, honey, NodeKind::CodeSetsRoot, 0));
    QList<qint32> codeSets;
    db().GetAllKeys(TopicId::CodeSets, codeSets);
    EXPECT_EQ(codeSets.size(), 1);

    // A document dropped on the browser opens it there.
    ASSERT_TRUE(DragNodeToText(documents, TopicId::Documents, ben, 0));
    EXPECT_EQ(browser().GetShownDocument(), ben);
}

TEST_F(FrameHandlers, TheDropTestAnswersByThePairOfKindsAndWhatTheProjectCanDo)
{
    OpenAnnaActivated();
    const struct {
        qint32 draggedKind;
        qint32 draggedId;
        qint32 targetKind;
        Qt::KeyboardModifiers keys;
        qint32 answer;
    } cases[] = {
        {TopicId::Documents, 0, BrowserKind::Selection, {}, 0},           // the shown document: set below
        {TopicId::Documents, 0, BrowserKind::Selection, Qt::ShiftModifier, 1},
        {TopicId::Codes, 0, BrowserKind::Selection, {}, 2},
        {TopicId::Codes, 0, NodeKind::EmptyStrip, {}, 0},                 // the retrieval has no code to set
        {31, 5, NodeKind::Code, {}, 0},                                   // no list preview to code from
        {TopicId::Codings, 1, BrowserKind::Selection, {}, 0},
    };
    for (const auto& c : cases) {
        DropNotifyInfo info;
        info.draggedKind = c.draggedKind;
        info.draggedId = c.draggedId;
        if (c.draggedKind == TopicId::Documents)
            info.draggedId = c.keys ? ben : anna;
        if (c.draggedKind == TopicId::Codes)
            info.draggedId = honey;
        info.targetKind = c.targetKind;
        info.targetId = c.targetKind == NodeKind::Code ? honey : 0;
        info.modifierKeys = ModifierKeysOf(c.keys);
        ASSERT_TRUE(frame->RouteRequest(info));
        EXPECT_TRUE(info.handled) << c.draggedKind << ">" << c.targetKind;
        EXPECT_EQ(info.answer, c.answer) << c.draggedKind << ">" << c.targetKind;
    }
}

TEST_F(FrameHandlers, EveryRetrievedSegmentIsCodedWithANewCodeFromThePanesMenu)
{
    OpenAnnaActivated();
    for (const QString& word : {QStringLiteral("honey"), QStringLiteral("summer")}) {
        SelectWordAt(text(), At(word) + 1);
        ASSERT_TRUE(DragNodeToText(*frame->CodeTree(), TopicId::Codes, honey, At(word) + 1));
    }
    ASSERT_EQ(Retrieved().size(), 2);

    frametest::WhenModalShows([](QWidget* modal) {
        auto* dialog = qobject_cast<CNewCodeDlg*>(modal);
        ASSERT_TRUE(dialog);
        QTest::keyClicks(dialog->NameField(), QStringLiteral("Sweet"));
        QTest::mouseClick(FindControl(dialog, 1), Qt::LeftButton);
    });
    // The menu of the strip below its boxes, the pane maximised.
    QTest::mouseClick(frame->ViewOf(CommandId::PaneRetrievedSegments)->MaximiseButton(), Qt::LeftButton);
    CDragStripWnd* strip = frame->Segments()->Strip();
    QCoreApplication::processEvents();
    ASSERT_GT(strip->height(), 100);
    QTest::mouseClick(strip, Qt::RightButton, {}, QPoint(strip->width() / 2, strip->height() - 4));
    ASSERT_TRUE(ClickContextCommand(BrowserCommand::CodeSegmentsWithNewCode));

    const qint32 sweet = frame->QuickCodes().Codes().value(0);
    ASSERT_EQ(db().FormatRowDisplay(TopicId::Codes, sweet, false), QStringLiteral("Sweet"));
    EXPECT_EQ(Codings(), Sorted({Coding(honey, QStringLiteral("honey")), Coding(honey, QStringLiteral("summer")),
                                 Coding(sweet, QStringLiteral("honey")), Coding(sweet, QStringLiteral("summer"))}));
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("2 codings made")});
    EXPECT_EQ(browser().GetStripeCount(), 4);
}

TEST_F(FrameHandlers, CodingAllSegmentsOfAnEmptyPaneSaysSo)
{
    OpenAnnaActivated();
    ASSERT_TRUE(Retrieved().isEmpty());
    frame->Commands().Execute(BrowserCommand::CodeSegmentsWithNewCode);
    EXPECT_EQ(messages.texts, QStringList{QStringLiteral("There are no retrieved segments to code.")});
    EXPECT_TRUE(Codings().isEmpty());
}

}  // namespace
