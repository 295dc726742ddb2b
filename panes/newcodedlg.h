#pragma once

#include "foundation/colorhelpers.h"
#include "ui/dlgbase.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class CKorDoc;
class QCheckBox;
class QLineEdit;
class QPushButton;
class QTextEdit;

/// @short Asks for the name, colour and memo of a code about to be made.
/// The dialog makes nothing: its caller reads the results after OK and
/// asks the document to create the code.
///
/// A subcode may take its parent's colour ("inherit"; remembered in the
/// profile). When the caller lists the names in use, a name that matches
/// one of them without regard to case, after trimming, keeps the dialog open
/// with a message.
class CNewCodeDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 232;
    static constexpr int kNameId = 2004;
    static constexpr int kMemoId = 245;
    static constexpr int kInheritId = 1158;
    static constexpr int kColourButtonId = 1159;
    static constexpr int kHelpId = 9;
    static constexpr int kHelpTopic = 1007;
    static constexpr COLORREF kDefaultColour = 0x008000;

    /// Lets the user pick a colour from `used`, starting at `colour`; false
    /// when cancelled. The frame gives the colour picker.
    using ColourChooser = std::function<bool(QWidget* parent, COLORREF& colour, const QList<COLORREF>& used)>;

    explicit CNewCodeDlg(QWidget* parent = nullptr);

    // Inputs, set before the dialog runs.
    CKorDoc* m_pDoc = nullptr;       ///< not owned; may be null
    qint32 m_parentCode = 0;         ///< 0: a top-level code
    QStringList m_names;             ///< names in use (lower case); empty: names need not differ
    void SetColourChooser(ColourChooser chooser) { m_chooseColour = std::move(chooser); }

    // Results after OK.
    QString m_name;                  ///< trimmed; empty: nothing is to be made
    QString m_memo;                  ///< trimmed
    COLORREF m_color = kDefaultColour;

    QLineEdit* NameField() const { return m_nameField; }
    QTextEdit* MemoField() const { return m_memoField; }
    QCheckBox* InheritBox() const { return m_inherit; }
    QPushButton* ColourButton() const { return m_colourButton; }
    QWidget* Swatch() const { return m_swatch; }

    void accept() override;

protected:
    bool OnInitDialog() override;

private:
    void InheritToggled();
    void ChooseColour();
    COLORREF ParentColour() const;
    void ShowColour();

    QLineEdit* m_nameField = nullptr;
    QTextEdit* m_memoField = nullptr;
    QCheckBox* m_inherit = nullptr;
    QPushButton* m_colourButton = nullptr;
    QWidget* m_swatch = nullptr;
    ColourChooser m_chooseColour;
};
