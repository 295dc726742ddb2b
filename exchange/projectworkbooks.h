#pragma once

// Two workbooks of the project: the quote matrix (coded texts by code and
// document) and the table of document variables. Each is written under a
// temporary name and put in place whole; a failure is shown and leaves an
// existing file as it was.

#include <QList>
#include <QString>
#include <QtGlobal>

class CKorDoc;
class CWorkbook;

namespace projectworkbooks {

/// One sheet named `sheetName`: a row per document, a column per document
/// field shown in lists. With a book the sheet goes into it and nothing is
/// saved or opened. Otherwise a book of the type `path` asks for is saved
/// (`path` becomes the name written) and opened when asked. False, with the
/// reason shown when the book was made here, when it could not be written.
bool ExportDocumentVariables(CKorDoc& doc, QString& path, const QString& sheetName, bool openAfter,
                             CWorkbook* book = nullptr);

/// The quote matrix: a column per document, a row per code, each cell the
/// texts of that code's codings in that document with their paragraphs.
/// Written into the documents folder under the sheet's title (an empty
/// `path`) or to `path`, then opened. False when it could not be written.
bool ExportCodingsExcel(CKorDoc& doc, const QList<qint32>& documents, const QList<qint32>& codes,
                        QString* path = nullptr);

}  // namespace projectworkbooks
