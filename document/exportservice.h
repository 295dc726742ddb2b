#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CKorDoc;
class CWorkbook;

/// @short What the project document asks of the table exports.
///
/// The exports live above the document (exchange/), so the document
/// declares the calls it needs and the exports register themselves through
/// CKorDoc::SetExportService at start-up. Every file is written under a
/// temporary name and renamed into place: a failed export leaves an
/// existing target as it was and says so. UI thread only.
class IExportService {
public:
    virtual ~IExportService() = default;

    virtual bool ExportRetrievedSegments(CKorDoc& doc, qint32 topic, const QList<qint32>& ids, QString& path,
                                         bool openAfter, CWorkbook* book) = 0;
    virtual bool ExportHtmlTable(CKorDoc& doc, const QStringList& columns, const QStringList& rows,
                                 const QStringList& cells, const QString& path) = 0;
    virtual bool ExportCodingsHtml(CKorDoc& doc, const QList<qint32>& codings, const QString& path) = 0;
    virtual bool WriteTabTextFile(CKorDoc& doc, const QString& path, const QList<qint32>* keys, bool unicode,
                                  bool codes) = 0;
    virtual bool ExportDocumentFolders(CKorDoc& doc, const QString& base) = 0;
    virtual bool ExportSearchHitsText(CKorDoc& doc, const QString& path, const QList<qint32>& hits, int mode,
                                      bool withCounts) = 0;
    virtual void BuildLinkTable(CKorDoc& doc, qint32 document, bool append) = 0;
    virtual bool ExportTableExcel(CKorDoc& doc, const QString& path, bool activatedOnly, bool unicode,
                                  bool excel) = 0;
};
