#pragma once

// Pre-structured texts: one rich-text file holds several documents between
// "#TEXT" and "#ENDTEXT" markers and marks coded regions with "#CODE" and
// "#ENDCODE". The markers are plain text; everything else, formatting
// included, becomes document content.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CKorDoc;
class CRichEditCtrlEx;

namespace structuredtext {

/// One coded region of a document, in the positions of its final text.
struct Region {
    QStringList paths;  ///< code paths, each split at single backslashes when made
    qint32 start = 0;
    qint32 end = 0;     ///< one past the last character
    qint32 startPara = 0;
    qint32 finishPara = 0;
    QString preview;    ///< at most 63 units
    QByteArray rtf;     ///< the region's rich text
};

/// One "#TEXT" block: its name and content as cut out of the file, then,
/// once coded, its final content with the markers gone and its regions.
struct Block {
    QString name;
    QByteArray rtf;
    qint32 size = 0;    ///< positions of the final content
    QList<Region> regions;
};

/// Cuts the "#TEXT" blocks out of a file's RTF, reading it once and never
/// laying the text out. False, with the reason, for bytes the codec
/// refuses or finds damaged.
bool CutBlocks(const QByteArray& rtf, QList<Block>& blocks, QString& reason);

/// Finds and removes the "#CODE" and "#ENDCODE" markers of one block in the
/// control (which then holds its final text), filling rtf, size and the
/// regions. With keepCodeNames only the keywords and their blanks leave
/// the text and the code paths stay.
void CodeBlock(CRichEditCtrlEx& edit, Block& block, bool keepCodeNames);

}  // namespace structuredtext

/// @short The structured-text import of files into a document group.
///
/// Each file is one transaction: its documents, codes and codings all or
/// none; windows hear of them once they are written. The source file is
/// only read. GUI thread; blocks are coded on helper threads in order.
class StructuredTextImport {
public:
    explicit StructuredTextImport(CKorDoc& doc);

    /// Imports the RTF file at path (a Word file must have been converted
    /// first). False, with the reason (the file is left as it was and the
    /// project unchanged), when the file cannot be read, is no rich text
    /// the codec accepts, or a write failed. A file without "#TEXT" makes
    /// nothing and answers true. documents, when given, gets the new ids.
    bool ImportFile(const QString& path, qint32 group, bool keepCodeNames, QString& reason,
                    QList<qint32>* documents = nullptr);
    /// The same for bytes already read.
    bool ImportRtf(const QByteArray& rtf, qint32 group, bool keepCodeNames, QString& reason,
                   QList<qint32>* documents = nullptr);

private:
    bool Write(QList<structuredtext::Block>& blocks, qint32 group, bool keepCodeNames, QString& reason,
               QList<qint32>& made);

    CKorDoc& m_doc;
};
