#pragma once

#include "ui/dlgbase.h"

class IPdfPageTarget;
class QTreeWidget;
class QTreeWidgetItem;
struct PdfBookmark;

/// @short The small tool window with the outline of the PDF the viewer
/// shows, or one entry per page when the PDF has none; clicking an entry
/// (or Enter on the selected one) shows its page.
///
/// Each entry carries its page index (0-based); the entries of the current
/// page show the "current" picture. The viewer (not owned, may be null)
/// must outlive the window or clear it with SetTarget(nullptr); the viewer
/// keeps a QPointer to the window.
class CBookMarksDlg : public CResizableDlgBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 3146;
    static constexpr int kTreeId = 509;
    /// Item data roles: the page index, and the picture (0 ordinary, 1 the
    /// current page).
    static constexpr int kPageRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1;

    explicit CBookMarksDlg(IPdfPageTarget* viewer, QWidget* parent = nullptr);

    void SetTarget(IPdfPageTarget* viewer) { m_viewer = viewer; }
    /// Refills the tree from the viewer's open document; empty without one.
    void Fill();
    /// Gives every entry of the page the "current" picture, the others the
    /// ordinary one.
    void MarkPage(int page);

    QTreeWidget* Tree() const { return m_tree; }

protected:
    bool OnInitDialog() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddBookmark(const PdfBookmark& bookmark, QTreeWidgetItem* parent);
    QTreeWidgetItem* NewItem(const QString& text, int page, QTreeWidgetItem* parent);
    void SetImage(QTreeWidgetItem* item, int image);
    void OnOK();

    IPdfPageTarget* m_viewer;
    QTreeWidget* m_tree = nullptr;
};
