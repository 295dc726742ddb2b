#include "foundation/uiservices.h"

#include <QAction>
#include <QObject>

#include <gtest/gtest.h>

TEST(UiServices, CommandTooltipReachesEveryActionOfTheCommand)
{
    QObject frame;
    QObject toolbar(&frame);
    auto* inMenu = new QAction(&frame);
    inMenu->setData(32771);
    auto* onToolbar = new QAction(&toolbar);
    onToolbar->setData(32771);
    auto* other = new QAction(&frame);
    other->setData(32772);
    auto* noId = new QAction(&frame);
    noId->setToolTip(QStringLiteral("own"));

    EXPECT_EQ(SetCommandTooltip(&frame, 32771, QStringLiteral("Activate all")), 2);
    EXPECT_EQ(inMenu->toolTip(), QStringLiteral("Activate all"));
    EXPECT_EQ(onToolbar->toolTip(), QStringLiteral("Activate all"));
    EXPECT_NE(other->toolTip(), QStringLiteral("Activate all"));
    EXPECT_EQ(SetCommandTooltip(&frame, 0, QStringLiteral("zero")), 0) << "an action without an id is no command 0";
    EXPECT_EQ(noId->toolTip(), QStringLiteral("own"));
    EXPECT_EQ(SetCommandTooltip(&frame, 40000, QStringLiteral("unknown")), 0);
    EXPECT_EQ(SetCommandTooltip(nullptr, 32771, QStringLiteral("none")), 0);
    EXPECT_EQ(GetModifierKeys(), 0) << "no key is held in a headless test";
}
