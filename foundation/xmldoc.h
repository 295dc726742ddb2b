#pragma once

#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

/// Document flags of CXmlDoc, one word; the encoding and mode bits are shared
/// with an open file.
namespace XmlDocFlag {
constexpr int Utf16LE = 0x01;     ///< file is UTF-16LE with the mark FF FE
constexpr int Modified = 0x02;    ///< set by every edit
constexpr int Utf8Bom = 0x04;     ///< file is UTF-8 with the mark EF BB BF
constexpr int IgnoreCase = 0x08;  ///< names compare with A-Z folded (HTML)
constexpr int ReadFile = 0x10;    ///< a file is open for element-by-element reading
constexpr int WriteFile = 0x20;   ///< a file is open for writing (replaced at Close)
constexpr int AppendFile = 0x40;  ///< a file is open for writing by appending
constexpr int Utf16BE = 0x80;     ///< file is UTF-16BE with the mark FE FF
constexpr int Trim = 0x100;       ///< data read from elements is trimmed
constexpr int Collapse = 0x200;   ///< with Trim: inner white-space runs become one blank
constexpr int EncodingBits = Utf16LE | Utf8Bom | Utf16BE;
constexpr int FileBits = ReadFile | WriteFile | AppendFile;
}  // namespace XmlDocFlag

/// Flags of CXmlDoc::AddElement and CXmlDoc::AddSubDoc.
namespace XmlAddFlag {
constexpr int CData = 0x0001;             ///< data written as a CDATA section
constexpr int NoLineBreak = 0x0002;       ///< no line break after the new text
constexpr int SpaceBeforeSlash = 0x0004;  ///< "<name />" instead of "<name/>"
constexpr int KeepReferences = 0x0008;    ///< complete character references in the data pass unchanged
constexpr int Open = 0x0010;              ///< start tag only; entered and closed by LeaveElement
constexpr int Before = 0x2000;            ///< insert before the reference element
constexpr int AsChild = 0x4000;           ///< insert as a child of the current element
}  // namespace XmlAddFlag

/// Flags of CXmlDoc::EncodeEntities (Trim and Collapse of XmlDocFlag apply to
/// CXmlDoc::DecodeEntity).
namespace XmlEncodeFlag {
constexpr int KeepReferences = 0x0008;  ///< an ampersand that begins a complete reference is kept
constexpr int Attribute = 0x0100;       ///< also escape the double quote and the apostrophe
}  // namespace XmlEncodeFlag

/// Node types of the markup tokenizer.
enum class XmlNodeType : int {
    EndTag = 0,
    Element = 1,
    Text = 2,
    Whitespace = 4,
    CData = 8,
    ProcessingInstruction = 16,
    Comment = 32,
    DocumentType = 64,
    Malformed = -1,
    EndOfDocument = -2,
};

/// One element of the position tree: offsets and lengths in UTF-16 units into
/// the document text. Element 0 is the document root.
struct XmlElement {
    qint32 start = 0;           ///< offset of the "<" of the start tag
    qint32 length = 0;          ///< start tag to end of end tag; start tag alone when unended
    qint32 startTagLength = 0;
    qint32 endTagLength = 0;    ///< 0 when the element has no end tag
    qint32 flags = 0;           ///< XmlElementFlag bits
    qint32 parent = 0;
    qint32 firstChild = 0;
    qint32 nextSibling = 0;     ///< in a free slot: the next free slot
    qint32 prevSibling = 0;     ///< of the first child: the last child of the parent
};

namespace XmlElementFlag {
constexpr int Free = 0x20000;
constexpr int Open = 0x40000;           ///< start tag written, end tag added when left
constexpr int Unended = 0x100000;       ///< no end tag in the text
constexpr int BadChild = 0x200000;      ///< holds a lone end tag or an unended element
constexpr int NotWellFormed = 0x800000; ///< on the root only
}  // namespace XmlElementFlag

struct XmlPath;
struct XmlFileState;
struct XmlToken;

/// @short The program's reader-writer of XML and HTML markup.
///
/// The document is one UTF-16 string; an element tree records offsets into
/// it and is kept in step with every edit, so the text always is the
/// document. Parsing tolerates malformed markup and writes what it found
/// into a result log (GetResultText). Input is treated as hostile: nothing
/// recurses over the nesting depth, and memory grows only with the input.
///
/// A file can be read whole (Load), read element by element through a
/// moving window (Open with XmlDocFlag::ReadFile), or written element by
/// element (Open with WriteFile or AppendFile), so large files never need to
/// be held in memory. A replaced file is written to a temporary file and
/// renamed into place at Close.
class CXmlDoc {
public:
    CXmlDoc();
    /// Parses the text at once.
    explicit CXmlDoc(const QString& doc);
    ~CXmlDoc();
    CXmlDoc(const CXmlDoc&) = delete;
    CXmlDoc& operator=(const CXmlDoc&) = delete;

    // ---- document model ----

    /// Replaces the document by the text and parses it; an empty text empties
    /// the document. Refused while a file is open. Returns IsWellFormed().
    bool SetDoc(const QString& doc);
    /// Rebuilds the tree from the text; returns IsWellFormed(). Refused
    /// (false) while a file is open.
    bool Parse();
    /// One root element, no malformed markup (while reading a file: none met
    /// so far; while writing: always true).
    bool IsWellFormed() const;
    const QString& GetDoc() const { return m_doc; }
    int GetDocFlags() const { return m_flags; }
    /// Sets the flags that are not file state (IgnoreCase, Trim, Collapse,
    /// encoding bits for a later Open).
    void SetDocFlags(int flags);

    /// Decodes character references of document text; Trim and Collapse of
    /// XmlDocFlag drop and fold white space.
    static QString DecodeEntity(QStringView text, int flags = 0);
    /// Escapes text for element data, or for attribute values with
    /// XmlEncodeFlag::Attribute.
    static QString EncodeEntities(QStringView text, int flags = 0);
    /// The text as CDATA section(s); "]]>" inside is split over two sections.
    static QString EscapeText(QStringView text);
    /// The result log as readable English text.
    QString GetResultText() const;

    // ---- navigation and reading ----

    /// Finds the next element matching a name or path from the cursor (an
    /// empty path takes the next element whatever its name). While reading
    /// a file only one step is matched at a time, without "[name]" tests.
    bool FindElement(const QString& path = QString());
    bool EnterElement();
    bool LeaveElement();
    /// Index of the current element, 0 when none.
    int CurrentPosition() const { return m_pos; }
    QString GetTagName(int pos) const;
    QString GetElementPath(int pos) const;
    QString GetCurrentPath() const { return GetElementPath(m_pos); }
    /// Character data of an element: empty when it has child elements; text
    /// decoded, CDATA sections unwrapped, comments skipped.
    QString GetData(int pos);
    QString GetElementData() { return GetData(m_pos); }
    /// Decoded attribute value; empty when absent.
    QString GetAttribute(int pos, QStringView name) const;
    QString GetElementAttribute(QStringView name) const { return GetAttribute(m_pos, name); }

    // ---- editing (refused while a file is open for reading) ----

    bool SetAttribute(int pos, QStringView name, QStringView value, int flags = 0);
    bool SetCurrentAttribute(QStringView name, QStringView value, int flags = 0)
    {
        return SetAttribute(m_pos, name, value, flags);
    }
    bool SetIntAttribute(int pos, QStringView name, qint32 value);
    bool SetCurrentIntAttribute(QStringView name, qint32 value) { return SetIntAttribute(m_pos, name, value); }
    /// Adds an element (empty data: "<name/>") after the current one, or
    /// inside the parent position, or as a child with XmlAddFlag::AsChild.
    bool AddElement(const QString& name, const QString& data = QString(), int flags = 0);
    /// Inserts a markup fragment as AddElement inserts one element. True only
    /// for one well-formed element; several elements, or markup without an
    /// element (a declaration), are inserted and give false; a fragment with
    /// malformed markup or bare text is refused and nothing is inserted.
    bool AddSubDoc(const QString& text, int flags = 0);

    // ---- files ----

    /// Opens a file: XmlDocFlag::ReadFile, WriteFile or AppendFile, plus
    /// Utf8Bom, Utf16LE or Utf16BE for writing. An empty encoding receives
    /// the file's; a given one is used (except for a UTF-16 mark). On failure
    /// the log holds a "file_error" entry.
    bool Open(const QString& path, int mode, QString* encoding = nullptr);
    /// Writes the rest and closes. False when no file was open or a write,
    /// the final rename or the close failed (the old file then stays).
    bool Close();
    /// Reads a whole file into the document and parses it.
    bool Load(const QString& path);
    /// Reads a whole file with byte order mark and declaration detection into
    /// text (UTF-16). flags receives the encoding bits of the mark.
    static bool ReadTextFile(const QString& path, QString& text, QString* log = nullptr, int* flags = nullptr,
                             QString* encoding = nullptr);
    /// Windows code page of an encoding name; 0 for an empty name, -1 unknown.
    static int FindEncoding(QStringView name);

    /// Longest document text, in UTF-16 units; offsets stay within 32 bits.
    static constexpr qint32 kMaxDocLength = 0x3FFFFFFF;

private:
    friend struct XmlFileState;

    // model (xmldoc.cpp)
    void ResetTree();
    void ClearPositions();
    int NewSlot();
    void FreeSlot(int index);
    void LinkLastChild(int parent, int child);
    void AddLog(const char* word, std::initializer_list<std::pair<const char*, QString>> attributes = {});
    bool NamesEqual(QStringView a, QStringView b) const;
    QStringView TagNameAt(int offset) const;
    XmlElement& E(int index) { return m_elements[size_t(index)]; }
    const XmlElement& E(int index) const { return m_elements[size_t(index)]; }

    // editing (xmldoc_edit.cpp)
    bool IsElement(int pos) const;
    bool FindPath(const XmlPath& path);
    int NextInOrder(int index, int within) const;
    bool StepMatches(const XmlPath& path, int step, int candidate) const;
    QString ContentData(int pos) const;
    void Splice(int offset, int removeLength, const QString& insert, int owner);
    void ShiftFollowing(int owner, int offset, int delta);
    bool InsertText(const QString& text, int parent, int ref, int flags, int& elementOffset);
    void LinkNew(int index, int parent, int ref, bool before);
    void TakeInserted(int index, bool asChild);
    bool CloseOpenElement(int index, bool lineBreak);
    bool MakeOpen(int index);
    int CopySubtree(const CXmlDoc& from, int fromIndex, int delta);

    // files (xmldoc_file.cpp)
    bool ReadMore();
    XmlToken NextFileToken();
    int FileStackFind(QStringView name) const;
    bool PopFileEndTag(const XmlToken& token, int floor);
    bool FindFileElement(const XmlPath& path);
    bool EnterFileElement();
    bool LeaveFileElement();
    QString ReadFileElementData();
    bool WriteLeaveElement();
    void FlushWrittenText(bool all);

    QString m_doc;
    QString m_log;
    int m_parent = 0;  // parent position
    int m_pos = 0;     // current position
    int m_child = 0;   // child position
    int m_flags = 0;
    std::vector<XmlElement> m_elements;  // [0] is the root
    int m_freeHead = 0;
    std::unique_ptr<XmlFileState> m_file;
};
