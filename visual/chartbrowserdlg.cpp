#include "visual/chartbrowserdlg.h"

#include "document/listnotifyinfo.h"
#include "foundation/filehelpers.h"
#include "foundation/help.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/waitwindow.h"
#include "foundation/stringstore.h"
#include "foundation/uiservices.h"
#include "panes/objtreectrl.h"
#include "platform/profile/privateprofile.h"
#include "ui/commandtoolbar.h"
#include "ui/windowpicture.h"
#include "visual/chartoptiondlgs.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QPainter>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kCommandTextFlag = 1;   // GetString maps a command id to its text id
constexpr int kMinColumnWidth = 20;
constexpr int kGridMargin = 7;
constexpr int kGridTop = 29;

struct VariantInfo {
    const char* placement;
    int titleTextId;
    int helpTopic;
};

constexpr VariantInfo kVariants[] = {
    {"dlgCM", 1008, 1034}, {"dlgCO", 1009, 1036}, {"dlgSEQ", 548, 1040},
    {"dlgTCC", 553, 1037}, {"dlgCRT", 666, 1047}, {"dlgTYP", 102233, 1051},
};
constexpr int kVariantCount = int(std::size(kVariants));

// Help topics of the code matrix opened by the inter-coder command.
constexpr int kInterCoderHelpWithCounter = 1014;
constexpr int kInterCoderHelp = 1015;

using namespace ChartCommand;

// The toolbars by variant, 0 a separator.
const QList<int> kCodeMatrixBar = {ExcelToFolder, ExportTable, SavePng, SecondOutput, 0, HeaderNarrow, HeaderCaptions,
                                   HeaderFitted, 0, CalcWhole, CalcPerColumn, CalcPerRow, 0, Numbers, Circles,
                                   DocumentCounter, 0, Recompute, 0, Help, 0, Close};
const QList<int> kRelationsBar = {ExcelToFolder, ExportTable, SavePng, 0, HeaderNarrow, HeaderCaptions, HeaderFitted, 0,
                                  Numbers, Near, Circles, DocumentCounter, 0, NearOptions, 0, Recompute, 0, Help, 0,
                                  Close};
const QList<int> kSequenceBar = {ExcelToFolder, ExportTable, SavePng, 0, Recompute, 0, Help, 0, Close};
const QList<int> kCrosstabBar = {ExcelToFolder, ExportTable, SavePng, SecondOutput, 0, CrosstabDocumentCounter, 0,
                                 ValueAbsolute, ValueRowPercent, ValueColumnPercent, 0, Recompute, 0, Help, 0, Close};
const QList<int> kTypologyBar = {ExcelToFolder, HtmlTable, ExportTable, 0, Recompute, 0, Help, 0, Close};

const QList<int>& BarOf(int variant)
{
    switch (variant) {
    case 1: return kRelationsBar;
    case 2:
    case 3: return kSequenceBar;
    case 4: return kCrosstabBar;
    case 5: return kTypologyBar;
    default: return kCodeMatrixBar;
    }
}

bool IsCheckable(int id)
{
    switch (id) {
    case HeaderNarrow: case HeaderCaptions: case HeaderFitted: case CalcWhole: case CalcPerColumn: case CalcPerRow:
    case Numbers: case Circles: case DocumentCounter: case Near: case CrosstabDocumentCounter: case ValueAbsolute:
    case ValueRowPercent: case ValueColumnPercent:
        return true;
    default:
        return false;
    }
}

/// Button pictures drawn in strokes, the same on every machine.
QIcon ToolIcon(int id)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor ink(40, 40, 40);
    p.setPen(QPen(ink, 1));
    const auto bars = [&p, &ink](int count, int width) {
        for (int i = 0; i < count; ++i)
            p.fillRect(2 + i * (width + 1), 3, width, 10, ink);
    };
    switch (id) {
    case ExcelToFolder: p.drawRect(1, 1, 13, 13); p.drawLine(1, 5, 14, 5); p.drawLine(6, 1, 6, 14); break;
    case ExportTable: p.drawRect(1, 1, 13, 13); p.drawLine(4, 5, 11, 5); p.drawLine(4, 8, 11, 8); p.drawLine(4, 11, 9, 11); break;
    case SavePng: p.drawRect(1, 2, 13, 11); p.drawPolyline(QPolygon({{2, 12}, {6, 7}, {9, 10}, {11, 8}, {13, 12}})); break;
    case SecondOutput: p.drawRect(2, 1, 11, 14); p.drawLine(4, 4, 11, 4); p.drawLine(4, 7, 11, 7); break;
    case HeaderNarrow: bars(6, 1); break;
    case HeaderCaptions: bars(3, 3); break;
    case HeaderFitted: bars(2, 5); break;
    case CalcWhole: p.drawRect(1, 1, 13, 13); p.fillRect(4, 4, 8, 8, ink); break;
    case CalcPerColumn: p.drawRect(1, 1, 13, 13); p.fillRect(6, 2, 4, 12, ink); break;
    case CalcPerRow: p.drawRect(1, 1, 13, 13); p.fillRect(2, 6, 12, 4, ink); break;
    case Numbers: p.drawLine(4, 3, 4, 13); p.drawLine(3, 4, 4, 3); p.drawLine(8, 4, 12, 4); p.drawLine(12, 4, 8, 13); break;
    case Circles: p.setRenderHint(QPainter::Antialiasing); p.setBrush(ink); p.drawEllipse(3, 3, 10, 10); break;
    case DocumentCounter: p.drawRect(3, 1, 10, 14); p.drawLine(5, 5, 11, 5); p.drawLine(5, 8, 11, 8); p.drawLine(5, 11, 9, 11); break;
    case Near: p.drawRect(1, 5, 5, 6); p.drawRect(10, 5, 5, 6); p.drawLine(6, 8, 10, 8); break;
    case NearOptions: p.drawRect(2, 2, 12, 12); p.drawLine(5, 6, 11, 6); p.drawLine(5, 10, 11, 10); break;
    case CrosstabDocumentCounter: p.drawRect(3, 1, 10, 14); p.fillRect(5, 4, 6, 3, ink); break;
    case ValueAbsolute: p.drawLine(5, 2, 5, 14); p.drawLine(10, 2, 10, 14); p.drawLine(2, 6, 13, 6); p.drawLine(2, 10, 13, 10); break;
    case ValueRowPercent: p.drawEllipse(2, 2, 3, 3); p.drawEllipse(10, 10, 3, 3); p.drawLine(12, 2, 3, 13); p.drawLine(1, 15, 14, 15); break;
    case ValueColumnPercent: p.drawEllipse(2, 2, 3, 3); p.drawEllipse(10, 10, 3, 3); p.drawLine(12, 2, 3, 13); p.drawLine(15, 1, 15, 14); break;
    case HtmlTable: p.drawLine(5, 3, 1, 8); p.drawLine(1, 8, 5, 13); p.drawLine(10, 3, 14, 8); p.drawLine(14, 8, 10, 13); break;
    case Recompute: p.drawArc(2, 2, 12, 12, 30 * 16, 300 * 16); p.drawLine(13, 3, 13, 7); p.drawLine(13, 7, 9, 7); break;
    case Help: p.drawArc(4, 2, 8, 7, -90 * 16, 270 * 16); p.drawLine(8, 9, 8, 11); p.drawPoint(8, 14); break;
    case Close: p.drawLine(4, 4, 12, 12); p.drawLine(12, 4, 4, 12); break;
    default: break;
    }
    return QIcon(pixmap);
}

}  // namespace

MatrixRow ToMatrixRow(const TreeRow& row)
{
    MatrixRow m;
    m.id = row.id;
    m.hasParent = row.parentId != 0;
    m.level = std::max(0, row.level - 1);
    m.expanded = row.expanded;
    m.hasChildren = row.hasChildren;
    m.lineAbove = row.hasPrevious;
    m.siblingFollows = row.hasNext;
    const int ancestors = std::min<int>(m.level, int(row.lineFlags.size()));
    m.ancestorLines.reserve(ancestors);
    for (int a = 0; a < ancestors; ++a)
        m.ancestorLines.append(row.lineFlags[size_t(a)] != 0);
    return m;
}

CChartBrowserDlg::CChartBrowserDlg(QWidget* parent, IChartBrowserOwner* owner, int variant)
    : CResizableDlgBase(kTemplateId, parent), m_owner(owner), m_variant(variant)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowFlag(Qt::WindowMinMaxButtonsHint);
    if (variant >= 0 && variant < kVariantCount)
        m_strSection = QString::fromLatin1(kVariants[variant].placement);
    m_grid = new CObjListCtrl(this);
    SetControlId(m_grid, kGridId);
    m_grid->SetOwner(this);
    BuildToolBar();
    resize(640, 420);
}

CChartBrowserDlg::~CChartBrowserDlg()
{
    // The grid asks its owner while it goes; it must not reach this half-gone window.
    m_grid->SetOwner(nullptr);
    SaveSettings();
}

QString CChartBrowserDlg::Section() const
{
    return QStringLiteral("ChartBrowser%1").arg(m_variant);
}

MatrixDisplay CChartBrowserDlg::Display() const
{
    if (m_variant < 0 || m_variant >= kVariantCount)
        return MatrixDisplay::CodesByDocuments;
    return MatrixDisplay(m_variant);
}

int CChartBrowserDlg::HeaderModeShown() const
{
    // The sequence and comparison views have no header buttons: their
    // columns stay narrow, as wide as the stored column width.
    if (m_variant == int(ChartVariant::Sequence) || m_variant == int(ChartVariant::Comparison))
        return 0;
    return std::clamp(m_headerMode, 0, 2);
}

int CChartBrowserDlg::HelpTopic() const
{
    if (m_variant == 0 && m_interCoder)
        return m_documentCounter ? kInterCoderHelpWithCounter : kInterCoderHelp;
    if (m_variant < 0 || m_variant >= kVariantCount)
        return kVariants[0].helpTopic;
    return kVariants[m_variant].helpTopic;
}

void CChartBrowserDlg::BuildToolBar()
{
    m_toolbar = new CommandToolBar(QString(), this);
    m_toolbar->setObjectName(QStringLiteral("ChartToolBar"));
    SetControlId(m_toolbar, kToolBarId);
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const int id : BarOf(m_variant)) {
        if (id == 0) {
            m_toolbar->addSeparator();
            continue;
        }
        auto* action = new QAction(ToolIcon(id), QString(), m_toolbar);
        action->setData(id);
        action->setCheckable(IsCheckable(id));
        connect(action, &QAction::triggered, this, [this, id] { RunCommand(id); });
        m_toolbar->addAction(action);
    }
    // The slider stands after the buttons and takes the rest of the bar.
    m_slider = new QSlider(Qt::Horizontal, m_toolbar);
    SetControlId(m_slider, kSliderId);
    m_slider->setMinimumWidth(60);
    m_slider->setFixedHeight(19);
    m_slider->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_sliderAction = m_toolbar->addWidget(m_slider);
    connect(m_slider, &QSlider::valueChanged, this, &CChartBrowserDlg::SetSliderPosition);

    // Keys reach the window's commands wherever the focus is inside it.
    const auto shortcut = [this](int id, const char* keys) {
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, id] {
            if (QAction* button = m_toolbar->CommandAction(id); button && button->isEnabled())
                RunCommand(id);
        });
        addAction(action);
    };
    shortcut(ExportTable, "Ctrl+E");
    shortcut(HtmlTable, "Ctrl+H");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kGridMargin, 0, kGridMargin, kGridMargin);
    layout->setSpacing(2);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_grid, 1);
}

bool CChartBrowserDlg::OnInitDialog()
{
    // Tooltips: the command's text, then its key.
    for (QAction* action : m_toolbar->actions()) {
        const int id = action->data().toInt();
        if (id <= 0)
            continue;
        QString tip = g_pStringStore->GetString(id, kCommandTextFlag);
        tip.remove(u'&');
        const QString keys = g_pStringStore->GetShortcutText(id);
        if (!keys.isEmpty())
            tip += QStringLiteral("  ") + keys;
        action->setToolTip(tip);
        action->setText(tip);
    }
    QString title = m_variant >= 0 && m_variant < kVariantCount ? LoadString(kVariants[m_variant].titleTextId) : QString();
    if (m_variant == int(ChartVariant::Sequence))
        title += QStringLiteral(":  ") + m_documentName;
    else if (!m_titleSuffix.isEmpty())
        title += m_titleSuffix;
    m_strTitle = title;
    LoadSettings();
    if (m_documentCounterPreset != 0)
        m_documentCounter = m_documentCounterPreset == 1;
    CResizableDlgBase::OnInitDialog();
    if (m_columnIds.size() < 2 && m_cellsPerRow < 2) {
        m_sliderAction->setVisible(false);
    } else {
        const int columns = int(std::max<qsizetype>(m_columnIds.size(), m_cellsPerRow));
        const QSignalBlocker block(m_slider);
        m_slider->setRange(0, columns - 1);
        m_slider->setValue(0);
    }
    LoadGrid();
    UpdateToolBar();
    return true;
}

void CChartBrowserDlg::LoadGrid()
{
    m_data = MatrixData{};
    m_data.columnIds = m_columnIds;
    m_data.rows = m_rows;
    switch (Display()) {
    case MatrixDisplay::CodesByDocuments:
    case MatrixDisplay::CodesByCodes:
        m_data.values = m_documentCounter ? m_tableC : m_tableB;
        break;
    case MatrixDisplay::CodeColours:
        m_data.values = m_tableB;
        break;
    case MatrixDisplay::DocumentStripes:
        m_data.values = m_tableB;
        m_data.rowIds = m_tableA;
        m_data.secondValues = m_tableD;
        break;
    case MatrixDisplay::Numbers:
        m_data.values = m_tableB;
        m_data.secondValues = m_tableD;
        m_data.cellsPerRow = m_cellsPerRow;
        m_data.columnCaptions = m_columnLabels;
        m_data.alternativeValues = m_crosstabDocumentCounter;
        break;
    case MatrixDisplay::Texts:
        m_data.cellsPerRow = m_cellsPerRow;
        m_data.columnCaptions = m_columnLabels;
        m_data.rowLabels = m_rowLabels;
        m_data.cellTexts = m_cellTexts;
        break;
    }
    // The header mode goes first while the grid is empty, so that the
    // captions are asked for once.
    const bool table = Display() == MatrixDisplay::Numbers || Display() == MatrixDisplay::Texts;
    const MatrixHeaderMode header = MatrixHeaderMode(HeaderModeShown());
    if (!table && !m_grid->Model()->Data())
        m_grid->SetHeaderMode(header);
    m_grid->Load(Display(), &m_data);
    if (!table && m_grid->HeaderMode() != header)
        m_grid->SetHeaderMode(header);
    m_grid->SetFixedSize(m_documentCounter);
    m_grid->SetShowNumbers(m_numbers);
    m_grid->SetCircles(m_circles);
    m_grid->SetScaling(MatrixScaling(std::clamp(m_calcMode, 0, 2)));
    m_grid->SetPercentage(MatrixPercentage(std::clamp(m_valueMode, 0, 2)));
    m_grid->horizontalHeader()->resizeSection(0, std::max(m_firstColumnWidth, 1));
    // Colour cells share one width: the first sets it for all.
    if (Display() == MatrixDisplay::CodeColours && m_grid->Model()->columnCount() > 1)
        m_grid->horizontalHeader()->resizeSection(1, m_columnWidth);
    ApplySlider();
}

void CChartBrowserDlg::Redraw()
{
    LoadGrid();
    m_grid->viewport()->update();
    update();
}

int CChartBrowserDlg::VisibleColumns() const
{
    int shown = 0;
    for (int c = 0; c < m_grid->Model()->columnCount(); ++c)
        if (!m_grid->isColumnHidden(c))
            ++shown;
    return shown;
}

void CChartBrowserDlg::ApplySlider()
{
    // The first data columns hide; the label column never does.
    const int columns = m_grid->Model()->columnCount();
    m_grid->setUpdatesEnabled(false);
    for (int c = 1; c < columns; ++c) {
        const bool hide = c <= m_sliderPosition;
        if (m_grid->isColumnHidden(c) != hide)
            m_grid->setColumnHidden(c, hide);
    }
    m_grid->setUpdatesEnabled(true);
}

void CChartBrowserDlg::SetSliderPosition(int position)
{
    const int columns = std::max(0, m_grid->Model()->columnCount() - 1);
    position = std::clamp(position, 0, std::max(0, columns - 1));
    if (m_slider->value() != position) {
        const QSignalBlocker block(m_slider);
        m_slider->setValue(position);
    }
    if (position == m_sliderPosition)
        return;
    m_sliderPosition = position;
    ApplySlider();
}

void CChartBrowserDlg::UpdateToolBar()
{
    if (m_variant == 2 || m_variant == 3) {
        m_toolbar->ShowCommand(ExcelToFolder, false);
        m_toolbar->ShowCommand(ExportTable, false);
    }
    // The table exports and the second outputs are not built yet.
    m_toolbar->EnableCommand(ExcelToFolder, false);
    m_toolbar->EnableCommand(ExportTable, false);
    m_toolbar->EnableCommand(SecondOutput, false);
    if (m_variant == 0 || m_variant == 1) {
        const int header = int(m_grid->HeaderMode());
        m_toolbar->CheckCommand(HeaderNarrow, header == 0);
        m_toolbar->CheckCommand(HeaderCaptions, header == 1);
        m_toolbar->CheckCommand(HeaderFitted, header == 2);
        m_toolbar->CheckCommand(Numbers, m_numbers);
        m_toolbar->CheckCommand(Near, m_near);
        m_toolbar->CheckCommand(Circles, m_circles);
        m_toolbar->CheckCommand(DocumentCounter, m_documentCounter);
    }
    if (m_variant == 0) {
        m_toolbar->CheckCommand(CalcWhole, m_calcMode == 0);
        m_toolbar->CheckCommand(CalcPerColumn, m_calcMode == 1);
        m_toolbar->CheckCommand(CalcPerRow, m_calcMode == 2);
    }
    if (m_variant == 4) {
        m_toolbar->CheckCommand(ValueAbsolute, m_valueMode == 0);
        m_toolbar->CheckCommand(ValueRowPercent, m_valueMode == 1);
        m_toolbar->CheckCommand(ValueColumnPercent, m_valueMode == 2);
        m_toolbar->CheckCommand(CrosstabDocumentCounter, m_crosstabDocumentCounter);
    }
    m_toolbar->update();
}

bool CChartBrowserDlg::RunCommand(int id)
{
    switch (id) {
    case HeaderNarrow:
    case HeaderCaptions:
    case HeaderFitted:
        m_headerMode = id - HeaderNarrow;
        m_grid->SetHeaderMode(MatrixHeaderMode(m_headerMode));
        ApplySlider();
        break;
    case CalcWhole:
    case CalcPerColumn:
    case CalcPerRow:
        m_calcMode = id - CalcWhole;
        m_grid->SetScaling(MatrixScaling(m_calcMode));
        break;
    case Numbers:
        m_numbers = !m_numbers;
        m_grid->SetShowNumbers(m_numbers);
        break;
    case Circles:
        m_circles = !m_circles;
        m_grid->SetCircles(m_circles);
        break;
    case DocumentCounter: {
        m_documentCounter = !m_documentCounter;
        // The grid reads the other table of the same shape: sums and
        // ranges once, rows, columns and widths kept.
        m_data.values = m_documentCounter ? m_tableC : m_tableB;
        m_grid->ValuesChanged();
        m_grid->SetFixedSize(m_documentCounter);
        break;
    }
    case Near:
        m_near = !m_near;
        Send(0);
        break;
    case NearOptions: {
        CCOBrowserOptionsDlg options(this);
        options.m_nearDistance = m_nearDistance;
        if (options.exec() != QDialog::Accepted)
            break;
        const bool changed = options.m_nearDistance != m_nearDistance;
        m_nearDistance = options.m_nearDistance;
        if (changed && m_near)
            Send(0);
        break;
    }
    case CrosstabDocumentCounter:
        m_crosstabDocumentCounter = !m_crosstabDocumentCounter;
        m_data.alternativeValues = m_crosstabDocumentCounter;
        m_grid->viewport()->update();
        break;
    case ValueAbsolute:
    case ValueRowPercent:
    case ValueColumnPercent:
        m_valueMode = id - ValueAbsolute;
        m_grid->SetPercentage(MatrixPercentage(m_valueMode));
        break;
    case HtmlTable:
        if (m_variant == int(ChartVariant::Typology) && m_owner)
            m_owner->ChartExportTable(*this);
        break;
    case Recompute:
        Send(1);
        break;
    case SavePng:
        PromptPicture();
        break;
    case Help:
        ShowHelpTopic(1, HelpTopic());
        break;
    case Close:
        QTimer::singleShot(0, this, &QWidget::close);
        break;
    default:
        return false;
    }
    m_grid->viewport()->update();
    UpdateToolBar();
    return true;
}

void CChartBrowserDlg::Send(qint32 action)
{
    if (!m_owner)
        return;
    if (action == 1) {
        // Posted: the owner may replace this window while rebuilding it.
        IChartBrowserOwner* owner = m_owner;
        const int variant = m_variant;
        QObject* context = parentWidget() ? static_cast<QObject*>(parentWidget()) : qApp;
        QMetaObject::invokeMethod(context, [owner, variant] { owner->ChartRefresh(variant, 1); }, Qt::QueuedConnection);
        return;
    }
    m_owner->ChartRefresh(m_variant, action);
}

void CChartBrowserDlg::PromptPicture()
{
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(SavePng);
    prompt.filter = QStringLiteral("PNG (*.png)");
    QString name = windowTitle() + QStringLiteral(".png");
    SanitizeFileName(name);
    prompt.path = name;
    prompt.defaultSuffix = QStringLiteral("png");
    const QStringList chosen = PromptForFiles(prompt);
    if (chosen.isEmpty())
        return;
    SavePicture(chosen.first());
}

bool CChartBrowserDlg::SavePicture(const QString& path)
{
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const WaitCursor wait;
    if (SaveWindowAsPng(m_grid, path))
        return true;
    ShowMessage(LoadString(207001).arg(path), MessageKind::Error);
    return false;
}

void CChartBrowserDlg::LoadSettings()
{
    if (g_program.ProfilePath.isEmpty())
        return;
    const PrivateProfile profile(g_program.ProfilePath);
    const QString section = Section();
    m_firstColumnWidth = profile.GetInt(section, QStringLiteral("FirstColWidth"), 200);
    m_headerMode = std::clamp(profile.GetInt(section, QStringLiteral("Mode"), 1), 0, 2);
    m_calcMode = std::clamp(profile.GetInt(section, QStringLiteral("CalcMode"), 0), 0, 2);
    m_numbers = profile.GetInt(section, QStringLiteral("Numbers"), 0) != 0;
    m_circles = profile.GetInt(section, QStringLiteral("Circles"), 0) != 0;
    m_documentCounter = (m_variant == 0 || m_variant == 1)
                        && profile.GetInt(section, QStringLiteral("DocCounter"), 0) != 0;
    if (m_variant == int(ChartVariant::Sequence))
        m_columnWidth = std::max(kMinColumnWidth, profile.GetInt(section, QStringLiteral("ColWidth"), 20));
    if (m_variant == int(ChartVariant::Crosstab))
        m_crosstabDocumentCounter = profile.GetInt(section, QStringLiteral("CRTDocCount"), 0) != 0;
}

void CChartBrowserDlg::SaveSettings() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    PrivateProfile profile(g_program.ProfilePath);
    const QString section = Section();
    profile.WriteInt(section, QStringLiteral("FirstColWidth"), m_grid->columnWidth(0));
    profile.WriteInt(section, QStringLiteral("Mode"), int(m_grid->HeaderMode()));
    profile.WriteInt(section, QStringLiteral("CalcMode"), m_calcMode);
    profile.WriteInt(section, QStringLiteral("Numbers"), m_numbers ? 1 : 0);
    profile.WriteInt(section, QStringLiteral("Circles"), m_circles ? 1 : 0);
    profile.WriteInt(section, QStringLiteral("DocCounter"), m_documentCounter ? 1 : 0);
    if (m_variant == int(ChartVariant::CodeRelations)) {
        profile.WriteInt(section, QStringLiteral("Near"), m_near ? 1 : 0);
        profile.WriteInt(section, QStringLiteral("NearDistance"), m_nearDistance);
    }
    if (m_variant == int(ChartVariant::Sequence)) {
        const int width = m_grid->Model()->columnCount() > 1 ? m_grid->horizontalHeader()->sectionSize(1) : m_columnWidth;
        profile.WriteInt(section, QStringLiteral("ColWidth"), std::max(kMinColumnWidth, width));
    }
    if (m_variant == int(ChartVariant::Crosstab))
        profile.WriteInt(section, QStringLiteral("CRTDocCount"), m_crosstabDocumentCounter ? 1 : 0);
}

void CChartBrowserDlg::done(int result)
{
    SaveSettings();
    CResizableDlgBase::done(result);
    deleteLater();
}

void CChartBrowserDlg::closeEvent(QCloseEvent* event)
{
    SaveSettings();
    CResizableDlgBase::closeEvent(event);
}

void CChartBrowserDlg::OnItemInfo(ListNotifyInfo& info)
{
    if (!m_owner)
        return;
    info.sender = this;
    m_owner->ChartRequest(info);
}

void CChartBrowserDlg::OnFollowItem(IdListNotifyInfo& info)
{
    if (!m_owner)
        return;
    info.sender = this;
    m_owner->ChartRequest(info);
}

void CChartBrowserDlg::OnMatrixDoubleClick(MatrixDoubleClick kind, qint32 first, qint32 second)
{
    if (m_owner)
        m_owner->ChartDoubleClick(*this, kind, first, second);
}
