#pragma once

#include "ui/dlgbase.h"
#include "visual/modellink.h"
#include "visual/modelobject.h"

#include <QColor>
#include <QHash>

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

/// Asks for a colour starting at `colour`; true with the choice in it.
/// Dialogs call it for their colour buttons; tests replace it.
using ModelColourChooser = std::function<bool(QWidget* parent, QColor& colour)>;

/// @short What both properties dialogs share: the colour buttons, the font
/// list, the label editor and the OK handling of the label and font.
class CModelerPropertiesDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    /// Replaces the colour dialog (tests); an empty function restores it.
    static void SetColourChooser(ModelColourChooser chooser);

    /// The member colour of a colour button (ARGB).
    quint32 Colour(int buttonId) const { return m_colours.value(buttonId); }
    /// The dialog's controls by their template ids.
    QWidget* Control(int id) const { return FindControl(this, id); }

protected:
    CModelerPropertiesDlg(int templateId, QWidget* parent);
    /// A colour button of the id showing the member colour.
    QWidget* AddColourButton(int id, int captionTextId, const char* fallback);
    void SetColour(int id, quint32 argb);
    /// Opens the chooser on the button's colour; the choice comes back
    /// opaque.
    void ChooseColour(int id);
    /// Fills the font list and selects the name.
    void FillFonts(const QString& selected);
    /// The selected font, or the member name when none is selected.
    QString ChosenFont(const QString& member) const;
    /// The label as typed, trimmed of white space at both ends.
    QString ChosenLabel() const;

    QComboBox* m_fontCombo = nullptr;
    QPlainTextEdit* m_labelEdit = nullptr;
    QHash<int, quint32> m_colours;
};

/// @short The properties of one model object: label, colours, styles,
/// shape, picture and linked files.
class CModelerObjectDlg : public CModelerPropertiesDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 239;
    explicit CModelerObjectDlg(QWidget* parent = nullptr);

    /// Members from the object, and back on OK: the wrap factor kept within
    /// 1..99, the border width within 1..9999, an empty font name keeping
    /// the old one, the shape only when it may be changed.
    void ReadFrom(const ModelObject& object);
    void WriteTo(ModelObject& object) const;

    /// Shows the linked-file and geo-link fields (default true).
    bool m_showFileFields = true;

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    QCheckBox* m_labelBox = nullptr;
    QCheckBox* m_symbolShadow = nullptr;
    QCheckBox* m_labelShadow = nullptr;
    QCheckBox* m_showSymbol = nullptr;
    QCheckBox* m_framed = nullptr;
    QLineEdit* m_pictureFile = nullptr;
    QSpinBox* m_fontSize = nullptr;
    QComboBox* m_shape = nullptr;
    QComboBox* m_quality = nullptr;
    QLineEdit* m_linkedFile = nullptr;
    QLineEdit* m_geoLinkFile = nullptr;
    QSpinBox* m_wrapFactor = nullptr;
    QSpinBox* m_borderWidth = nullptr;
    QWidget* m_linkedLabel = nullptr;
    QWidget* m_geoLabel = nullptr;

    // Members exchanged on OK
    QString m_label;
    QString m_fontName;
    qint32 m_shapeValue = 0;
    qint32 m_qualityValue = 0;
    bool m_shapeChangeable = false;
};

/// @short The properties of one link: label, colours, font, width, dash
/// style and arrows.
class CModelerLinkDlg : public CModelerPropertiesDlg {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 240;
    explicit CModelerLinkDlg(QWidget* parent = nullptr);

    /// Arrows shown as the choice 0 none, 1 target, 2 source, 3 both; an
    /// empty font name keeps the old one; the width is at least 1.
    void ReadFrom(const ModelLink& link);
    void WriteTo(ModelLink& link) const;

    /// The choice of an Arrows value and back.
    static int ArrowChoice(qint32 arrows);
    static qint32 ArrowsOfChoice(int choice);

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    QComboBox* m_width = nullptr;
    QComboBox* m_dash = nullptr;
    QCheckBox* m_labelFramed = nullptr;
    QCheckBox* m_labelShadow = nullptr;
    QRadioButton* m_arrows[4] = {};

    QString m_label;
    QString m_fontName;
    qint32 m_widthValue = 1;
    qint32 m_dashValue = 0;
};
