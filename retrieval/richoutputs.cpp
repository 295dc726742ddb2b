// Rich-text outputs: memo blocks, coding and memo lists as RTF files, the
// search hits in three context widths, and the category overviews.

#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "foundation/ids.h"
#include "foundation/imageexport.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "platform/rtf/richeditctrlex.h"
#include "retrieval/dictionarymatcher.h"
#include "retrieval/documenttexts.h"
#include "retrieval/lexicalengine.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topictable.h"

#include <QImage>
#include <QtEndian>
#include <QLocale>
#include <QSaveFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <functional>

namespace retrieval {

using namespace rowfields;

namespace {

namespace Label {
constexpr int MemoTitle = 1039;
constexpr int Code = 1040;
constexpr int Author = 1041;
constexpr int Document = 1042;
constexpr int LinkedCodes = 1043;
constexpr int Date = 57713;
constexpr int Paragraph = 57834;
constexpr int Weight = 57697;
constexpr int Paragraphs = 57698;
constexpr int Progress = 3130;       ///< "%1" the current, "%2" the total number
constexpr int FileNotWritten = 191400;  ///< "%1" the file, "%2" the reason
}  // namespace Label

/// The largest side of an area coding's picture in a coding list.
constexpr int kPictureBound = 600;
/// Memo field of the codes it links: 32-bit little-endian ids.
constexpr qint32 kMemoCodes = 12;
constexpr qint32 kMemoAuthor = 9;
constexpr qint32 kMemoDate = 10;
constexpr qint32 kCodingPosX1 = 16;
constexpr qint32 kCodingPosX2 = 17;
constexpr qint32 kCodingPage = 18;

/// The end of the control's text.
qint32 EndOf(const CRichEditCtrlEx& control)
{
    return control.GetTextLength();
}

/// Appends plain text (CR or LF end paragraphs) at the end of the control;
/// where it went.
std::pair<qint32, qint32> AppendText(CRichEditCtrlEx& control, const QString& text)
{
    const qint32 start = EndOf(control);
    control.SetSel(start, start);
    control.ReplaceSelText(text);
    return {start, EndOf(control)};
}

void AppendRtf(CRichEditCtrlEx& control, const QByteArray& rtf)
{
    if (rtf.isEmpty())
        return;
    const qint32 end = EndOf(control);
    control.SetSel(end, end);
    control.StreamInRtf(&rtf, true);
}

void FormatRange(CRichEditCtrlEx& control, qint32 start, qint32 end, const RichEditCharFormat& format)
{
    control.SetSel(start, end);
    control.SetSelCharFormat2(format);
    control.SetSel(EndOf(control), EndOf(control));
}

RichEditCharFormat Format(const char* face, qint32 twips, bool bold, quint32 color)
{
    RichEditCharFormat format;
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBold | kCharMaskColor;
    format.faceName = QString::fromLatin1(face);
    format.height = twips;
    format.effects = bold ? quint32(kCharBold) : 0u;
    format.textColor = color;
    return format;
}

/// Segment headers: Arial 9 pt, bold, dark grey.
RichEditCharFormat HeaderFormat()
{
    return Format("Arial", 180, true, 0x404040);
}

/// Overview headings: Tahoma 10 pt, bold, dark blue.
RichEditCharFormat HeadingFormat()
{
    return Format("Tahoma", 200, true, 0x800000);
}

/// Category markers: Tahoma 9 pt on yellow.
RichEditCharFormat MarkerFormat()
{
    RichEditCharFormat format = Format("Tahoma", 180, false, 0);
    format.mask = kCharMaskFace | kCharMaskSize | kCharMaskBackColor;
    format.backColor = 0x00FFFF;
    return format;
}

QString Display(const TopicDatabase& db, qint32 topic, qint32 key, bool full = false)
{
    return db.FormatRowDisplay(topic, key, full);
}

/// The RTF of a range of the control.
QByteArray RangeRtf(CRichEditCtrlEx& edit, qint32 start, qint32 end)
{
    QByteArray rtf;
    edit.SetSel(start, end);
    edit.StreamOutRtf(&rtf, true, true);
    return rtf;
}

/// Appends a memo's block: its labelled lines, then its own text.
bool AppendMemoBlock(TopicDatabase& db, qint32 memo, CRichEditCtrlEx& control)
{
    RowBuffer row;
    if (!db.ReadRow(TopicId::Memos, memo, row, true))
        return false;
    QString lines = LoadString(Label::MemoTitle) + QStringLiteral("\t\t") + TextOf(row, MemoField::Title) + u'\n';
    const qint32 document = IntOf(row, MemoField::Document);
    const qint32 code = IntOf(row, MemoField::Code);
    if (document != 0) {
        lines += LoadString(Label::Document) + u'\t' + Display(db, TopicId::Documents, document) + u'\n';
        if (const qint32 paragraph = IntOf(row, MemoField::Paragraph))
            lines += LoadString(Label::Paragraph) + QStringLiteral("\t\t%1\n").arg(paragraph);
    } else if (code != 0) {
        lines += LoadString(Label::Code) + u'\t' + Display(db, TopicId::Codes, code) + u'\n';
    }
    lines += LoadString(Label::Author) + QStringLiteral("\t\t") + TextOf(row, kMemoAuthor) + u'\n';
    FieldValue date;
    QString dateText;
    if (row.GetFieldValue(kMemoDate, date)) {
        QDate day;
        QTime time;
        if (date.GetDate().IsValid() && DateTimeFromOleDays(date.GetDate().value, day, time))
            dateText = QLocale().toString(day, QLocale::ShortFormat);
    }
    lines += LoadString(Label::Date) + u'\t' + dateText + u'\n';
    FieldValue codes;
    const QByteArray* ids = row.GetFieldValue(kMemoCodes, codes) ? codes.GetBlob() : nullptr;
    if (ids) {
        for (qsizetype i = 0; i + 4 <= ids->size(); i += 4) {
            const qint32 linked = qFromLittleEndian<qint32>(ids->constData() + i);
            lines += (i == 0 ? LoadString(Label::LinkedCodes) + u'\t' : QStringLiteral("\t\t")) +
                     Display(db, TopicId::Codes, linked) + u'\n';
        }
    }
    lines += QStringLiteral("\n\n");
    AppendText(control, lines);
    FieldValue text;
    if (row.GetFieldValue(MemoField::Text, text) && text.GetBlob())
        AppendRtf(control, *text.GetBlob());
    AppendText(control, QStringLiteral("\n\n\n"));
    return true;
}

/// The picture of an area coding, at most kPictureBound pixels each way.
QImage AreaPicture(CKorDoc& doc, RowBuffer& row)
{
    CodingRecord coding;
    coding.TextID = IntOf(row, CodingField::Document);
    coding.StartChar = IntOf(row, CodingField::StartChar);
    coding.FinishChar = IntOf(row, CodingField::FinishChar);
    coding.PosX1 = IntOf(row, kCodingPosX1);
    coding.PosX2 = IntOf(row, kCodingPosX2);
    coding.Page = IntOf(row, kCodingPage);
    int height = kPictureBound;
    int width = kPictureBound;
    // Rendered into the program's own picture file, never the clipboard.
    if (!doc.SaveCodingImage(coding, height, width, true))
        return {};
    return QImage(TemporaryPictureFile());
}

void AppendPicture(CRichEditCtrlEx& control, const QImage& image)
{
    QTextDocument* document = control.GetDocument();
    const QUrl name(QStringLiteral("coding-picture-%1").arg(image.cacheKey()));
    document->addResource(QTextDocument::ImageResource, name, image);
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    QTextImageFormat format;
    format.setName(name.toString());
    format.setWidth(image.width());
    format.setHeight(image.height());
    cursor.insertImage(format);
}

/// The first line of a hit's block: document and a number.
QString HitLine(const TopicDatabase& db, const HitRow& hit, qint32 number)
{
    return QStringLiteral("%1 (%2)\n").arg(Display(db, TopicId::Documents, hit.document), QString::number(number));
}

/// The hit's sentence in the loaded text.
void HitSentence(HitTextLoader& loader, const HitRow& hit, qint32& start, qint32& end)
{
    SentenceAround(loader.SentenceText(), std::min(hit.start, hit.end), start, end);
}

/// The hit's own range, within the loaded text.
void HitRange(HitTextLoader& loader, const HitRow& hit, qint32& start, qint32& end)
{
    start = qBound(0, std::min(hit.start, hit.end), loader.Length());
    end = qBound(start, std::max(hit.start, hit.end), loader.Length());
}

/// The paragraphs (from 1) that hold the hit; false without paragraphs.
bool HitParagraphs(HitTextLoader& loader, const HitRow& hit, qint32& first, qint32& last)
{
    const ParagraphMap& map = loader.Paragraphs();
    if (map.isEmpty())
        return false;
    qint32 start = 0;
    qint32 end = 0;
    HitRange(loader, hit, start, end);
    first = std::max(1, ParagraphOfPosition(start, true, map));
    last = std::max(first, ParagraphOfPosition(end, false, map));
    return true;
}

/// The categories of the overview: dictionary categories of Type 0, by key.
QList<qint32> OverviewCategories(const TopicDatabase& db)
{
    QList<qint32> categories;
    db.GetAllKeys(TopicId::DictionaryCategories, categories);
    std::sort(categories.begin(), categories.end());
    categories.removeIf(
        [&db](qint32 c) { return db.GetIntValue(TopicId::DictionaryCategories, c, CategoryField::Type) != 0; });
    return categories;
}

}  // namespace

bool LexicalEngine::SaveRtf(CRichEditCtrlEx& control, const QString& path)
{
    QByteArray rtf;
    control.SetSel(0, -1);
    control.StreamOutRtf(&rtf, false, true);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(rtf) != rtf.size() || !file.commit()) {
        ShowMessage(LoadString(Label::FileNotWritten).arg(path, file.errorString()), MessageKind::Error);
        return false;
    }
    if (m_openFile)
        m_openFile(path);
    return true;
}

bool LexicalEngine::WriteSegmentMemos(CKorDoc& doc, CRichEditCtrlEx* control, qint32 document, qint32 start,
                                      qint32 end)
{
    if (!control)
        return false;
    TopicDatabase& db = doc.GetDatabase();
    QList<qint32> memos;
    db.FindKeysByParent(TopicId::Memos, TopicId::Documents, document, memos);
    for (const qint32 memo : std::as_const(memos)) {
        const qint32 position = db.GetIntValue(TopicId::Memos, memo, MemoField::Pos);
        if (position >= start && position <= end)
            AppendMemoBlock(db, memo, *control);
    }
    return true;
}

bool LexicalEngine::SaveSegmentListRtf(CKorDoc& doc, const QString& path, const QList<qint32>& codings)
{
    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> control = CreateHiddenRichEdit();
    const QString progress = LoadString(Label::Progress);
    qint32 written = 0;
    for (qsizetype i = 0; i < codings.size(); ++i) {
        SetWaitText(progress.arg(i + 1).arg(codings.size()));
        RowBuffer row;
        if (!db.ReadRow(TopicId::Codings, codings[i], row, true))
            continue;
        const qint32 document = IntOf(row, CodingField::Document);
        // Every header but the first starts on a line of its own.
        QString header = written > 0 ? QStringLiteral("\r") : QString();
        header += LoadString(Label::Document) + QStringLiteral(":\t%1\r").arg(Display(db, TopicId::Documents, document));
        header += LoadString(Label::Weight) + QStringLiteral(":\t%1\r").arg(IntOf(row, CodingField::Weight));
        header += LoadString(Label::Paragraphs) + QStringLiteral(":\t%1 - %2\r")
                                                      .arg(IntOf(row, CodingField::StartPara))
                                                      .arg(IntOf(row, CodingField::FinishPara));
        header += LoadString(Label::Code) + QStringLiteral(":\t\t") +
                  Display(db, TopicId::Codes, IntOf(row, CodingField::Code), true) + u'\r';
        const auto [from, to] = AppendText(*control, header);
        FormatRange(*control, from, to, HeaderFormat());
        const qint32 kind = db.GetIntValue(TopicId::Documents, document, DocumentField::DocType);
        const bool area = IntOf(row, CodingField::IsText) == 0 &&
                          (kind == DocumentKind::Pdf || kind == DocumentKind::Picture);
        if (area) {
            const QImage picture = AreaPicture(doc, row);
            if (!picture.isNull())
                AppendPicture(*control, picture);
        } else {
            FieldValue text;
            if (row.GetFieldValue(CodingField::Text, text) && text.GetBlob())
                AppendRtf(*control, *text.GetBlob());
        }
        AppendText(*control, QStringLiteral("\r"));
        ++written;
    }
    return SaveRtf(*control, path);
}

bool LexicalEngine::SaveMemosRtf(CKorDoc& doc, const QString& path, const QList<qint32>& memos)
{
    std::unique_ptr<CRichEditCtrlEx> control = CreateHiddenRichEdit();
    const QString progress = LoadString(Label::Progress);
    for (qsizetype i = 0; i < memos.size(); ++i) {
        SetWaitText(progress.arg(i + 1).arg(memos.size()));
        AppendMemoBlock(doc.GetDatabase(), memos[i], *control);
    }
    return SaveRtf(*control, path);
}

namespace {

/// A block per hit that take accepts (by its document's kind): the line of
/// document and paragraph (a PDF hit's page), the RTF of the hit's sentence
/// or own range, an empty line. The number of blocks.
qint32 WriteHitBlocks(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx& control,
                      const std::function<bool(qint32 kind)>& take, bool sentence)
{
    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    HitTextLoader loader(db, *edit);
    qint32 written = 0;
    for (const qint32 id : hits) {
        HitRow hit;
        if (!ReadHitRow(db, id, hit))
            continue;
        const qint32 kind = loader.Kind(hit);
        if (!take(kind) || !loader.Load(hit))
            continue;
        qint32 start = 0;
        qint32 end = 0;
        if (sentence)
            HitSentence(loader, hit, start, end);
        else
            HitRange(loader, hit, start, end);
        AppendText(control, HitLine(db, hit, kind == DocumentKind::Pdf ? hit.page : hit.paragraph));
        AppendRtf(control, RangeRtf(*edit, start, end));
        AppendText(control, QStringLiteral("\n\n"));
        ++written;
    }
    return written;
}

}  // namespace

qint32 LexicalEngine::FormatSearchHitList(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                          bool& pdfSeen)
{
    if (!control)
        return 0;
    return WriteHitBlocks(
        doc, hits, *control,
        [&pdfSeen](qint32 kind) {
            // Sentences of PDF pages are not written; the caller is told.
            pdfSeen = pdfSeen || kind == DocumentKind::Pdf;
            return kind != DocumentKind::Pdf;
        },
        true);
}

qint32 LexicalEngine::FormatSearchHitCounts(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                            bool pdfOnly)
{
    if (!control)
        return 0;
    return WriteHitBlocks(
        doc, hits, *control, [pdfOnly](qint32 kind) { return !pdfOnly || kind == DocumentKind::Pdf; }, false);
}

qint32 LexicalEngine::FormatSearchHitRanges(CKorDoc& doc, const QList<qint32>& hits, CRichEditCtrlEx* control,
                                            bool& pdfSeen)
{
    if (!control)
        return 0;
    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    HitTextLoader loader(db, *edit);
    qint32 written = 0;
    // The merged paragraphs of the current text, written when it changes.
    HitRow current;
    qint32 first = 0;
    qint32 last = -1;
    const auto flush = [&]() {
        if (last < first)
            return;
        qint32 start = 0;
        qint32 end = 0;
        if (ParagraphStretch(loader.Paragraphs(), loader.Text(), first, last, start, end)) {
            AppendText(*control, QStringLiteral("%1 (%2-%3)\n%4\n")
                                     .arg(Display(db, TopicId::Documents, current.document), QString::number(first),
                                          QString::number(last), loader.Text().mid(start, end - start)));
            ++written;
        }
        last = -1;
    };
    for (const qint32 id : hits) {
        HitRow hit;
        if (!ReadHitRow(db, id, hit))
            continue;
        const qint32 kind = loader.Kind(hit);
        if (kind == DocumentKind::Pdf) {
            pdfSeen = true;
            continue;
        }
        // A table's cells are texts of their own.
        const bool sameText = hit.document == current.document &&
                              (kind != DocumentKind::Table ||
                               (hit.page == current.page && hit.paragraph == current.paragraph));
        if (!sameText)
            flush();
        if (!loader.Load(hit))
            continue;
        qint32 hitFirst = 0;
        qint32 hitLast = 0;
        if (!HitParagraphs(loader, hit, hitFirst, hitLast))
            continue;
        if (last >= first && hitFirst <= last && hitLast >= first) {
            first = std::min(first, hitFirst);
            last = std::max(last, hitLast);
            continue;
        }
        flush();
        current = hit;
        first = hitFirst;
        last = hitLast;
    }
    flush();
    return written;
}

namespace {

/// The text of one hit: the stretch that range picks in the hit's loaded
/// text; empty for a missing or marked hit or one whose text is gone.
QString SingleHitText(CKorDoc& doc, qint32 id,
                      const std::function<bool(HitTextLoader&, const HitRow&, qint32&, qint32&)>& range)
{
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    HitTextLoader loader(doc.GetDatabase(), *edit);
    HitRow hit;
    qint32 start = 0;
    qint32 end = 0;
    if (!ReadHitRow(doc.GetDatabase(), id, hit) || !loader.Load(hit) || !range(loader, hit, start, end))
        return {};
    return loader.Text().mid(start, end - start);
}

}  // namespace

QString LexicalEngine::WriteSearchHitsInContext(CKorDoc& doc, qint32 id)
{
    return SingleHitText(doc, id, [](HitTextLoader& loader, const HitRow& hit, qint32& start, qint32& end) {
        HitSentence(loader, hit, start, end);
        return true;
    });
}

QString LexicalEngine::WriteSearchHitsByDocument(CKorDoc& doc, qint32 id)
{
    return SingleHitText(doc, id, [](HitTextLoader& loader, const HitRow& hit, qint32& start, qint32& end) {
        HitRange(loader, hit, start, end);
        return true;
    });
}

QString LexicalEngine::WriteSearchHitsPlain(CKorDoc& doc, qint32 id)
{
    return SingleHitText(doc, id, [](HitTextLoader& loader, const HitRow& hit, qint32& start, qint32& end) {
        qint32 first = 0;
        qint32 last = 0;
        return HitParagraphs(loader, hit, first, last) &&
               ParagraphStretch(loader.Paragraphs(), loader.Text(), first, last, start, end);
    });
}

qint32 LexicalEngine::MarkCategoryHits(CKorDoc& doc, qint32 document, qint32 page, const QString& text, qint32 base,
                                       const QList<qint32>& categories, QList<qint32>& counts,
                                       CRichEditCtrlEx* control, qint32 code)
{
    TopicDatabase& db = doc.GetDatabase();
    if (counts.size() < categories.size())
        counts.resize(categories.size(), 0);
    QList<qint32> entries;
    for (const qint32 category : categories) {
        QList<qint32> own;
        db.FindKeysByParent(TopicId::DictionaryEntries, TopicId::DictionaryCategories, category, own);
        entries += own;
    }
    const DictionaryMatcher matcher(ReadDictionaryWords(db, entries),
                                    g_dictioOptions.GetBool(DictioOption::StopAtFirstHit));
    LexicalHit place;
    place.document = document;
    place.page = page;
    place.base = base;
    place.code = code;
    std::vector<PendingHit> pending;
    matcher.Find(text, 0, place, pending);
    LexicalHitList hits;
    KeepFirstHits(pending, hits, nullptr);
    for (const LexicalHit& hit : std::as_const(hits)) {
        const qsizetype at = categories.indexOf(hit.category);
        if (at >= 0)
            ++counts[at];
    }

    if (control) {
        LexicalHitList byEnd = hits;
        std::stable_sort(byEnd.begin(), byEnd.end(), [](const LexicalHit& a, const LexicalHit& b) {
            return std::tie(a.document, a.page, a.end) < std::tie(b.document, b.page, b.end);
        });
        control->SetText(text);
        qint32 shift = 0;
        for (const LexicalHit& hit : std::as_const(byEnd)) {
            const QString marker = QStringLiteral("[%1]").arg(
                db.GetIntValue(TopicId::DictionaryCategories, hit.category, CategoryField::Number));
            const qint32 at = qBound(0, hit.end + shift, control->GetTextLength());
            control->SetSel(at, at);
            control->ReplaceSelText(marker);
            FormatRange(*control, at, at + qint32(marker.size()), MarkerFormat());
            shift += qint32(marker.size());
        }
    }
    doc.GetOverviewHits().append(hits);
    return qint32(hits.size());
}

qint32 LexicalEngine::WriteOverview(CKorDoc& doc, qint32 document, CRichEditCtrlEx* control)
{
    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    const QList<DocumentText> texts = ReadDocumentTexts(db, document, *edit);
    const QList<qint32> categories = OverviewCategories(db);
    QList<qint32> counts(categories.size(), 0);
    if (control && !texts.isEmpty()) {
        const auto [from, to] = AppendText(*control, Display(db, TopicId::Documents, document) + QStringLiteral("\r\r"));
        FormatRange(*control, from, to, HeadingFormat());
    }
    qint32 found = 0;
    for (const DocumentText& text : texts) {
        found += MarkCategoryHits(doc, document, text.page, text.text, 0, categories, counts,
                                  control ? edit.get() : nullptr, 0);
        if (control) {
            // As a selection, so no paragraph end follows the last line.
            AppendRtf(*control, RangeRtf(*edit, 0, EndOf(*edit)));
            AppendText(*control, QStringLiteral("\r\r"));
        }
    }
    return found;
}

qint32 LexicalEngine::WriteDocumentOverview(CKorDoc& doc, qint32 document, qint32 code, RowBuffer* row,
                                            CRichEditCtrlEx* control)
{
    TopicDatabase& db = doc.GetDatabase();
    std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    const QList<DocumentText> texts = ReadDocumentTexts(db, document, *edit);
    const QList<qint32> categories = OverviewCategories(db);
    QList<qint32> counts(categories.size(), 0);

    QList<qint32> codings;
    db.FindKeysByParent(TopicId::Codings, TopicId::Documents, document, codings);
    codings.removeIf([&](qint32 coding) {
        return db.GetIntValue(TopicId::Codings, coding, CodingField::Code) != code ||
               db.GetIntValue(TopicId::Codings, coding, CodingField::IsText) == 0;
    });
    if (control && !codings.isEmpty()) {
        const QString heading = QStringLiteral("%1\\%2\r\r")
                                    .arg(Display(db, TopicId::Documents, document), Display(db, TopicId::Codes, code));
        const auto [from, to] = AppendText(*control, heading);
        FormatRange(*control, from, to, HeadingFormat());
    }
    qint32 found = 0;
    qint32 segments = 0;
    for (const qint32 coding : std::as_const(codings)) {
        const qint32 page = db.GetIntValue(TopicId::Codings, coding, kCodingPage);
        const qint32 tableRow = db.GetIntValue(TopicId::Codings, coding, kCodingPosX1);
        const bool cell = db.GetIntValue(TopicId::Codings, coding, CodingField::IsText) == 2;
        // The coding's page (or cell) among the texts.
        const auto text = std::find_if(texts.begin(), texts.end(), [&](const DocumentText& t) {
            if (t.tableRow >= 0)
                return cell && t.tableRow == tableRow && t.column == page;
            return t.page == 0 || t.page == page;
        });
        if (text == texts.end())
            continue;
        // The stored end is exclusive.
        const qint32 length = qint32(text->text.size());
        const qint32 start = qBound(0, db.GetIntValue(TopicId::Codings, coding, CodingField::StartChar), length);
        const qint32 end = qBound(start, db.GetIntValue(TopicId::Codings, coding, CodingField::FinishChar), length);
        found += MarkCategoryHits(doc, document, text->page, text->text.mid(start, end - start), start, categories,
                                  counts, control ? edit.get() : nullptr, code);
        ++segments;
        if (control) {
            // As a selection, so no paragraph end follows the last line.
            AppendRtf(*control, RangeRtf(*edit, 0, EndOf(*edit)));
            AppendText(*control, QStringLiteral("\r\r"));
        }
    }
    if (row) {
        SetInt(*row, OverviewField::Group, db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID));
        SetInt(*row, OverviewField::Document, document);
        SetInt(*row, OverviewField::Code, code);
        SetInt(*row, OverviewField::Segments, segments);
        SetInt(*row, OverviewField::Result, found);
        for (qsizetype i = 0; i < categories.size(); ++i)
            SetInt(*row, categories[i], counts[i]);
    }
    return found;
}

qint32 LexicalEngine::BuildOverviewRows(CKorDoc& doc, qint32 document, qint32 code, qint32 depth,
                                        qint32 targetDepth, CRichEditCtrlEx* control)
{
    TopicDatabase& db = doc.GetDatabase();
    if (depth < targetDepth) {
        QList<qint32> children;
        doc.GetChildCodes(code, children);
        qint32 rows = 0;
        for (const qint32 child : std::as_const(children))
            rows += BuildOverviewRows(doc, document, child, depth + 1, targetDepth, control);
        return rows;
    }
    TopicTable* table = db.GetTable(TopicId::OverviewTable);
    RowBuffer row;
    if (!table || !table->AddRow(row, -1))
        return 0;
    const qint32 key = row.GetKey();
    WriteDocumentOverview(doc, document, code, &row, control);
    // The dictionary's switch drops rows where nothing was found.
    const bool dropEmpty = g_dictioOptions.GetBool(DictioOption::WholeWords);
    if ((dropEmpty && IntOf(row, OverviewField::Result) == 0) || !row.Commit(false, true)) {
        table->RemoveRow(key);
        return 0;
    }
    return 1;
}

}  // namespace retrieval
