#include "visual/modelerdialogs.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"
#include "visual/visualids.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOkId = 1;
constexpr int kCancelId = 2;
constexpr int kHelpId = 9;
constexpr int kFontComboId = 1054;
constexpr int kLabelEditId = 1017;
constexpr int kHelpTopic = 2511;
constexpr int kHelpKind = 2;

// Colour buttons.
constexpr int kBorderOrLineColourId = 3;
constexpr int kFillColourId = 4;
constexpr int kTextColourId = 5;
constexpr int kLabelFillColourId = 6;
constexpr int kLabelFrameColourId = 7;

// Object dialog.
constexpr int kLabelBoxId = 1085;
constexpr int kSymbolShadowId = 1086;
constexpr int kLabelShadowId = 1087;
constexpr int kPictureFileId = 100;
constexpr int kFontSizeId = 101;
constexpr int kShowSymbolId = 1088;
constexpr int kFramedId = 1089;
constexpr int kShapeComboId = 1055;
constexpr int kLinkedFileId = 102;
constexpr int kGeoLinkFileId = 199;
constexpr int kWrapFactorId = 1176;
constexpr int kBorderWidthId = 1179;
constexpr int kQualityComboId = 1075;
constexpr int kLinkedFileLabelId = 1239;
constexpr int kGeoLinkLabelId = 1250;
constexpr int kMaxWrapFactor = 99;
constexpr int kMaxBorderWidth = 9999;

// Link dialog.
constexpr int kWidthComboId = 1060;
constexpr int kDashComboId = 1055;
constexpr int kFirstArrowRadioId = 1056;
constexpr int kMaxLinkWidth = 10;

// Captions of the dialogs' own controls.
namespace Caption {
enum : int {
    ObjectTitle = 198002,
    LinkTitle = 198003,
    Label = 198004,
    BorderColour = 198005,
    FillColour = 198006,
    TextColour = 198007,
    LabelFillColour = 198008,
    LabelFrameColour = 198009,
    LineColour = 198010,
    Font = 198011,
    FontSize = 198012,
    LabelBox = 198013,
    SymbolShadow = 198014,
    LabelShadow = 198015,
    ShowSymbol = 198016,
    Framed = 198017,
    Shape = 198018,
    PictureFile = 198019,
    PictureQuality = 198020,
    LinkedFile = 198021,
    GeoLinkFile = 198022,
    WrapFactor = 198023,
    BorderWidth = 198024,
    Width = 198025,
    Dash = 198026,
    LabelFramed = 198027,
    Arrows = 198028,
    ArrowsNone = 198029,
    ArrowsTarget = 198030,
    ArrowsSource = 198031,
    ArrowsBoth = 198032,
    Ok = 198033,
    Cancel = 198034,
};
}

ModelColourChooser& ColourChooser()
{
    static ModelColourChooser chooser;
    return chooser;
}

bool AskColour(QWidget* parent, QColor& colour)
{
    if (ColourChooser())
        return ColourChooser()(parent, colour);
    const QColor chosen = QColorDialog::getColor(colour, parent);
    if (!chosen.isValid())
        return false;
    colour = chosen;
    return true;
}

QColor Opaque(quint32 argb)
{
    return QColor::fromRgb(QRgb(argb | 0xFF000000u));
}

template <typename Control>
Control* Make(QWidget* parent, int id)
{
    auto* control = new Control(parent);
    SetControlId(control, id);
    return control;
}

QCheckBox* MakeCheck(QWidget* parent, int id, int textId, const char* fallback)
{
    auto* box = new QCheckBox(TextKey(textId, fallback), parent);
    SetControlId(box, id);
    return box;
}

void SelectData(QComboBox* combo, int value)
{
    combo->setCurrentIndex(combo->findData(value));
}

// OK and Cancel under the dialog's fields.
QHBoxLayout* OkCancelRow(QDialog* dialog, QPushButton* extra)
{
    auto* ok = new QPushButton(TextKey(Caption::Ok, "OK"), dialog);
    SetControlId(ok, kOkId);
    ok->setDefault(true);
    auto* cancel = new QPushButton(TextKey(Caption::Cancel, "Cancel"), dialog);
    SetControlId(cancel, kCancelId);
    cancel->setAutoDefault(false);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    if (extra)
        row->addWidget(extra);
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

}  // namespace

// ---------------------------------------------------------------------------
// Shared

CModelerPropertiesDlg::CModelerPropertiesDlg(int templateId, QWidget* parent) : CResizableDlgBase(templateId, parent)
{
    m_fontCombo = Make<QComboBox>(this, kFontComboId);
    m_labelEdit = Make<QPlainTextEdit>(this, kLabelEditId);
    // Plain text in Tahoma 8, as the label is stored.
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    m_labelEdit->setFont(font);
    m_labelEdit->setUndoRedoEnabled(true);
    m_labelEdit->setFrameShape(QFrame::Box);
}

void CModelerPropertiesDlg::SetColourChooser(ModelColourChooser chooser)
{
    ColourChooser() = std::move(chooser);
}

QWidget* CModelerPropertiesDlg::AddColourButton(int id, int captionTextId, const char* fallback)
{
    auto* button = new QPushButton(TextKey(captionTextId, fallback), this);
    SetControlId(button, id);
    button->setAutoDefault(false);
    m_colours.insert(id, 0xFF000000);
    connect(button, &QPushButton::clicked, this, [this, id] { ChooseColour(id); });
    SetColour(id, 0xFF000000);
    return button;
}

void CModelerPropertiesDlg::SetColour(int id, quint32 argb)
{
    m_colours.insert(id, argb);
    if (QWidget* button = FindControl(this, id)) {
        const QColor c = Opaque(argb);
        QPixmap swatch(12, 12);
        swatch.fill(c);
        static_cast<QPushButton*>(button)->setIcon(QIcon(swatch));
    }
}

void CModelerPropertiesDlg::ChooseColour(int id)
{
    QColor colour = Opaque(m_colours.value(id));
    if (AskColour(this, colour))
        SetColour(id, colour.rgb() | 0xFF000000u);
}

void CModelerPropertiesDlg::FillFonts(const QString& selected)
{
    const QSignalBlocker quiet(m_fontCombo);
    m_fontCombo->clear();
    const QStringList families = QFontDatabase::families();
    for (const QString& family : families)
        m_fontCombo->addItem(family, family);
    m_fontCombo->setCurrentIndex(m_fontCombo->findText(selected));
}

QString CModelerPropertiesDlg::ChosenFont(const QString& member) const
{
    return m_fontCombo->currentIndex() >= 0 ? m_fontCombo->currentText() : member;
}

QString CModelerPropertiesDlg::ChosenLabel() const
{
    return m_labelEdit->toPlainText().trimmed().replace(u'\n', QStringLiteral("\r\n"));
}

// ---------------------------------------------------------------------------
// Object dialog

CModelerObjectDlg::CModelerObjectDlg(QWidget* parent) : CModelerPropertiesDlg(kTemplateId, parent)
{
    setWindowTitle(TextKey(Caption::ObjectTitle, "Object properties"));
    m_strSection = QStringLiteral("dlgModelerObject");
    auto* help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, VisualText::HelpButtonTip);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpKind, kHelpTopic); });

    m_labelBox = MakeCheck(this, kLabelBoxId, Caption::LabelBox, "Label in a box");
    m_symbolShadow = MakeCheck(this, kSymbolShadowId, Caption::SymbolShadow, "Symbol shadow");
    m_labelShadow = MakeCheck(this, kLabelShadowId, Caption::LabelShadow, "Label shadow");
    m_showSymbol = MakeCheck(this, kShowSymbolId, Caption::ShowSymbol, "Show symbol");
    m_framed = MakeCheck(this, kFramedId, Caption::Framed, "Frame");
    m_pictureFile = Make<QLineEdit>(this, kPictureFileId);
    m_fontSize = Make<QSpinBox>(this, kFontSizeId);
    m_fontSize->setRange(0, 9999);
    m_shape = Make<QComboBox>(this, kShapeComboId);
    m_quality = Make<QComboBox>(this, kQualityComboId);
    m_linkedFile = Make<QLineEdit>(this, kLinkedFileId);
    m_geoLinkFile = Make<QLineEdit>(this, kGeoLinkFileId);
    m_wrapFactor = Make<QSpinBox>(this, kWrapFactorId);
    m_wrapFactor->setRange(1, kMaxWrapFactor);
    m_borderWidth = Make<QSpinBox>(this, kBorderWidthId);
    m_borderWidth->setRange(1, kMaxBorderWidth);

    auto* colours = new QHBoxLayout;
    colours->addWidget(AddColourButton(kBorderOrLineColourId, Caption::BorderColour, "Border"));
    colours->addWidget(AddColourButton(kFillColourId, Caption::FillColour, "Fill"));
    colours->addWidget(AddColourButton(kTextColourId, Caption::TextColour, "Text"));
    colours->addWidget(AddColourButton(kLabelFillColourId, Caption::LabelFillColour, "Label fill"));
    colours->addWidget(AddColourButton(kLabelFrameColourId, Caption::LabelFrameColour, "Label frame"));

    auto* form = new QFormLayout;
    form->addRow(TextKey(Caption::Label, "Label:"), m_labelEdit);
    form->addRow(TextKey(Caption::Font, "Font:"), m_fontCombo);
    form->addRow(TextKey(Caption::FontSize, "Font size:"), m_fontSize);
    form->addRow(TextKey(Caption::Shape, "Shape:"), m_shape);
    form->addRow(TextKey(Caption::WrapFactor, "Wrap factor:"), m_wrapFactor);
    form->addRow(TextKey(Caption::BorderWidth, "Border width:"), m_borderWidth);
    form->addRow(TextKey(Caption::PictureFile, "Picture file:"), m_pictureFile);
    form->addRow(TextKey(Caption::PictureQuality, "Picture quality:"), m_quality);
    auto* linkedLabel = new QLabel(TextKey(Caption::LinkedFile, "Linked file:"), this);
    SetControlId(linkedLabel, kLinkedFileLabelId);
    auto* geoLabel = new QLabel(TextKey(Caption::GeoLinkFile, "Geo link:"), this);
    SetControlId(geoLabel, kGeoLinkLabelId);
    m_linkedLabel = linkedLabel;
    m_geoLabel = geoLabel;
    form->addRow(linkedLabel, m_linkedFile);
    form->addRow(geoLabel, m_geoLinkFile);

    auto* checks = new QGridLayout;
    checks->addWidget(m_showSymbol, 0, 0);
    checks->addWidget(m_symbolShadow, 0, 1);
    checks->addWidget(m_framed, 0, 2);
    checks->addWidget(m_labelBox, 1, 0);
    checks->addWidget(m_labelShadow, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addLayout(checks);
    layout->addLayout(colours);
    layout->addLayout(OkCancelRow(this, help));
}

void CModelerObjectDlg::ReadFrom(const ModelObject& o)
{
    m_label = o.Label;
    m_labelBox->setChecked(o.LabelBox);
    m_symbolShadow->setChecked(o.SymbolShadow);
    m_labelShadow->setChecked(o.LabelShadow);
    m_pictureFile->setText(o.PictureFile);
    m_fontSize->setValue(std::max(0, int(o.FontSize)));
    m_showSymbol->setChecked(o.ShowSymbol);
    m_framed->setChecked(o.Framed);
    m_shapeValue = o.Shape;
    m_linkedFile->setText(o.LinkedFile);
    m_geoLinkFile->setText(o.GeoLinkFile);
    SetColour(kBorderOrLineColourId, o.BorderColor);
    SetColour(kFillColourId, o.FillColor);
    SetColour(kTextColourId, o.TextColor);
    SetColour(kLabelFillColourId, o.LabelFillColor);
    SetColour(kLabelFrameColourId, o.LabelFrameColor);
    m_fontName = o.FontName;
    m_wrapFactor->setValue(std::clamp(int(o.WrapFactor), 1, kMaxWrapFactor));
    m_borderWidth->setValue(std::clamp(int(o.BorderWidth), 1, kMaxBorderWidth));
    m_shapeChangeable = o.IsShapeChangeable();
    m_qualityValue = o.PictureQuality;
}

bool CModelerObjectDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    FillFonts(m_fontName);
    m_shape->clear();
    if (m_shapeChangeable) {
        m_shape->addItem(LoadString(VisualText::ShapeEllipse), ModelShape::Ellipse);
        m_shape->addItem(LoadString(VisualText::ShapeRectangle), ModelShape::Rectangle);
        m_shape->addItem(LoadString(VisualText::ShapeRoundedRectangle), ModelShape::RoundedRectangle);
        SelectData(m_shape, m_shapeValue);
    } else {
        m_shape->setEnabled(false);
    }
    m_quality->clear();
    m_quality->addItem(LoadString(VisualText::PictureQualityScreen), 0);
    m_quality->addItem(QStringLiteral("300 X 300"), 1);
    m_quality->addItem(QStringLiteral("600 X 600"), 2);
    m_quality->addItem(QStringLiteral("1200 X 1200"), 3);
    SelectData(m_quality, m_qualityValue);
    if (!m_showFileFields) {
        static_cast<QLabel*>(m_linkedLabel)->clear();
        static_cast<QLabel*>(m_geoLabel)->clear();
        m_linkedFile->hide();
        m_geoLinkFile->hide();
    }
    m_labelEdit->setPlainText(QString(m_label).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return true;
}

void CModelerObjectDlg::accept()
{
    m_fontName = ChosenFont(m_fontName);
    if (m_shapeChangeable && m_shape->currentIndex() >= 0)
        m_shapeValue = m_shape->currentData().toInt();
    if (m_quality->currentIndex() >= 0)
        m_qualityValue = m_quality->currentData().toInt();
    m_label = ChosenLabel();
    CResizableDlgBase::accept();
}

void CModelerObjectDlg::WriteTo(ModelObject& o) const
{
    o.Label = m_label;
    o.LabelBox = m_labelBox->isChecked();
    o.SymbolShadow = m_symbolShadow->isChecked();
    o.LabelShadow = m_labelShadow->isChecked();
    o.PictureFile = m_pictureFile->text();
    o.FontSize = float(m_fontSize->value());
    o.ShowSymbol = m_showSymbol->isChecked();
    o.Framed = m_framed->isChecked();
    if (m_shapeChangeable)
        o.Shape = m_shapeValue;
    o.LinkedFile = m_linkedFile->text();
    o.GeoLinkFile = m_geoLinkFile->text();
    o.BorderColor = Colour(kBorderOrLineColourId);
    o.FillColor = Colour(kFillColourId);
    o.TextColor = Colour(kTextColourId);
    o.LabelFillColor = Colour(kLabelFillColourId);
    o.LabelFrameColor = Colour(kLabelFrameColourId);
    if (!m_fontName.isEmpty())
        o.FontName = m_fontName;
    o.WrapFactor = float(std::clamp(m_wrapFactor->value(), 1, kMaxWrapFactor));
    o.BorderWidth = float(std::clamp(m_borderWidth->value(), 1, kMaxBorderWidth));
    o.PictureQuality = m_qualityValue;
    o.NeedsLayout = true;
}

// ---------------------------------------------------------------------------
// Link dialog

CModelerLinkDlg::CModelerLinkDlg(QWidget* parent) : CModelerPropertiesDlg(kTemplateId, parent)
{
    setWindowTitle(TextKey(Caption::LinkTitle, "Link properties"));
    m_strSection = QStringLiteral("dlgModelerLink");
    m_width = Make<QComboBox>(this, kWidthComboId);
    m_dash = Make<QComboBox>(this, kDashComboId);
    m_labelFramed = MakeCheck(this, kLabelBoxId, Caption::LabelFramed, "Label framed");
    m_labelShadow = MakeCheck(this, kLabelShadowId, Caption::LabelShadow, "Label shadow");

    auto* colours = new QHBoxLayout;
    colours->addWidget(AddColourButton(kBorderOrLineColourId, Caption::LineColour, "Line"));
    colours->addWidget(AddColourButton(kTextColourId, Caption::TextColour, "Text"));
    colours->addWidget(AddColourButton(kLabelFillColourId, Caption::LabelFillColour, "Label fill"));
    colours->addWidget(AddColourButton(kLabelFrameColourId, Caption::LabelFrameColour, "Label frame"));

    auto* arrows = new QGroupBox(TextKey(Caption::Arrows, "Arrows"), this);
    auto* arrowRow = new QHBoxLayout(arrows);
    const std::pair<int, const char*> arrowTexts[4] = {{Caption::ArrowsNone, "None"},
                                                       {Caption::ArrowsTarget, "At the target"},
                                                       {Caption::ArrowsSource, "At the source"},
                                                       {Caption::ArrowsBoth, "At both ends"}};
    for (int i = 0; i < 4; ++i) {
        m_arrows[i] = new QRadioButton(TextKey(arrowTexts[i].first, arrowTexts[i].second), arrows);
        SetControlId(m_arrows[i], kFirstArrowRadioId + i);
        arrowRow->addWidget(m_arrows[i]);
    }
    m_arrows[0]->setChecked(true);

    auto* form = new QFormLayout;
    form->addRow(TextKey(Caption::Label, "Label:"), m_labelEdit);
    form->addRow(TextKey(Caption::Font, "Font:"), m_fontCombo);
    form->addRow(TextKey(Caption::Width, "Width:"), m_width);
    form->addRow(TextKey(Caption::Dash, "Line:"), m_dash);
    auto* checks = new QHBoxLayout;
    checks->addWidget(m_labelFramed);
    checks->addWidget(m_labelShadow);
    checks->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form, 1);
    layout->addLayout(checks);
    layout->addWidget(arrows);
    layout->addLayout(colours);
    layout->addLayout(OkCancelRow(this, nullptr));
}

int CModelerLinkDlg::ArrowChoice(qint32 arrows)
{
    switch (arrows) {
    case LinkArrows::AtTarget: return 1;
    case LinkArrows::AtSource: return 2;
    case LinkArrows::AtBothEnds: return 3;
    default: return 0;
    }
}

qint32 CModelerLinkDlg::ArrowsOfChoice(int choice)
{
    switch (choice) {
    case 1: return LinkArrows::AtTarget;
    case 2: return LinkArrows::AtSource;
    case 3: return LinkArrows::AtBothEnds;
    default: return LinkArrows::None;
    }
}

void CModelerLinkDlg::ReadFrom(const ModelLink& link)
{
    m_label = link.Label;
    m_labelFramed->setChecked(link.LabelFramed);
    m_labelShadow->setChecked(link.LabelShadow);
    m_arrows[ArrowChoice(link.Arrows)]->setChecked(true);
    SetColour(kBorderOrLineColourId, link.LineColor);
    SetColour(kTextColourId, link.TextColor);
    SetColour(kLabelFillColourId, link.LabelFillColor);
    SetColour(kLabelFrameColourId, link.LabelFrameColor);
    m_fontName = link.FontName;
    m_dashValue = link.DashStyle;
    m_widthValue = link.Width;
}

bool CModelerLinkDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    FillFonts(m_fontName);
    m_dash->clear();
    m_dash->addItem(LoadString(VisualText::DashSolid), LinkDash::Solid);
    m_dash->addItem(LoadString(VisualText::DashDashed), LinkDash::Dashed);
    m_dash->addItem(LoadString(VisualText::DashDotted), LinkDash::Dotted);
    SelectData(m_dash, m_dashValue);
    m_width->clear();
    for (int w = 1; w <= kMaxLinkWidth; ++w)
        m_width->addItem(QString::number(w));
    m_width->setCurrentIndex(m_width->findText(QString::number(m_widthValue)));
    m_labelEdit->setPlainText(QString(m_label).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return true;
}

void CModelerLinkDlg::accept()
{
    m_fontName = ChosenFont(m_fontName);
    if (m_dash->currentIndex() >= 0)
        m_dashValue = m_dash->currentData().toInt();
    if (m_width->currentIndex() >= 0)
        m_widthValue = m_width->currentText().toInt();
    m_widthValue = std::max(1, m_widthValue);
    m_label = ChosenLabel();
    CResizableDlgBase::accept();
}

void CModelerLinkDlg::WriteTo(ModelLink& link) const
{
    link.Label = m_label;
    link.LabelFramed = m_labelFramed->isChecked();
    link.LabelShadow = m_labelShadow->isChecked();
    for (int i = 0; i < 4; ++i)
        if (m_arrows[i]->isChecked())
            link.Arrows = ArrowsOfChoice(i);
    link.LineColor = Colour(kBorderOrLineColourId);
    link.TextColor = Colour(kTextColourId);
    link.LabelFillColor = Colour(kLabelFillColourId);
    link.LabelFrameColor = Colour(kLabelFrameColourId);
    if (!m_fontName.isEmpty())
        link.FontName = m_fontName;
    link.DashStyle = m_dashValue;
    link.Width = m_widthValue;
}
