// The context search bar in a pane's view: opened by the search button,
// one search once typing pauses, the hit counter, next and previous without
// wrapping, and closing; a pane without the search gets no bar.

#include "segmentsfixture.h"

#include "app/baseview.h"
#include "common/screenshots.h"
#include "document/objectlistregistry.h"
#include "foundation/programpaths.h"
#include "retrieval/contextsearchbar.h"
#include "retrieval/segmentsctrl.h"
#include "ui/textpaneex.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

/// A pane that counts the requests that reach it.
class CountingPane : public SegmentsCtrl {
public:
    bool OnContextSearch(ContextSearchRequest& request) override
    {
        codes.append(request.code);
        return SegmentsCtrl::OnContextSearch(request);
    }
    QList<qint32> codes;
};

class ContextSearchBar : public segmentstest::SegmentsProject {
protected:
    void SetUp() override
    {
        SegmentsProject::SetUp();
        g_program.ProfilePath = dir.file(QStringLiteral("KORVAN10.ini"));
        pane = new CountingPane;
        pane->SetOwner(&owner);
        doc.GetRegistry().Register(pane);
        view.SetPane(pane, QStringLiteral("Retrieved Segments"));
        view.resize(520, 360);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        Run();
    }
    void TearDown() override
    {
        doc.GetRegistry().Unregister(pane);
        g_program = {};
        SegmentsProject::TearDown();
    }

    CContextSearchBar* OpenBar()
    {
        QTest::mouseClick(view.SearchButton(), Qt::LeftButton);
        return view.SearchBar();
    }
    qint32 Occurrences(const QString& text) const
    {
        return qint32(pane->Text()->TextMap().text().toLower().count(text));
    }

    segmentstest::DocumentOwner owner{doc};
    CBaseView view{32771};
    CountingPane* pane = nullptr;
};

TEST_F(ContextSearchBar, TypingSearchesOnceAndTheCounterFollows)
{
    CContextSearchBar* bar = OpenBar();
    ASSERT_TRUE(bar);
    QApplication::processEvents();
    EXPECT_EQ(pane->mapTo(&view, QPoint(0, 0)).y(), 50);
    EXPECT_TRUE(bar->Field()->Edit()->hasFocus());

    QSignalSpy searched(bar, &CContextSearchBar::Searched);
    QTest::keyClicks(bar->Field()->Edit(), QStringLiteral("iR"));
    EXPECT_TRUE(pane->codes.isEmpty());  // nothing while typing
    ASSERT_TRUE(searched.wait(2000));
    EXPECT_EQ(pane->codes, QList<qint32>{ContextSearchCode::Search});
    const qint32 hits = Occurrences(QStringLiteral("ir"));
    ASSERT_GE(hits, 2);
    EXPECT_EQ(bar->CounterText(), QStringLiteral("1 / %1").arg(hits));
    EXPECT_TRUE(testutil::MatchesReferenceImage(&view, QStringLiteral(KORVAN_TEST_DATA_DIR)
                                                           + QStringLiteral("/screenshots/context_search.png")));

    for (int step = 0; step <= hits; ++step)
        QTest::keyClick(bar->Field()->Edit(), Qt::Key_Down);
    EXPECT_EQ(bar->CounterText(), QStringLiteral("%1 / %1").arg(hits));
    QTest::keyClick(bar->Field()->Edit(), Qt::Key_Up);
    EXPECT_EQ(bar->CounterText(), QStringLiteral("%1 / %2").arg(hits - 1).arg(hits));
    QTest::mouseClick(bar->PreviousButton(), Qt::LeftButton);
    QTest::mouseClick(bar->PreviousButton(), Qt::LeftButton);
    QTest::mouseClick(bar->PreviousButton(), Qt::LeftButton);
    EXPECT_EQ(bar->CounterText(), QStringLiteral("1 / %1").arg(hits));

    QTest::keyClicks(bar->Field()->Edit(), QStringLiteral("zq"));
    ASSERT_TRUE(searched.wait(2000));
    EXPECT_EQ(bar->CounterText(), QStringLiteral("Not found"));
    bar->Field()->Edit()->selectAll();
    QTest::keyClick(bar->Field()->Edit(), Qt::Key_Backspace);
    ASSERT_TRUE(searched.wait(2000));
    EXPECT_EQ(bar->CounterText(), QStringLiteral("0 / 0"));
}

TEST_F(ContextSearchBar, ARebuiltPaneIsSearchedAgainAndCloseForgetsTheBar)
{
    CContextSearchBar* bar = OpenBar();
    ASSERT_TRUE(bar);
    QSignalSpy searched(bar, &CContextSearchBar::Searched);
    QTest::keyClicks(bar->Field()->Edit(), QStringLiteral("words"));
    ASSERT_TRUE(searched.wait(2000));
    EXPECT_EQ(bar->CounterText(), QStringLiteral("1 / 1"));

    // Without D1 the text is gone: the bar searches the new content.
    Activate(TopicId::Documents, d1, false);
    Run();
    EXPECT_EQ(bar->CounterText(), QStringLiteral("Not found"));

    pane->codes.clear();
    QTest::mouseClick(bar->CloseButton(), Qt::LeftButton);
    EXPECT_EQ(view.SearchBar(), nullptr);
    EXPECT_EQ(pane->codes, QList<qint32>{ContextSearchCode::Reset});
    QApplication::processEvents();
    EXPECT_EQ(pane->mapTo(&view, QPoint(0, 0)).y(), CBaseView::kCaptionHeight);

    // The button toggles: a second press closes the bar it opened.
    ASSERT_TRUE(OpenBar());
    QTest::mouseClick(view.SearchButton(), Qt::LeftButton);
    EXPECT_EQ(view.SearchBar(), nullptr);
}

TEST_F(ContextSearchBar, APaneWithoutTheSearchGetsNoBar)
{
    CBaseView other(32772);
    QWidget plain;
    other.SetPane(&plain, QStringLiteral("Code System"));
    other.show();
    QTest::mouseClick(other.SearchButton(), Qt::LeftButton);
    EXPECT_EQ(other.SearchBar(), nullptr);
}

}  // namespace
