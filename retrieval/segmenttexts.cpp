#include "retrieval/segmenttexts.h"

#include "retrieval/documenttexts.h"

#include "foundation/richtexthelpers.h"
#include "platform/pdf/pdfmemorydocument.h"
#include "platform/rtf/richeditctrlex.h"
#include "platform/rtf/rtfwriter.h"
#include "store/fieldvalue.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QStringList>
#include <QTextDocument>

#include <algorithm>
#include <numeric>

namespace retrieval {

namespace {

/// RTF of a plain text, as the control writes it.
QByteArray PlainToRtf(QTextDocument& scratch, const QString& text)
{
    scratch.setPlainText(text);
    return rtf::WriteRtf(scratch);
}

}  // namespace

void ReadSegmentTexts(TopicDatabase& db, const CSegmentArray& rows, QList<QByteArray>& texts,
                      std::vector<ParagraphPair>* paragraphs)
{
    const qsizetype count = rows.GetSize();
    texts = QList<QByteArray>(count);
    if (paragraphs) {
        paragraphs->resize(size_t(count));
        for (qsizetype i = 0; i < count; ++i)
            (*paragraphs)[size_t(i)] = {rows[i].start, rows[i].end};
    }
    // Visit the rows by document, so that each is parsed once.
    std::vector<qint32> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&rows](qint32 a, qint32 b) { return rows[a].document < rows[b].document; });

    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    QTextDocument scratch;
    for (size_t first = 0; first < order.size();) {
        const qint32 document = rows[order[first]].document;
        size_t last = first;
        while (last < order.size() && rows[order[last]].document == document)
            ++last;
        qint32 kind = 0;
        QByteArray content;
        if (ReadDocumentContent(db, document, kind, content) && !content.isEmpty()) {
            if (kind == DocumentKind::RichText) {
                edit->StreamInRtf(&content, false);
                const ParagraphMap map = paragraphs ? GetParagraphRanges(*edit) : ParagraphMap();
                const qint32 length = edit->GetTextLength();
                for (size_t k = first; k < last; ++k) {
                    const CSegmentRow& row = rows[order[k]];
                    edit->SetSel(qBound(0, row.start, length), qBound(0, row.end, length));
                    edit->StreamOutRtf(&texts[order[k]], true, true);
                    if (paragraphs)
                        (*paragraphs)[size_t(order[k])] = {ParagraphOfPosition(row.start, true, map),
                                                           ParagraphOfPosition(row.end, false, map)};
                }
            } else if (kind == DocumentKind::Pdf) {
                // Engine character indexes of the page, without inserted blanks.
                QStringList pages;
                ExtractPdfText(content, pages, false);
                for (size_t k = first; k < last; ++k) {
                    const CSegmentRow& row = rows[order[k]];
                    if (row.page < 1 || row.page > pages.size())
                        continue;
                    const QString& page = pages[row.page - 1];
                    const qint32 start = qBound(0, row.start, qint32(page.size()));
                    const qint32 end = qBound(start, row.end, qint32(page.size()));
                    texts[order[k]] = PlainToRtf(scratch, page.mid(start, end - start));
                }
            }
        }
        first = last;
    }
}

}  // namespace retrieval
