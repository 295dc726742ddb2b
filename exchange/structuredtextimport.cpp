#include "exchange/structuredtextimport.h"

#include "document/codingrecord.h"
#include "document/documentfileimport.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "exchange/importtexts.h"
#include "foundation/ids.h"
#include "foundation/options.h"
#include "foundation/orderedwork.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfreader.h"
#include "platform/rtf/rtfwriter.h"
#include "store/topicdatabase.h"

#include <QFile>
#include <QHash>
#include <QTextDocument>

namespace structuredtext {

namespace {

const QString kText = QStringLiteral("#TEXT");
const QString kEndText = QStringLiteral("#ENDTEXT");
const QString kCode = QStringLiteral("#CODE");
const QString kEndCode = QStringLiteral("#ENDCODE");
constexpr QChar kCr = u'\r';
constexpr QChar kHash = u'#';
/// What an empty region becomes, so that its coding has text to hold.
constexpr int kEmptyRegionBlanks = 10;
constexpr int kPreviewLength = 63;

/// The end of a marker's line: the next CR, or a "#" before it; -1 when
/// neither follows.
qsizetype LineEnd(const QString& text, qsizetype from, bool* atHash = nullptr)
{
    const qsizetype cr = text.indexOf(kCr, from);
    const qsizetype hash = text.indexOf(kHash, from);
    const bool hashFirst = hash >= 0 && (cr < 0 || hash < cr);
    if (atHash)
        *atHash = hashFirst;
    return hashFirst ? hash : cr;
}

void Remove(CRichEditCtrlEx& edit, qsizetype from, qsizetype to)
{
    if (to <= from)
        return;
    edit.SetSel(int(from), int(to));
    edit.ReplaceSelText(QStringLiteral(""));
}

void Replace(CRichEditCtrlEx& edit, qsizetype from, qsizetype to, const QString& text)
{
    edit.SetSel(int(from), int(to));
    edit.ReplaceSelText(text);
}

/// The paths of a "#CODE" line, separated by two backslashes; each path's
/// parts trimmed, empty parts and paths dropped.
QStringList SplitPaths(const QString& text)
{
    QStringList paths;
    for (const QString& path : text.split(QStringLiteral("\\\\"))) {
        QStringList parts;
        for (const QString& part : path.split(u'\\')) {
            const QString trimmed = part.trimmed();
            if (!trimmed.isEmpty())
                parts.append(trimmed);
        }
        if (!parts.isEmpty())
            paths.append(parts.join(u'\\'));
    }
    return paths;
}

}  // namespace

bool CutBlocks(const QByteArray& rtf, QList<Block>& blocks, QString& reason)
{
    blocks.clear();
    if (!rtf::IsRtf(rtf)) {
        reason = LoadString(ImportText::NotRichText);
        return false;
    }
    QTextDocument document;
    const rtf::ReadResult read = rtf::ReadRtf(rtf, document);
    if (!read.ok || read.damaged) {
        reason = LoadString(ImportsText::DamagedRichText).arg(read.error);
        return false;
    }
    const rtf::RichTextMap map(document);
    const QString& text = map.text();
    qsizetype marker = text.indexOf(kText);
    while (marker >= 0) {
        const qsizetype nameStart = marker + kText.size();
        const qsizetype cr = text.indexOf(kCr, nameStart);
        if (cr < 0)
            break;
        const qsizetype start = cr + 1;
        const qsizetype next = text.indexOf(kText, start);
        const qsizetype endText = text.indexOf(kEndText, start);
        // The CR of the line before a marker is not content.
        qsizetype end = text.size();
        if (endText >= 0 && (next < 0 || endText < next))
            end = endText - 1;
        else if (next >= 0)
            end = next - 1;
        end = qMax(end, start);
        Block block;
        block.name = text.mid(nameStart, cr - nameStart).trimmed();
        block.rtf = rtf::WriteRtf(document, map.toDocument(int(start)), map.toDocument(int(end)));
        if (block.rtf.isEmpty())
            block.rtf = CRichEditCtrlEx::DefaultRtf();
        blocks.append(std::move(block));
        if (IWaitWindow* window = GetWaitWindow()) {
            window->SetText(LoadString(ImportsText::CreatingDocument).arg(blocks.size()));
            window->Pump();
        }
        marker = next;
    }
    return true;
}

void CodeBlock(CRichEditCtrlEx& edit, Block& block, bool keepCodeNames)
{
    edit.StreamInRtf(&block.rtf, false);
    block.regions.clear();
    qsizetype from = 0;
    for (;;) {
        QString text = edit.TextMap().text();
        const qsizetype keyword = text.indexOf(kCode, from);
        if (keyword < 0)
            break;
        const qsizetype afterKeyword = keyword + kCode.size();
        bool atHash = false;
        const qsizetype nameEnd = LineEnd(text, afterKeyword, &atHash);
        if (nameEnd < 0 && !keepCodeNames) {
            // A marker without a line end takes the rest of the text along.
            Remove(edit, keyword, text.size());
            break;
        }
        const qsizetype pathsEnd = nameEnd < 0 ? text.size() : nameEnd;
        const QStringList paths = SplitPaths(text.mid(afterKeyword, pathsEnd - afterKeyword));
        if (atHash)
            Replace(edit, nameEnd, nameEnd + 1, QStringLiteral(" "));
        qsizetype markerEnd = nameEnd + 1;  // the line end goes with the marker
        if (keepCodeNames) {
            markerEnd = afterKeyword;
            while (markerEnd < text.size() && text.at(markerEnd) == u' ')
                ++markerEnd;
        }
        Remove(edit, keyword, markerEnd);

        const qsizetype start = keyword;
        text = edit.TextMap().text();
        const qsizetype nextCode = text.indexOf(kCode, start);
        const qsizetype endCode = text.indexOf(kEndCode, start);
        qsizetype end = text.size();
        if (endCode >= 0 && (nextCode < 0 || endCode < nextCode)) {
            const qsizetype lineEnd = LineEnd(text, endCode + kEndCode.size());
            const qsizetype spanEnd = lineEnd < 0 ? text.size() : lineEnd + 1;
            end = endCode;
            if (end == start) {
                // An empty region keeps room for its coding: exactly these
                // blanks are coded.
                Replace(edit, endCode, spanEnd, QString(kEmptyRegionBlanks, u' '));
                if (!keepCodeNames)
                    end = start + kEmptyRegionBlanks;
            } else {
                Remove(edit, endCode, spanEnd);
            }
        } else if (nextCode >= 0) {
            end = nextCode;
        }
        if (!paths.isEmpty() && end > start) {
            Region region;
            region.paths = paths;
            region.start = qint32(start);
            region.end = qint32(end);
            block.regions.append(std::move(region));
        }
        from = end;
    }

    // Later markers lie behind every region, so the regions are taken from
    // the final text.
    const ParagraphMap ranges = GetParagraphRanges(edit);
    for (Region& region : block.regions) {
        region.startPara = ParagraphOfPosition(region.start, true, ranges);
        region.finishPara = ParagraphOfPosition(region.end, false, ranges);
        region.preview = GetRichEditTextRange(&edit, region.start, region.end, kPreviewLength);
        edit.SetSel(region.start, region.end);
        edit.StreamOutRtf(&region.rtf, true, true);
    }
    block.size = edit.GetTextLength();
    block.rtf.clear();
    edit.StreamOutRtf(&block.rtf, false, true);
}

}  // namespace structuredtext

using namespace structuredtext;

StructuredTextImport::StructuredTextImport(CKorDoc& doc) : m_doc(doc) {}

bool StructuredTextImport::ImportFile(const QString& path, qint32 group, bool keepCodeNames, QString& reason,
                                      QList<qint32>* documents)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = LoadString(ImportText::CannotRead);
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        reason = LoadString(ImportText::CannotRead);
        return false;
    }
    file.close();
    return ImportRtf(bytes, group, keepCodeNames, reason, documents);
}

bool StructuredTextImport::ImportRtf(const QByteArray& rtf, qint32 group, bool keepCodeNames, QString& reason,
                                     QList<qint32>* documents)
{
    reason.clear();
    if (documents)
        documents->clear();
    QList<Block> blocks;
    if (!CutBlocks(rtf, blocks, reason))
        return false;
    if (blocks.isEmpty())
        return true;
    QList<qint32> made;
    const bool written = m_doc.RunHeldImport([&](QString&) {
        StoreTransaction transaction(&m_doc.GetDatabase());
        return transaction.IsActive() && Write(blocks, group, keepCodeNames, reason, made) && transaction.Commit();
    });
    if (!written) {
        if (reason.isEmpty())
            reason = LoadString(ImportText::NotWritten);
        return false;
    }
    if (documents)
        *documents = made;
    return true;
}

namespace {

struct CodingWorker {
    CodingWorker() : edit(CreateHiddenRichEdit()) {}
    std::unique_ptr<CRichEditCtrlEx> edit;
};

struct CodingJob {
    Block* block = nullptr;
    QList<PreparedBlob> prepared;  // the regions' stored forms, made ahead
};

}  // namespace

bool StructuredTextImport::Write(QList<Block>& blocks, qint32 group, bool keepCodeNames, QString& reason,
                                 QList<qint32>& made)
{
    const qint32 weight = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
    const QString progress = LoadString(ImportsText::CodingDocument);
    QHash<QString, qint32> codes;  // path, without case, to the code made or found
    bool failed = false;
    const auto codeOf = [&](const QString& path) {
        const QString key = path.toLower();
        if (const auto found = codes.constFind(key); found != codes.cend())
            return *found;
        const qint32 code = m_doc.AddCodeByPath(0, path, true);
        if (code)
            codes.insert(key, code);
        return code;
    };
    const auto writeBlock = [&](Block& block, QList<PreparedBlob>& prepared) {
        DocumentImportBatch batch;
        ImportedDocument document;
        document.group = group;
        document.name = block.name;
        document.kind = DocumentKind::RichText;
        document.content = std::move(block.rtf);
        document.size = block.size;
        batch.documents.append(std::move(document));
        QList<qint32> ids;
        if (!m_doc.AddImportedDocuments(batch, ids) || ids.size() != 1)
            return false;
        made.append(ids.first());
        for (qsizetype r = 0; r < block.regions.size(); ++r) {
            Region& region = block.regions[r];
            for (const QString& path : std::as_const(region.paths)) {
                CodingRecord record;
                record.TextID = ids.first();
                record.WordID = codeOf(path);
                if (!record.WordID)
                    return false;
                record.StartChar = region.start;
                record.FinishChar = region.end;
                record.StartPara = region.startPara;
                record.FinishPara = region.finishPara;
                record.Weight = weight;
                record.Preview = region.preview;
                record.Text = region.rtf;
                record.PreparedText = prepared.value(r);
                record.Area = region.end - region.start;
                record.Coverage = block.size > 0 ? record.Area * 100.0 / block.size : 0.0;
                qint32 action = 0;
                bool written = false;
                m_doc.AddCoding(record, action, OverlapMode::Union, &written, false);
                // Not written is right only where the same coding is there
                // already (a path named twice on one line).
                if (!written && m_doc.FindOverlappingCoding(record, OverlapMode::Drop) != OverlapResult::Drop)
                    return false;
            }
        }
        return true;
    };

    const qsizetype count = blocks.size();
    const int threads = OrderedWorkThreads(count);
    RunOrderedWork<CodingJob, CodingWorker>(
        count, threads, 2 * (threads + 1), [] { return std::make_unique<CodingWorker>(); },
        [&](qsizetype i, CodingJob& job) {
            job.block = &blocks[i];
            return !failed;
        },
        [keepCodeNames](CodingWorker& worker, CodingJob& job) {
            CodeBlock(*worker.edit, *job.block, keepCodeNames);
            for (const Region& region : std::as_const(job.block->regions))
                job.prepared.append(PreparedBlob(region.rtf));
        },
        [&](qsizetype i, CodingJob& job) {
            if (failed)
                return;
            if (IWaitWindow* window = GetWaitWindow()) {
                window->SetText(progress.arg(i + 1).arg(count));
                window->Pump();
            }
            failed = !writeBlock(*job.block, job.prepared);
            // The block's texts are in the project now (or never will be).
            *job.block = Block();
        });
    if (failed)
        reason = LoadString(ImportText::NotWritten);
    return !failed;
}
