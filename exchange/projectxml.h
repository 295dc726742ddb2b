#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CKorDoc;
class CRichEditCtrlEx;
class CXmlDoc;

/// @short The project as XML for programs outside this one: the whole
/// project with one content file per document and memo, and the reduced
/// file of picked codes with their codings that a report tool reads.
///
/// Both files start with an XML declaration and the root "KORVAN" with the
/// project's schema version; dates are fourteen digits, empty for none.
/// Every file is written to a temporary name and renamed into place, so a
/// failed write never leaves half a file; what could not be written is
/// listed in `problems` for the caller to show.
namespace ProjectXml {

struct Outcome {
    bool written = false;   ///< the XML file stands
    QString folder;         ///< the folder made for the export
    QString xmlPath;
    QStringList problems;   ///< one line per folder or file that could not be made
};

/// Writes the whole project into a new folder under `folder`, named after
/// the project ("name(1)" and on when it exists).
Outcome ExportProject(CKorDoc& doc, const QString& folder);

/// The `CODE` elements of the codes under `parent` (0: the whole tree),
/// each holding its own subtree.
void WriteCodeTree(CKorDoc& doc, CXmlDoc& xml, qint32 parent);

/// Writes the report file into a new folder "Report_<project>" under
/// `baseFolder`: the texts the report tool shows, the documents listed (in
/// that order) and the codes listed with their codings in those documents
/// and all their subcodes. Area codings become pictures in "Img".
Outcome ExportReport(CKorDoc& doc, const QString& baseFolder, const QList<qint32>& codes,
                     const QList<qint32>& documents);

/// The `CODE` elements of the codes listed, each with its codings in the
/// documents listed and, recursively, its subcodes. Pictures of area
/// codings go into `imageFolder`, made when the first is written.
void WriteReportCodes(CKorDoc& doc, CXmlDoc& xml, const QList<qint32>& codes, const QList<qint32>& documents,
                      const QString& imageFolder, QStringList* problems = nullptr);

/// First and last text id of the report's "STRINGS".
constexpr int kFirstReportString = 102400;
constexpr int kLastReportString = 102499;

}  // namespace ProjectXml
