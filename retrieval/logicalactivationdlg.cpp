#include "retrieval/logicalactivationdlg.h"

#include "document/listnotifyinfo.h"
#include "document/requestowner.h"
#include "foundation/filehelpers.h"
#include "foundation/help.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"
#include "platform/profile/privateprofile.h"
#include "retrieval/conditionrows.h"
#include "retrieval/typologytabledlg.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

namespace Control {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Load = 3;
constexpr int Save = 4;
constexpr int Help = 9;
constexpr int Delete = 558;
constexpr int Value = 1019;
constexpr int List = 1032;
constexpr int Or = 1089;
constexpr int And = 1090;
constexpr int Equal = 1091;
constexpr int Add = 1093;
constexpr int NotEqual = 1094;
constexpr int Less = 1095;
constexpr int Greater = 1096;
constexpr int DeleteAll = 1097;
constexpr int OperatorLabel = 1225;
constexpr int ValueLabel = 1226;
constexpr int LinkGroup = 1224;
constexpr int OperatorGroup = 1228;
constexpr int ValueGroup = 1230;
constexpr int Describe = 1260;
}  // namespace Control

namespace Text {
constexpr int Title = 100409;
constexpr int Add = 100410;
constexpr int Delete = 100411;
constexpr int DeleteAll = 100412;
constexpr int Or = 100413;
constexpr int And = 100414;
constexpr int Ok = 100415;
constexpr int Cancel = 100416;
constexpr int OperatorLabel = 100417;
constexpr int ValueLabel = 100418;
constexpr int Load = 100419;
constexpr int Save = 100420;
constexpr int Describe = 102122;
constexpr int CrosstabTitle = 666;
constexpr int QuoteMatrixTitle = 102232;
constexpr int TypologyTitle = 102236;
constexpr int Close = 57345;
constexpr int CloseCancel = 57346;
constexpr int LinkOr = 57750;
constexpr int LinkAnd = 57751;
constexpr int SaveTitle = 57752;
constexpr int LoadTitle = 57753;
constexpr int FileFilter = 57755;
constexpr int AskDeleteAll = 102201;
constexpr int HelpTip = 102059;
}  // namespace Text

constexpr int kHelpKind = 1;

const QString kDataKey = QStringLiteral("Data");
const QString kPathKey = QStringLiteral("DefaultPath");

/// Refuses "~", which would end a record of the text form.
class ConditionValueValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override
    {
        return conditions::IsValueAcceptable(input) ? Acceptable : Invalid;
    }
};

QPushButton* Button(QWidget* parent, int id, int textId)
{
    auto* button = new QPushButton(TextKey(textId), parent);
    SetControlId(button, id);
    button->setAutoDefault(false);
    return button;
}

QRadioButton* Radio(QWidget* parent, int id, const QString& text)
{
    auto* radio = new QRadioButton(text, parent);
    SetControlId(radio, id);
    return radio;
}

}  // namespace

CLogicalActivationDlg::CLogicalActivationDlg(QWidget* parent, RequestOwner* owner, const QList<qint32>& fieldIds,
                                             const QList<QPixmap>& images)
    : CResizableDlgBase(kTemplateId, parent), m_owner(owner), m_fieldIds(fieldIds), m_images(images)
{
    setObjectName(QStringLiteral("CLogicalActivationDlg"));
    setWindowTitle(TextKey(Text::Title));
    m_list = new QListWidget(this);
    SetControlId(m_list, Control::List);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->installEventFilter(this);
    m_add = Button(this, Control::Add, Text::Add);
    m_delete = Button(this, Control::Delete, Text::Delete);
    m_deleteAll = Button(this, Control::DeleteAll, Text::DeleteAll);

    auto* linkGroup = new QGroupBox(this);
    SetControlId(linkGroup, Control::LinkGroup);
    m_or = Radio(linkGroup, Control::Or, TextKey(Text::Or));
    m_and = Radio(linkGroup, Control::And, TextKey(Text::And));
    auto* linkLayout = new QHBoxLayout(linkGroup);
    linkLayout->addWidget(m_or);
    linkLayout->addWidget(m_and);
    linkLayout->addStretch(1);

    auto* operatorGroup = new QGroupBox(this);
    SetControlId(operatorGroup, Control::OperatorGroup);
    auto* operatorLayout = new QHBoxLayout(operatorGroup);
    auto* operatorLabel = new QLabel(TextKey(Text::OperatorLabel), operatorGroup);
    SetControlId(operatorLabel, Control::OperatorLabel);
    operatorLayout->addWidget(operatorLabel);
    const int operatorIds[] = {Control::Equal, Control::NotEqual, Control::Less, Control::Greater};
    for (int i = 0; i < 4; ++i) {
        m_operators.append(Radio(operatorGroup, operatorIds[i], conditions::OperatorText(i)));
        operatorLayout->addWidget(m_operators.last());
    }
    operatorLayout->addStretch(1);

    auto* valueGroup = new QGroupBox(this);
    SetControlId(valueGroup, Control::ValueGroup);
    auto* valueLayout = new QHBoxLayout(valueGroup);
    auto* valueLabel = new QLabel(TextKey(Text::ValueLabel), valueGroup);
    SetControlId(valueLabel, Control::ValueLabel);
    m_value = new QComboBox(valueGroup);
    SetControlId(m_value, Control::Value);
    m_value->setEditable(true);
    m_value->setInsertPolicy(QComboBox::NoInsert);
    m_value->lineEdit()->setMaxLength(int(conditions::kFieldUnits));
    m_value->lineEdit()->setValidator(new ConditionValueValidator(m_value));
    valueLayout->addWidget(valueLabel);
    valueLayout->addWidget(m_value, 1);

    m_load = Button(this, Control::Load, Text::Load);
    m_save = Button(this, Control::Save, Text::Save);
    m_describe = new QCheckBox(TextKey(Text::Describe), this);
    SetControlId(m_describe, Control::Describe);
    m_ok = Button(this, Control::Ok, Text::Ok);
    m_ok->setDefault(true);
    m_cancel = Button(this, Control::Cancel, Text::Cancel);
    QPushButton* help = MakeIconButton(this, Control::Help, QStyle::SP_DialogHelpButton, Text::HelpTip);

    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(m_add);
    listButtons->addWidget(m_delete);
    listButtons->addWidget(m_deleteAll);
    listButtons->addStretch(1);
    listButtons->addWidget(m_load);
    listButtons->addWidget(m_save);
    auto* top = new QHBoxLayout;
    top->addWidget(m_list, 1);
    top->addLayout(listButtons);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(help);
    bottom->addWidget(m_describe);
    bottom->addStretch(1);
    bottom->addWidget(m_ok);
    bottom->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(linkGroup);
    layout->addWidget(operatorGroup);
    layout->addWidget(valueGroup);
    layout->addLayout(bottom);

    connect(m_add, &QPushButton::clicked, this, &CLogicalActivationDlg::OnAdd);
    connect(m_delete, &QPushButton::clicked, this, &CLogicalActivationDlg::OnDelete);
    connect(m_deleteAll, &QPushButton::clicked, this, &CLogicalActivationDlg::OnDeleteAll);
    connect(m_load, &QPushButton::clicked, this, &CLogicalActivationDlg::OnLoad);
    connect(m_save, &QPushButton::clicked, this, &CLogicalActivationDlg::OnSave);
    connect(help, &QPushButton::clicked, this, &CLogicalActivationDlg::OnHelp);
    connect(m_ok, &QPushButton::clicked, this, &CLogicalActivationDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CLogicalActivationDlg::reject);
    for (QRadioButton* radio : {m_or, m_and})
        connect(radio, &QRadioButton::clicked, this, &CLogicalActivationDlg::UpdateRowFromControls);
    for (QRadioButton* radio : std::as_const(m_operators))
        connect(radio, &QRadioButton::clicked, this, &CLogicalActivationDlg::UpdateRowFromControls);
    connect(m_value, &QComboBox::editTextChanged, this, &CLogicalActivationDlg::UpdateRowFromControls);
    connect(m_value, &QComboBox::activated, this,
            [this] { QCoreApplication::postEvent(this, new QEvent(QEvent::Type(kValueChosenEvent))); });
    connect(m_list, &QListWidget::currentRowChanged, this, [this] {
        UpdateControlsFromRow();
        UpdateButtons();
    });
    resize(460, 420);
}

QString CLogicalActivationDlg::Section() const
{
    switch (m_mode) {
    case 1:
    case 2: return QStringLiteral("dlgCrossTabsCond");
    case 3: return QStringLiteral("dlgTypologyTabCond");
    default:
        return m_topic == 8 ? QStringLiteral("dlgLogActivationCodes") : QStringLiteral("dlgLogActivation");
    }
}

bool CLogicalActivationDlg::OnInitDialog()
{
    m_strSection = Section();
    CResizableDlgBase::OnInitDialog();
    int icon = 23;
    int title = 0;
    switch (m_mode) {
    case 1: title = Text::CrosstabTitle; break;
    case 2: title = Text::QuoteMatrixTitle; break;
    case 3: title = Text::TypologyTitle; break;
    default: icon = m_topic == 8 ? 27 : 5; break;
    }
    if (title)
        setWindowTitle(LoadString(title));
    if (icon < m_images.size())
        setWindowIcon(QIcon(m_images.at(icon)));
    if (m_mode != 0) {
        m_ok->setText(LoadString(Text::Close));
        m_cancel->setText(LoadString(Text::CloseCancel));
    }
    m_list->setFont(QApplication::font());

    // The offered variables by name, ignoring case; unknown ones go.
    QList<std::pair<QString, qint32>> named;
    for (const qint32 id : std::as_const(m_fieldIds)) {
        bool found = false;
        const QString name = FieldName(id, &found);
        if (found)
            named.append({name, id});
    }
    std::stable_sort(named.begin(), named.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    m_fieldIds.clear();
    for (const auto& entry : std::as_const(named))
        m_fieldIds.append(entry.second);

    const PrivateProfile profile(g_program.ProfilePath);
    LoadRowText(profile.GetString(m_strSection, kDataKey));
    m_defaultFolder = profile.GetString(m_strSection, kPathKey);

    m_or->setChecked(true);
    m_operators.first()->setChecked(true);
    const bool links = m_mode == 0;
    m_or->parentWidget()->setVisible(links);
    // The set the description would name is not made: the box stays off.
    m_describe->setChecked(false);
    m_describe->setEnabled(false);
    m_describe->setVisible(m_mode == 0);
    UpdateControlsFromRow();
    UpdateButtons();
    return true;
}

QString CLogicalActivationDlg::FieldName(qint32 fieldId, bool* found, qint32* type) const
{
    FieldDescriptorNotifyInfo info;
    info.topic = m_topic;
    info.fieldId = fieldId;
    SendRequest(m_owner, const_cast<CLogicalActivationDlg*>(this), 0, info);
    if (found)
        *found = info.found;
    if (type)
        *type = info.found ? info.field.Type : 0;
    return info.found ? info.field.Name : QString();
}

QStringList CLogicalActivationDlg::DistinctValues(qint32 fieldId) const
{
    DistinctValuesNotifyInfo info;
    info.topic = m_topic;
    info.fieldId = fieldId;
    SendRequest(m_owner, const_cast<CLogicalActivationDlg*>(this), 0, info);
    return info.result ? info.values : QStringList();
}

bool CLogicalActivationDlg::AddRow(const ActivationCondition& given)
{
    bool found = false;
    const QString name = FieldName(given.fieldId, &found);
    if (!found)
        return false;
    ActivationCondition row = given;
    row.fieldName = name;
    row.value = row.value.left(conditions::kFieldUnits);
    m_rows.append(row);
    auto* item = new QListWidgetItem(m_list);
    Q_UNUSED(item);
    RenderRow(int(m_rows.size() - 1));
    if (!m_suppressUpdates) {
        m_list->setCurrentRow(int(m_rows.size() - 1));
        m_list->scrollToItem(m_list->currentItem());
        UpdateControlsFromRow();
        UpdateButtons();
        m_value->setFocus();
    }
    return true;
}

void CLogicalActivationDlg::RenderRow(int index)
{
    if (index < 0 || index >= m_rows.size() || index >= m_list->count())
        return;
    const ActivationCondition& row = m_rows.at(index);
    QString link;
    if (m_mode == 0 && index > 0)
        link = LoadString(row.link == 0 ? Text::LinkOr : Text::LinkAnd);
    m_list->item(index)->setText(conditions::RowText(row, FieldName(row.fieldId), link));
}

int CLogicalActivationDlg::SelectedRow() const
{
    const int row = m_list->currentRow();
    return row >= 0 && row < m_rows.size() ? row : -1;
}

void CLogicalActivationDlg::UpdateRowFromControls()
{
    if (m_settingControls)
        return;
    const int index = SelectedRow();
    if (index < 0)
        return;
    ActivationCondition& row = m_rows[index];
    row.link = m_or->isChecked() ? 0 : 1;
    for (int i = 0; i < m_operators.size(); ++i)
        if (m_operators.at(i)->isChecked()) {
            row.comparison = i;
            break;
        }
    qint32 type = 0;
    FieldName(row.fieldId, nullptr, &type);
    const QString typed = m_value->currentText();
    if (conditions::IsValueAcceptable(typed))
        row.value = conditions::NormaliseValue(type, typed);
    RenderRow(index);
}

void CLogicalActivationDlg::UpdateControlsFromRow()
{
    if (m_suppressUpdates)
        return;
    m_settingControls = true;
    const int index = SelectedRow();
    const bool selected = index >= 0;
    for (QRadioButton* radio : std::as_const(m_operators))
        radio->setEnabled(selected);
    m_value->setEnabled(selected);
    m_or->setEnabled(selected && index > 0);
    m_and->setEnabled(selected && index > 0);
    m_value->clear();
    if (selected) {
        const ActivationCondition& row = m_rows.at(index);
        (row.link == 0 ? m_or : m_and)->setChecked(true);
        if (row.comparison >= 0 && row.comparison < m_operators.size())
            m_operators.at(row.comparison)->setChecked(true);
        QStringList values = DistinctValues(row.fieldId);
        values.removeIf([](const QString& value) { return !conditions::IsValueAcceptable(value); });
        m_value->addItems(values);
        m_value->setCurrentIndex(-1);
        m_value->setEditText(row.value);
    }
    m_settingControls = false;
}

void CLogicalActivationDlg::UpdateButtons()
{
    m_delete->setEnabled(SelectedRow() >= 0);
    m_ok->setEnabled(!m_rows.isEmpty());
    m_save->setEnabled(!m_rows.isEmpty());
}

void CLogicalActivationDlg::OnAdd()
{
    CTypologyTableDlg choice(this, true, true, false);
    for (const qint32 id : std::as_const(m_fieldIds)) {
        bool found = false;
        const QString name = FieldName(id, &found);
        typology::TickRow row;
        row.id = id;
        row.text = found ? name : QStringLiteral("?");
        choice.m_rows.append(row);
    }
    if (choice.exec() != QDialog::Accepted)
        return;
    for (const typology::TickRow& chosen : std::as_const(choice.m_rows)) {
        if (!chosen.ticked)
            continue;
        ActivationCondition row;
        row.fieldId = chosen.id;
        if (!choice.m_extraOption) {
            AddRow(row);
            continue;
        }
        for (const QString& value : DistinctValues(chosen.id)) {
            // A value that would break the text form is left out.
            if (!conditions::IsValueAcceptable(value))
                continue;
            row.value = value;
            AddRow(row);
        }
    }
}

void CLogicalActivationDlg::OnDelete()
{
    const int index = SelectedRow();
    if (index < 0)
        return;
    m_suppressUpdates = true;
    m_rows.removeAt(index);
    delete m_list->takeItem(index);
    m_suppressUpdates = false;
    if (index == 0)
        RenderRow(0);
    UpdateControlsFromRow();
    UpdateButtons();
}

void CLogicalActivationDlg::OnDeleteAll()
{
    if (!AskYesNo(LoadString(Text::AskDeleteAll)))
        return;
    m_suppressUpdates = true;
    m_list->clear();
    m_rows.clear();
    m_suppressUpdates = false;
    UpdateControlsFromRow();
    UpdateButtons();
}

void CLogicalActivationDlg::LoadRowText(const QString& text)
{
    m_suppressUpdates = true;
    m_list->clear();
    m_rows.clear();
    FieldNamesNotifyInfo names;
    names.topic = m_topic;
    SendRequest(m_owner, this, 0, names);
    if (names.result) {
        // A row takes the id its variable's name has now.
        QStringList offeredNames;
        QList<qint32> offeredIds;
        for (const qint32 id : std::as_const(m_fieldIds)) {
            bool found = false;
            const QString name = FieldName(id, &found);
            if (found) {
                offeredIds.append(id);
                offeredNames.append(name);
            }
        }
        QList<ActivationCondition> rows = conditions::ParseRows(text);
        rows.removeIf([&](const ActivationCondition& row) { return !names.names.contains(row.fieldName); });
        for (const ActivationCondition& row : conditions::ResolveRows(rows, offeredIds, offeredNames))
            AddRow(row);
    }
    m_suppressUpdates = false;
    if (!m_rows.isEmpty() && SelectedRow() < 0)
        m_list->setCurrentRow(0);
    UpdateControlsFromRow();
    UpdateButtons();
}

bool CLogicalActivationDlg::LoadFile(const QString& path)
{
    QString text;
    QString error;
    if (!conditions::ReadConditionFile(path, text, &error)) {
        ShowMessage(QStringLiteral("%1\n%2").arg(path, error), MessageKind::Warning);
        return false;
    }
    LoadRowText(text);
    m_defaultFolder = GetFolderPart(path);
    return true;
}

bool CLogicalActivationDlg::SaveFile(const QString& path)
{
    QString error;
    if (!conditions::WriteConditionFile(path, m_rows, &error)) {
        ShowMessage(QStringLiteral("%1\n%2").arg(path, error), MessageKind::Warning);
        return false;
    }
    m_defaultFolder = GetFolderPart(path);
    return true;
}

void CLogicalActivationDlg::OnLoad()
{
    FilePrompt prompt;
    prompt.kind = FilePromptKind::OpenFile;
    prompt.title = LoadString(Text::LoadTitle);
    prompt.filter = LoadString(Text::FileFilter) + QStringLiteral(" (*.loa)");
    prompt.path = m_defaultFolder;
    const QStringList paths = PromptForFiles(prompt);
    if (!paths.isEmpty())
        LoadFile(paths.first());
}

void CLogicalActivationDlg::OnSave()
{
    FilePrompt prompt;
    prompt.kind = FilePromptKind::SaveFile;
    prompt.title = LoadString(Text::SaveTitle);
    prompt.filter = LoadString(Text::FileFilter) + QStringLiteral(" (*.loa)");
    prompt.path = m_defaultFolder;
    prompt.defaultSuffix = QStringLiteral("loa");
    const QStringList paths = PromptForFiles(prompt);
    if (!paths.isEmpty())
        SaveFile(paths.first());
}

void CLogicalActivationDlg::OnHelp()
{
    static constexpr int kTopics[] = {1044, 1046, 1048, 1050};
    ShowHelpTopic(kHelpKind, kTopics[std::clamp(m_mode, 0, 3)]);
}

void CLogicalActivationDlg::WriteProfile() const
{
    PrivateProfile profile(g_program.ProfilePath);
    profile.WriteString(Section(), kDataKey, conditions::FormatRows(m_rows));
    profile.WriteString(Section(), kPathKey, m_defaultFolder);
}

void CLogicalActivationDlg::accept()
{
    if (m_mode == 0) {
        m_wantsDescription = m_describe->isEnabled() && m_describe->isChecked();
        if (m_wantsDescription) {
            QStringList texts;
            for (int i = 0; i < m_list->count(); ++i)
                texts.append(m_list->item(i)->text());
            m_description = texts.join(QLatin1Char(' '));
        }
    }
    WriteProfile();
    CResizableDlgBase::accept();
}

void CLogicalActivationDlg::reject()
{
    WriteProfile();
    CResizableDlgBase::reject();
}

bool CLogicalActivationDlg::event(QEvent* event)
{
    if (event->type() == QEvent::Type(kValueChosenEvent)) {
        UpdateRowFromControls();
        return true;
    }
    return CResizableDlgBase::event(event);
}

bool CLogicalActivationDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        OnDelete();
        return true;
    }
    return CResizableDlgBase::eventFilter(watched, event);
}
