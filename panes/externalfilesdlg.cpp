#include "panes/externalfilesdlg.h"

#include "foundation/help.h"
#include "foundation/stringstore.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

namespace ExternalsText {
constexpr int Caption = 102292;
constexpr int Close = 100507;
constexpr int Help = 102059;
constexpr int NameColumn = 102288;
constexpr int ReferenceColumn = 102289;
constexpr int SizeColumn = 102290;
constexpr int StatusColumn = 102291;
constexpr int FoundAtStoredPath = 102286;
constexpr int FoundInFolder = 102287;
constexpr int NotFound = 102284;
}  // namespace ExternalsText

constexpr qint64 kKilobyte = 1024;
constexpr qint64 kMegabyte = 1024 * kKilobyte;
constexpr qint64 kGigabyte = 1024 * kMegabyte;
/// Distance of the list from the dialog's edges and from the Close button.
constexpr int kMargin = 8;
/// A narrow list still shows a little of the first two columns.
constexpr int kMinColumnWidth = 20;

}  // namespace

ExternalFilesDlg::ExternalFilesDlg(QWidget* parent) : CResizableDlgBase(kTemplateId, parent)
{
    setWindowTitle(TextKey(ExternalsText::Caption, "External files"));
    m_strSection = QStringLiteral("ExternalFiles");
    m_list = new QTreeWidget(this);
    SetControlId(m_list, kListId);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setColumnCount(ColumnCount);
    m_list->setHeaderLabels({LoadString(ExternalsText::NameColumn), LoadString(ExternalsText::ReferenceColumn),
                             LoadString(ExternalsText::SizeColumn), LoadString(ExternalsText::StatusColumn)});
    m_list->headerItem()->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_list->header()->setStretchLastSection(false);

    m_help = MakeIconButton(this, kHelpId, QStyle::SP_DialogHelpButton, ExternalsText::Help);
    auto* close = new QPushButton(TextKey(ExternalsText::Close, "Close"), this);
    SetControlId(close, kCloseId);
    close->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kMargin);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(sizeHint());

    connect(close, &QPushButton::clicked, this, &ExternalFilesDlg::reject);
    connect(m_help, &QPushButton::clicked, this, [] { ShowHelpTopic(int(HelpKind::Program), kHelpTopic); });
}

QString ExternalFilesDlg::SizeText(qint64 bytes)
{
    if (bytes <= kMegabyte)
        return QString::asprintf("%.2f KB", double(bytes) / double(kKilobyte));
    if (bytes <= kGigabyte)
        return QString::asprintf("%.2f MB", double(bytes) / double(kMegabyte));
    return QString::asprintf("%.2f GB", double(bytes) / double(kGigabyte));
}

QString ExternalFilesDlg::StatusText(LinkLocation status)
{
    switch (status) {
    case LinkLocation::StoredPath: return LoadString(ExternalsText::FoundAtStoredPath);
    case LinkLocation::SearchFolder: return LoadString(ExternalsText::FoundInFolder);
    case LinkLocation::NotFound: break;
    }
    return LoadString(ExternalsText::NotFound);
}

void ExternalFilesDlg::SizeColumns()
{
    const int width = m_list->viewport()->width();
    m_list->setColumnWidth(NameColumn, qMax(kMinColumnWidth, width / 3 - 100));
    m_list->setColumnWidth(ReferenceColumn, qMax(kMinColumnWidth, 2 * width / 3 - 120));
    m_list->setColumnWidth(SizeColumn, 70);
    m_list->setColumnWidth(StatusColumn, 148);
}

void ExternalFilesDlg::showEvent(QShowEvent* event)
{
    CResizableDlgBase::showEvent(event);
    SizeColumns();
}

bool ExternalFilesDlg::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    FillList();
    return true;
}

void ExternalFilesDlg::FillList()
{
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    // The status texts are the same for many rows: looked up once.
    const QString statusTexts[] = {StatusText(LinkLocation::NotFound), StatusText(LinkLocation::StoredPath),
                                   StatusText(LinkLocation::SearchFolder)};
    QList<QTreeWidgetItem*> rows;
    rows.reserve(m_records.size());
    for (const ExternalFileRecord& record : std::as_const(m_records)) {
        auto* row = new QTreeWidgetItem;
        row->setText(NameColumn, record.fileName);
        row->setText(ReferenceColumn, record.reference);
        if (record.sizeKnown)
            row->setText(SizeColumn, SizeText(record.size));
        row->setTextAlignment(SizeColumn, Qt::AlignRight | Qt::AlignVCenter);
        const int status = int(record.status);
        row->setText(StatusColumn, statusTexts[status >= 0 && status <= 2 ? status : 0]);
        rows.append(row);
    }
    m_list->addTopLevelItems(rows);
    // Once shown the list has its width; before that the columns wait.
    if (isVisible())
        SizeColumns();
    m_list->setUpdatesEnabled(true);
}
