#pragma once

#include "foundation/externalfiles.h"
#include "ui/dlgbase.h"

#include <QList>

class QPushButton;
class QTreeWidget;

/// @short The list of the project's outside files: name, reference as
/// stored, size and whether the file was found.
///
/// The caller fills m_records (CKorDoc::CollectExternalFiles) and runs the
/// dialog; it shows them in their order and changes nothing.
class ExternalFilesDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3147;
    static constexpr int kListId = 33105;
    static constexpr int kHelpId = 9;
    static constexpr int kCloseId = 2;
    static constexpr int kHelpTopic = 1003;
    enum Column { NameColumn, ReferenceColumn, SizeColumn, StatusColumn, ColumnCount };

    explicit ExternalFilesDlg(QWidget* parent = nullptr);

    /// "%.2f KB" up to 1 MiB, "%.2f MB" up to 1 GiB, "%.2f GB" above.
    static QString SizeText(qint64 bytes);
    /// The status column's text of a record.
    static QString StatusText(LinkLocation status);

    QList<ExternalFileRecord> m_records;

    QTreeWidget* List() const { return m_list; }
    /// Wide enough for the four columns when no placement is kept.
    QSize sizeHint() const override { return {720, 360}; }
    /// Fills the list from m_records and sets the column widths.
    void FillList();

protected:
    bool OnInitDialog() override;
    void showEvent(QShowEvent* event) override;

private:
    /// The columns' widths from the list's client width.
    void SizeColumns();

    QTreeWidget* m_list = nullptr;
    QPushButton* m_help = nullptr;
};
