// Activation of documents and codes: the memory-only bit that tells the
// retrieval which documents and codes to read, switched for single objects,
// groups, sets, code sets, by colour, by variables and for everything.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/analysistable.h"
#include "document/colorhsl.h"
#include "document/rowfields.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QSet>

using namespace rowfields;

namespace {

qint32 StateFieldOf(qint32 topic)
{
    return topic == TopicId::Documents ? qint32(DocumentField::State) : qint32(CodeField::State);
}

/// Whether a value meets one condition. Booleans compare by the integer
/// value of the text, so that "0" means false.
bool MeetsCondition(const FieldValue& value, const ActivationCondition& condition)
{
    int c = 0;
    if (value.Type == FieldType::Boolean) {
        const bool mine = value.GetInt() != 0;
        const bool theirs = condition.value.trimmed().toInt() != 0;
        c = mine == theirs ? 0 : (mine ? 1 : -1);
    } else if (value.Type != FieldType::Blob && value.Type != FieldType::Memo) {
        c = value.CompareWithText(condition.value);
    }
    switch (condition.comparison) {
    case 0: return c == 0;
    case 1: return c != 0;
    case 2: return c < 0;
    case 3: return c > 0;
    default: return true;
    }
}

}  // namespace

// ---- Single objects -----------------------------------------------------------

bool CKorDoc::WriteActivation(qint32 topic, qint32 key, bool on)
{
    RowBuffer row;
    FieldValue state;
    if (!d->m_db.ReadRow(topic, key, row, false) || !row.GetFieldValue(StateFieldOf(topic), state))
        return false;
    const qint32 before = state.GetInt();
    const qint32 after = on ? before | ObjectState::Activated : before & ~ObjectState::Activated;
    if (before == after || !state.SetInt(after) || !row.WriteBack())
        return false;
    qint32& count = topic == TopicId::Documents ? d->m_activatedDocuments : d->m_activatedCodes;
    count = qMax(0, count + (on ? 1 : -1));
    // Function 0 may be narrowed to the documents holding a code; a code
    // switched off no longer narrows it.
    if (topic == TopicId::Codes && !on && d->m_options.documentCode == key)
        d->m_options.documentCode = 0;
    return true;
}

bool CKorDoc::ToggleDocumentActivation(qint32 document)
{
    if (!HasRow(TopicId::Documents, document))
        return false;
    if (!WriteActivation(TopicId::Documents, document, !IsActivated(TopicId::Documents, document)))
        return false;
    NotifyChanged(TopicId::Documents, document);
    NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, document);
    return true;
}

bool CKorDoc::ToggleCodeActivation(qint32 code)
{
    if (!HasRow(TopicId::Codes, code))
        return false;
    if (!WriteActivation(TopicId::Codes, code, !IsCodeActivated(code)))
        return false;
    NotifyChanged(TopicId::Codes, code);
    NotifyRelatedChanged(TopicId::CodeSetMembers, TopicId::Codes, code);
    return true;
}

void CKorDoc::ToggleAllDocuments()
{
    QList<qint32> documents;
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    for (const qint32 document : std::as_const(documents))
        ToggleDocumentActivation(document);
    RerunAfterDocumentChange();
}

void CKorDoc::ToggleAllCodes()
{
    QList<qint32> codes;
    d->m_db.GetAllKeys(TopicId::Codes, codes);
    for (const qint32 code : std::as_const(codes))
        ToggleCodeActivation(code);
    RunRetrieval(d->m_options, 0);
}

bool CKorDoc::ActivateDocument(qint32 document, bool on, bool rerun)
{
    if (!WriteActivation(TopicId::Documents, document, on))
        return false;
    NotifyChanged(TopicId::Documents, document);
    NotifyRelatedChanged(TopicId::DocumentSetMembers, TopicId::Documents, document);
    if (rerun)
        RerunAfterDocumentChange();
    return true;
}

bool CKorDoc::ActivateSetMember(qint32 member, bool on, bool rerun)
{
    return HasRow(TopicId::DocumentSetMembers, member) &&
           ActivateDocument(GetSetMemberDocument(member), on, rerun);
}

bool CKorDoc::SetCodeActivation(qint32 code, bool on, bool rerun, bool withSubcodes, bool byColor)
{
    QSet<qint32> visited;
    const bool changed = SetCodeActivationBelow(code, on, withSubcodes, byColor, visited);
    if (changed && rerun)
        RunRetrieval(d->m_options, 0);
    return changed;
}

bool CKorDoc::SetCodeActivationBelow(qint32 code, bool on, bool withSubcodes, bool byColor,
                                     QSet<qint32>& visited)
{
    if (!HasRow(TopicId::Codes, code) || visited.contains(code))
        return false;
    visited.insert(code);
    if (byColor) {
        const COLORREF color = ColorOfType(d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Type));
        on = d->m_lists.codesColorFilter.contains(color);
    }
    bool changed = false;
    if (WriteActivation(TopicId::Codes, code, on)) {
        changed = true;
        NotifyChanged(TopicId::Codes, code);
        NotifyRelatedChanged(TopicId::CodeSetMembers, TopicId::Codes, code);
    }
    if ((withSubcodes || byColor) && g_qdaOptions.GetBool(QdaOption::ActivateWithSubcodes)) {
        QList<qint32> children;
        GetChildCodes(code, children);
        for (const qint32 child : std::as_const(children))
            changed = SetCodeActivationBelow(child, on, withSubcodes, byColor, visited) || changed;
    }
    return changed;
}

bool CKorDoc::ActivateCodeSetMember(qint32 member, bool on, bool rerun)
{
    return HasRow(TopicId::CodeSetMembers, member) &&
           SetCodeActivation(GetCodeSetMemberCode(member), on, rerun, true, false);
}

bool CKorDoc::IsCodeActivated(qint32 code) const
{
    return IsActivated(TopicId::Codes, code);
}

bool CKorDoc::IsCodeOrAncestorActivated(qint32 code) const
{
    QSet<qint32> visited;
    while (code != 0 && HasRow(TopicId::Codes, code) && !visited.contains(code)) {
        if (IsCodeActivated(code))
            return true;
        visited.insert(code);
        code = d->m_db.GetIntValue(TopicId::Codes, code, CodeField::Parent);
    }
    return false;
}

// ---- Many objects ---------------------------------------------------------------

void CKorDoc::RerunAfterDocumentChange()
{
    RunRetrieval(d->m_options, 0);
    UpdateCodeFrequencies(0);
}

bool CKorDoc::ActivateEach(const QList<qint32>& keys, bool documents, const std::function<bool(qint32)>& activate)
{
    bool changed = false;
    for (const qint32 key : keys)
        changed = activate(key) || changed;
    if (changed && documents)
        RerunAfterDocumentChange();
    else if (changed)
        RunRetrieval(d->m_options, 0);
    return changed;
}

bool CKorDoc::ActivateTopCodes(bool on, bool byColor)
{
    QList<qint32> codes;
    GetChildCodes(0, codes);
    return ActivateEach(codes, false,
                        [&](qint32 code) { return SetCodeActivation(code, on, false, !byColor, byColor); });
}

bool CKorDoc::ActivateDocumentsByColor(bool on, bool byColor)
{
    QList<qint32> documents;
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    return ActivateEach(documents, true, [&](qint32 document) {
        if (!byColor)
            return ActivateDocument(document, on, false);
        const COLORREF color = ColorOfType(d->m_db.GetIntValue(TopicId::Documents, document, DocumentField::Type));
        return ActivateDocument(document, d->m_lists.documentsColorFilter.contains(color), false);
    });
}

bool CKorDoc::InvertDocumentActivation()
{
    QList<qint32> documents;
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    return ActivateEach(documents, true, [&](qint32 document) {
        return ActivateDocument(document, !IsActivated(TopicId::Documents, document), false);
    });
}

bool CKorDoc::InvertCodeActivation()
{
    QList<qint32> codes;
    d->m_db.GetAllKeys(TopicId::Codes, codes);
    // Each code alone: its subcodes are inverted as codes of their own.
    return ActivateEach(codes, false, [&](qint32 code) {
        return SetCodeActivation(code, !IsActivated(TopicId::Codes, code), false, false, false);
    });
}

bool CKorDoc::ActivateGroupDocuments(qint32 group, bool on)
{
    QList<qint32> documents;
    d->m_db.FindKeysByParent(TopicId::Documents, TopicId::DocumentGroups, group, documents);
    return ActivateEach(documents, true, [&](qint32 document) { return ActivateDocument(document, on, false); });
}

bool CKorDoc::ActivateSetDocuments(qint32 set, bool on)
{
    QList<qint32> members;
    d->m_db.FindKeysByParent(TopicId::DocumentSetMembers, TopicId::DocumentSets, set, members);
    return ActivateEach(members, true, [&](qint32 member) { return ActivateSetMember(member, on, false); });
}

bool CKorDoc::ActivateAllSetMembers(bool on)
{
    QList<qint32> members;
    d->m_db.GetAllKeys(TopicId::DocumentSetMembers, members);
    return ActivateEach(members, true, [&](qint32 member) { return ActivateSetMember(member, on, false); });
}

bool CKorDoc::ActivateAllCodeSetMembers(bool on)
{
    return ActivateCodeSet(0, on);
}

bool CKorDoc::ActivateCodeSet(qint32 codeSet, bool on)
{
    QList<qint32> members;
    if (codeSet == 0)
        d->m_db.GetAllKeys(TopicId::CodeSetMembers, members);
    else
        d->m_db.FindKeysByParent(TopicId::CodeSetMembers, TopicId::CodeSets, codeSet, members);
    // In key order.
    std::sort(members.begin(), members.end());
    return ActivateEach(members, false, [&](qint32 member) { return ActivateCodeSetMember(member, on, false); });
}

bool CKorDoc::ActivateByVariables(const QList<ActivationCondition>& conditions, bool codes)
{
    const qint32 topic = codes ? TopicId::Codes : TopicId::Documents;
    const TopicTable* table = d->m_db.GetTable(topic);
    if (conditions.isEmpty() || !table)
        return false;
    // The fields once; a condition on a field the topic lacks is always met.
    QList<std::optional<FieldDescriptor>> fields;
    for (const ActivationCondition& condition : conditions) {
        FieldDescriptor field;
        fields.append(d->m_db.GetFieldDescriptor(topic, condition.fieldId, field) ? std::optional(field)
                                                                                : std::nullopt);
    }
    QList<std::pair<qint32, bool>> decisions;
    table->ForEachRow([&](qint32 key, const char* row) {
        bool result = true;
        for (qsizetype i = 0; i < conditions.size(); ++i) {
            bool met = true;
            if (fields.at(i))
                met = MeetsCondition(FieldValue(*fields.at(i), const_cast<char*>(row) + fields.at(i)->Offset),
                                     conditions.at(i));
            result = i == 0 ? met : (conditions.at(i).link == 1 ? result && met : result || met);
        }
        decisions.append({key, result});
    });
    // Every write of the run in one transaction: thousands of rows would
    // otherwise each commit on their own. The windows hear of the changes
    // only once the writes stand.
    QList<qint32> switched;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        bool failed = false;
        for (const auto& [key, on] : std::as_const(decisions)) {
            if (IsActivated(topic, key) == on)
                continue;
            if (!WriteActivation(topic, key, on)) {
                failed = true;
                break;
            }
            switched.append(key);
        }
        if (failed || (!switched.isEmpty() && !transaction.Commit())) {
            // The rows went back; so must the counts that followed them.
            transaction.Rollback();
            qint32& count = codes ? d->m_activatedCodes : d->m_activatedDocuments;
            count = qint32(ActivatedRows(topic, StateFieldOf(topic)).size());
            return false;
        }
    }
    const qint32 members = codes ? TopicId::CodeSetMembers : TopicId::DocumentSetMembers;
    for (const qint32 key : std::as_const(switched)) {
        NotifyChanged(topic, key);
        NotifyRelatedChanged(members, topic, key);
    }
    const bool changed = !switched.isEmpty();
    if (changed) {
        if (codes)
            RunRetrieval(d->m_options, 0);
        else
            RerunAfterDocumentChange();
    }
    return changed;
}

// ---- Everything -------------------------------------------------------------------

void CKorDoc::DropRetrievalResult()
{
    d->m_registry.NotifyDeleted(TopicId::Codings, 0);
    ClearSegmentCodings();
    d->m_activatedCodings = 0;
}

void CKorDoc::DeactivateAll(bool notify, bool documents, bool codes)
{
    if (documents) {
        const QList<qint32> activated = ActivatedRows(TopicId::Documents, DocumentField::State);
        for (const qint32 document : activated)
            WriteActivation(TopicId::Documents, document, false);
        d->m_activatedDocuments = 0;
        if (notify) {
            NotifyListChanged(TopicId::Documents, activated);
            QList<qint32> members;
            d->m_db.GetAllKeys(TopicId::DocumentSetMembers, members);
            NotifyListChanged(TopicId::DocumentSetMembers, members);
        }
    }
    QList<qint32> clearedCodes;
    if (codes) {
        clearedCodes = ActivatedRows(TopicId::Codes, CodeField::State);
        for (const qint32 code : std::as_const(clearedCodes))
            WriteActivation(TopicId::Codes, code, false);
        d->m_activatedCodes = 0;
    }
    if (documents && codes) {
        // Nothing is activated, so the result is empty without a run; the
        // windows are told only when they may show something.
        const TopicTable* segments = d->m_db.GetTable(TopicId::RetrievedSegments);
        if (notify || d->m_activatedCodings != 0 || (segments && segments->GetRowCount() > 0))
            DropRetrievalResult();
        d->m_activatedCodings = 0;
    } else {
        RunRetrieval(d->m_options, 0);
    }
    if (notify) {
        NotifyListChanged(TopicId::Codes, clearedCodes);
        UpdateCodeFrequencies(0);
        QList<qint32> members;
        d->m_db.GetAllKeys(TopicId::CodeSetMembers, members);
        NotifyListChanged(TopicId::CodeSetMembers, members);
    }
}

void CKorDoc::DeactivateAllCodes()
{
    const QList<qint32> activated = ActivatedRows(TopicId::Codes, CodeField::State);
    for (const qint32 code : activated)
        WriteActivation(TopicId::Codes, code, false);
    d->m_activatedCodes = 0;
    d->m_activatedCodings = 0;
    NotifyListChanged(TopicId::Codes, activated);
    UpdateCodeFrequencies(0);
    DropRetrievalResult();
}

bool CKorDoc::SetItemActivation(qint32 itemType, qint32 id, bool on, bool flag)
{
    switch (itemType) {
    case TopicKind::DocumentsRoot: return ActivateDocumentsByColor(on, false);
    case TopicId::DocumentGroups: return ActivateGroupDocuments(id, on);
    case TopicKind::DocumentSetsRoot: return ActivateAllSetMembers(on);
    case TopicId::DocumentSets: return ActivateSetDocuments(id, on);
    case TopicId::Documents: return ActivateDocument(id, on, true);
    case TopicId::DocumentSetMembers: return ActivateSetMember(id, on, true);
    case TopicKind::CodeSystemRoot: return ActivateTopCodes(on, false);
    case TopicId::Codes: return SetCodeActivation(id, on, true, !flag, false);
    case TopicKind::CodeSetsRoot: return ActivateAllCodeSetMembers(on);
    case TopicId::CodeSets: return ActivateCodeSet(id, on);
    case TopicId::CodeSetMembers: return ActivateCodeSetMember(id, on, true);
    default: return false;
    }
}

bool MeetsActivationCondition(const FieldValue& value, const ActivationCondition& condition)
{
    return MeetsCondition(value, condition);
}
