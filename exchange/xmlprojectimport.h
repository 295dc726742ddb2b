#pragma once

// The import of a project another QDA program exported as XML (root
// "storedHU"): codes, code families, RTF data sources as documents,
// quotations as codings, document families, comments and memos.

#include "store/oledate.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CKorDoc;
class CRichEditCtrlEx;

namespace xmlproject {

struct Tree;

/// The seven values the import reads from an element.
struct ElementValues {
    QString id;
    QString name;
    QString author;     ///< at most 63 units
    QString location;
    QString mime;
    OleDate date;       ///< "cDate" of 19 characters, else now
    qint32 color = 0;   ///< "RRGGBB" as a COLORREF, else 0
};

/// "RRGGBB" as red + green * 256 + blue * 65536; 0 for any other form.
qint32 ParseColor(const QString& text);
/// "YYYY-MM-DDThh:mm:ss" read by its fixed places; false for another length
/// or a date or time that does not exist.
bool ParseDate(const QString& text, OleDate& date);
/// A quotation's "a@b,c@d!" as four numbers; false for another form.
bool ParseLocation(const QString& text, qint32& a, qint32& b, qint32& c, qint32& d);

}  // namespace xmlproject

/// @short Reads an exported XML project into the open project.
///
/// The file is untrusted: it is read whole and checked first, and a file
/// that is not well-formed XML or whose root is not "storedHU" imports
/// nothing. Everything it makes is written in one transaction through the
/// project document's operations: all or nothing; windows hear of it once
/// it is written. Data sources are read only from the folder given (the
/// last project folder, which "<HUPATH>" in their locations names); others
/// are named in the closing message. The XML file and the data sources
/// are only read. As its callers expect, the constructor runs the whole
/// import and shows its outcome. GUI thread only.
class CXmlProjectImport {
public:
    CXmlProjectImport(CKorDoc& doc, const QString& path, const QString& folder);
    ~CXmlProjectImport();
    CXmlProjectImport(const CXmlProjectImport&) = delete;
    CXmlProjectImport& operator=(const CXmlProjectImport&) = delete;

    /// Reads and checks the file as the import does, writing nothing: false,
    /// with the error to show, for a file that cannot be read, is not
    /// well-formed XML or is no exported project.
    static bool CheckFile(const QString& path, QString& error);

    bool Succeeded() const { return m_succeeded; }
    /// The error shown when the import failed.
    const QString& Error() const { return m_error; }
    /// Data-source locations that lie outside the folder, not read.
    const QStringList& OutsideSources() const { return m_outside; }

private:
    struct Quotation {
        qint32 document = 0;
        qint32 start = 0;
        qint32 paragraph = 0;
    };

    static bool ReadTree(const QString& path, std::unique_ptr<xmlproject::Tree>& tree, QString& error);
    bool Read();
    bool Import(QString& reason);
    bool ImportCodes(int root);
    bool ImportFamilies(int root, const char* list, QStringView tag, const QHash<QString, qint32>& members,
                        const std::function<void(qint32)>& activate,
                        const std::function<bool(const QString&)>& newSet);
    bool ImportCodeFamilies(int root);
    void ReadLinks(int root);
    bool ImportDataSources(int root);
    bool ImportDocuments(int root);
    bool ImportQuotations(int element, qint32 document, CRichEditCtrlEx& edit);
    bool ImportDocumentFamilies(int root);
    bool ImportMemos(int root);
    bool FillMemo(qint32 memo, const xmlproject::ElementValues& values, const QString& comment);
    xmlproject::ElementValues ValuesOf(int element) const;
    /// The text of the element's "comment" child; false when it has none.
    bool CommentOf(int element, QString& comment) const;
    /// The path a data source's location names, or empty when it lies
    /// outside the folder.
    QString SourcePath(const QString& location) const;
    void Pump();

    CKorDoc& m_doc;
    QString m_path;
    QString m_folder;
    std::unique_ptr<xmlproject::Tree> m_tree;
    std::unique_ptr<CRichEditCtrlEx> m_memoEdit;
    qint32 m_weight = 0;
    QHash<QString, qint32> m_codes;            // code element id -> code
    QHash<QString, qint32> m_sourceDocuments;  // data-source id -> document
    QHash<QString, qint32> m_documents;        // document element id -> document
    QHash<QString, Quotation> m_quotations;    // quotation id (lower case)
    QHash<QString, QList<qint32>> m_codingLinks;  // qRef (lower case) -> codes
    QHash<QString, QStringList> m_memoLinks;      // memo id (lower case) -> qRefs
    QStringList m_outside;
    QString m_error;
    bool m_succeeded = false;
};
