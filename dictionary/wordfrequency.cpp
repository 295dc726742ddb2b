#include "dictionary/wordfrequency.h"

#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "document/wordcounts.h"
#include "foundation/orderedwork.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/documenttexts.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace rowfields;


namespace dictionary {

namespace {

/// Fields of the word table (topic 17) written here.
namespace Field {
enum : qint32 { Type = 1, Word = 2, Length = 3, Frequency = 4, Percentage = 5, Entry = 6 };
}
/// Count columns of documents or sets: 100000000 + the id.
constexpr qint32 kGroupColumnBase = 100000000;
constexpr qint32 kWaitText = 5748;
constexpr qint32 kLongestWord = 63;
constexpr qint32 kCloudWords = 50;

/// One document of a run: read here, decoded and counted on a helper.
struct DocumentJob {
    qint32 document = 0;
    qint32 kind = -1;
    QByteArray content;
    bool stored = false;
    const QList<const CSegmentRow*>* segments = nullptr;  // only these stretches, when set
    bool counted = false;  // its text was not empty
    WordCounts words;
    qint32 total = 0;      // occurrences counted
};

struct Helper {
    Helper() : edit(CreateHiddenRichEdit()) {}
    std::unique_ptr<CRichEditCtrlEx> edit;
};

/// The text to count of the document's texts: each text (or each stretch of
/// a retrieved segment) followed by one blank.
QString TextToCount(const QList<retrieval::DocumentText>& texts, const QList<const CSegmentRow*>* segments)
{
    QString text;
    if (!segments) {
        for (const retrieval::DocumentText& part : texts)
            text += part.text + u' ';
        return text;
    }
    for (const CSegmentRow* row : *segments) {
        for (const retrieval::DocumentText& part : texts) {
            if (!retrieval::SegmentOnText(*row, part))
                continue;
            const qint32 length = qint32(part.text.size());
            const qint32 start = qBound(0, row->start, length);
            const qint32 end = qBound(start, row->end, length);
            if (end > start) {
                text += QStringView(part.text).mid(start, end - start);
                text += u' ';
            }
        }
    }
    return text;
}

/// Reads the documents in order, counts each on helper threads and hands
/// every document with counted text to apply, in order.
void CountDocuments(CKorDoc& doc, const QList<qint32>& documents,
                    const QHash<qint32, QList<const CSegmentRow*>>* segments,
                    const std::function<void(DocumentJob&)>& apply)
{
    TopicDatabase& db = doc.GetDatabase();
    const CKorDoc& counter = doc;
    const int threads = OrderedWorkThreads(documents.size());
    RunOrderedWork<DocumentJob, Helper>(
        documents.size(), threads, 4 * (threads + 1), [] { return std::make_unique<Helper>(); },
        [&](qsizetype i, DocumentJob& job) {
            job.document = documents[i];
            job.segments = nullptr;
            if (segments) {
                const auto found = segments->constFind(job.document);
                if (found == segments->cend())
                    return false;
                job.segments = &*found;
            }
            if (!retrieval::ReadStoredDocumentContent(db, job.document, job.kind, job.content, job.stored))
                return false;
            return job.kind != DocumentKind::Picture && !job.content.isEmpty();
        },
        [&](Helper& helper, DocumentJob& job) {
            job.words.clear();
            job.total = 0;
            job.counted = false;
            if (!retrieval::FinishDocumentContent(job.content, job.stored) || !helper.edit)
                return;
            QString text = TextToCount(retrieval::DocumentTextsOf(job.kind, job.content, *helper.edit), job.segments);
            job.content = QByteArray();  // released before the next document is read
            if (text.isEmpty())
                return;
            job.counted = true;
            job.total = counter.CountWords(text, job.words, nullptr, true);
        },
        [&](qsizetype, DocumentJob& job) { apply(job); });
}

void AddCounts(WordCounts& into, const WordCounts& from)
{
    from.ForEach([&into](const QString& word, qint32 count) { into[word] += count; });
}

void ShowProgress(qint32 documents, qsizetype words)
{
    if (GetWaitWindow())
        SetWaitText(LoadString(kWaitText).arg(documents).arg(words));
}

/// One row of the word table per word of total; groups[i] fills the column
/// of ids[i] with its counts (words it lacks read as 0). The groups are
/// emptied on the way.
void WriteWordRows(CKorDoc& doc, const WordCounts& total, qint64 totalCount, const QList<qint32>& ids,
                   std::vector<WordCounts>& groups)
{
    TopicDatabase& db = doc.GetDatabase();
    if (!db.GetTable(TopicId::WordFrequencies))
        return;
    // Each word's non-zero group counts, so that a row visits only the
    // groups holding its word, not every group (words x groups lookups).
    QHash<QString, QList<std::pair<qint32, qint32>>> cells;
    if (!groups.empty())
        cells.reserve(total.size());
    for (size_t g = 0; g < groups.size(); ++g) {
        const qint32 field = kGroupColumnBase + ids[qsizetype(g)];
        groups[g].ForEach([&cells, field](const QString& word, qint32 count) {
            if (count != 0)
                cells[word].append({field, count});
        });
        groups[g] = WordCounts();
    }
    total.ForEach([&](const QString& word, qint32 count) {
        RowBuffer row;
        if (!db.AddRow(TopicId::WordFrequencies, row, -1))
            return;
        const QString text = word.left(kLongestWord);
        SetInt(row, Field::Type, 0);
        SetText(row, Field::Word, text);
        SetInt(row, Field::Length, qint32(text.size()));
        SetInt(row, Field::Frequency, count);
        SetReal(row, Field::Percentage, WordPercentage(count, totalCount));
        SetInt(row, Field::Entry, 0);
        if (const auto found = cells.constFind(word); found != cells.cend()) {
            for (const auto& [field, inGroup] : *found)
                SetInt(row, field, inGroup);
        }
        row.Commit(false, true);
    });
}

/// The RTF of the tag cloud's words.
QByteArray TagCloudRtf(const QList<TagCloudWord>& words)
{
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    if (!edit)
        return {};
    edit->SetText(QString());
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskColor;
    format.faceName = QStringLiteral("Verdana");
    const auto append = [&edit, &format](const QString& text) {
        const int start = edit->GetTextLength();
        edit->SetSel(start, start);
        edit->ReplaceSelText(text);
        edit->SetSel(start, edit->GetTextLength());
        edit->SetSelCharFormat2(format);
    };
    for (const TagCloudWord& word : words) {
        format.height = word.twips;
        format.textColor = word.color;
        append(word.word);
        format.height = 200;  // the blank keeps the word's colour
        append(QStringLiteral(" "));
    }
    QByteArray rtf;
    edit->StreamOutRtf(&rtf, false, false);
    return rtf;
}

}  // namespace

double WordPercentage(qint64 count, qint64 total)
{
    if (total <= 0)
        return 0.0;
    const double share = double(count) * 100.0 / double(total);
    return std::round(share * 100.0) / 100.0;
}

QList<TagCloudWord> TagCloudWords(const WordCounts& counts)
{
    std::vector<quint32> values;
    values.reserve(size_t(counts.size()));
    counts.ForEach([&values](const QString&, qint32 count) { values.push_back(quint32(count)); });
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const quint32 maximum = values.back();
    // The 50th largest count, or the smallest with fewer words.
    const quint32 threshold = values.size() >= size_t(kCloudWords) ? values[values.size() - kCloudWords] : values.front();
    QList<std::pair<QString, qint32>> taken;
    counts.ForEach([&](const QString& word, qint32 count) {
        if (quint32(count) >= threshold)
            taken.append({word, count});
    });
    std::sort(taken.begin(), taken.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    // Below threshold + 3 the step would be 0: one class then.
    const qint64 step = std::max<qint64>(1, (qint64(maximum) - qint64(threshold) + 1) / 4);
    QList<TagCloudWord> words;
    for (const auto& [word, count] : std::as_const(taken)) {
        const qint32 g = qint32(double(qint64(count) - qint64(threshold) + 1) / double(step));
        qint32 red = 150 - 30 * g;
        qint32 green = 150 - 25 * g;
        qint32 blue = 255 - 20 * g;
        if (red < 0 || green < 0 || blue < 0) {
            red = 35;
            green = 50;
            blue = 110;
        }
        words.append({word, 140 * g + 200, quint32(red) | (quint32(green) << 8) | (quint32(blue) << 16)});
    }
    return words;
}

void WordFrequencyCounter::CountWordsAll(CKorDoc& doc, qint32 unit, const CSegmentArray* segments)
{
    TopicDatabase& db = doc.GetDatabase();
    if (!db.GetTable(TopicId::WordFrequencies))
        return;
    const WordCountSettings& settings = doc.GetWordCountSettings();
    doc.GetKeptDocuments().clear();
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    if (settings.onlyActivated || settings.onlySegments) {
        documents.removeIf([&db](qint32 document) {
            RowBuffer row;
            if (!db.ReadRow(TopicId::Documents, document, row, false))
                return false;  // a row that cannot be read stays
            return !(IntOf(row, DocumentField::State) & ObjectState::Activated);
        });
    }
    QList<qint32> sets;
    if (unit == WordCountUnit::PerSet) {
        db.GetAllKeys(TopicId::DocumentSets, sets);
        doc.PrepareWordTable(sets, TopicId::DocumentSets);
    } else if (unit == WordCountUnit::PerDocument) {
        doc.PrepareWordTable(documents, TopicId::Documents);
    } else {
        doc.PrepareWordTable({}, 0);
    }
    ShowProgress(0, 0);
    CountWordsInDocuments(doc, documents, sets, unit, segments);
    if ((unit == WordCountUnit::All || unit == WordCountUnit::PerDocument) && !settings.onlySegments)
        doc.GetKeptDocuments() = documents;
}

bool WordFrequencyCounter::CountWordsInDocuments(CKorDoc& doc, const QList<qint32>& documents,
                                                 const QList<qint32>& sets, qint32 unit,
                                                 const CSegmentArray* segments)
{
    TopicDatabase& db = doc.GetDatabase();
    const bool inSegments = doc.GetWordCountSettings().onlySegments;
    QHash<qint32, QList<const CSegmentRow*>> byDocument;
    if (inSegments && segments) {
        for (const CSegmentRow& row : *segments)
            byDocument[row.document].append(&row);
    }
    // Per set: the sets each document is a member of, each set once.
    QHash<qint32, QList<qsizetype>> setsOf;
    if (unit == WordCountUnit::PerSet) {
        for (qsizetype s = 0; s < sets.size(); ++s) {
            QList<qint32> members;
            db.FindKeysByParent(TopicId::DocumentSetMembers, TopicId::DocumentSets, sets[s], members);
            for (const qint32 member : std::as_const(members)) {
                QList<qsizetype>& of = setsOf[db.GetIntValue(TopicId::DocumentSetMembers, member, SetMemberField::ObjectID)];
                if (of.isEmpty() || of.constLast() != s)
                    of.append(s);
            }
        }
    }
    QHash<qint32, qsizetype> documentIndex;
    if (unit == WordCountUnit::PerDocument) {
        for (qsizetype i = 0; i < documents.size(); ++i)
            documentIndex.insert(documents[i], i);
    }

    const QList<qint32>& groupIds = unit == WordCountUnit::PerSet ? sets : documents;
    std::vector<WordCounts> groups(unit == WordCountUnit::PerSet || unit == WordCountUnit::PerDocument
                                       ? size_t(groupIds.size())
                                       : 0);
    WordCounts total;
    qint64 running = 0;
    qint32 done = 0;
    QList<qint32>& counted = doc.GetKeptDocuments();
    CountDocuments(doc, documents, inSegments ? &byDocument : nullptr, [&](DocumentJob& job) {
        ++done;
        if (unit == WordCountUnit::PerSet) {
            const QList<qsizetype> of = setsOf.value(job.document);
            for (const qsizetype s : of) {
                AddCounts(total, job.words);
                AddCounts(groups[size_t(s)], job.words);
                running += job.total;
            }
            if (job.counted && !of.isEmpty() && inSegments)
                counted.append(job.document);
        } else {
            if (job.counted && inSegments)
                counted.append(job.document);
            AddCounts(total, job.words);
            if (unit == WordCountUnit::PerDocument)
                groups[size_t(documentIndex.value(job.document))] = std::move(job.words);
            running += job.total;
        }
        ShowProgress(done, total.size());
    });
    if (running <= 0 || !db.GetTable(TopicId::WordFrequencies))
        return false;
    WriteWordRows(doc, total, running, groupIds, groups);
    doc.SetTotalWordCount(running);
    return true;
}

void WordFrequencyCounter::CollectWords(CKorDoc& doc, const QList<qint32>& documents, QByteArray& rtf)
{
    WordCounts total;
    qint64 running = 0;
    qint32 done = 0;
    CountDocuments(doc, documents, nullptr, [&](DocumentJob& job) {
        ++done;
        AddCounts(total, job.words);
        running += job.total;
        ShowProgress(done, total.size());
    });
    if (running == 0)
        return;
    rtf = TagCloudRtf(TagCloudWords(total));
    doc.PrepareWordTable({}, 0);
    if (!doc.GetDatabase().GetTable(TopicId::WordFrequencies))
        return;
    std::vector<WordCounts> noGroups;
    WriteWordRows(doc, total, running, {}, noGroups);
    doc.SetTotalWordCount(running);
}

void WordFrequencyCounter::AddWordHits(qint32 entry, qint32 column, qint32 count)
{
    if (!m_doc || count <= 0)
        return;
    TopicDatabase& db = m_doc->GetDatabase();
    if (!db.GetTable(TopicId::WordFrequencies))
        return;
    // The entry's row from an earlier call, unless the table was prepared anew since.
    qint32 key = m_entryRows.value(entry);
    if (key && db.GetIntValue(TopicId::WordFrequencies, key, Field::Entry) != entry)
        key = 0;
    RowBuffer row;
    if (key ? !db.ReadRow(TopicId::WordFrequencies, key, row, false) : !db.AddRow(TopicId::WordFrequencies, row, -1))
        return;
    if (!key) {
        const QString word = TextOfKey(db, TopicId::DictionaryEntries, entry, EntryField::Text).left(kLongestWord);
        SetInt(row, Field::Type, 0);
        SetText(row, Field::Word, word);
        SetInt(row, Field::Length, qint32(word.size()));
        SetInt(row, Field::Entry, entry);
    }
    SetInt(row, Field::Frequency, IntOf(row, Field::Frequency) + count);
    if (column != 0)
        SetInt(row, kGroupColumnBase + column, IntOf(row, kGroupColumnBase + column) + count);
    if (row.Commit(false, true) && !key)
        m_entryRows.insert(entry, row.GetKey());
}

void WordFrequencyCounter::FinishWordHits(CKorDoc& doc)
{
    m_entryRows.clear();
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> keys;
    db.GetAllKeys(TopicId::WordFrequencies, keys);
    qint64 total = 0;
    for (const qint32 key : std::as_const(keys))
        total += db.GetIntValue(TopicId::WordFrequencies, key, Field::Frequency);
    for (const qint32 key : std::as_const(keys)) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::WordFrequencies, key, row, false))
            continue;
        SetReal(row, Field::Percentage, WordPercentage(IntOf(row, Field::Frequency), total));
        row.Commit(false, true);
    }
    doc.SetTotalWordCount(total);
}

}  // namespace dictionary
