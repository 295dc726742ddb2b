// The bordered tree: its border and what it tells its owner.

#include "ui/treectrlex.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(TreeCtrlEx, BorderAndDoubleClickBesideTheLabel)
{
    CTreeCtrlEx tree;
    tree.setHeaderHidden(true);
    tree.resize(300, 120);
    auto* item = new QTreeWidgetItem(&tree, QStringList{QStringLiteral("Code")});
    tree.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));

    const QImage picture = tree.grab().toImage();
    EXPECT_EQ(picture.pixelColor(0, 50), CTreeCtrlEx::kBorderColour);
    EXPECT_EQ(picture.pixelColor(299, 119), CTreeCtrlEx::kBorderColour);

    QSignalSpy beside(&tree, &CTreeCtrlEx::doubleClickedBesideLabel);
    QSignalSpy hovered(&tree, &CTreeCtrlEx::hovered);
    const QRect row = tree.visualItemRect(item);
    QTest::mouseMove(tree.viewport(), QPoint(row.left() + 30, row.center().y()));
    EXPECT_GE(hovered.count(), 1);
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row.left() + 25, row.center().y()));
    EXPECT_EQ(beside.count(), 0);   // on the label: the tree's own double click
    QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, QPoint(250, row.center().y()));
    ASSERT_EQ(beside.count(), 1);
    EXPECT_EQ(beside.front().front().value<QTreeWidgetItem*>(), item);
}
