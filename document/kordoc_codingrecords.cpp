// Coding records, the colours in use by documents and codes, and counts of
// codings over a code's subtree.

#include "document/colorhsl.h"
#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/codingtext.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "foundation/ids.h"
#include "foundation/imageexport.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/storeids.h"

#include <QDateTime>

#include <algorithm>
#include <cstdlib>

using namespace rowfields;

CodingRecord::CodingRecord()
{
    // Whole seconds, as a time_t holds the time.
    const QDateTime now = QDateTime::currentDateTime();
    const QTime time = now.time();
    Date.value = OleDaysFromDateTime(now.date(), QTime(time.hour(), time.minute(), time.second()));
}

void CKorDoc::ListUsedColors(QList<COLORREF>& colors, qint32 kind) const
{
    colors.clear();
    qint32 nameField = 0;
    qint32 typeField = 0;
    if (kind == TopicId::Documents) {
        nameField = DocumentField::Name;
        typeField = DocumentField::Type;
    } else if (kind == TopicId::Codes) {
        nameField = CodeField::Name;
        typeField = CodeField::Type;
    } else {
        return;
    }
    const TopicTable* table = d->m_db.GetTable(kind);
    const FieldDescriptor* name = table ? table->Fields().GetById(nameField) : nullptr;
    const FieldDescriptor* type = table ? table->Fields().GetById(typeField) : nullptr;
    if (!name || !type)
        return;
    QList<ColorHsl> found;
    table->ForEachRow([&](qint32, const char* row) {
        // The first unit of a name that is not empty is not 0.
        if (row[name->Offset] == 0 && row[name->Offset + 1] == 0)
            return;
        const COLORREF color = ColorOfType(IntAt(row, type->Offset));
        if (std::none_of(found.cbegin(), found.cend(), [color](const ColorHsl& c) { return c.GetColor() == color; }))
            found.append(ColorHsl(color));
    });
    std::sort(found.begin(), found.end(),
              [](const ColorHsl& a, const ColorHsl& b) { return CompareColors(a, b) < 0; });
    for (const ColorHsl& color : std::as_const(found))
        colors.append(color.GetColor());
}

qint32 CKorDoc::CountDocumentCodingsInSubtree(qint32 document, qint32 code) const
{
    QList<qint32> codes;
    CollectSubcodes(code, codes);
    if (code)
        codes.append(code);
    const QSet<qint32> wanted(codes.cbegin(), codes.cend());
    QList<qint32> codings;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
    return qint32(std::count_if(codings.cbegin(), codings.cend(), [&](qint32 coding) {
        return wanted.contains(d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Code));
    }));
}

// ---- Keeping the derived fields of codings right ------------------------------

bool PlaceCoding(RowBuffer& row, const ParagraphMap& ranges, qint32 length)
{
    const qint32 start = IntOf(row, CodingField::StartChar);
    const qint32 finish = IntOf(row, CodingField::FinishChar);
    const qint32 area = length > 0 ? std::abs(finish - start) : 0;
    const double coverage = length > 0 ? area * 100.0 / length : 0.0;
    FieldValue share;
    const bool changed = IntOf(row, CodingField::StartPara) != ParagraphOfPosition(start, true, ranges) ||
                         IntOf(row, CodingField::FinishPara) != ParagraphOfPosition(finish, false, ranges) ||
                         IntOf(row, CodingField::Area) != area ||
                         (row.GetFieldValue(CodingField::Coverage, share) && share.GetReal() != coverage);
    if (!changed)
        return false;
    SetInt(row, CodingField::StartPara, ParagraphOfPosition(start, true, ranges));
    SetInt(row, CodingField::FinishPara, ParagraphOfPosition(finish, false, ranges));
    SetInt(row, CodingField::Area, area);
    SetReal(row, CodingField::Coverage, coverage);
    return true;
}

const QByteArray* OwnRichText(RowBuffer& row, FieldValue& text)
{
    if (IntOf(row, DocumentField::DocType) != DocumentKind::RichText || !row.GetFieldValue(DocumentField::Text, text) ||
        text.GetExternalReference())
        return nullptr;
    const QByteArray* blob = text.GetBlob();
    return blob && !blob->isEmpty() && StripExternPrefix(blob).isEmpty() ? blob : nullptr;
}

bool RenewCodingSegment(RowBuffer& row, CRichEditCtrlEx& edit, const ParagraphMap& ranges, qint32 length)
{
    const qint32 start = IntOf(row, CodingField::StartChar);
    const qint32 finish = IntOf(row, CodingField::FinishChar);
    QByteArray segment;
    edit.SetSel(std::min(start, finish), std::max(start, finish));
    edit.StreamOutRtf(&segment, true, true);
    PlaceCoding(row, ranges, length);
    SetText(row, CodingField::Preview, GetRichEditTextRange(&edit, start, finish, 63));
    return SetBlob(row, CodingField::Text, segment);
}

namespace {

void PumpProgress()
{
    if (IWaitWindow* window = GetWaitWindow())
        window->Pump();
}

}  // namespace

bool CKorDoc::ReplaceCodingWeight(qint32 newWeight)
{
    const qint32 weight = qBound(0, newWeight, 100);
    const qint32 current = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
    const TopicTable* table = d->m_db.GetTable(TopicId::Codings);
    const FieldDescriptor* field = table ? table->Fields().GetById(CodingField::Weight) : nullptr;
    if (!field || current == weight)
        return false;
    // The packed rows are read in place; only the codings that change are
    // touched, and only their weight is written.
    QList<qint32> codings;
    table->ForEachRow([&](qint32 key, const char* row) {
        if (rowfields::IntAt(row, field->Offset) == current)
            codings.append(key);
    });
    if (codings.isEmpty())
        return false;
    const QString text = QString::number(weight);
    QList<qint32> changed;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive() || !d->m_db.HoldFieldWrites())
            return false;
        for (const qint32 coding : std::as_const(codings)) {
            RowBuffer row;
            if (!d->m_db.ReadRow(TopicId::Codings, coding, row, false) ||
                !row.SetFieldText(CodingField::Weight, text))
                return false;
            changed.append(coding);
        }
        if (!transaction.Commit())
            return false;
    }
    NotifyListChanged(TopicId::Codings, changed);
    return true;
}

bool CKorDoc::RecomputeDocumentCodings(qint32 document, const CRichEditCtrlEx& edit)
{
    const ParagraphMap ranges = GetParagraphRanges(edit);
    const qint32 length = edit.GetTextLength();
    QList<qint32> codings;
    d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
    StoreTransaction transaction(&d->m_db);
    if (!transaction.IsActive())
        return false;
    for (const qint32 coding : std::as_const(codings)) {
        RowBuffer row;
        // Area codings hold page coordinates, not positions of this text.
        if (!d->m_db.ReadRow(TopicId::Codings, coding, row, false) || !IntOf(row, CodingField::IsText))
            continue;
        if (PlaceCoding(row, ranges, length) && !row.Commit(false, false))
            return false;
    }
    return transaction.Commit();
}

bool CKorDoc::RebuildAllCodings()
{
    QList<qint32> documents;
    d->m_db.GetAllKeys(TopicId::Documents, documents);
    std::sort(documents.begin(), documents.end());
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    StoreTransaction transaction(&d->m_db);
    if (!transaction.IsActive())
        return false;
    for (const qint32 document : std::as_const(documents)) {
        PumpProgress();
        {
            RowBuffer row;
            FieldValue text;
            const QByteArray* rtf =
                d->m_db.ReadRow(TopicId::Documents, document, row, true) ? OwnRichText(row, text) : nullptr;
            if (!rtf)
                continue;
            edit->StreamInRtf(rtf, false);
        }  // the blob is freed before the codings are read
        const ParagraphMap ranges = GetParagraphRanges(*edit);
        const qint32 length = edit->GetTextLength();
        QList<qint32> codings;
        d->m_db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
        for (const qint32 coding : std::as_const(codings)) {
            RowBuffer row;
            if (!d->m_db.ReadRow(TopicId::Codings, coding, row, false) || !IntOf(row, CodingField::IsText))
                continue;
            if (!RenewCodingSegment(row, *edit, ranges, length) || !row.Commit(true, false))
                return false;
        }
        edit->SetText(QString());
    }
    return transaction.Commit();
}

bool CKorDoc::RecountCodings()
{
    QHash<qint32, qint32> documentCodings;
    QHash<qint32, qint32> documentMemos;
    QHash<qint32, qint32> codeCodings;
    const TopicTable* codings = d->m_db.GetTable(TopicId::Codings);
    const TopicTable* memos = d->m_db.GetTable(TopicId::Memos);
    if (!codings || !memos)
        return false;
    const FieldDescriptor* codingDocument = codings->Fields().GetById(CodingField::Document);
    const FieldDescriptor* codingCode = codings->Fields().GetById(CodingField::Code);
    const FieldDescriptor* memoDocument = memos->Fields().GetById(MemoField::Document);
    if (!codingDocument || !codingCode || !memoDocument)
        return false;
    codings->ForEachRow([&](qint32, const char* row) {
        // Codings of code 0 are temporary retrieval rows.
        if (const qint32 code = IntAt(row, codingCode->Offset)) {
            ++documentCodings[IntAt(row, codingDocument->Offset)];
            ++codeCodings[code];
        }
    });
    memos->ForEachRow([&](qint32, const char* row) { ++documentMemos[IntAt(row, memoDocument->Offset)]; });

    QList<std::pair<qint32, qint32>> changed;  // topic, key
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        const auto recount = [&](qint32 topic, const std::function<bool(RowBuffer&, qint32)>& update) {
            QList<qint32> keys;
            d->m_db.GetAllKeys(topic, keys);
            for (const qint32 key : std::as_const(keys)) {
                RowBuffer row;
                if (!d->m_db.ReadRow(topic, key, row, false) || !update(row, key))
                    continue;
                if (!row.Commit(false, false))
                    return false;
                changed.append({topic, key});
            }
            return true;
        };
        const auto setCount = [](RowBuffer& row, qint32 field, qint32 count) {
            return IntOf(row, field) != count && SetInt(row, field, count);
        };
        const bool ok =
            recount(TopicId::Documents,
                    [&](RowBuffer& row, qint32 key) {
                        const bool codingsChanged = setCount(row, DocumentField::Codes, documentCodings.value(key));
                        const bool memosChanged = setCount(row, DocumentField::Memos, documentMemos.value(key));
                        return codingsChanged || memosChanged;
                    }) &&
            recount(TopicId::Codes, [&](RowBuffer& row, qint32 key) {
                return setCount(row, CodeField::Codes, codeCodings.value(key));
            });
        if (!ok || !transaction.Commit())
            return false;
    }
    for (const auto& [topic, key] : std::as_const(changed))
        NotifyChanged(topic, key);
    UpdateCodeFrequencies(0);
    return true;
}

void CKorDoc::CountCodingSources(const QList<qint32>& codings, qint32& documents, qint32& groups) const
{
    QSet<qint32> documentIds;
    for (const qint32 coding : codings) {
        const TopicTable* table = d->m_db.GetTable(TopicId::Codings);
        if (table && table->HasKey(coding))
            documentIds.insert(d->m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document));
    }
    QSet<qint32> groupIds;
    for (const qint32 document : std::as_const(documentIds)) {
        if (const qint32 group = GetDocumentGroup(document))
            groupIds.insert(group);
    }
    documents = qint32(documentIds.size());
    groups = qint32(groupIds.size());
}

bool CKorDoc::SaveCodingImage(const CodingRecord& coding, int& maxHeight, int& maxWidth, bool save)
{
    RowBuffer row;
    FieldValue text;
    if (!d->m_db.ReadRow(TopicId::Documents, coding.TextID, row, true) ||
        !row.GetFieldValue(DocumentField::Text, text) || !text.GetBlob() || text.GetBlob()->isEmpty())
        return false;
    switch (IntOf(row, DocumentField::DocType)) {
    case DocumentKind::Picture:
        return CopyPictureAreaAsImage(*text.GetBlob(), coding.PosX1, coding.StartChar, coding.PosX2, coding.FinishChar,
                                      maxHeight, maxWidth, save);
    case DocumentKind::Pdf:
        return CopyPdfAreaAsImage(*text.GetBlob(), coding.Page, coding.PosX1, coding.StartChar, coding.PosX2,
                                  coding.FinishChar, maxHeight, maxWidth, save);
    default: return false;
    }
}
