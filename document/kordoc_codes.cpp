// Codes: creation (also along backslash paths), copies of subtrees, code
// sets, document variables made from codes, colours, and the frequencies
// the code tree shows.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/colorhsl.h"
#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "store/fielddescriptor.h"
#include "store/storeids.h"

#include <QHash>

#include <algorithm>

using namespace rowfields;

namespace {

constexpr qsizetype kNameUnits = FieldDescriptor::kNameUnits;
/// A document variable made from a code: its value lives in sys_Values.
constexpr qint32 kCodeVariableState = FieldState::FromCode | FieldState::ValueTable | FieldState::UserVariable;

/// The colour index a special code gets from its state bits, first match;
/// -1 for none.
qint32 SpecialCodeColor(qint32 stateBits)
{
    static constexpr std::pair<qint32, qint32> kColors[] = {{0x08, 0}, {0x10, 2}, {0x20, 3}, {0x40, 4}, {0x100, 1}};
    for (const auto& [bit, color] : kColors) {
        if (stateBits & bit)
            return color;
    }
    return -1;
}

/// A dense map from keys to slots when the keys are small enough, else a
/// hash: per-row lookups of whole-topic passes.
class KeyMap {
public:
    explicit KeyMap(qint32 lastKey) : m_dense(lastKey >= 0 && lastKey <= kDenseLimit)
    {
        if (m_dense)
            m_slots.fill(-1, lastKey + 1);
    }
    void Insert(qint32 key, qint32 slot)
    {
        if (!m_dense)
            m_hash.insert(key, slot);
        else if (key >= 0 && key < m_slots.size())
            m_slots[key] = slot;
    }
    qint32 Find(qint32 key) const
    {
        if (!m_dense)
            return m_hash.value(key, -1);
        return key >= 0 && key < m_slots.size() ? m_slots.at(key) : -1;
    }

private:
    static constexpr qint32 kDenseLimit = 1 << 22;
    bool m_dense;
    QList<qint32> m_slots;
    QHash<qint32, qint32> m_hash;
};

/// The kind under which a code with this parent is announced: the parent
/// code, or the code-system root at top level.
qint32 CodeParentKind(qint32 parent)
{
    return parent ? qint32(TopicId::Codes) : qint32(TopicKind::CodeSystemRoot);
}

/// Offset of a field in the topic's rows; -1 when absent.
qint32 OffsetOf(const TopicTable* table, qint32 fieldId)
{
    const FieldDescriptor* field = table ? table->Fields().GetById(fieldId) : nullptr;
    return field ? field->Offset : -1;
}

}  // namespace

// ---- Creating codes ---------------------------------------------------------

bool CKorDoc::IsValidCodeParent(const TopicDatabase& store, qint32 parent)
{
    const TopicTable* codes = store.GetTable(TopicId::Codes);
    return codes && (parent == 0 || codes->HasKey(parent));
}

bool CKorDoc::CodeColorInUse(COLORREF color) const
{
    const TopicTable* codes = d->m_db.GetTable(TopicId::Codes);
    const qint32 type = OffsetOf(codes, CodeField::Type);
    const FieldDescriptor* name = codes ? codes->Fields().GetById(CodeField::Name) : nullptr;
    if (type < 0 || !name)
        return false;
    bool used = false;
    codes->ForEachRow([&](qint32, const char* row) {
        // A code without a name is a row not yet written.
        used = used || (ColorOfType(IntAt(row, type)) == color && (row[name->Offset] || row[name->Offset + 1]));
    });
    return used;
}

bool CKorDoc::StoreCodeAlias(qint32 code, const QString& name)
{
    if (name.size() <= kNameUnits)
        return true;
    return WriteSettingString(QLatin1String(SetupKey::CodeAliasPrefix) + QString::number(code), name);
}

qint32 CKorDoc::NewCode(const CodeRecord& record)
{
    const qint32 color = StoredColorType(record.color);
    if (!IsValidCodeParent(d->m_db, record.parent))
        return 0;
    const bool newColor = !CodeColorInUse(ColorOfType(color));
    const QString name = record.name.trimmed();
    qint32 code = 0;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return 0;
        code = CreateRow(TopicId::Codes, [&](RowBuffer& row, qint32 key) {
            const QString author = record.author.isEmpty() ? d->m_db.GetUserName() : record.author;
            return SetText(row, CodeField::Name, name.isEmpty() ? DefaultObjectName(DocumentText::DefaultCodeName, key)
                                                                 : CutToUnits(name, kNameUnits)) &&
                   SetInt(row, CodeField::Parent, record.parent) &&
                   SetInt(row, CodeField::State, ObjectState::Expanded) &&
                   SetInt(row, CodeField::Type, color) && SetInt(row, CodeField::MemoID, record.memoId) &&
                   SetText(row, CodeField::Author, author) &&
                   SetDate(row, CodeField::Date, record.date.isValid() ? record.date : Now());
        });
        // The whole name is kept only for a code that reached the file.
        if (!code || !StoreCodeAlias(code, name) || !transaction.Commit())
            return 0;
    }
    if (newColor)
        AddColorFilterCode(ColorOfType(color));
    d->m_registry.NotifyAdded(TopicId::Codes, code, 0, CodeParentKind(record.parent),
                           record.parent, true);
    d->m_registry.SelectObject(TopicId::Codes, record.parent, 0);
    return code;
}

qint32 CKorDoc::FindSubcodeByName(const TopicDatabase& store, qint32 parent, const QString& name)
{
    QList<qint32> children;
    store.FindKeysByParent(TopicId::Codes, TopicId::Codes, parent, children);
    for (const qint32 child : std::as_const(children)) {
        if (TextOfKey(store, TopicId::Codes, child, CodeField::Name).compare(name, Qt::CaseInsensitive) == 0)
            return child;
    }
    return 0;
}

qint32 CKorDoc::MakeSubcode(TopicDatabase& store, qint32 parent, const QString& name, qint32 stateBits, qint32 color)
{
    const bool own = &store == &d->m_db;
    RowBuffer row;
    if (!store.AddRow(TopicId::Codes, row, -1))
        return 0;
    const qint32 key = row.GetKey();
    const qint32 special = SpecialCodeColor(stateBits);
    const bool filled = SetText(row, CodeField::Name, CutToUnits(name, kNameUnits)) &&
                        SetInt(row, CodeField::Parent, parent) && SetInt(row, CodeField::State, stateBits) &&
                        SetInt(row, CodeField::Type, special >= 0 ? special : color) &&
                        SetText(row, CodeField::Author, store.GetUserName()) && SetDate(row, CodeField::Date, Now());
    if (!filled) {
        row.Release();
        store.RemoveRow(TopicId::Codes, key);
        return 0;
    }
    if (!row.Commit(false, true) || (own && !StoreCodeAlias(key, name)))
        return 0;
    return key;
}

qint32 CKorDoc::AddCodeByPath(qint32 parent, const QString& path, bool create, TopicDatabase* store, qint32 stateBits,
                              QString* log, qint32* found, qint32 color, qint32 position)
{
    TopicDatabase& target = store ? *store : d->m_db;
    const bool own = &target == &d->m_db;
    color = StoredColorType(color);
    if (!IsValidCodeParent(target, parent))
        return 0;
    struct Made {
        qint32 code;
        qint32 parent;
        qint32 after;
    };
    QList<Made> made;
    QList<COLORREF> newColors;
    qint32 current = parent;
    QString rest = path;
    {
        // The codes of one path reach the file, and the windows, together.
        StoreTransaction transaction(&target);
        if (!transaction.IsActive())
            return 0;
        while (true) {
            const qsizetype separator = rest.indexOf(QLatin1Char('\\'));
            const QString head = (separator < 0 ? rest : rest.left(separator)).trimmed();
            rest = separator < 0 ? QString() : rest.mid(separator + 1);
            if (head.isEmpty())
                return 0;
            const bool last = rest.isEmpty();
            qint32 code = FindSubcodeByName(target, current, CutToUnits(head, kNameUnits));
            if (!code) {
                if (!create)
                    return 0;
                // Only the code the path names takes the special role and the place.
                const qint32 bits = last ? stateBits : 0;
                const qint32 special = SpecialCodeColor(bits);
                const COLORREF shown = ColorOfType(special >= 0 ? special : color);
                if (own && !newColors.contains(shown) && !CodeColorInUse(shown))
                    newColors.append(shown);
                code = MakeSubcode(target, current, head, bits, color);
                if (!code)
                    return 0;
                if (log)
                    *log += QStringLiteral("\t%1\r\n").arg(target.FormatRowDisplay(TopicId::Codes, code, true));
                made.append({code, current, last ? position : -1});
            }
            if (found)
                *found = code;
            current = code;
            if (last)
                break;
        }
        if (!transaction.Commit())
            return 0;
    }
    if (own) {
        for (const COLORREF shown : std::as_const(newColors))
            AddColorFilterCode(shown);
        for (const Made& code : std::as_const(made))
            d->m_registry.NotifyAdded(TopicId::Codes, code.code, code.after,
                                   CodeParentKind(code.parent), code.parent, true);
    }
    return current;
}

void CKorDoc::CollectCodePaths(qint32 code, const QString& prefix, QStringList& paths) const
{
    QSet<qint32> visited;
    CollectCodePaths(code, prefix, paths, visited);
}

void CKorDoc::CollectCodePaths(qint32 code, const QString& prefix, QStringList& paths, QSet<qint32>& visited) const
{
    if (visited.contains(code))
        return;  // a parent cycle of a damaged file
    visited.insert(code);
    const QString name = TextOfKey(d->m_db, TopicId::Codes, code, CodeField::Name);
    const QString path = prefix.isEmpty() ? name : QStringLiteral("%1\\%2").arg(prefix, name);
    paths.append(path);
    if (path.isEmpty())
        return;
    QList<qint32> children;
    GetChildCodes(code, children);
    for (const qint32 child : std::as_const(children))
        CollectCodePaths(child, path, paths, visited);
}

bool CKorDoc::CopyCodeSubtree(qint32 source, qint32 target, bool under)
{
    const TopicTable* codes = d->m_db.GetTable(TopicId::Codes);
    if (!codes || !codes->HasKey(source))
        return false;
    if (!under && !codes->HasKey(target))
        return false;
    if (under && !IsValidCodeParent(d->m_db, target))
        return false;
    const qint32 destination = under ? target : d->m_db.GetIntValue(TopicId::Codes, target, CodeField::Parent);
    // Parents before children. Codes are copied by their rows, not through
    // their paths, so a name holding a backslash stays one name.
    QList<qint32> subtree;
    CollectSubcodes(source, subtree);
    QHash<qint32, qint32> copies{{source, destination}};
    struct Made {
        qint32 code;
        qint32 parent;
        qint32 after;
    };
    QList<Made> made;
    qint32 previous = under ? 0 : target;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        for (const qint32 code : std::as_const(subtree)) {
            const auto parent = copies.constFind(d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent));
            if (parent == copies.cend())
                return false;
            const QString name = TextOfKey(d->m_db, TopicId::Codes, code, CodeField::Name);
            qint32 copy = FindSubcodeByName(d->m_db, parent.value(), name);
            if (!copy) {
                copy = MakeSubcode(d->m_db, parent.value(), GetCodeAlias(code), 0, 0);
                if (!copy)
                    return false;
                made.append({copy, parent.value(), previous});
            }
            copies.insert(code, copy);
            previous = copy;
        }
        if (!transaction.Commit())
            return false;
    }
    if (!made.isEmpty() && !CodeColorInUse(ColorOfType(0)))
        AddColorFilterCode(ColorOfType(0));
    for (const Made& code : std::as_const(made))
        d->m_registry.NotifyAdded(TopicId::Codes, code.code, code.after,
                               CodeParentKind(code.parent), code.parent, true);
    return true;
}

// ---- Code sets --------------------------------------------------------------

bool CKorDoc::NewCodeSet(const QString& name)
{
    return NewSetOf(kCodeSetTopics, name, ActivatedRows(TopicId::Codes, CodeField::State));
}

bool CKorDoc::NewCodeSetFromSubcodes(qint32 code)
{
    const TopicTable* codes = d->m_db.GetTable(TopicId::Codes);
    if (!codes || !codes->HasKey(code))
        return false;
    QList<qint32> children;
    GetChildCodes(code, children);
    children.prepend(code);
    return NewSetOf(kCodeSetTopics, QString(), children);
}

bool CKorDoc::AddCodeSetMember(qint32 code, qint32 set, qint32 position)
{
    return AddSetMember(kCodeSetTopics, code, set, position);
}

qint32 CKorDoc::GetCodeSetMemberCode(qint32 member) const
{
    return d->m_db.GetIntValue(TopicId::CodeSetMembers, member, SetMemberField::ObjectID);
}

// ---- Document variables made from codes -------------------------------------

qint32 CKorDoc::CreateCodeVariable(qint32 code, bool categorical)
{
    const TopicTable* codes = d->m_db.GetTable(TopicId::Codes);
    if (!codes || !codes->HasKey(code))
        return 0;
    FieldDescriptor field;
    field.Name = TextOfKey(d->m_db, TopicId::Codes, code, CodeField::Name);
    field.Type = categorical ? FieldType::ShortText : FieldType::Integer;
    field.State = kCodeVariableState;
    if (!d->m_db.AddField(TopicId::Documents, field))
        return 0;
    RowBuffer row;
    const bool linked = d->m_db.ReadRow(TopicId::Codes, code, row, false) &&
                        SetInt(row, categorical ? CodeField::CatVariable : CodeField::Variable, field.ID) &&
                        row.Commit(false, false);
    if (!linked) {
        // A variable no code names would never be filled again.
        d->m_db.DeleteField(TopicId::Documents, field.ID);
        return 0;
    }
    FillCodeVariable(code, field.ID, categorical);
    return field.ID;
}

bool CKorDoc::WriteVariableValues(qint32 field, const QHash<qint32, QString>& values,
                                  const std::optional<QString>& otherwise)
{
    FieldDescriptor descriptor;
    if (!d->m_db.GetFieldDescriptor(TopicId::Documents, field, descriptor))
        return false;
    QList<qint32> documents;
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    StoreTransaction transaction(&d->m_db);
    if (!transaction.IsActive())
        return false;
    for (const qint32 document : std::as_const(documents)) {
        RowBuffer row;
        FieldValue value;
        if (!d->m_db.ReadRow(TopicId::Documents, document, row, false) || !row.GetFieldValue(field, value))
            continue;
        const auto given = values.constFind(document);
        if (given == values.cend() && !otherwise)
            continue;
        const QString text = given != values.cend() ? given.value() : *otherwise;
        if (value.Format() == FieldValue::NormaliseText(descriptor.Type, text))
            continue;
        if (!row.SetFieldText(field, text))
            return false;
    }
    return transaction.Commit();
}

bool CKorDoc::FillCodeVariable(qint32 code, qint32 field, bool categorical)
{
    if (categorical)
        return FillCategoricalVariable(code, field);
    // Counted and assigned: adding to the stored value would count twice.
    QHash<qint32, qint32> counts;
    QList<qint32> codings;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, code, codings);
    for (const qint32 coding : std::as_const(codings))
        ++counts[d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document)];
    QHash<qint32, QString> values;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        values.insert(it.key(), QString::number(it.value()));
    return WriteVariableValues(field, values, QStringLiteral("0"));
}

QString CKorDoc::CategoricalValue(const QList<qint32>& subcodes, const QList<qint32>& counts) const
{
    const int winner = FindUniqueMaximum(counts);
    if (winner == -2)
        return LoadString(DocumentText::CategoricalTie);
    return winner >= 0 ? d->m_db.FormatRowDisplay(TopicId::Codes, subcodes.at(winner), false) : QString();
}

bool CKorDoc::FillCategoricalVariable(qint32 parent, qint32 field)
{
    QList<qint32> subcodes;
    GetChildCodes(parent, subcodes);
    // One pass over the subcodes' codings, grouped by document.
    QHash<qint32, QList<qint32>> counts;
    for (qsizetype i = 0; i < subcodes.size(); ++i) {
        QList<qint32> codings;
        d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, subcodes.at(i), codings);
        for (const qint32 coding : std::as_const(codings)) {
            QList<qint32>& perCode = counts[d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document)];
            perCode.resize(subcodes.size());
            ++perCode[i];
        }
    }
    QHash<qint32, QString> values;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        values.insert(it.key(), CategoricalValue(subcodes, it.value()));
    return WriteVariableValues(field, values, QString());
}

bool CKorDoc::UpdateCategoricalValue(qint32 document, qint32 parent, qint32 field)
{
    QList<qint32> subcodes;
    GetChildCodes(parent, subcodes);
    QList<qint32> counts;
    for (const qint32 subcode : std::as_const(subcodes))
        counts.append(CountCodingsOfDocumentAndCode(document, subcode));
    RowBuffer row;
    FieldValue value;
    if (!d->m_db.ReadRow(TopicId::Documents, document, row, false) || !row.GetFieldValue(field, value))
        return false;
    const QString text = CategoricalValue(subcodes, counts);
    return value.Format() == FieldValue::NormaliseText(value.Type, text) || row.SetFieldText(field, text);
}

qint32 CKorDoc::GetCodeLinkObject(qint32 code, bool categorical) const
{
    return d->m_db.GetIntValue(TopicId::Codes, code, categorical ? CodeField::CatVariable : CodeField::Variable);
}

bool CKorDoc::ClearCodeLinks(qint32 code, bool categorical)
{
    const qint32 field = GetCodeLinkObject(code, categorical);
    if (!field || !d->m_db.DeleteField(TopicId::Documents, field))
        return false;
    // The variable list names a variable by its field id.
    DeleteVariableListRow(field, false);
    RowBuffer row;
    return d->m_db.ReadRow(TopicId::Codes, code, row, false) &&
           SetInt(row, categorical ? CodeField::CatVariable : CodeField::Variable, 0) && row.Commit(false, false);
}

// ---- Frequencies --------------------------------------------------------------

qint32 CKorDoc::GetCodeFrequency(qint32 code, bool withSubcodes) const
{
    qint32 count = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Codes);
    if (!withSubcodes || !g_qdaOptions.GetBool(QdaOption::FrequenciesWithSubcodes))
        return count;
    QList<qint32> subcodes;
    CollectSubcodes(code, subcodes);
    for (const qint32 subcode : std::as_const(subcodes))
        count += d->m_db.GetIntValue(TopicId::Codes, subcode, CodeField::Codes);
    return count;
}

void CKorDoc::SetAutoFrequencies(bool on)
{
    d->m_autoFrequencies = on;
    if (on)
        UpdateCodeFrequencies(0);
}

void CKorDoc::UpdateCodeFrequencies(qint32 code)
{
    if (!d->m_autoFrequencies || !g_qdaOptions.GetBool(QdaOption::FrequenciesWithSubcodes))
        return;
    const TopicTable* codes = d->m_db.GetTable(TopicId::Codes);
    const TopicTable* codings = d->m_db.GetTable(TopicId::Codings);
    const TopicTable* documents = d->m_db.GetTable(TopicId::Documents);
    const qint32 codingCode = OffsetOf(codings, CodingField::Code);
    const qint32 codingDocument = OffsetOf(codings, CodingField::Document);
    const qint32 documentState = OffsetOf(documents, DocumentField::State);
    if (!codes || codingCode < 0 || codingDocument < 0 || documentState < 0)
        return;

    struct Tally {
        explicit Tally(qint32 key) : code(key) {}
        qint32 code = 0;
        qint32 activated = 0;
        qint32 lastDocument = 0;
        QList<qint32> documents;  // in coding order, repeats only when not adjacent
    };
    QList<Tally> tallies;
    KeyMap slotOfCode(codes->GetLastKey());
    if (code) {
        if (!codes->HasKey(code))
            return;
        slotOfCode.Insert(code, 0);
        tallies.append(Tally(code));
    } else {
        codes->ForEachRow([&](qint32 key, const char*) {
            slotOfCode.Insert(key, qint32(tallies.size()));
            tallies.append(Tally(key));
        });
    }
    KeyMap activatedDocuments(documents->GetLastKey());
    documents->ForEachRow([&](qint32 key, const char* row) {
        if (IntAt(row, documentState) & ObjectState::Activated)
            activatedDocuments.Insert(key, 1);
    });

    // One pass over every coding; codings of code 0 are temporary retrieval
    // rows and count nowhere.
    qint32 total = 0;
    codings->ForEachRow([&](qint32, const char* row) {
        const qint32 owner = IntAt(row, codingCode);
        if (owner == 0)
            return;
        ++total;
        const qint32 slot = slotOfCode.Find(owner);
        if (slot < 0)
            return;
        Tally& tally = tallies[slot];
        const qint32 document = IntAt(row, codingDocument);
        if (activatedDocuments.Find(document) > 0)
            ++tally.activated;
        if (document != tally.lastDocument || tally.documents.isEmpty()) {
            tally.documents.append(document);
            tally.lastDocument = document;
        }
    });

    const qint32 activatedCodings = GetActivatedCount(TopicId::Codings);
    for (Tally& tally : tallies) {
        std::sort(tally.documents.begin(), tally.documents.end());
        const qint32 documentCount =
            qint32(std::unique(tally.documents.begin(), tally.documents.end()) - tally.documents.begin());
        RowBuffer row;
        FieldValue share, activatedShare;
        if (!d->m_db.ReadRow(TopicId::Codes, tally.code, row, false) ||
            !row.GetFieldValue(CodeFrequencyField::ShareOfCodings, share) ||
            !row.GetFieldValue(CodeFrequencyField::ShareOfActivated, activatedShare))
            continue;
        const double shareValue = total > 0 ? IntOf(row, CodeField::Codes) * 100.0 / total : 0.0;
        const double activatedValue = activatedCodings > 0 ? tally.activated * 100.0 / activatedCodings : 0.0;
        const bool changed = IntOf(row, CodeField::ActiveCodes) != tally.activated ||
                             IntOf(row, CodeFrequencyField::DocumentCount) != documentCount ||
                             share.GetReal() != shareValue || activatedShare.GetReal() != activatedValue;
        if (!changed)
            continue;
        SetInt(row, CodeField::ActiveCodes, tally.activated);
        SetInt(row, CodeFrequencyField::DocumentCount, documentCount);
        share.SetReal(shareValue);
        activatedShare.SetReal(activatedValue);
        // Derived values, never stored in the file.
        if (row.WriteBack())
            NotifyChanged(TopicId::Codes, tally.code);
    }
}

// ---- Colours ------------------------------------------------------------------

bool CKorDoc::SetItemColor(qint32 topic, qint32 id, qint32 color)
{
    qint32 typeField = 0;
    switch (topic) {
    case TopicId::Documents: typeField = DocumentField::Type; break;
    case TopicId::Codes: typeField = CodeField::Type; break;
    case TopicId::Codings: typeField = CodingField::Type; break;
    default: return false;
    }
    color = StoredColorType(color);
    RowBuffer row;
    if (!d->m_db.ReadRow(topic, id, row, false))
        return false;
    if (IntOf(row, typeField) == color)
        return true;
    if (topic != TopicId::Codes) {
        if (!SetInt(row, typeField, color) || !row.Commit(false, false))
            return false;
        NotifyChanged(topic, id);
        return true;
    }
    const bool newColor = !CodeColorInUse(ColorOfType(color));
    QList<qint32> codings;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Codes, id, codings);
    {
        // The code and its codings change colour together.
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive() || !SetInt(row, typeField, color) || !row.Commit(false, false))
            return false;
        for (const qint32 coding : std::as_const(codings)) {
            RowBuffer codingRow;
            if (d->m_db.ReadRow(TopicId::Codings, coding, codingRow, false) &&
                (!SetInt(codingRow, CodingField::Type, color) || !codingRow.Commit(false, false)))
                return false;
        }
        if (!transaction.Commit())
            return false;
    }
    if (newColor)
        AddColorFilterCode(ColorOfType(color));
    NotifyChanged(TopicId::Codes, id);
    NotifyListChanged(TopicId::Codings, codings);
    return true;
}

void CKorDoc::CollectCodeColors(QList<COLORREF>& colors, qint32 color)
{
    ListUsedColors(colors, TopicId::Codes);
    const COLORREF given = ColorOfType(StoredColorType(color));
    if (!colors.contains(given))
        AddColorFilterCode(given);
}

qint32 CKorDoc::GetCodeColorIndex(qint32 code) const
{
    return d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Type);
}
