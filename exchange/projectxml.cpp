#include "exchange/projectxml.h"

#include "document/codingrecord.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/rowfields.h"
#include "foundation/externalfiles.h"
#include "foundation/filehelpers.h"
#include "foundation/ids.h"
#include "foundation/imageexport.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/stringstore.h"
#include "foundation/tabledata.h"
#include "foundation/texthelpers.h"
#include "foundation/xmldoc.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/oledate.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

using namespace rowfields;

using ProjectXml::Outcome;

namespace {

namespace Text {
constexpr int NotCreated = 208002;   ///< "%1" the folder or file, "%2" the reason
}

const QString kDeclaration = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n");
constexpr int kSourceDocumentPosition = 1;
constexpr int kSourceDocument = 2;
constexpr int kSourceGroup = 3;
constexpr int kSourceCode = 5;
constexpr int kSourceSet = 6;

/// The rows the exports walk, found once: codes by parent and codings by
/// document and by code, each in stored order.
struct ProjectIndex {
    QHash<qint32, QList<qint32>> codesByParent;
    QHash<qint32, QList<qint32>> codingsByDocument;
    QHash<qint32, QList<qint32>> codingsByCode;

    explicit ProjectIndex(TopicDatabase& db)
    {
        QList<qint32> keys;
        db.GetAllKeys(TopicId::Codes, keys);
        for (const qint32 code : std::as_const(keys))
            codesByParent[db.GetIntValue(TopicId::Codes, code, CodeField::Parent)].append(code);
        keys.clear();
        db.GetAllKeys(TopicId::Codings, keys);
        for (const qint32 coding : std::as_const(keys)) {
            const qint32 code = db.GetIntValue(TopicId::Codings, coding, CodingField::Code);
            if (code == 0)   // a retrieval's temporary row, no coding
                continue;
            codingsByDocument[db.GetIntValue(TopicId::Codings, coding, CodingField::Document)].append(coding);
            codingsByCode[code].append(coding);
        }
    }
};

QString StampOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    if (!row.GetFieldValue(field, value))
        return QString();
    const OleDate date = value.GetDate();
    QDate day;
    QTime time;
    if (!date.IsValid() || date.value == 0 || !DateTimeFromOleDays(date.value, day, time))
        return QString();
    return FormatTimeStamp(QDateTime(day, time));
}

QByteArray BlobOf(RowBuffer& row, qint32 field)
{
    FieldValue value;
    if (!row.GetFieldValue(field, value) || !value.GetBlob())
        return QByteArray();
    return *value.GetBlob();
}

void Attribute(CXmlDoc& xml, const char* name, qint32 value)
{
    xml.SetCurrentIntAttribute(QString::fromLatin1(name), value);
}

void Attribute(CXmlDoc& xml, const char* name, const QString& value)
{
    xml.SetCurrentAttribute(QString::fromLatin1(name), value);
}

/// A coding's attributes in their order; the second names its code (the
/// project's form) or its document (the report's).
void CodingAttributes(CXmlDoc& xml, qint32 coding, RowBuffer& row, const char* reference, qint32 referenceField)
{
    Attribute(xml, "id", coding);
    Attribute(xml, reference, IntOf(row, referenceField));
    Attribute(xml, "type", IntOf(row, CodingField::IsText));
    Attribute(xml, "author", TextOf(row, CodingField::Author));
    Attribute(xml, "date", StampOf(row, CodingField::Date));
    Attribute(xml, "weight", IntOf(row, CodingField::Weight));
    Attribute(xml, "page", IntOf(row, CodingField::Page));
    Attribute(xml, "pos11", IntOf(row, CodingField::StartChar));
    Attribute(xml, "pos21", IntOf(row, CodingField::FinishChar));
    Attribute(xml, "pos12", IntOf(row, CodingField::PosX1));
    Attribute(xml, "pos22", IntOf(row, CodingField::PosX2));
    Attribute(xml, "comment", TextOf(row, CodingField::Comment));
}

void Problem(QStringList* problems, const QString& path, const QString& reason)
{
    if (problems)
        problems->append(reason.isEmpty() ? path : LoadString(Text::NotCreated).arg(path, reason));
}

/// Writes the bytes under a temporary name and renames them into place.
bool WriteWhole(const QString& path, const QByteArray& bytes, QString& error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    error = file.errorString();
    return false;
}

/// A stored rich text as a file: only the zero bytes after its end go, so
/// the closing brace stays.
QByteArray RichTextFileBytes(QByteArray bytes)
{
    while (bytes.endsWith('\0'))
        bytes.chop(1);
    return bytes;
}

/// "./Documents/name.rtf" for a file under the export root.
QString RelativePath(const QString& root, const QString& file)
{
    return QStringLiteral("./") + QDir(root).relativeFilePath(file);
}

/// A file name made from an object's name, unique in its folder.
QString UniqueFile(const QString& folder, QString name, const QString& extension)
{
    SanitizeFileName(name, true);
    if (name.isEmpty())
        name = QStringLiteral("_");
    QString path = QDir(folder).filePath(name + extension);
    return MakeUniqueFileName(path) ? path : QString();
}

bool OpenXml(CXmlDoc& xml, const QString& path, ProjectDataEngine* engine)
{
    QString encoding = QStringLiteral("utf-8");
    if (!xml.Open(path, XmlDocFlag::WriteFile, &encoding))
        return false;
    xml.AddSubDoc(kDeclaration);
    xml.AddElement(QStringLiteral("KORVAN"));
    Attribute(xml, "version", engine ? engine->GetSchemaVersion() : QString());
    return xml.EnterElement();
}

/// Makes the export's folder (numbered when it exists) and opens its XML
/// file, named after the project, with the root entered.
bool Begin(CKorDoc& doc, const QString& folder, Outcome& outcome, CXmlDoc& xml)
{
    outcome.folder = folder;
    if (!MakeUniqueFolderName(outcome.folder)) {
        Problem(&outcome.problems, outcome.folder, QString());
        return false;
    }
    outcome.xmlPath = QDir(outcome.folder).filePath(doc.GetProjectName() + QStringLiteral(".xml"));
    if (!OpenXml(xml, outcome.xmlPath, doc.GetEngine())) {
        Problem(&outcome.problems, outcome.xmlPath, xml.GetResultText());
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- the whole project

class ProjectWriter {
public:
    ProjectWriter(CKorDoc& doc, CXmlDoc& xml, const QString& root, QStringList& problems)
        : m_doc(doc), m_db(doc.GetDatabase()), m_xml(xml), m_root(root), m_problems(problems), m_index(m_db)
    {
    }

    void WriteDocuments();
    void WriteCodeTree(qint32 parent) { WriteCodes(parent, 0); }
    void WriteMemos();

private:
    void WriteDocument(qint32 id, const QString& folder);
    void WriteCodes(qint32 parent, int depth);

    CKorDoc& m_doc;
    TopicDatabase& m_db;
    CXmlDoc& m_xml;
    QString m_root;
    QStringList& m_problems;
    ProjectIndex m_index;
};

void ProjectWriter::WriteDocuments()
{
    m_xml.AddElement(QStringLiteral("DOCUMENTS"));
    m_xml.EnterElement();
    const QString folder = QDir(m_root).filePath(QStringLiteral("Documents"));
    if (!EnsureFolder(folder))
        Problem(&m_problems, folder, QString());
    QList<qint32> groups;
    m_db.GetAllKeys(TopicId::DocumentGroups, groups);
    groups.prepend(0);
    QList<qint32> documents;
    m_db.GetAllKeys(TopicId::Documents, documents);
    QHash<qint32, QList<qint32>> byGroup;
    for (const qint32 document : std::as_const(documents))
        byGroup[m_db.GetIntValue(TopicId::Documents, document, DocumentField::GroupID)].append(document);
    for (const qint32 group : std::as_const(groups)) {
        if (group != 0) {
            m_xml.AddElement(QStringLiteral("DOCGROUP"));
            Attribute(m_xml, "id", group);
            Attribute(m_xml, "name", m_db.FormatRowDisplay(TopicId::DocumentGroups, group, false));
            m_xml.EnterElement();
        }
        for (const qint32 document : byGroup.value(group))
            WriteDocument(document, folder);
        if (group != 0)
            m_xml.LeaveElement();
    }
    m_xml.LeaveElement();
}

void ProjectWriter::WriteDocument(qint32 id, const QString& folder)
{
    RowBuffer row;
    if (!m_db.ReadRow(TopicId::Documents, id, row, true))
        return;
    QByteArray bytes = BlobOf(row, DocumentField::Text);
    if (bytes.isEmpty())
        return;   // a document without content has no element
    const QString name = TextOf(row, DocumentField::Name);
    const qint32 kind = IntOf(row, DocumentField::DocType);
    QString extension;
    switch (kind) {
    case DocumentKind::RichText: extension = QStringLiteral(".rtf"); break;
    case DocumentKind::Pdf: extension = QStringLiteral(".pdf"); break;
    case DocumentKind::Picture: extension = QStringLiteral(".jpg"); break;
    case DocumentKind::Table:
        extension = g_qdaOptions.GetInt(QdaOption::ExcelFormat) == 1 ? QStringLiteral(".xlsx") : QStringLiteral(".xls");
        break;
    default: return;   // no kind of content file
    }
    QString file = UniqueFile(folder, name, extension);
    QString error;
    bool written = false;
    if (file.isEmpty()) {
        Problem(&m_problems, QDir(folder).filePath(name + extension), QString());
    } else if (!StripExternPrefix(&bytes).isEmpty()) {
        // A document kept outside the project is written as the file it names.
        QByteArray external;
        if (m_doc.GetDocumentContentBytes(id, external, &error))
            written = WriteWhole(file, external, error);
    } else if (kind == DocumentKind::Table) {
        CTableData table;
        QString saved;
        written = table.LoadFromBytes(bytes) && table.ExportExcel(name, file, &saved, &error);
        if (written && !saved.isEmpty())
            file = saved;
    } else {
        written = WriteWhole(file, kind == DocumentKind::RichText ? RichTextFileBytes(bytes) : bytes, error);
    }
    bytes = QByteArray();
    if (!file.isEmpty() && !written)
        Problem(&m_problems, file, error);

    m_xml.AddElement(QStringLiteral("DOCUMENT"));
    Attribute(m_xml, "id", id);
    Attribute(m_xml, "name", name);
    Attribute(m_xml, "type", kind);
    Attribute(m_xml, "color", IntOf(row, DocumentField::Type));
    Attribute(m_xml, "author", TextOf(row, DocumentField::Author));
    Attribute(m_xml, "date", StampOf(row, DocumentField::Date));
    Attribute(m_xml, "path", file.isEmpty() ? QString() : RelativePath(m_root, file));
    const QList<qint32> codings = m_index.codingsByDocument.value(id);
    if (codings.isEmpty())
        return;
    m_xml.EnterElement();
    m_xml.AddElement(QStringLiteral("CODINGS"));
    m_xml.EnterElement();
    for (const qint32 coding : codings) {
        RowBuffer c;
        if (!m_db.ReadRow(TopicId::Codings, coding, c, false))
            continue;
        m_xml.AddElement(QStringLiteral("CODING"));
        CodingAttributes(m_xml, coding, c, "code_id", CodingField::Code);
    }
    m_xml.LeaveElement();
    m_xml.LeaveElement();
}

void ProjectWriter::WriteCodes(qint32 parent, int depth)
{
    // A damaged tree that loops ends at a depth no real tree reaches.
    if (depth > 256)
        return;
    for (const qint32 code : m_index.codesByParent.value(parent)) {
        RowBuffer row;
        if (code == parent || !m_db.ReadRow(TopicId::Codes, code, row, false))
            continue;
        m_xml.AddElement(QStringLiteral("CODE"));
        Attribute(m_xml, "id", code);
        Attribute(m_xml, "name", TextOf(row, CodeField::Name));
        Attribute(m_xml, "color", IntOf(row, CodeField::Type));
        Attribute(m_xml, "author", TextOf(row, CodeField::Author));
        Attribute(m_xml, "date", StampOf(row, CodeField::Date));
        m_xml.EnterElement();
        WriteCodes(code, depth + 1);
        m_xml.LeaveElement();
    }
}

void ProjectWriter::WriteMemos()
{
    QList<qint32> memos;
    m_db.GetAllKeys(TopicId::Memos, memos);
    if (memos.isEmpty())
        return;
    const QString folder = QDir(m_root).filePath(QStringLiteral("Memos"));
    if (!EnsureFolder(folder))
        Problem(&m_problems, folder, QString());
    m_xml.AddElement(QStringLiteral("MEMOS"));
    m_xml.EnterElement();
    for (const qint32 memo : std::as_const(memos)) {
        RowBuffer row;
        if (!m_db.ReadRow(TopicId::Memos, memo, row, true))
            continue;
        const QString title = TextOf(row, MemoField::Title);
        const qint32 source = IntOf(row, MemoField::Source);
        m_xml.AddElement(QStringLiteral("MEMO"));
        Attribute(m_xml, "id", memo);
        Attribute(m_xml, "title", title);
        Attribute(m_xml, "type", IntOf(row, MemoField::Type));
        Attribute(m_xml, "author", TextOf(row, MemoField::Author));
        Attribute(m_xml, "date", StampOf(row, MemoField::Date));
        Attribute(m_xml, "ref_type", source);
        switch (source) {
        case kSourceDocumentPosition:
            Attribute(m_xml, "ref_id", IntOf(row, MemoField::Document));
            Attribute(m_xml, "page", IntOf(row, MemoField::Page));
            Attribute(m_xml, "pos", IntOf(row, MemoField::Pos));
            break;
        case kSourceDocument: Attribute(m_xml, "ref_id", IntOf(row, MemoField::Document)); break;
        case kSourceGroup: Attribute(m_xml, "ref_id", IntOf(row, MemoField::GroupID)); break;
        case kSourceCode: Attribute(m_xml, "ref_id", IntOf(row, MemoField::Code)); break;
        case kSourceSet: Attribute(m_xml, "ref_id", IntOf(row, MemoField::SetID)); break;
        default: break;
        }
        const QByteArray text = BlobOf(row, MemoField::Text);
        if (!text.isEmpty()) {
            // Two memos of one title get two files, as documents do.
            const QString file = UniqueFile(folder, title, QStringLiteral(".rtf"));
            QString error;
            if (file.isEmpty())
                Problem(&m_problems, QDir(folder).filePath(title + QStringLiteral(".rtf")), QString());
            else if (!WriteWhole(file, RichTextFileBytes(text), error))
                Problem(&m_problems, file, error);
            Attribute(m_xml, "path", file.isEmpty() ? QString() : RelativePath(m_root, file));
        }
        const QByteArray codes = BlobOf(row, MemoField::Codewords);
        if (codes.size() >= 4) {
            m_xml.EnterElement();
            m_xml.AddElement(QStringLiteral("CODEREFS"));
            m_xml.EnterElement();
            for (qsizetype at = 0; at + 4 <= codes.size(); at += 4) {
                const auto* bytes = reinterpret_cast<const uchar*>(codes.constData() + at);
                m_xml.AddElement(QStringLiteral("CODEREF"));
                Attribute(m_xml, "code_id", qint32(quint32(bytes[0]) | quint32(bytes[1]) << 8
                                                  | quint32(bytes[2]) << 16 | quint32(bytes[3]) << 24));
            }
            m_xml.LeaveElement();
            m_xml.LeaveElement();
        }
    }
    m_xml.LeaveElement();
}

// ---------------------------------------------------------------- the report

class ReportWriter {
public:
    ReportWriter(CKorDoc& doc, CXmlDoc& xml, const QList<qint32>& documents, const QString& imageFolder,
                 QStringList* problems)
        : m_doc(doc), m_db(doc.GetDatabase()), m_xml(xml), m_documents(documents.cbegin(), documents.cend()),
          m_imageFolder(imageFolder), m_problems(problems), m_index(m_db), m_edit(CreateHiddenRichEdit())
    {
    }

    void WriteCodes(const QList<qint32>& codes, int depth = 0);

private:
    QString CodingData(RowBuffer& row, qint32 coding);

    CKorDoc& m_doc;
    TopicDatabase& m_db;
    CXmlDoc& m_xml;
    QSet<qint32> m_documents;
    QString m_imageFolder;
    QStringList* m_problems;
    ProjectIndex m_index;
    std::unique_ptr<CRichEditCtrlEx> m_edit;
    bool m_imageFolderFailed = false;
};

QString ReportWriter::CodingData(RowBuffer& row, qint32 coding)
{
    if (IntOf(row, CodingField::IsText) != 0) {
        const QByteArray rtf = BlobOf(row, CodingField::Text);
        if (rtf.isEmpty() || !m_edit)
            return QString();
        m_edit->StreamInRtf(&rtf, false);
        QString text;
        m_edit->GetText(&text, (m_edit->GetTextLength() + 1) * 2);
        return text;
    }
    if (m_imageFolderFailed)
        return QString();
    if (!EnsureFolder(m_imageFolder)) {
        m_imageFolderFailed = true;
        Problem(m_problems, m_imageFolder, QString());
        return QString();
    }
    CodingRecord record;
    record.CopyFrom(row, true);
    int maxHeight = 0;
    int maxWidth = 600;
    const QString temporary = TemporaryPictureFile();
    if (!m_doc.SaveCodingImage(record, maxHeight, maxWidth, true))
        return QString();
    const QString name = QStringLiteral("%1.jpg").arg(coding, 9, 10, QLatin1Char('0'));
    const QString target = QDir(m_imageFolder).filePath(name);
    QFile picture(temporary);
    QString error;
    const bool copied = picture.open(QIODevice::ReadOnly) && WriteWhole(target, picture.readAll(), error);
    picture.close();
    QFile::remove(temporary);
    if (!copied) {
        Problem(m_problems, target, error.isEmpty() ? picture.errorString() : error);
        return QString();
    }
    return QStringLiteral("./Img/") + name;
}

void ReportWriter::WriteCodes(const QList<qint32>& codes, int depth)
{
    if (depth > 256)
        return;
    for (const qint32 code : codes) {
        RowBuffer row;
        if (!m_db.ReadRow(TopicId::Codes, code, row, false))
            continue;
        const QList<qint32> codings = m_index.codingsByCode.value(code);
        m_xml.AddElement(QStringLiteral("CODE"));
        Attribute(m_xml, "id", code);
        Attribute(m_xml, "name", m_doc.GetCodeAlias(code));
        Attribute(m_xml, "color", IntOf(row, CodeField::Type));
        Attribute(m_xml, "author", TextOf(row, CodeField::Author));
        Attribute(m_xml, "date", StampOf(row, CodeField::Date));
        Attribute(m_xml, "codings", qint32(codings.size()));
        m_xml.EnterElement();
        if (!codings.isEmpty()) {
            m_xml.AddElement(QStringLiteral("CODINGS"));
            m_xml.EnterElement();
            for (const qint32 coding : codings) {
                RowBuffer c;
                if (!m_documents.contains(m_db.GetIntValue(TopicId::Codings, coding, CodingField::Document))
                    || !m_db.ReadRow(TopicId::Codings, coding, c, true))
                    continue;
                m_xml.AddElement(QStringLiteral("CODING"), CodingData(c, coding));
                CodingAttributes(m_xml, coding, c, "doc_id", CodingField::Document);
            }
            m_xml.LeaveElement();
        }
        QList<qint32> subcodes = m_index.codesByParent.value(code);
        subcodes.removeAll(code);
        WriteCodes(subcodes, depth + 1);
        m_xml.LeaveElement();
    }
}

}  // namespace

namespace ProjectXml {

Outcome ExportProject(CKorDoc& doc, const QString& folder)
{
    Outcome outcome;
    CXmlDoc xml;
    if (!Begin(doc, QDir(folder).filePath(doc.GetProjectName()), outcome, xml))
        return outcome;
    ProjectWriter writer(doc, xml, outcome.folder, outcome.problems);
    writer.WriteDocuments();
    xml.AddElement(QStringLiteral("CODESYSTEM"));
    xml.EnterElement();
    writer.WriteCodeTree(0);
    xml.LeaveElement();
    writer.WriteMemos();
    xml.LeaveElement();
    outcome.written = xml.Close();
    if (!outcome.written)
        Problem(&outcome.problems, outcome.xmlPath, xml.GetResultText());
    return outcome;
}

void WriteCodeTree(CKorDoc& doc, CXmlDoc& xml, qint32 parent)
{
    QStringList problems;
    ProjectWriter(doc, xml, QString(), problems).WriteCodeTree(parent);
}

void WriteReportCodes(CKorDoc& doc, CXmlDoc& xml, const QList<qint32>& codes, const QList<qint32>& documents,
                      const QString& imageFolder, QStringList* problems)
{
    ReportWriter(doc, xml, documents, imageFolder, problems).WriteCodes(codes);
}

Outcome ExportReport(CKorDoc& doc, const QString& baseFolder, const QList<qint32>& codes,
                     const QList<qint32>& documents)
{
    Outcome outcome;
    CXmlDoc xml;
    if (!Begin(doc, QDir(baseFolder).filePath(QStringLiteral("Report_") + doc.GetProjectName()), outcome, xml))
        return outcome;
    xml.AddElement(QStringLiteral("STRINGS"));
    xml.EnterElement();
    for (int id = kFirstReportString; id <= kLastReportString; ++id) {
        const QString text = LoadString(id);
        if (text.isEmpty())
            continue;
        xml.AddElement(QStringLiteral("STRING"), text);
        Attribute(xml, "id", id);
    }
    xml.LeaveElement();
    TopicDatabase& db = doc.GetDatabase();
    xml.AddElement(QStringLiteral("DOCUMENTS"));
    xml.EnterElement();
    for (const qint32 document : documents) {
        RowBuffer row;
        if (!db.ReadRow(TopicId::Documents, document, row, false))
            continue;
        xml.AddElement(QStringLiteral("DOCUMENT"));
        Attribute(xml, "id", document);
        Attribute(xml, "name", db.FormatRowDisplay(TopicId::Documents, document, true));
        Attribute(xml, "type", IntOf(row, DocumentField::DocType));
        Attribute(xml, "color", IntOf(row, DocumentField::Type));
        Attribute(xml, "author", TextOf(row, DocumentField::Author));
        Attribute(xml, "date", StampOf(row, DocumentField::Date));
    }
    xml.LeaveElement();
    xml.AddElement(QStringLiteral("CODESYSTEM"));
    xml.EnterElement();
    WriteReportCodes(doc, xml, codes, documents, QDir(outcome.folder).filePath(QStringLiteral("Img")),
                     &outcome.problems);
    xml.LeaveElement();
    xml.LeaveElement();
    outcome.written = xml.Close();
    if (!outcome.written)
        Problem(&outcome.problems, outcome.xmlPath, xml.GetResultText());
    return outcome;
}

}  // namespace ProjectXml
