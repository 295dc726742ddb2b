#include "ui/colorpicdlg.h"

#include "foundation/stringstore.h"
#include "ui/colourchecklist.h"
#include "ui/dlgbase.h"

#include <QColorDialog>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace {

const QColor kHeadingFill(226, 226, 240);

struct StandardColour {
    COLORREF colour;
    int textId;
};
constexpr StandardColour kStandardColours[] = {
    {0x008000, ColourPickerText::Green}, {0x00C4C4, ColourPickerText::Olive}, {0x800000, ColourPickerText::Blue},
    {0x0000A4, ColourPickerText::Red},   {0xA400A4, ColourPickerText::Violet},
};

bool PlatformColourDialog(QWidget* parent, COLORREF& colour)
{
    const QColor chosen = QColorDialog::getColor(QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)), parent);
    if (!chosen.isValid())
        return false;
    colour = MakeColor(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

}  // namespace

ColorPicDlg::ColorPicDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent), m_otherColour(PlatformColourDialog)
{
    setWindowTitle(TextKey(ColourPickerText::Caption, "Colour"));
    m_strSection = QStringLiteral("ColorPic");
    m_list = new CColourCheckList(this);
    SetControlId(m_list, kListId);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(m_list);
    resize(200, 260);
    m_list->SetColourOf([this](int row) { return RowColour(row); });
    m_list->SetCheckOf([this](int row) { return row == 0 ? 2 : row == 1 ? -1 : row == m_marked ? 1 : 0; });
    m_list->SetPaintLabel([this](QPainter& painter, const QRect& label, int row) {
        if (row == 1) {
            painter.fillRect(label, kHeadingFill);
            painter.setPen(Qt::black);
            painter.drawText(label.adjusted(4, 1, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                             m_list->item(row)->text());
            return true;
        }
        if (row != 0)
            return false;
        QLinearGradient bar(label.topLeft(), label.bottomLeft());
        bar.setColorAt(0, QColor(250, 250, 252));
        bar.setColorAt(1, QColor(214, 220, 232));
        painter.fillRect(label.adjusted(0, 0, -1, -1), bar);
        painter.setPen(Qt::black);
        painter.drawText(label, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, QStringLiteral(" ")
                                                                                            + m_list->item(row)->text());
        return true;
    });
    connect(m_list, &CColourCheckList::rowClicked, this, &ColorPicDlg::RowClicked);
    connect(m_list, &CColourCheckList::checkClicked, this, &ColorPicDlg::RowClicked);
}

QString ColorPicDlg::StandardColourName(COLORREF colour)
{
    for (const StandardColour& standard : kStandardColours)
        if (standard.colour == (colour & 0xFFFFFF))
            return LoadString(standard.textId);
    return {};
}

bool ColorPicDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    m_rows = {kNoColor, kNoColor};
    m_rows.append(m_colors);
    m_marked = -1;
    m_list->clear();
    for (int row = 0; row < m_rows.size(); ++row) {
        QString text;
        if (row == 0)
            text = LoadString(ColourPickerText::OtherColour);
        else if (row == 1)
            text = LoadString(ColourPickerText::ColoursInUse);
        else
            text = StandardColourName(m_rows[row]);
        if (row >= kFirstColourRow && m_rows[row] == m_color)
            m_marked = row;
        m_list->InsertRow(row, text, row);
    }
    return true;
}

COLORREF ColorPicDlg::RowColour(int row) const
{
    return m_rows.value(row, kNoColor);
}

void ColorPicDlg::RowClicked(int row)
{
    if (row >= kFirstColourRow) {
        m_marked = row;
        m_color = m_rows.value(row);
        m_list->viewport()->update();
        accept();
        return;
    }
    if (row != 0)
        return;   // the heading
    COLORREF chosen = m_color;
    if (m_otherColour && m_otherColour(this, chosen)) {
        m_color = chosen;
        accept();
    }
}
