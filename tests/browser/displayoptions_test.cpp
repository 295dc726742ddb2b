// The display options of the browser's coding stripes: opened from the
// browser's menu button or an empty spot of the stripes, clicked as a user
// does, and what they change.

#include "app/mainframe.h"
#include "browser/browserfixture.h"
#include "browser/framefixture.h"
#include "ui/colourchecklist.h"
#include "browser/displayoptionsdlg.h"
#include "foundation/options.h"
#include "panes/objcombobox.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

namespace {

using doctest::RtfOf;

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr int kPaneMenuButton = 20113;

class DisplayOptions : public browsertest::FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        const qint32 group = AddGroup(QStringLiteral("G"));
        document = AddDocument(group, QStringLiteral("Anna"),
                               RtfOf({QStringLiteral("Bees and honey in the garden.")}));
        const qint32 honey = AddCode(QStringLiteral("Honey"), 0, qint32(kRed));
        const qint32 bees = AddCode(QStringLiteral("Bees"), 0, qint32(kBlue));
        AddCoding(document, honey, 9, 14, {{CodingField::Author, QStringLiteral("Ann")}, {CodingField::IsText, 1}});
        AddCoding(document, bees, 0, 4, {{CodingField::Author, QStringLiteral("Ben")}, {CodingField::IsText, 1}});
        ASSERT_TRUE(doc.SetOpenDocument(document, 0));
        ASSERT_EQ(browser().GetStripeCount(), 2);
    }
    void TearDown() override
    {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        FrameTest::TearDown();
    }
    static DisplayOptionsDlg221* Popup()
    {
        return qobject_cast<DisplayOptionsDlg221*>(QApplication::activePopupWidget());
    }
    /// The authors of the visible stripes, in stripe order.
    QStringList VisibleAuthors()
    {
        QStringList authors;
        for (int n = 0; n < browser().GetStripeCount(); ++n)
            if (browser().StripeAt(n).visible)
                authors.append(browser().StripeAt(n).row.Author);
        return authors;
    }
    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(8, widget->height() / 2)); }
    static void ClickCheck(DisplayOptionsDlg221& popup, int row)
    {
        QTest::mouseClick(popup.List()->viewport(), Qt::LeftButton, {}, popup.List()->CheckRect(row).center());
    }

    qint32 document = 0;
};

}  // namespace

TEST_F(DisplayOptions, TheMenuButtonOpensThemAndAClickOutsideChangesNothing)
{
    const TextCoderWindow::DisplayOptions before = browser().GetDisplayOptions();
    browser().OnCaptionCommand(kPaneMenuButton);
    QPointer<DisplayOptionsDlg221> popup = Popup();
    ASSERT_FALSE(popup.isNull());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup.data()));
    EXPECT_EQ(popup->Flag(DisplayOptionsDlg221::kTitlesId)->isChecked(), before.titles);
    EXPECT_EQ(popup->Flag(DisplayOptionsDlg221::kOneCoderId)->isChecked(), before.oneCoder);
    ASSERT_EQ(popup->CoderCombo()->count(), 2);
    EXPECT_EQ(popup->CoderCombo()->ComboBoxItemText(0), QStringLiteral("Ann"));
    EXPECT_FALSE(popup->CoderCombo()->isEnabled());
    EXPECT_EQ(popup->m_colors.size(), 2);

    // Changes inside the popup, then a click outside it.
    Click(popup->Flag(DisplayOptionsDlg221::kOneCoderId));
    EXPECT_TRUE(popup->CoderCombo()->isEnabled());
    Click(popup->Flag(DisplayOptionsDlg221::kTitlesId));
    ClickCheck(*popup, 0);
    QTest::mouseClick(popup.data(), Qt::LeftButton, {}, QPoint(-20, -20));
    QTRY_VERIFY(popup.isNull());

    const TextCoderWindow::DisplayOptions after = browser().GetDisplayOptions();
    EXPECT_EQ(after.titles, before.titles);
    EXPECT_EQ(after.oneCoder, before.oneCoder);
    EXPECT_TRUE(doc.GetProgramLists().codingsColorFilter.isEmpty());
    EXPECT_EQ(VisibleAuthors(), (QStringList{QStringLiteral("Ben"), QStringLiteral("Ann")}));
}

TEST_F(DisplayOptions, OkChangesWhichStripesShow)
{
    // An empty spot of the stripes asks for the codings' menu without an item.
    IdListNotifyInfo request(RequestCode::ContextMenu);
    request.kind = TopicId::Codings;
    request.itemId = 0;
    request.point = frame->mapToGlobal(QPoint(100, 100));
    ASSERT_TRUE(frame->RouteRequest(request));
    DisplayOptionsDlg221* popup = Popup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));

    // Only Ben's codings.
    Click(popup->Flag(DisplayOptionsDlg221::kOneCoderId));
    popup->CoderCombo()->setFocus();
    QTest::keyClick(popup->CoderCombo(), Qt::Key_End);
    EXPECT_EQ(popup->CoderCombo()->GetCurrentText(), QStringLiteral("Ben"));
    Click(popup->Flag(DisplayOptionsDlg221::kColourAllId));
    QTest::mouseClick(FindControl(popup, 1), Qt::LeftButton);
    EXPECT_EQ(Popup(), nullptr);
    EXPECT_EQ(VisibleAuthors(), QStringList{QStringLiteral("Ben")});
    TextCoderWindow::DisplayOptions options = browser().GetDisplayOptions();
    EXPECT_TRUE(options.oneCoder);
    EXPECT_EQ(options.coder, QStringLiteral("Ben"));
    EXPECT_TRUE(options.colourAll);

    // Every coder again, but only the red codings.
    ASSERT_TRUE(frame->RouteRequest(request));
    popup = Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(popup->Flag(DisplayOptionsDlg221::kOneCoderId)->isChecked());
    Click(popup->Flag(DisplayOptionsDlg221::kOneCoderId));
    const int red = int(popup->m_colors.indexOf(kRed));
    ASSERT_GE(red, 0);
    ClickCheck(*popup, red);
    QTest::mouseClick(FindControl(popup, 1), Qt::LeftButton);
    EXPECT_EQ(doc.GetProgramLists().codingsColorFilter, QList<quint32>{kRed});
    EXPECT_EQ(VisibleAuthors(), QStringList{QStringLiteral("Ann")});
    EXPECT_FALSE(browser().GetDisplayOptions().oneCoder);
}

TEST_F(DisplayOptions, ThePopupStaysInsideTheWorkArea)
{
    const QRect area(0, 0, 1000, 800);
    const QSize size(260, 330);
    const struct {
        QPoint point;
        QPoint expected;
    } cases[] = {
        {{100, 100}, {100, 100}},
        {{-40, 100}, {5, 100}},
        {{900, 100}, {1000 - 5 - 260, 100}},
        {{100, 700}, {100, 800 - 5 - 330}},
        {{990, 790}, {1000 - 5 - 260, 800 - 5 - 330}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DisplayOptionsDlg221::PlaceInside(c.point, size, area), c.expected) << c.point.x() << "," << c.point.y();

    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    IdListNotifyInfo request(RequestCode::ContextMenu);
    request.kind = TopicId::Codings;
    request.point = screen.bottomRight() - QPoint(2, 2);
    ASSERT_TRUE(frame->RouteRequest(request));
    DisplayOptionsDlg221* popup = Popup();
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    const QRect shown = popup->frameGeometry();
    EXPECT_TRUE(screen.adjusted(5, 5, -5, -5).contains(shown))
        << shown.x() << "," << shown.y() << " " << shown.width() << "x" << shown.height() << " in " << screen.width()
        << "x" << screen.height();
}

TEST(DisplayOptionsLook, LooksAsRecorded)
{
    ASSERT_TRUE(g_pStringStore->Open(testutil::StringTablePath(), 1));
    auto* popup = new DisplayOptionsDlg221(nullptr);
    popup->m_options.oneCoder = true;
    popup->m_options.coder = QStringLiteral("Ben");
    popup->m_coders = {QStringLiteral("Ann"), QStringLiteral("Ben")};
    popup->m_colors = {0x008000, 0x0000FF, 0x800000, 0x123456};
    popup->m_filter = {0x0000FF, 0x123456};
    popup->m_point = QPoint(20, 20);
    QPointer<DisplayOptionsDlg221> guard(popup);
    popup->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(popup));
    EXPECT_EQ(popup->CoderCombo()->GetCurrentText(), QStringLiteral("Ben"));
    EXPECT_TRUE(testutil::MatchesReferenceImage(
        popup, testutil::DataPath(QStringLiteral("screenshots/browser/displayoptions.png"))));
    popup->close();
    QTRY_VERIFY(guard.isNull());
    g_pStringStore->Close();
}
