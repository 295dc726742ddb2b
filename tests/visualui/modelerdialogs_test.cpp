// The object and link properties dialogs: colours, labels, widths, shapes
// and the arrows choice, filled from an element and written back on OK.
#include "visual/modelercanvas.h"
#include "visual/modelerdialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

constexpr int kOkId = 1;

// Answers the colour dialog: records the colour it opened with and keeps
// it (or answers with `reply` when valid).
class ColourScript {
public:
    ColourScript()
    {
        CModelerPropertiesDlg::SetColourChooser([this](QWidget*, QColor& colour) {
            opened.append(colour);
            if (cancel)
                return false;
            if (reply.isValid())
                colour = reply;
            return true;
        });
    }
    ~ColourScript() { CModelerPropertiesDlg::SetColourChooser({}); }

    QList<QColor> opened;
    QColor reply;
    bool cancel = false;
};

void Click(QWidget* dialog, int id)
{
    auto* button = qobject_cast<QPushButton*>(FindControl(dialog, id));
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

}  // namespace

TEST(ObjectDialog, ColoursComeBackOpaqueAndTheLabelFrameStartsWithItsOwnColour)
{
    ColourScript colours;
    ModelObject object;
    object.FillColor = 0x80123456;
    object.LabelFrameColor = 0xFF00AA00;
    CModelerObjectDlg dialog;
    dialog.ReadFrom(object);
    dialog.show();
    Click(&dialog, 4);       // fill: kept as it was
    colours.cancel = true;
    Click(&dialog, 7);       // label frame: cancelled
    Click(&dialog, kOkId);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(colours.opened.size(), 2);
    EXPECT_EQ(colours.opened[0].rgb() & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(colours.opened[1].rgb() & 0xFFFFFF, 0x00AA00u);
    dialog.WriteTo(object);
    EXPECT_EQ(object.FillColor, 0xFF123456u);
    EXPECT_EQ(object.LabelFrameColor, 0xFF00AA00u);
}

TEST(ObjectDialog, TheLabelIsTrimmedAndNumbersStayInRange)
{
    ModelObject object;
    object.WrapFactor = 500;
    object.BorderWidth = 0;
    object.FontName = QStringLiteral("No such family");
    CModelerObjectDlg dialog;
    dialog.ReadFrom(object);
    dialog.show();
    auto* label = qobject_cast<QPlainTextEdit*>(dialog.Control(1017));
    ASSERT_NE(label, nullptr);
    label->setPlainText(QStringLiteral("  \n two words \n\t"));
    Click(&dialog, kOkId);
    dialog.WriteTo(object);
    EXPECT_EQ(object.Label, QStringLiteral("two words"));
    EXPECT_EQ(object.WrapFactor, 99);
    EXPECT_EQ(object.BorderWidth, 1);
    // No font of that name in the list: the old name stays.
    EXPECT_EQ(object.FontName, QStringLiteral("No such family"));
    EXPECT_TRUE(object.NeedsLayout);
}

TEST(ObjectDialog, OnlyFreeShapesCanBeChanged)
{
    const struct {
        qint32 shape;
        int choose;          // index in the combo, -1 none
        bool enabled;
        qint32 expected;
    } cases[] = {
        {ModelShape::Document, 1, false, ModelShape::Document},
        {ModelShape::Ellipse, 1, true, ModelShape::Rectangle},
        {ModelShape::Rectangle, 2, true, ModelShape::RoundedRectangle},
    };
    for (const auto& c : cases) {
        ModelObject object;
        object.Shape = c.shape;
        CModelerObjectDlg dialog;
        dialog.ReadFrom(object);
        dialog.show();
        auto* shape = qobject_cast<QComboBox*>(dialog.Control(1055));
        ASSERT_NE(shape, nullptr);
        EXPECT_EQ(shape->isEnabled(), c.enabled) << c.shape;
        if (c.enabled)
            shape->setCurrentIndex(c.choose);
        Click(&dialog, kOkId);
        dialog.WriteTo(object);
        EXPECT_EQ(object.Shape, c.expected) << c.shape;
    }
}

TEST(LinkDialog, WidthsArrowsAndDashesRoundTrip)
{
    const struct {
        qint32 width;
        int chosenWidthIndex;   // -2 keep the combo as filled
        qint32 expectedWidth;
    } widths[] = {
        {0, -2, 1},     // no such item: nothing selected, the member 0 becomes 1
        {4, -1, 4},     // no selection keeps the member
        {4, 6, 7},
    };
    for (const auto& w : widths) {
        ModelLink link;
        link.Width = w.width;
        CModelerLinkDlg dialog;
        dialog.ReadFrom(link);
        dialog.show();
        auto* combo = qobject_cast<QComboBox*>(dialog.Control(1060));
        ASSERT_NE(combo, nullptr);
        if (w.chosenWidthIndex != -2)
            combo->setCurrentIndex(w.chosenWidthIndex);
        Click(&dialog, kOkId);
        dialog.WriteTo(link);
        EXPECT_EQ(link.Width, w.expectedWidth) << w.width;
    }
    for (const qint32 arrows : {LinkArrows::None, LinkArrows::AtTarget, LinkArrows::AtBothEnds, LinkArrows::AtSource})
        EXPECT_EQ(CModelerLinkDlg::ArrowsOfChoice(CModelerLinkDlg::ArrowChoice(arrows)), arrows);
    EXPECT_EQ(CModelerLinkDlg::ArrowChoice(LinkArrows::AtSource), 2);
    EXPECT_EQ(CModelerLinkDlg::ArrowChoice(LinkArrows::AtBothEnds), 3);

    ModelLink link;
    link.DashStyle = LinkDash::Dotted;
    link.Arrows = LinkArrows::AtSource;
    CModelerLinkDlg dialog;
    dialog.ReadFrom(link);
    dialog.show();
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog.Control(1055))->currentData().toInt(), LinkDash::Dotted);
    EXPECT_TRUE(qobject_cast<QRadioButton*>(dialog.Control(1058))->isChecked());
    QTest::mouseClick(qobject_cast<QRadioButton*>(dialog.Control(1059)), Qt::LeftButton);
    Click(&dialog, kOkId);
    dialog.WriteTo(link);
    EXPECT_EQ(link.Arrows, LinkArrows::AtBothEnds);
    EXPECT_EQ(link.DashStyle, LinkDash::Dotted);
}

TEST(CanvasProperties, EditPropertiesWritesTheDialogBackIntoTheModel)
{
    ModelerCanvas canvas;
    canvas.Attach(nullptr, nullptr, true, false);
    ModelObject a;
    a.Id = 1;
    ModelObject b;
    b.Id = 2;
    canvas.Core().Objects() = {a, b};
    ModelLink link;
    link.SourceId = 1;
    link.TargetId = 2;
    canvas.Core().Links().push_back(link);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        qobject_cast<QRadioButton*>(FindControl(dialog, 1057))->setChecked(true);
        qobject_cast<QPlainTextEdit*>(FindControl(dialog, 1017))->setPlainText(QStringLiteral(" label "));
        Click(dialog, kOkId);
    });
    canvas.EditProperties(ModelHitKind::Link, 0);
    EXPECT_EQ(canvas.Core().Links()[0].Arrows, LinkArrows::AtTarget);
    EXPECT_EQ(canvas.Core().Links()[0].Label, QStringLiteral("label"));
    // Indexes outside the arrays open nothing.
    canvas.EditProperties(ModelHitKind::Link, 3);
    canvas.EditProperties(ModelHitKind::Object, -1);
}
