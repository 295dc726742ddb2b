#include "exchange/xmlprojectimport.h"

#include "document/codingrecord.h"
#include "document/documentfileimport.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "exchange/importtexts.h"
#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/waitwindow.h"
#include "foundation/xmldoc.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <vector>

using namespace rowfields;

namespace xmlproject {

/// The elements of the file: tag, attributes, own character data and
/// children, in document order. Element 0 is the root.
struct Node {
    QString tag;
    QXmlStreamAttributes attributes;
    QString text;
    QList<int> children;
};

struct Tree {
    std::vector<Node> nodes;

    /// The first child element of that name; -1 when none.
    int Child(int element, QLatin1String tag) const
    {
        if (element < 0)
            return -1;
        for (const int child : nodes[size_t(element)].children)
            if (nodes[size_t(child)].tag == tag)
                return child;
        return -1;
    }
    /// The element at the path of child names below element; -1 when none.
    int Find(int element, std::initializer_list<const char*> path) const
    {
        for (const char* tag : path)
            element = Child(element, QLatin1String(tag));
        return element;
    }
    const QList<int>& Children(int element) const
    {
        static const QList<int> none;
        return element < 0 ? none : nodes[size_t(element)].children;
    }
    QString Attribute(int element, QLatin1String name) const
    {
        return nodes[size_t(element)].attributes.value(name).toString();
    }
    const QString& Tag(int element) const { return nodes[size_t(element)].tag; }
    /// The character data of the element and everything inside it.
    QString AllText(int element) const
    {
        QString text = nodes[size_t(element)].text;
        for (const int child : nodes[size_t(element)].children)
            text += AllText(child);
        return text;
    }
};

namespace {

constexpr int kAuthorLength = 63;
constexpr qsizetype kDateLength = 19;

int HexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

bool ReadNumber(QStringView text, qsizetype at, qsizetype length, int& value)
{
    bool ok = false;
    value = text.mid(at, length).toInt(&ok);
    return ok;
}

}  // namespace

qint32 ParseColor(const QString& text)
{
    if (text.size() != 6)
        return 0;
    qint32 channels[3] = {};
    for (int i = 0; i < 3; ++i) {
        const int high = HexValue(text.at(2 * i));
        const int low = HexValue(text.at(2 * i + 1));
        if (high < 0 || low < 0)
            return 0;
        channels[i] = high * 16 + low;
    }
    return channels[0] + channels[1] * 256 + channels[2] * 65536;
}

bool ParseDate(const QString& text, OleDate& date)
{
    if (text.size() != kDateLength)
        return false;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, 0, 4, year) || !ReadNumber(text, 5, 2, month) || !ReadNumber(text, 8, 2, day) ||
        !ReadNumber(text, 11, 2, hour) || !ReadNumber(text, 14, 2, minute) || !ReadNumber(text, 17, 2, second))
        return false;
    const QDate calendar(year, month, day);
    const QTime time(hour, minute, second);
    if (!calendar.isValid() || !time.isValid())
        return false;
    date = OleDate{OleDaysFromDateTime(calendar, time), DateStatus::Valid};
    return true;
}

bool ParseLocation(const QString& text, qint32& a, qint32& b, qint32& c, qint32& d)
{
    // a@b,c@d!
    const qsizetype at1 = text.indexOf(u'@');
    const qsizetype comma = text.indexOf(u',', at1 + 1);
    const qsizetype at2 = text.indexOf(u'@', comma + 1);
    const qsizetype bang = text.indexOf(u'!', at2 + 1);
    if (at1 < 0 || comma < 0 || at2 < 0 || bang < 0)
        return false;
    bool ok[4] = {};
    a = text.left(at1).toInt(&ok[0]);
    b = text.mid(at1 + 1, comma - at1 - 1).toInt(&ok[1]);
    c = text.mid(comma + 1, at2 - comma - 1).toInt(&ok[2]);
    d = text.mid(at2 + 1, bang - at2 - 1).toInt(&ok[3]);
    return ok[0] && ok[1] && ok[2] && ok[3];
}

}  // namespace xmlproject

using namespace xmlproject;

namespace {

/// Colours up to this value read as palette indexes.
constexpr qint32 kLastPaletteIndex = 10;
constexpr int kPreviewLength = 63;
constexpr int kNameLength = 63;

/// The start of paragraph n (from 1) in a GetParagraphBounds map; -1
/// outside it.
qint32 ParagraphStart(const ParagraphMap& bounds, qint32 paragraph)
{
    const qsizetype pair = qsizetype(paragraph) - 1;
    return pair >= 0 && 2 * pair + 1 < bounds.size() ? bounds[2 * pair] : -1;
}

}  // namespace

CXmlProjectImport::CXmlProjectImport(CKorDoc& doc, const QString& path, const QString& folder)
    : m_doc(doc), m_path(path), m_folder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
{
    m_weight = g_qdaOptions.GetInt(QdaOption::DefaultWeight);
    ShowWaitWindow(LoadString(ImportsText::XmlImportWaiting));
    if (Read()) {
        QString reason;
        m_succeeded = m_doc.RunHeldImport([&](QString& error) {
            StoreTransaction transaction(&m_doc.GetDatabase());
            if (transaction.IsActive() && Import(reason) && transaction.Commit())
                return true;
            if (reason.isEmpty())
                reason = LoadString(ImportsText::WriteFailed);
            m_error = LoadString(ImportsText::XmlNotWritten).arg(m_path, reason);
            error = m_error;
            return false;
        });
    } else {
        ShowMessage(m_error, MessageKind::Error);
    }
    CloseWaitWindow();
    if (!m_succeeded)
        return;
    QString message = LoadString(ImportsText::XmlImportDone);
    if (!m_outside.isEmpty())
        message += QStringLiteral("\n\n%1\n%2").arg(LoadString(ImportsText::XmlOutsideFolder).arg(m_folder),
                                                     m_outside.join(u'\n'));
    ShowMessage(message, m_outside.isEmpty() ? MessageKind::Information : MessageKind::Warning);
}

CXmlProjectImport::~CXmlProjectImport() = default;

bool CXmlProjectImport::ReadTree(const QString& path, std::unique_ptr<Tree>& result, QString& error)
{
    QString text;
    QString log;
    if (!CXmlDoc::ReadTextFile(path, text, &log)) {
        error = LoadString(ImportsText::XmlNotWritten).arg(path, LoadString(ImportText::CannotRead));
        return false;
    }
    auto tree = std::make_unique<Tree>();
    QXmlStreamReader reader(text);
    QList<int> open;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const int index = int(tree->nodes.size());
            if (open.isEmpty() && index > 0)
                break;  // a second root is reported by the reader
            tree->nodes.push_back({reader.name().toString(), reader.attributes(), {}, {}});
            if (!open.isEmpty())
                tree->nodes[size_t(open.last())].children.append(index);
            open.append(index);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.removeLast();
            break;
        case QXmlStreamReader::Characters:
            if (!open.isEmpty() && !reader.isWhitespace())
                tree->nodes[size_t(open.last())].text += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError()) {
        error = LoadString(ImportsText::XmlNotWellFormed)
                    .arg(path)
                    .arg(reader.lineNumber())
                    .arg(reader.columnNumber())
                    .arg(reader.errorString());
        return false;
    }
    if (tree->nodes.empty() || tree->nodes.front().tag != u"storedHU") {
        error = LoadString(ImportsText::XmlNotExported).arg(path);
        return false;
    }
    result = std::move(tree);
    return true;
}

bool CXmlProjectImport::CheckFile(const QString& path, QString& error)
{
    std::unique_ptr<Tree> tree;
    return ReadTree(path, tree, error);
}

bool CXmlProjectImport::Read()
{
    return ReadTree(m_path, m_tree, m_error);
}

void CXmlProjectImport::Pump()
{
    if (IWaitWindow* window = GetWaitWindow())
        window->Pump();
}

ElementValues CXmlProjectImport::ValuesOf(int element) const
{
    ElementValues values;
    values.id = m_tree->Attribute(element, QLatin1String("id"));
    values.name = m_tree->Attribute(element, QLatin1String("name"));
    values.author = m_tree->Attribute(element, QLatin1String("au")).left(kAuthorLength);
    values.location = m_tree->Attribute(element, QLatin1String("loc"));
    values.mime = m_tree->Attribute(element, QLatin1String("mime"));
    if (!ParseDate(m_tree->Attribute(element, QLatin1String("cDate")), values.date))
        values.date = DateTimeNow();
    values.color = ParseColor(m_tree->Attribute(element, QLatin1String("color")));
    return values;
}

bool CXmlProjectImport::CommentOf(int element, QString& comment) const
{
    const int node = m_tree->Child(element, QLatin1String("comment"));
    if (node < 0)
        return false;
    comment.clear();
    for (const int child : m_tree->Children(node))
        comment += m_tree->AllText(child) + u'\r';
    if (m_tree->Children(node).isEmpty())
        comment = m_tree->AllText(node);
    return true;
}

bool CXmlProjectImport::Import(QString& reason)
{
    m_memoEdit = CreateHiddenRichEdit();
    const int root = 0;
    if (!ImportCodes(root))
        return false;
    Pump();
    if (!ImportCodeFamilies(root))
        return false;
    ReadLinks(root);
    if (!ImportDataSources(root))
        return false;
    Pump();
    if (!ImportDocuments(root) || !ImportDocumentFamilies(root) || !ImportMemos(root))
        return false;
    reason.clear();
    return true;
}

bool CXmlProjectImport::ImportCodes(int root)
{
    TopicDatabase& db = m_doc.GetDatabase();
    for (const int element : m_tree->Children(m_tree->Find(root, {"codes"}))) {
        if (m_tree->Tag(element) != u"code")
            continue;
        const ElementValues values = ValuesOf(element);
        if (values.id.isEmpty())
            continue;
        const qint32 code = m_doc.AddCodeByPath(0, values.name, true);
        if (!code) {
            // A name of empty parts names no code; anything else is a write.
            if (QStringView(values.name).trimmed().isEmpty() || values.name.contains(QStringLiteral("\\\\")))
                continue;
            return false;
        }
        m_codes.insert(values.id, code);
        RowBuffer row;
        FieldValue date;
        // Small values would read as palette indexes.
        const qint32 color = values.color <= kLastPaletteIndex ? kLastPaletteIndex + 1 : values.color;
        if (!db.ReadRow(TopicId::Codes, code, row, false) || !SetInt(row, CodeField::Type, color) ||
            !SetText(row, CodeField::Author, values.author) || !row.GetFieldValue(CodeField::Date, date) ||
            !date.SetDate(values.date) || !row.Commit(false, false))
            return false;
        QString comment;
        if (CommentOf(element, comment)) {
            bool created = false;
            const qint32 memo = m_doc.GetCodeMemo(code, created, true);
            if (!memo || !FillMemo(memo, values, comment))
                return false;
        }
    }
    return true;
}

bool CXmlProjectImport::ImportFamilies(int root, const char* list, QStringView tag,
                                       const QHash<QString, qint32>& members,
                                       const std::function<void(qint32)>& activate,
                                       const std::function<bool(const QString&)>& newSet)
{
    // A family becomes a set of what is activated: its members alone.
    for (const int element : m_tree->Children(m_tree->Find(root, {"families", list}))) {
        if (m_tree->Tag(element) != tag)
            continue;
        const ElementValues values = ValuesOf(element);
        if (values.id.isEmpty())
            continue;
        for (const int item : m_tree->Children(element)) {
            if (m_tree->Tag(item) != u"item")
                continue;
            if (const qint32 member = members.value(m_tree->Attribute(item, QLatin1String("id"))))
                activate(member);
        }
        const bool made = newSet(values.name);
        m_doc.DeactivateAll(true, true, true);
        if (!made)
            return false;
    }
    return true;
}

bool CXmlProjectImport::ImportCodeFamilies(int root)
{
    return ImportFamilies(
        root, "codeFamilies", u"codeFamily", m_codes,
        [this](qint32 code) { m_doc.SetCodeActivation(code, true, false, false, false); },
        [this](const QString& name) { return m_doc.NewCodeSet(name); });
}

void CXmlProjectImport::ReadLinks(int root)
{
    const int links = m_tree->Find(root, {"links", "objectSegmentLinks"});
    for (const int link : m_tree->Children(m_tree->Child(links, QLatin1String("codings")))) {
        if (m_tree->Tag(link) != u"iLink")
            continue;
        if (const qint32 code = m_codes.value(m_tree->Attribute(link, QLatin1String("obj"))))
            m_codingLinks[m_tree->Attribute(link, QLatin1String("qRef")).toLower()].append(code);
    }
    for (const int link : m_tree->Children(m_tree->Child(links, QLatin1String("memoings")))) {
        if (m_tree->Tag(link) != u"iLink")
            continue;
        m_memoLinks[m_tree->Attribute(link, QLatin1String("obj")).toLower()].append(m_tree->Attribute(link, QLatin1String("qRef")));
    }
}

QString CXmlProjectImport::SourcePath(const QString& location) const
{
    QString path = location;
    path.replace(QStringLiteral("<HUPATH>"), m_folder);
    path.replace(u'\\', u'/');
    path = QDir::cleanPath(QDir(m_folder).absoluteFilePath(path));
    // A link may lead out of the folder as well as "..".
    const QFileInfo info(path);
    const QString resolved = info.exists() ? info.canonicalFilePath() : path;
    const QString folder = QFileInfo(m_folder).canonicalFilePath().isEmpty()
                               ? m_folder
                               : QFileInfo(m_folder).canonicalFilePath();
    if (m_folder.isEmpty() || !resolved.startsWith(folder + u'/'))
        return {};
    return resolved;
}

bool CXmlProjectImport::ImportDataSources(int root)
{
    QStringList paths;
    QStringList ids;
    for (const int element : m_tree->Children(m_tree->Find(root, {"dataSources"}))) {
        const ElementValues values = ValuesOf(element);
        if (values.id.isEmpty() || values.mime.compare(QLatin1String("text/rtf"), Qt::CaseInsensitive) != 0)
            continue;
        const QString path = SourcePath(values.location);
        if (path.isEmpty()) {
            m_outside.append(values.location);
            continue;
        }
        paths.append(path);
        ids.append(values.id);
    }
    if (paths.isEmpty())
        return true;
    // The file import drops what it cannot take; only the files it takes
    // keep their places in its answer.
    QStringList readable;
    QStringList readableIds;
    for (qsizetype i = 0; i < paths.size(); ++i)
        if (QFileInfo(paths[i]).isFile() && DocumentFileImport::IsAcceptedPath(paths[i])) {
            readable.append(paths[i]);
            readableIds.append(ids[i]);
        }
    if (readable.isEmpty())
        return true;
    QList<qint32> documents;
    DocumentFileImport(m_doc).Run(0, &readable, &documents, true);
    for (qsizetype i = 0; i < readableIds.size() && i < documents.size(); ++i)
        if (documents[i])
            m_sourceDocuments.insert(readableIds[i], documents[i]);
    // The file import writes all its documents or none, and says why a
    // file was left out; with none the project's texts are missing, so
    // nothing of it is kept.
    return !m_sourceDocuments.isEmpty();
}

bool CXmlProjectImport::ImportDocuments(int root)
{
    TopicDatabase& db = m_doc.GetDatabase();
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    for (const int element : m_tree->Children(m_tree->Find(root, {"primDocs"}))) {
        const ElementValues values = ValuesOf(element);
        const qint32 document = values.id.isEmpty() ? 0 : m_sourceDocuments.value(values.location);
        if (!document)
            continue;
        {
            RowBuffer row;
            if (!db.ReadRow(TopicId::Documents, document, row, true))
                return false;
            FieldValue text;
            const QByteArray* rtf = IntOf(row, DocumentField::DocType) == DocumentKind::RichText &&
                                            row.GetFieldValue(DocumentField::Text, text)
                                        ? text.GetBlob()
                                        : nullptr;
            if (rtf && !rtf->isEmpty())
                edit->StreamInRtf(rtf, false);
            else
                edit->SetText(QStringLiteral(""));
            FieldValue date;
            // The text stays as it is: only the row's own fields are written.
            if (!row.GetFieldValue(DocumentField::Date, date) || !date.SetDate(values.date) ||
                !SetText(row, DocumentField::Author, values.author) ||
                (!values.name.trimmed().isEmpty() &&
                 !SetText(row, DocumentField::Name, values.name.trimmed().left(kNameLength))) ||
                !row.Commit(false, false))
                return false;
        }
        m_doc.NotifyChanged(TopicId::Documents, document);
        m_documents.insert(values.id, document);
        for (const int child : m_tree->Children(element)) {
            if (m_tree->Tag(child) == u"comment") {
                QString comment;
                CommentOf(element, comment);
                bool created = false;
                const qint32 memo = m_doc.GetDocumentMemo(document, created, true);
                if (!memo || !FillMemo(memo, values, comment))
                    return false;
            } else if (m_tree->Tag(child) == u"quotations") {
                if (!ImportQuotations(child, document, *edit))
                    return false;
            }
        }
        Pump();
    }
    return true;
}

bool CXmlProjectImport::ImportQuotations(int element, qint32 document, CRichEditCtrlEx& edit)
{
    const ParagraphMap bounds = GetParagraphBounds(edit);
    const ParagraphMap ranges = GetParagraphRanges(edit);
    const qint32 length = edit.GetTextLength();
    for (const int quotation : m_tree->Children(element)) {
        const ElementValues values = ValuesOf(quotation);
        qint32 a = 0, b = 0, c = 0, d = 0;
        if (values.id.isEmpty() || !ParseLocation(values.location, a, b, c, d))
            continue;
        const qint32 startBase = ParagraphStart(bounds, b);
        const qint32 endBase = ParagraphStart(bounds, d);
        const qint64 start = qint64(a) - 1 + qMax(startBase, 0);
        const qint64 end = qint64(c) - 1 + qMax(endBase, 0) + 1;
        // A range outside the text would point past it in every view.
        if (start < 0 || end > length || end <= start)
            continue;
        Quotation place;
        place.document = document;
        place.start = qint32(start);
        place.paragraph = ParagraphOfPosition(place.start, true, ranges);
        m_quotations.insert(values.id.toLower(), place);

        const QList<qint32> codes = m_codingLinks.value(values.id.toLower());
        QByteArray segment;
        if (!codes.isEmpty()) {
            edit.SetSel(place.start, qint32(end));
            edit.StreamOutRtf(&segment, true, true);
        }
        for (const qint32 code : codes) {
            CodingRecord record;
            record.TextID = document;
            record.WordID = code;
            record.StartChar = place.start;
            record.FinishChar = qint32(end);
            record.StartPara = place.paragraph;
            record.FinishPara = ParagraphOfPosition(qint32(end), false, ranges);
            record.Weight = m_weight;
            record.Date = values.date;
            record.Author = values.author;
            record.Preview = GetRichEditTextRange(&edit, place.start, qint32(end), kPreviewLength);
            record.Text = segment;
            record.Area = qint32(end) - place.start;
            record.Coverage = length > 0 ? record.Area * 100.0 / length : 0.0;
            qint32 action = 0;
            bool written = false;
            m_doc.AddCoding(record, action, OverlapMode::Union, &written, false);
            if (!written && m_doc.FindOverlappingCoding(record, OverlapMode::Drop) != OverlapResult::Drop)
                return false;
        }
        QString comment;
        if (CommentOf(quotation, comment)) {
            const qint32 memo = m_doc.NewDocumentMemo(document, 1, place.start, place.paragraph);
            if (!memo || !FillMemo(memo, values, comment))
                return false;
        }
    }
    return true;
}

bool CXmlProjectImport::ImportDocumentFamilies(int root)
{
    return ImportFamilies(
        root, "primDocFamilies", u"primDocFamily", m_documents,
        [this](qint32 document) { m_doc.ActivateDocument(document, true, false); },
        [this](const QString& name) { return m_doc.NewDocumentSet(name); });
}

bool CXmlProjectImport::ImportMemos(int root)
{
    for (const int element : m_tree->Children(m_tree->Find(root, {"memos"}))) {
        const ElementValues values = ValuesOf(element);
        QString comment;
        if (values.id.isEmpty() || !CommentOf(element, comment))
            continue;
        for (const QString& reference : m_memoLinks.value(values.id.toLower())) {
            const auto found = m_quotations.constFind(reference.toLower());
            if (found == m_quotations.cend() || !found->document)
                continue;
            const qint32 memo = m_doc.NewDocumentMemo(found->document, 1, found->start, found->paragraph);
            if (!memo || !FillMemo(memo, values, comment))
                return false;
        }
        const qint32 memo = m_doc.NewMemo(QStringLiteral("free"), QString(), QDateTime(), {});
        if (!memo || !FillMemo(memo, values, comment))
            return false;
    }
    return true;
}

bool CXmlProjectImport::FillMemo(qint32 memo, const ElementValues& values, const QString& comment)
{
    m_memoEdit->SetText(comment.isEmpty() ? QStringLiteral("") : comment);
    QByteArray rtf;
    m_memoEdit->StreamOutRtf(&rtf, false, true);
    RowBuffer row;
    FieldValue date;
    return m_doc.GetDatabase().ReadRow(TopicId::Memos, memo, row, false) &&
           (values.name.trimmed().isEmpty() ||
            SetText(row, MemoField::Title, values.name.trimmed().left(kNameLength))) &&
           SetText(row, MemoField::Author, values.author) && row.GetFieldValue(MemoField::Date, date) &&
           date.SetDate(values.date) && SetBlob(row, MemoField::Text, rtf) &&
           SetText(row, MemoField::Preview, GetRichEditTextRange(m_memoEdit.get(), 0, m_memoEdit->GetTextLength(),
                                                                 kPreviewLength)) &&
           row.Commit(true, false);
}
