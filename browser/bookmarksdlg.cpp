#include "browser/bookmarksdlg.h"

#include "browser/browsertexts.h"
#include "browser/pdfpagetarget.h"
#include "foundation/stringstore.h"
#include "platform/pdf/pdfengine.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace {

/// Margin between the window's edge and the tree, in pixels.
constexpr int kTreeMargin = 7;

}  // namespace

CBookMarksDlg::CBookMarksDlg(IPdfPageTarget* viewer, QWidget* parent)
    : CResizableDlgBase(kTemplateId, parent), m_viewer(viewer)
{
    setWindowFlag(Qt::Tool);
    setModal(false);
    setWindowTitle(TextKey(BrowserText::BookmarksCaption) + QStringLiteral("Bookmarks"));
    m_strSection = QStringLiteral("dlgPdfBookMarks");
    m_tree = new QTreeWidget(this);
    SetControlId(m_tree, kTreeId);
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    m_tree->setRootIsDecorated(true);
    m_tree->setItemsExpandable(true);
    m_tree->setUniformRowHeights(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kTreeMargin, kTreeMargin, kTreeMargin, kTreeMargin);
    layout->addWidget(m_tree);
    resize(220, 300);
    connect(m_tree, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        if (item && m_viewer)
            m_viewer->GoToPage(item->data(0, kPageRole).toInt());
    });
}

bool CBookMarksDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    setWindowIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    Fill();
    return true;
}

void CBookMarksDlg::keyPressEvent(QKeyEvent* event)
{
    // The tree passes Enter on; it shows the selected entry's page.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        return;
    }
    CResizableDlgBase::keyPressEvent(event);
}

void CBookMarksDlg::OnOK()
{
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    if (!selected.isEmpty() && m_viewer)
        m_viewer->GoToPage(selected.first()->data(0, kPageRole).toInt());
}

void CBookMarksDlg::Fill()
{
    m_tree->clear();
    PdfEngine* engine = m_viewer ? m_viewer->GetPdfEngine() : nullptr;
    if (!engine || !engine->IsOpen())
        return;
    const QList<PdfBookmark> outline = engine->Bookmarks();
    if (!outline.isEmpty()) {
        for (const PdfBookmark& bookmark : outline)
            AddBookmark(bookmark, nullptr);
        return;
    }
    const QString word = LoadString(BrowserText::BookmarkPage);
    for (int page = 0; page < engine->PageCount(); ++page)
        NewItem(QStringLiteral("%1 %2").arg(word).arg(page + 1), page, nullptr);
}

void CBookMarksDlg::AddBookmark(const PdfBookmark& bookmark, QTreeWidgetItem* parent)
{
    QTreeWidgetItem* item = NewItem(bookmark.title, bookmark.page, parent);
    for (const PdfBookmark& child : bookmark.children)
        AddBookmark(child, item);
}

QTreeWidgetItem* CBookMarksDlg::NewItem(const QString& text, int page, QTreeWidgetItem* parent)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    item->setText(0, text);
    item->setData(0, kPageRole, page);
    item->setData(0, kImageRole, -1);
    SetImage(item, 0);
    // Expanded once it has a parent in the tree.
    item->setExpanded(true);
    if (parent)
        parent->setExpanded(true);
    return item;
}

void CBookMarksDlg::SetImage(QTreeWidgetItem* item, int image)
{
    if (item->data(0, kImageRole).toInt() == image)
        return;
    item->setData(0, kImageRole, image);
    item->setIcon(0, style()->standardIcon(image == 1 ? QStyle::SP_ArrowRight : QStyle::SP_FileIcon));
}

void CBookMarksDlg::MarkPage(int page)
{
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
        SetImage(*it, (*it)->data(0, kPageRole).toInt() == page ? 1 : 0);
}
