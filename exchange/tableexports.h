#pragma once

#include "document/exportservice.h"

#include <functional>

/// @short The table exports of the project: object sheets in workbooks,
/// HTML tables, tab text of documents and codes, the document folders, the
/// search-hit RTF, the link overview and the code matrix.
///
/// Each file is written under a temporary name beside its target and
/// renamed into place only when whole; a failure is shown to the user,
/// leaves an existing target unchanged and returns false. Written files
/// are opened through the opener (the desktop by default; tests set none).
class TableExports : public IExportService {
public:
    using Opener = std::function<void(const QString& path)>;
    /// Who opens a written file; an empty opener opens nothing.
    static void SetOpener(Opener opener);
    /// Opens a written file through the opener.
    static void OpenResult(const QString& path);

    bool ExportRetrievedSegments(CKorDoc& doc, qint32 topic, const QList<qint32>& ids, QString& path,
                                 bool openAfter, CWorkbook* book) override;
    bool ExportHtmlTable(CKorDoc& doc, const QStringList& columns, const QStringList& rows, const QStringList& cells,
                         const QString& path) override;
    bool ExportCodingsHtml(CKorDoc& doc, const QList<qint32>& codings, const QString& path) override;
    bool WriteTabTextFile(CKorDoc& doc, const QString& path, const QList<qint32>* keys, bool unicode,
                          bool codes) override;
    bool ExportDocumentFolders(CKorDoc& doc, const QString& base) override;
    bool ExportSearchHitsText(CKorDoc& doc, const QString& path, const QList<qint32>& hits, int mode,
                              bool withCounts) override;
    void BuildLinkTable(CKorDoc& doc, qint32 document, bool append) override;
    bool ExportTableExcel(CKorDoc& doc, const QString& path, bool activatedOnly, bool unicode, bool excel) override;
};
