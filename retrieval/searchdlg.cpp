#include "retrieval/searchdlg.h"

#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/codepage/codepage.h"
#include "platform/profile/privateprofile.h"
#include "ui/treeimages.h"
#include "ui/windowplacement.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSaveFile>
#include <QScreen>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <QtEndian>

#include <algorithm>

namespace {

const QString kSearchSection = QStringLiteral("LookFor");
const QString kExtendedSection = QStringLiteral("SearchExt");
const QString kPlacementKey = QStringLiteral("WindowPos");
const QString kDefaultPathKey = QStringLiteral("DefaultPath");
constexpr int kWindowIcon = 4;
constexpr int kMaxDistance = 10000;
// Far more than any list of terms needs: a bigger file is no settings file.
constexpr qint64 kMaxSearchFileBytes = 1 << 20;

/// A term as it may be typed: no "|", which separates the terms in the
/// settings text and could not be read back.
QValidator* MakeTermValidator(QObject* parent)
{
    return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[^|]*")), parent);
}

/// The in-place editor of the term list: at most 63 characters, no "|";
/// the text is taken trimmed, and only when it is not empty and no other
/// item has it.
class TermDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setMaxLength(kMaxSearchTermLength);
            line->setValidator(MakeTermValidator(line));
        }
        return editor;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line)
            return;
        const QString text = line->text().trimmed();
        if (text.isEmpty())
            return;
        for (int row = 0; row < model->rowCount(); ++row)
            if (row != index.row() && model->index(row, 0).data().toString() == text)
                return;
        model->setData(index, text, Qt::EditRole);
    }
};

/// A distance box that never reads less than 1 once it loses the focus.
class DistanceBox : public QSpinBox {
public:
    explicit DistanceBox(QWidget* parent) : QSpinBox(parent)
    {
        setRange(1, kMaxDistance);
        setAccelerated(true);
    }

protected:
    void fixup(QString& input) const override
    {
        bool ok = false;
        const int value = input.trimmed().toInt(&ok);
        if (!ok || value < 1)
            input = QStringLiteral("1");
        else if (value > kMaxDistance)
            input = QString::number(kMaxDistance);
    }
};

QPushButton* MakeButton(QWidget* parent, int id, int textId, const char* fallback, QStyle::StandardPixmap icon)
{
    auto* button = new QPushButton(TextKey(textId, fallback), parent);
    SetControlId(button, id);
    button->setIcon(parent->style()->standardIcon(icon));
    // Enter is the dialog's: it moves on, and only OK and Cancel act on it.
    button->setAutoDefault(false);
    return button;
}

template <typename Control>
Control* MakeChoice(QWidget* parent, int id, int textId, const char* fallback)
{
    auto* control = new Control(TextKey(textId, fallback), parent);
    SetControlId(control, id);
    return control;
}

/// The prompt of the save and load buttons, starting in the folder.
QString PromptForSearchFile(FilePromptKind kind, int titleId, const QString& folder)
{
    FilePrompt prompt;
    prompt.kind = kind;
    prompt.title = LoadString(titleId);
    prompt.filter = LoadString(SearchDlgText::FileFilter) + QStringLiteral(" (*.sea)");
    prompt.path = folder;
    prompt.defaultSuffix = QStringLiteral("sea");
    return PromptForFiles(prompt).value(0);
}

}  // namespace

bool ReadSearchFile(const QString& path, CSearchOptions& options, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxSearchFileBytes) {
        if (error)
            *error = LoadString(SearchDlgText::TooLarge);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QString text = codepage::DecodeTextFile(bytes);
    // Writers that ended the text with a zero unit.
    while (text.endsWith(QChar(u'\0')))
        text.chop(1);
    CSearchOptions read;
    read.Parse(text);
    options = read;
    return true;
}

bool WriteSearchFile(const QString& path, const CSearchOptions& options, QString* error)
{
    const QString text = options.Format();
    QByteArray bytes("\xFF\xFE", 2);
    bytes.resize(2 + text.size() * 2);
    qToLittleEndian<quint16>(text.utf16(), text.size(), bytes.data() + 2);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

QString LastSearchFilePath(bool extended)
{
    if (g_program.SettingsFolder.isEmpty())
        return QString();
    return g_program.SettingsFolder + (extended ? QStringLiteral("LastExt.sea") : QStringLiteral("Last.sea"));
}

// ---- CSearchDlgBase --------------------------------------------------------

CSearchDlgBase::CSearchDlgBase(int templateId, bool extended, QWidget* parent)
    : CResizableDlgBase(templateId, parent), m_extended(extended)
{
    setModal(true);
    const QString last = LastSearchFilePath(extended);
    // A missing or unreadable file leaves the defaults, without a word.
    if (!last.isEmpty())
        ReadSearchFile(last, m_options);
}

QString CSearchDlgBase::ProfileSection() const
{
    return m_extended ? kExtendedSection : kSearchSection;
}

void CSearchDlgBase::MakeCommonControls(int withinTextId, int unitTextId, int withinId, int unitId)
{
    using namespace SearchDlgIds;
    m_documents = MakeChoice<QRadioButton>(this, Documents, SearchDlgText::Documents, "In documents");
    m_memos = MakeChoice<QRadioButton>(this, Memos, SearchDlgText::Memos, "In memos");
    auto* where = new QButtonGroup(this);
    where->addButton(m_documents);
    where->addButton(m_memos);
    m_withinDistance = MakeChoice<QCheckBox>(this, withinId, withinTextId, "Within a distance of");
    m_distance = new DistanceBox(this);
    SetControlId(m_distance, Distance);
    m_distanceUnit = new QLabel(TextKey(unitTextId, "paragraphs"), this);
    SetControlId(m_distanceUnit, unitId);
    m_wholeWords = MakeChoice<QCheckBox>(this, WholeWords, SearchDlgText::WholeWords, "Whole words only");
    m_matchCase = MakeChoice<QCheckBox>(this, MatchCase, SearchDlgText::MatchCase, "Match case");
    m_onlyActivated = MakeChoice<QCheckBox>(this, OnlyActivated, SearchDlgText::OnlyActivated, "Only in activated documents");
    m_onlyRetrieved = MakeChoice<QCheckBox>(this, OnlyRetrieved, SearchDlgText::OnlyRetrieved, "Only in the retrieved segments");
    m_ok = MakeButton(this, Ok, SearchDlgText::Ok, "Search", QStyle::SP_DialogOkButton);
    m_cancel = MakeButton(this, Cancel, SearchDlgText::Cancel, "Cancel", QStyle::SP_DialogCancelButton);
    m_help = MakeIconButton(this, Help, QStyle::SP_DialogHelpButton, SearchDlgText::HelpTooltip);
    const int topic = m_extended ? ExtendedHelpTopic : SearchHelpTopic;
    connect(m_help, &QAbstractButton::clicked, this, [topic] { ShowHelpTopic(int(HelpKind::Program), topic); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    connect(m_memos, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    connect(m_withinDistance, &QCheckBox::toggled, this, [this] { UpdateEnabling(); });
    connect(m_onlyActivated, &QCheckBox::toggled, this, [this] {
        // The second restriction needs the first: switching it starts over.
        m_onlyRetrieved->setChecked(false);
        UpdateEnabling();
    });
    connect(m_distance, &QSpinBox::editingFinished, this, &CSearchDlgBase::FixDistance);

    const QIcon icon(TreeImages::NodeImages().value(kWindowIcon));
    if (!icon.isNull())
        setWindowIcon(icon);
}

void CSearchDlgBase::LayOutCommonControls(QGridLayout* layout, int row, const QList<QWidget*>& afterWhere)
{
    // Rows of controls side by side, across both columns.
    const auto addRow = [layout, &row](const QList<QWidget*>& controls) {
        auto* line = new QHBoxLayout;
        for (QWidget* control : controls)
            line->addWidget(control);
        line->addStretch(1);
        layout->addLayout(line, row++, 0, 1, 2);
    };
    addRow({m_documents, m_memos});
    if (!afterWhere.isEmpty())
        addRow(afterWhere);
    addRow({m_withinDistance, m_distance, m_distanceUnit});
    for (QWidget* control : {m_wholeWords, m_matchCase, m_onlyActivated, m_onlyRetrieved})
        addRow({control});
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_help);
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons, row, 0, 1, 2);
}

void CSearchDlgBase::FillCommonControls()
{
    m_memos->setChecked(m_options.searchMemos);
    m_documents->setChecked(!m_options.searchMemos);
    m_withinDistance->setChecked(m_options.withinDistance);
    m_distance->setValue(std::clamp(m_options.distance, 1, kMaxDistance));
    m_wholeWords->setChecked(m_options.wholeWords);
    m_matchCase->setChecked(m_options.matchCase);
    {
        // Filling sets both restrictions as the record has them.
        const QSignalBlocker blocker(m_onlyActivated);
        m_onlyActivated->setChecked(m_options.onlyActivated);
    }
    m_onlyRetrieved->setChecked(m_options.onlyRetrieved);
}

void CSearchDlgBase::ReadCommonControls(CSearchOptions& options) const
{
    options.searchMemos = m_memos->isChecked();
    options.withinDistance = m_withinDistance->isChecked();
    options.distance = std::max(m_distance->value(), 1);
    options.wholeWords = m_wholeWords->isChecked();
    options.matchCase = m_matchCase->isChecked();
    options.onlyActivated = m_onlyActivated->isChecked();
    options.onlyRetrieved = m_onlyRetrieved->isChecked();
}

void CSearchDlgBase::FixDistance()
{
    if (m_distance->value() < 1)
        m_distance->setValue(1);
}

bool CSearchDlgBase::OnInitDialog()
{
    CResizableDlgBase::OnInitDialog();
    adjustSize();
    RestoreSearchPlacement();
    return true;
}

void CSearchDlgBase::RestoreSearchPlacement()
{
    if (g_program.ProfilePath.isEmpty())
        return;
    WindowPlacement placement;
    // Only a placement of all ten numbers is applied.
    if (!WindowPlacement::Read(PrivateProfile(g_program.ProfilePath).GetString(ProfileSection(), kPlacementKey),
                               placement))
        return;
    QRect rect = placement.normal;
    const QScreen* screen = QGuiApplication::screenAt(rect.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        rect = WindowPlacement::FitToScreen(rect, screen->availableGeometry());
    setGeometry(rect);
}

void CSearchDlgBase::SaveSearchPlacement() const
{
    if (g_program.ProfilePath.isEmpty())
        return;
    WindowPlacement placement;
    placement.showCommand = WindowPlacement::Normal;
    placement.normal = geometry();
    PrivateProfile(g_program.ProfilePath).WriteString(ProfileSection(), kPlacementKey, placement.ToText());
}

void CSearchDlgBase::done(int result)
{
    FixDistance();
    CSearchOptions options = m_options;
    ReadControls(options);
    m_options = options;
    if (isVisible())
        SaveSearchPlacement();
    // Kept for the next opening whichever way the dialog ends; a file that
    // cannot be written costs only that.
    const QString last = LastSearchFilePath(m_extended);
    if (!last.isEmpty())
        WriteSearchFile(last, m_options);
    KeepProfileSettings();
    CResizableDlgBase::done(result);
}

void CSearchDlgBase::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        QWidget* focus = focusWidget();
        if (focus == m_ok || focus == m_cancel)
            static_cast<QPushButton*>(focus)->click();
        else
            focusNextChild();
        event->accept();
        return;
    }
    CResizableDlgBase::keyPressEvent(event);
}

// ---- CSearchDlg ------------------------------------------------------------

CSearchDlg::CSearchDlg(QWidget* parent) : CSearchDlgBase(SearchDlgIds::SearchTemplate, false, parent)
{
    using namespace SearchDlgIds;
    setWindowTitle(TextKey(SearchDlgText::SearchTitle, "Text search"));
    auto* termsLabel = new QLabel(TextKey(SearchDlgText::TermsLabel, "Search terms:"), this);
    SetControlId(termsLabel, TermsLabel);
    m_terms = new QListWidget(this);
    SetControlId(m_terms, SearchDlgIds::TermList);
    m_terms->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_terms->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_terms->setItemDelegate(new TermDelegate(m_terms));
    m_terms->installEventFilter(this);
    termsLabel->setBuddy(m_terms);
    m_add = MakeButton(this, Add, SearchDlgText::Add, "&Add", QStyle::SP_FileDialogNewFolder);
    m_delete = MakeButton(this, Delete, SearchDlgText::Delete, "&Delete", QStyle::SP_TrashIcon);
    m_load = MakeButton(this, Load, SearchDlgText::Load, "&Load...", QStyle::SP_DialogOpenButton);
    m_save = MakeButton(this, Save, SearchDlgText::Save, "&Save...", QStyle::SP_DialogSaveButton);
    m_anyTerm = MakeChoice<QRadioButton>(this, AnyTerm, SearchDlgText::AnyTerm, "Any term (OR)");
    m_allTerms = MakeChoice<QRadioButton>(this, AllTerms, SearchDlgText::AllTerms, "All terms (AND)");
    auto* howMany = new QButtonGroup(this);
    howMany->addButton(m_anyTerm);
    howMany->addButton(m_allTerms);
    MakeCommonControls(SearchDlgText::WithinDistance, SearchDlgText::DistanceUnit, WithinDistance, DistanceUnit);

    auto* layout = new QGridLayout(this);
    layout->addWidget(termsLabel, 0, 0, 1, 2);
    layout->addWidget(m_terms, 1, 0, 5, 1);
    layout->addWidget(m_add, 1, 1);
    layout->addWidget(m_delete, 2, 1);
    layout->addWidget(m_load, 3, 1);
    layout->addWidget(m_save, 4, 1);
    layout->setRowStretch(5, 1);
    LayOutCommonControls(layout, 6, {m_anyTerm, m_allTerms});

    connect(m_add, &QPushButton::clicked, this, &CSearchDlg::AddTerm);
    connect(m_delete, &QPushButton::clicked, this, &CSearchDlg::DeleteSelectedTerms);
    connect(m_load, &QPushButton::clicked, this, &CSearchDlg::LoadSettings);
    connect(m_save, &QPushButton::clicked, this, &CSearchDlg::SaveSettings);
    connect(m_allTerms, &QRadioButton::toggled, this, [this] { UpdateEnabling(); });
    connect(m_terms->model(), &QAbstractItemModel::rowsInserted, this, [this] { UpdateEnabling(); });
    connect(m_terms->model(), &QAbstractItemModel::rowsRemoved, this, [this] { UpdateEnabling(); });

    if (!g_program.ProfilePath.isEmpty())
        m_defaultPath = PrivateProfile(g_program.ProfilePath).GetString(kSearchSection, kDefaultPathKey);
    FillControls();
}

void CSearchDlg::FillControls()
{
    m_terms->clear();
    for (const QString& term : std::as_const(m_options.terms)) {
        auto* item = new QListWidgetItem(term, m_terms);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
    }
    m_allTerms->setChecked(m_options.allTerms);
    m_anyTerm->setChecked(!m_options.allTerms);
    FillCommonControls();
    UpdateEnabling();
}

void CSearchDlg::ReadControls(CSearchOptions& options) const
{
    options.terms.clear();
    for (int row = 0; row < m_terms->count(); ++row)
        options.terms.append(m_terms->item(row)->text());
    options.allTerms = m_allTerms->isChecked();
    ReadCommonControls(options);
}

void CSearchDlg::UpdateEnabling()
{
    const int count = m_terms->count();
    const bool any = count > 0;
    const bool several = count > 1;
    const bool documents = !m_memos->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{m_ok, m_save, m_wholeWords, m_matchCase, m_documents, m_memos})
        control->setEnabled(any);
    m_onlyActivated->setEnabled(any && documents);
    m_anyTerm->setEnabled(several);
    m_allTerms->setEnabled(several);
    m_withinDistance->setEnabled(several && m_allTerms->isChecked());
    const bool distance = m_withinDistance->isEnabled() && m_withinDistance->isChecked();
    m_distance->setEnabled(distance);
    m_distanceUnit->setEnabled(distance);
    m_onlyRetrieved->setEnabled(any && documents && m_onlyActivated->isChecked());
    m_delete->setEnabled(any);
}

void CSearchDlg::AddTerm()
{
    const QString name = LoadString(SearchDlgText::NewTerm);
    const auto taken = [this](const QString& text) {
        for (int row = 0; row < m_terms->count(); ++row)
            if (m_terms->item(row)->text() == text)
                return true;
        return false;
    };
    int number = m_terms->count() + 1;
    while (taken(QStringLiteral("%1 %2").arg(name).arg(number)))
        ++number;
    auto* item = new QListWidgetItem(QStringLiteral("%1 %2").arg(name).arg(number));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_terms->addItem(item);
    m_terms->setCurrentItem(item);
    m_terms->setFocus();
    m_terms->editItem(item);
}

void CSearchDlg::DeleteSelectedTerms()
{
    const QList<QListWidgetItem*> selected = m_terms->selectedItems();
    for (QListWidgetItem* item : selected)
        delete m_terms->takeItem(m_terms->row(item));
    UpdateEnabling();
}

bool CSearchDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_terms && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelectedTerms();
        return true;
    }
    return CSearchDlgBase::eventFilter(watched, event);
}

void CSearchDlg::SaveSettings()
{
    const QString path = PromptForSearchFile(FilePromptKind::SaveFile, SearchDlgText::SaveTitle, m_defaultPath);
    if (path.isEmpty())
        return;
    FixDistance();
    CSearchOptions options = m_options;
    ReadControls(options);
    QString error;
    if (!WriteSearchFile(path, options, &error)) {
        ShowMessage(LoadString(SearchDlgText::NotWritten).arg(path, error), MessageKind::Warning);
        return;
    }
    m_options = options;
    m_defaultPath = QFileInfo(path).absolutePath() + u'/';
}

void CSearchDlg::LoadSettings()
{
    const QString path = PromptForSearchFile(FilePromptKind::OpenFile, SearchDlgText::LoadTitle, m_defaultPath);
    if (path.isEmpty())
        return;
    CSearchOptions options;
    QString error;
    if (!ReadSearchFile(path, options, &error)) {
        ShowMessage(LoadString(SearchDlgText::NotRead).arg(path, error), MessageKind::Warning);
        return;
    }
    m_options = options;
    m_defaultPath = QFileInfo(path).absolutePath() + u'/';
    FillControls();
}

void CSearchDlg::KeepProfileSettings() const
{
    if (!g_program.ProfilePath.isEmpty())
        PrivateProfile(g_program.ProfilePath).WriteString(kSearchSection, kDefaultPathKey, m_defaultPath);
}

// ---- CSearchExtDlg ---------------------------------------------------------

CSearchExtDlg::CSearchExtDlg(QWidget* parent) : CSearchDlgBase(SearchDlgIds::ExtendedTemplate, true, parent)
{
    using namespace SearchDlgIds;
    setWindowTitle(TextKey(SearchDlgText::ExtendedTitle, "Extended text search"));
    auto* termsLabel = new QLabel(TextKey(SearchDlgText::TermsLabel, "Search terms:"), this);
    SetControlId(termsLabel, ExtendedTermsLabel);
    auto* layout = new QGridLayout(this);
    layout->addWidget(termsLabel, 0, 0, 1, 2);
    for (int k = 0; k < kTermCount; ++k) {
        if (k > 0) {
            auto* operators = new QComboBox(this);
            SetControlId(operators, OperatorLists[k - 1]);
            m_operators.append(operators);
            layout->addWidget(operators, k + 1, 0);
        }
        auto* box = new QLineEdit(this);
        SetControlId(box, TermBoxes[k]);
        box->setMaxLength(kMaxSearchTermLength);
        box->setValidator(MakeTermValidator(box));
        m_termBoxes.append(box);
        layout->addWidget(box, k + 1, 1);
        connect(box, &QLineEdit::textChanged, this, [this] { UpdateEnabling(); });
    }
    termsLabel->setBuddy(m_termBoxes.first());
    layout->setColumnStretch(1, 1);
    MakeCommonControls(SearchDlgText::ExtendedWithinDistance, SearchDlgText::ExtendedDistanceUnit,
                       ExtendedWithinDistance, ExtendedDistanceUnit);
    LayOutCommonControls(layout, kTermCount + 1, {});
    FillControls();
}

void CSearchExtDlg::FillControls()
{
    for (int k = 0; k < kTermCount; ++k)
        m_termBoxes[k]->setText(m_options.terms.value(k));
    for (int k = 0; k < m_operators.size(); ++k) {
        QComboBox* list = m_operators[k];
        list->clear();
        for (int op = 0; op < 3; ++op) {
            QString text = TextKey(SearchDlgText::FirstOperator + op, op == 0 ? "or" : op == 1 ? "and" : "and not");
            TranslateKey(text);
            list->addItem(text, op);
        }
        const int stored = k < m_options.operators.size() ? int(quint8(m_options.operators[k])) : 0;
        list->setCurrentIndex(stored == 1 || stored == 2 ? stored : 0);
    }
    FillCommonControls();
    UpdateEnabling();
}

void CSearchExtDlg::ReadControls(CSearchOptions& options) const
{
    options.terms.clear();
    for (const QLineEdit* box : m_termBoxes) {
        const QString term = box->text().trimmed();
        if (term.isEmpty())
            break;
        options.terms.append(term);
    }
    options.operators.clear();
    for (const QComboBox* list : m_operators)
        options.operators.append(char(quint8(list->currentData().toInt())));
    ReadCommonControls(options);
}

void CSearchExtDlg::UpdateEnabling()
{
    const bool documents = !m_memos->isChecked();
    const bool distance = m_withinDistance->isChecked();
    m_distance->setEnabled(distance);
    m_distanceUnit->setEnabled(distance);
    m_onlyActivated->setEnabled(documents);
    m_onlyRetrieved->setEnabled(documents && m_onlyActivated->isChecked());
    // Without a first term there is nothing to search for.
    m_ok->setEnabled(!m_termBoxes.first()->text().trimmed().isEmpty());
}
