// Links between places in documents (two ends that name each other, or one
// end that names a file or address) and the media time marks of documents.

#include "document/kordoc.h"
#include "document/kordoc_p.h"

#include "document/documentids.h"
#include "document/rowfields.h"
#include "foundation/filehelpers.h"
#include "foundation/xmldoc.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

using namespace rowfields;

namespace {

/// The first link in store order whose other end is still missing; 0.
qint32 FirstWaitingLink(const TopicDatabase& db)
{
    const TopicTable* links = db.GetTable(TopicId::Links);
    const FieldDescriptor* partner = links ? links->Fields().GetById(LinkField::LinkID) : nullptr;
    qint32 found = 0;
    if (partner) {
        links->ForEachRow([&](qint32 key, const char* row) {
            if (found == 0 && IntAt(row, partner->Offset) == 0)
                found = key;
        });
    }
    return found;
}

bool FillMark(RowBuffer& row, const CKorDoc::MediaMarkRecord& mark)
{
    return SetInt(row, MediaMarkField::Document, mark.TextID) && SetInt(row, MediaMarkField::State, mark.State) &&
           SetInt(row, MediaMarkField::StartChar, mark.StartChar) && SetText(row, MediaMarkField::Begin, mark.Begin) &&
           SetText(row, MediaMarkField::End, mark.End);
}

}  // namespace

// ---- Links -------------------------------------------------------------------------

bool CKorDoc::AddLink(LinkRecord& record)
{
    if (!HasRow(TopicId::Documents, record.TextID))
        return false;
    // Only an end that waits for its partner pairs; one naming a file or
    // address (-1) never does.
    const qint32 partner = record.LinkID == 0 ? FirstWaitingLink(d->m_db) : 0;
    qint32 key = 0;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        key = CreateRow(
            TopicId::Links,
            [&](RowBuffer& row, qint32) {
                return SetInt(row, LinkField::Document, record.TextID) &&
                       SetInt(row, LinkField::StartChar, record.StartChar) &&
                       SetInt(row, LinkField::FinishChar, record.FinishChar) &&
                       SetInt(row, LinkField::LinkID, partner ? partner : record.LinkID) &&
                       SetInt(row, LinkField::Page, record.Page) && SetInt(row, LinkField::PosX1, record.PosX1) &&
                       SetInt(row, LinkField::PosX2, record.PosX2) && SetInt(row, LinkField::IsText, record.IsText) &&
                       SetBlob(row, LinkField::Text, record.Text);
            },
            true);
        if (!key)
            return false;
        if (partner) {
            RowBuffer row;
            if (!d->m_db.ReadRow(TopicId::Links, partner, row, false) || !SetInt(row, LinkField::LinkID, key) ||
                !row.Commit(false, false))
                return false;
        }
        if (!transaction.Commit())
            return false;
    }
    record.ID = key;
    if (partner)
        record.LinkID = partner;
    record.Text.clear();
    if (partner)
        NotifyChanged(TopicId::Links, partner);
    d->m_registry.NotifyAdded(TopicId::Links, key, 0, TopicId::Documents, record.TextID, true);
    return true;
}

bool CKorDoc::UpdateLink(LinkRecord& record)
{
    RowBuffer row;
    const QByteArray text = std::exchange(record.Text, {});
    if (!d->m_db.ReadRow(TopicId::Links, record.ID, row, false))
        return false;
    const bool filled = SetInt(row, LinkField::StartChar, record.StartChar) &&
                        SetInt(row, LinkField::FinishChar, record.FinishChar) &&
                        SetInt(row, LinkField::Page, record.Page) && SetInt(row, LinkField::PosX1, record.PosX1) &&
                        SetInt(row, LinkField::PosX2, record.PosX2) && SetBlob(row, LinkField::Text, text);
    if (!filled || !row.Commit(true, false))
        return false;
    NotifyChanged(TopicId::Links, record.ID);
    return true;
}

bool CKorDoc::DeleteFirstLink()
{
    const qint32 waiting = FirstWaitingLink(d->m_db);
    return waiting != 0 && DeleteLink(waiting);
}

bool CKorDoc::IsLinkPlaceFree(qint32 document, qint32 page, qint32 start, qint32 finish, qint32 x1, qint32 x2,
                              const TopicDatabase* store) const
{
    const TopicDatabase& db = store ? *store : d->m_db;
    QList<qint32> links;
    db.FindKeysByParent(TopicId::Links, TopicId::Documents, document, links);
    return std::none_of(links.cbegin(), links.cend(), [&](qint32 link) {
        const auto at = [&](qint32 field) { return db.GetIntValue(TopicId::Links, link, field); };
        return at(LinkField::Page) == page && at(LinkField::StartChar) == start && at(LinkField::FinishChar) == finish &&
               at(LinkField::PosX1) == x1 && at(LinkField::PosX2) == x2;
    });
}

// ---- Media marks -------------------------------------------------------------------

bool CKorDoc::AddMediaMarks(qint32 document, const QList<MediaMarkRecord>& marks)
{
    if (!HasRow(TopicId::Documents, document))
        return false;
    StoreTransaction transaction(&d->m_db);
    if (!transaction.IsActive())
        return false;
    for (MediaMarkRecord mark : marks) {
        mark.TextID = document;
        if (!CreateRow(TopicId::MediaMarks, [&](RowBuffer& row, qint32) { return FillMark(row, mark); }))
            return false;
    }
    return transaction.Commit();
}

bool CKorDoc::StoreMediaMarks(qint32 document, QList<MediaTimestamp>& marks, const QList<qsizetype>& indexes)
{
    if (!HasRow(TopicId::Documents, document))
        return false;
    struct Written {
        qsizetype index;
        bool added;
    };
    QList<Written> written;
    {
        StoreTransaction transaction(&d->m_db);
        if (!transaction.IsActive())
            return false;
        bool ok = true;
        for (const qsizetype index : indexes) {
            if (index < 0 || index >= marks.size())
                continue;
            MediaTimestamp& entry = marks[index];
            const MediaMarkRecord mark{document, 0, entry.startChar, FormatMediaTime(entry.begin),
                                       FormatMediaTime(entry.end)};
            const bool adding = entry.id == 0;
            if (!adding) {
                RowBuffer row;
                ok = d->m_db.ReadRow(TopicId::MediaMarks, entry.id, row, false) && FillMark(row, mark) &&
                     row.Commit(false, false);
            } else {
                entry.id = CreateRow(TopicId::MediaMarks, [&](RowBuffer& row, qint32) { return FillMark(row, mark); });
                ok = entry.id != 0;
            }
            if (!ok)
                break;
            written.append({index, adding});
        }
        if (!ok || !transaction.Commit()) {
            // The rows went with the transaction: so do their ids.
            for (const Written& done : std::as_const(written)) {
                if (done.added)
                    marks[done.index].id = 0;
            }
            return false;
        }
    }
    const qint32 position = written.isEmpty() ? 0 : marks.at(written.first().index).id;
    for (const Written& done : std::as_const(written)) {
        const qint32 id = marks.at(done.index).id;
        if (!done.added) {
            NotifyChanged(TopicId::MediaMarks, id);
            continue;
        }
        d->m_registry.NotifyAdded(TopicId::MediaMarks, id, position, TopicId::Documents, document, true);
        d->m_registry.SelectObject(TopicId::MediaMarks, id, 0);
    }
    return true;
}

bool CKorDoc::GetMediaMark(qint32 mark, MediaMarkRecord& record) const
{
    if (!HasRow(TopicId::MediaMarks, mark))
        return false;
    record.TextID = d->m_db.GetIntValue(TopicId::MediaMarks, mark, MediaMarkField::Document);
    record.State = d->m_db.GetIntValue(TopicId::MediaMarks, mark, MediaMarkField::State);
    record.StartChar = d->m_db.GetIntValue(TopicId::MediaMarks, mark, MediaMarkField::StartChar);
    record.Begin = FieldText(TopicId::MediaMarks, mark, MediaMarkField::Begin);
    record.End = FieldText(TopicId::MediaMarks, mark, MediaMarkField::End);
    return true;
}

bool CKorDoc::DeleteMediaMark(qint32 mark)
{
    MediaMarkRecord deleted;
    if (!GetMediaMark(mark, deleted))
        return false;
    QList<MediaTimestamp> marks;
    LoadDocumentTimestamps(deleted.TextID, marks);
    const auto found =
        std::find_if(marks.cbegin(), marks.cend(), [mark](const MediaTimestamp& entry) { return entry.id == mark; });
    if (marks.size() < 2 || found == marks.cend())
        return false;
    // The times stay without a gap: the mark before takes over the end, or
    // the next one starts where the first started.
    const bool first = found == marks.cbegin();
    const qint32 neighbour = first ? marks.at(1).id : (found - 1)->id;
    Deletion deletion;
    {
        StoreTransaction transaction(&d->m_db);
        RowBuffer row;
        if (!transaction.IsActive() || !d->m_db.ReadRow(TopicId::MediaMarks, neighbour, row, false))
            return false;
        const bool filled = first ? SetInt(row, MediaMarkField::StartChar, 0) &&
                                        SetText(row, MediaMarkField::Begin, FormatMediaTime(0))
                                  : SetText(row, MediaMarkField::End, deleted.End);
        if (!filled || !row.Commit(false, false) ||
            !DeleteRowsInTransaction(TopicId::MediaMarks, {mark}, deletion) || !transaction.Commit())
            return false;
    }
    AnnounceDeletion(deletion);
    NotifyChanged(TopicId::MediaMarks, neighbour);
    return true;
}

bool CKorDoc::ParseTimeMark(const QString& text, QString& fileName, QString& time)
{
    QString mark = text;
    mark.remove(QLatin1Char('"'));
    mark = mark.trimmed();
    const qsizetype file = mark.indexOf(QLatin1String("file="));
    const qsizetype at = file >= 0 ? mark.indexOf(QLatin1String("time="), file + 5) : -1;
    if (at < 0)
        return false;
    const QString milliseconds = mark.mid(at + 5).trimmed();
    qsizetype digits = 0;
    while (digits < milliseconds.size() && milliseconds.at(digits).isDigit() &&
           milliseconds.at(digits).unicode() < 0x80)
        ++digits;
    bool ok = false;
    const qint64 value = milliseconds.left(digits).toLongLong(&ok);
    if (!ok || value > INT32_MAX)
        return false;
    fileName = CXmlDoc::DecodeEntity(QStringView(mark).mid(file + 5, at - file - 5).trimmed());
    time = FormatMediaTime(qint32(value));
    return true;
}
