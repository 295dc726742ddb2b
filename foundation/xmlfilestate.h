#pragma once

// The open file of a CXmlDoc: encoding detection, block reading with
// conversion to UTF-16, and conversion and writing of finished text. Not for
// use outside the files of CXmlDoc.

#include <QByteArray>
#include <QFileDevice>
#include <QHash>
#include <QString>

#include <iconv.h>

#include <memory>
#include <vector>

/// Converts between a byte encoding and the UTF-16 of QString through iconv.
/// Keeps the converter's shift state between blocks, so a block may end
/// anywhere: an incomplete character at its end waits for the next block.
class XmlTextConverter {
public:
    XmlTextConverter() = default;
    ~XmlTextConverter() { Close(); }
    XmlTextConverter(const XmlTextConverter&) = delete;
    XmlTextConverter& operator=(const XmlTextConverter&) = delete;

    bool OpenDecoder(const char* encoding);
    bool OpenEncoder(const char* encoding);
    void Close();
    bool IsOpen() const { return m_cd != iconv_t(-1); }

    /// Appends the decoded bytes to out. When last is false, the bytes of an
    /// incomplete character at the end are left in rest. Undecodable bytes
    /// become U+FFFD and set lost; an incomplete character at the very end
    /// sets truncated.
    void Decode(const QByteArray& bytes, bool last, QString& out, QByteArray& rest, bool& lost, bool& truncated);
    /// Encodes text; characters the encoding lacks become "?" and set lost.
    QByteArray Encode(QStringView text, bool& lost);
    /// The bytes that return a stateful encoding to its initial state.
    QByteArray Finish();

private:
    iconv_t m_cd = iconv_t(-1);
};

struct XmlFileState {
    int flags = 0;   // XmlDocFlag encoding and mode bits
    std::unique_ptr<QFileDevice> file;
    qint64 fileLength = 0;   // bytes; when appending, the length before writing
    qint64 done = 0;         // bytes read or written
    int blockBytes = 16384;  // element-by-element reading; grows while large elements fill the window
    int unitSize = 1;        // 2 for UTF-16 files
    QString encoding;        // empty: Windows-1252 (the "ANSI" code page), or not yet known
    int codePage = 0;
    bool encodingSettled = false;
    bool failed = false;     // a write failed: the file must not replace the old one
    XmlTextConverter converter;
    QByteArray pending;      // bytes of an incomplete character, read again with the next block

    // Element-by-element reading: the document text is a window onto the
    // file; readPos is the next unread offset in it.
    struct Level {
        QString name;
        QHash<QString, int> childCounts;   // same-named children seen so far
    };
    std::vector<Level> stack;   // open elements (reading: as read; writing: entered)
    QHash<QString, int> topCounts;
    int readPos = 0;
    int enterDepth = 0;         // stack depth whose children a find looks at
    int currentDepth = -1;      // stack index of the current element
    bool currentEmpty = false;
    bool currentContentRead = false;
    QString currentData;        // data of the current element once its content was read

    bool OpenRead(const QString& path, const QString& givenEncoding, QString& log);
    /// Reads at most maxBytes (all when negative), converts and appends.
    bool ReadBlock(qint64 maxBytes, QString& out, QString& log);
    bool AtEnd() const { return done >= fileLength && pending.isEmpty(); }

    bool OpenWrite(const QString& path, int mode, const QString& givenEncoding, QString& log);
    bool WriteText(QStringView text, QString& log);
    /// Ends the file: the rename into place for a replaced file.
    bool Finish(QString& log);

private:
    void SetEncoding(const QString& name, QString& log);
    void FileError(QString& log);
    bool WriteBytes(const QByteArray& bytes, QString& log);
};

/// The encoding declared by an XML declaration at the start of the text or
/// by an HTML "meta" Content-Type inside "head"; empty when none.
QString DeclaredXmlEncoding(QStringView text);
