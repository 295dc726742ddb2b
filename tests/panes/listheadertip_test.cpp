#include "panes/listheaderctrl.h"

#include "listfixture.h"

#include <QApplication>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

using listtest::ListTest;

namespace {

/// Rests the mouse on the header at x: the help event Qt sends after the
/// pointer stayed still.
void RestOn(QHeaderView* header, int x)
{
    const QPoint point(x, header->height() / 2);
    QTest::mouseMove(header->viewport(), point);
    QHelpEvent help(QEvent::ToolTip, point, header->viewport()->mapToGlobal(point));
    QApplication::sendEvent(header->viewport(), &help);
}

int Middle(const QHeaderView* header, int column)
{
    return header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
}

}  // namespace

TEST_F(ListTest, HeaderTipShowsTheWholeFieldNameOfACutCaption)
{
    ObjectListWindow* window = Open(TopicId::Codings);
    ObjectListCtrl* list = window->List1();
    auto* header = list->Header();
    const int comment = list->ColumnOfField(CodingField::Comment);
    ASSERT_GE(comment, 0);
    header->resizeSection(comment, 45);   // the caption no longer fits
    const QString name = list->Columns().at(comment).name;
    ASSERT_FALSE(name.isEmpty());
    ASSERT_GT(header->fontMetrics().horizontalAdvance(name), 45 - 10);

    RestOn(header, Middle(header, comment));
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), name);
    // It stands below the header near the end of the caption, inside the column.
    QPoint place;
    EXPECT_EQ(header->TipAt(Middle(header, comment), &place), name);
    EXPECT_EQ(place.y(), 18);
    EXPECT_GE(place.x(), header->sectionViewportPosition(comment));
    EXPECT_LE(place.x(), header->sectionViewportPosition(comment) + 45);

    // A press on the header puts the tip away.
    QTest::mousePress(header->viewport(), Qt::LeftButton, {}, QPoint(Middle(header, comment), header->height() / 2));
    EXPECT_FALSE(QToolTip::isVisible());
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(Middle(header, comment), header->height() / 2));
}

TEST_F(ListTest, HeaderTipIsNotShownOverTheColourColumnOrBesideTheColumns)
{
    ObjectListWindow* window = Open(TopicId::Codes);
    ObjectListCtrl* list = window->List1();
    auto* header = list->Header();
    int colour = -1;
    for (int i = 0; i < list->Columns().size(); ++i)
        if (list->Columns().at(i).IsColourColumn() && !header->isSectionHidden(i))
            colour = i;
    ASSERT_GE(colour, 0);
    QToolTip::hideText();
    RestOn(header, Middle(header, colour));
    EXPECT_FALSE(QToolTip::isVisible());
    EXPECT_TRUE(header->TipAt(Middle(header, colour), nullptr).isEmpty());

    // Right of the last column there is no column and no tip.
    header->resizeSection(header->logicalIndex(header->count() - 1), 45);
    int right = 0;
    for (int i = 0; i < header->count(); ++i)
        if (!header->isSectionHidden(i))
            right = std::max(right, header->sectionViewportPosition(i) + header->sectionSize(i));
    if (right + 5 < header->viewport()->width()) {
        RestOn(header, right + 5);
        EXPECT_FALSE(QToolTip::isVisible());
    }
}
