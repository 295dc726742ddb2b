#pragma once

#include "ui/dlgbase.h"

#include <QList>
#include <QString>

class CObjComboBox;
class QCheckBox;
class QLabel;
class QRadioButton;
class QSpinBox;

/// @short The options of the agreement between two coders: the two
/// documents (the same one may be chosen twice), the kind of check, the
/// least overlap in percent of the segment check (1 to 100, enforced at
/// OK) and whether only the activated codes take part.
class CInterCoderOptDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3142;

    explicit CInterCoderOptDlg(QWidget* parent = nullptr);

    // Filled by the caller; read back after OK.
    QList<qint32> m_documentIds;
    QStringList m_documentNames;
    qint32 m_firstDocument = 0;
    qint32 m_secondDocument = 0;
    qint32 m_kind = 0;              ///< 0 radio 1100, 1 radio 1103, 2 radio 1101
    qint32 m_percent = 90;
    bool m_onlyActivated = false;
    bool m_enableOnlyActivated = false;
    /// Radio 1103 needs a window of its own; until it exists it stays off.
    bool m_codePresenceAvailable = false;

    CObjComboBox* FirstCombo() const { return m_first; }
    CObjComboBox* SecondCombo() const { return m_second; }
    QSpinBox* PercentBox() const { return m_percentBox; }

protected:
    bool OnInitDialog() override;
    void accept() override;

private:
    void EnablePercent(bool on);

    QList<QRadioButton*> m_kinds;
    CObjComboBox* m_first = nullptr;
    CObjComboBox* m_second = nullptr;
    QCheckBox* m_onlyActivatedBox = nullptr;
    QSpinBox* m_percentBox = nullptr;
    QLabel* m_percentLabel = nullptr;
};
