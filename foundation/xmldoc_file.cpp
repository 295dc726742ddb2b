#include "foundation/xmldoc.h"

#include "foundation/xmlfilestate.h"
#include "foundation/xmlinternal.h"
#include "platform/codepage/codepage.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

// Files of CXmlDoc: encodings (through iconv), byte order marks and
// declarations, whole-file reading, element-by-element reading through a
// moving window, and element-by-element writing.

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "QString units are handed to iconv as UTF-16LE");

namespace {

constexpr const char* kUtf16 = "UTF-16LE";
constexpr int kWriteWindow = 65536;          // document text kept while writing, in UTF-16 units
constexpr int kMaxBlockBytes = 64 << 20;     // largest block of element-by-element reading

bool IsUtf32(int codePage)
{
    return codePage == 12000 || codePage == 12001 || codePage == 65005;
}

void EnsureRoom(QByteArray& buffer, char*& out, size_t& left, size_t need)
{
    if (left >= need)
        return;
    const qsizetype used = out - buffer.data();
    buffer.resize(std::max<qsizetype>(buffer.size() * 2, used + qsizetype(need) + 64));
    out = buffer.data() + used;
    left = size_t(buffer.size() - used);
}

}  // namespace

// ---- XmlTextConverter ----

bool XmlTextConverter::OpenDecoder(const char* encoding)
{
    Close();
    m_cd = iconv_open(kUtf16, encoding);
    return IsOpen();
}

bool XmlTextConverter::OpenEncoder(const char* encoding)
{
    Close();
    m_cd = iconv_open(encoding, kUtf16);
    return IsOpen();
}

void XmlTextConverter::Close()
{
    if (IsOpen())
        iconv_close(m_cd);
    m_cd = iconv_t(-1);
}

void XmlTextConverter::Decode(const QByteArray& bytes, bool last, QString& out, QByteArray& rest, bool& lost,
                              bool& truncated)
{
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    QByteArray buffer(bytes.size() * 2 + 64, Qt::Uninitialized);
    char* outp = buffer.data();
    size_t outLeft = size_t(buffer.size());
    const char16_t replacement = 0xFFFD;
    while (inLeft > 0) {
        if (iconv(m_cd, &in, &inLeft, &outp, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            EnsureRoom(buffer, outp, outLeft, outLeft + 64);
        } else if (errno == EINVAL && !last) {
            rest = QByteArray(in, qsizetype(inLeft));   // an incomplete character waits for the next block
            break;
        } else {
            // Undecodable byte, or a character cut off by the end of the file.
            EnsureRoom(buffer, outp, outLeft, 2);
            std::memcpy(outp, &replacement, 2);
            outp += 2;
            outLeft -= 2;
            if (errno == EINVAL) {
                truncated = true;
                break;
            }
            lost = true;
            ++in;
            --inLeft;
        }
    }
    if (last) {
        EnsureRoom(buffer, outp, outLeft, 64);
        iconv(m_cd, nullptr, nullptr, &outp, &outLeft);
    }
    out.append(reinterpret_cast<const QChar*>(buffer.constData()), (outp - buffer.data()) / 2);
}

QByteArray XmlTextConverter::Encode(QStringView text, bool& lost)
{
    char* in = reinterpret_cast<char*>(const_cast<char16_t*>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    QByteArray buffer(text.size() * 2 + 64, Qt::Uninitialized);
    char* outp = buffer.data();
    size_t outLeft = size_t(buffer.size());
    while (inLeft > 0) {
        if (iconv(m_cd, &in, &inLeft, &outp, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) {
            EnsureRoom(buffer, outp, outLeft, outLeft + 64);
            continue;
        }
        // A character the encoding lacks, or a lone surrogate: "?" instead.
        lost = true;
        const auto* unit = reinterpret_cast<const char16_t*>(in);
        const size_t skip = (inLeft >= 4 && QChar::isHighSurrogate(unit[0]) && QChar::isLowSurrogate(unit[1])) ? 4 : 2;
        in += std::min(skip, inLeft);
        inLeft -= std::min(skip, inLeft);
        char16_t question = u'?';
        char* q = reinterpret_cast<char*>(&question);
        size_t qLeft = 2;
        EnsureRoom(buffer, outp, outLeft, 32);
        iconv(m_cd, &q, &qLeft, &outp, &outLeft);
    }
    buffer.truncate(outp - buffer.data());
    return buffer;
}

QByteArray XmlTextConverter::Finish()
{
    QByteArray buffer(64, Qt::Uninitialized);
    char* outp = buffer.data();
    size_t outLeft = size_t(buffer.size());
    iconv(m_cd, nullptr, nullptr, &outp, &outLeft);
    buffer.truncate(outp - buffer.data());
    return buffer;
}

// ---- declared encodings ----

QString DeclaredXmlEncoding(QStringView text)
{
    XmlToken token = NextXmlToken(text, 0);
    QStringView value;
    if (token.type == XmlNodeType::ProcessingInstruction && XmlNamesEqual(XmlNameAt(text, 0), u"xml", true)
        && FindXmlAttribute(text.mid(0, token.length), u"encoding", true, &value) && !value.isEmpty())
        return value.toString();
    bool inHtml = false;
    for (int offset = 0; offset < text.size(); offset = token.start + token.length) {
        token = NextXmlToken(text, offset);
        const QStringView name = XmlNameAt(text, token.start);
        if (token.type == XmlNodeType::EndTag && inHtml && XmlNamesEqual(name, u"head", true))
            break;
        if (token.type != XmlNodeType::Element)
            continue;
        if (!inHtml) {
            if (!XmlNamesEqual(name, u"html", true))
                break;
            inHtml = true;
            continue;
        }
        const QStringView tag = text.mid(token.start, token.length);
        QStringView content;
        if (!XmlNamesEqual(name, u"meta", true) || !FindXmlAttribute(tag, u"http-equiv", true, &value)
            || value.compare(u"Content-Type", Qt::CaseInsensitive) != 0
            || !FindXmlAttribute(tag, u"content", true, &content))
            continue;
        const qsizetype at = content.indexOf(u"charset", 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        qsizetype i = at + 7;
        while (i < content.size() && IsXmlSpace(content[i]))
            ++i;
        if (i >= content.size() || content[i] != u'=')
            continue;
        ++i;
        while (i < content.size() && IsXmlSpace(content[i]))
            ++i;
        const qsizetype begin = i;
        while (i < content.size() && content[i] != u';' && !IsXmlSpace(content[i]))
            ++i;
        return content.mid(begin, i - begin).toString();
    }
    return {};
}

// ---- XmlFileState ----

void XmlFileState::FileError(QString& log)
{
    const QString message = file ? file->errorString() : QString();
    AppendXmlLog(log, "file_error",
                 {{"msg", message.section(u'\n', 0, 0)}, {"n", QString::number(file ? int(file->error()) : 0)}});
}

void XmlFileState::SetEncoding(const QString& name, QString& log)
{
    encoding = name;
    codePage = std::max(FindXmlEncoding(name), 0);   // names not in the table count as the ANSI code page
    encodingSettled = true;
    converter.Close();
    if (codePage == 1200 || codePage == 1201) {
        unitSize = 2;
        return;
    }
    unitSize = 1;
    const bool writing = flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile);
    const char* iconvName = XmlIconvName(codePage);
    if (iconvName && (writing ? converter.OpenEncoder(iconvName) : converter.OpenDecoder(iconvName)))
        return;
    AppendXmlLog(log, "unsupported_encoding", {{"encoding", name}, {"used", QStringLiteral("Windows-1252")}});
    codePage = 1252;
    if (writing)
        converter.OpenEncoder("CP1252");
    else
        converter.OpenDecoder("CP1252");
}

bool XmlFileState::OpenRead(const QString& path, const QString& givenEncoding, QString& log)
{
    flags = XmlDocFlag::ReadFile;
    file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        FileError(log);
        return false;
    }
    fileLength = file->size();
    done = 0;
    const QByteArray head = file->peek(1024);
    struct Mark {
        const char* bytes;
        int length;
        int flag;
        const char* name;
    };
    // UTF-32 first: its little-endian mark begins with the UTF-16 one.
    static const Mark kMarks[] = {{"\xEF\xBB\xBF", 3, XmlDocFlag::Utf8Bom, "UTF-8"},
                                  {"\xFF\xFE\0\0", 4, 0, "UTF-32LE"},
                                  {"\0\0\xFE\xFF", 4, 0, "UTF-32BE"},
                                  {"\xFF\xFE", 2, XmlDocFlag::Utf16LE, "UTF-16LE"},
                                  {"\xFE\xFF", 2, XmlDocFlag::Utf16BE, "UTF-16BE"}};
    // Without a mark, a UTF-32 file shows its byte order in the "<" that
    // starts it.
    static const Mark kUnmarked[] = {{"\0\0\0<", 4, 0, "UTF-32BE"}, {"<\0\0\0", 4, 0, "UTF-32LE"}};
    const Mark* mark = nullptr;
    for (const Mark& m : kMarks)
        if (head.startsWith(QByteArray::fromRawData(m.bytes, m.length))) {
            mark = &m;
            break;
        }
    if (mark) {
        flags |= mark->flag;
        AppendXmlLog(log, "bom", {});
        file->skip(mark->length);
        done = mark->length;
    }
    const Mark* unmarked = nullptr;
    for (const Mark& m : kUnmarked)
        if (!mark && head.startsWith(QByteArray::fromRawData(m.bytes, m.length)))
            unmarked = &m;
    // Only a UTF-8 mark leaves room for a given encoding.
    const bool wideMark = mark && mark->length != 3;
    if (!givenEncoding.isEmpty() && !wideMark && !unmarked)
        SetEncoding(givenEncoding, log);
    else if (mark)
        SetEncoding(QLatin1String(mark->name), log);
    else if (unmarked)
        SetEncoding(QLatin1String(unmarked->name), log);
    else if (const QString declared = DeclaredXmlEncoding(QString::fromUtf8(head)); !declared.isEmpty())
        SetEncoding(declared, log);
    else if (head.startsWith('<'))
        SetEncoding(QStringLiteral("UTF-8"), log);
    return true;
}

bool XmlFileState::ReadBlock(qint64 maxBytes, QString& out, QString& log)
{
    const qint64 left = fileLength - done;
    const qint64 want = maxBytes < 0 ? left : std::min(maxBytes, left);
    QByteArray bytes = pending;
    pending.clear();
    bool ok = true;
    if (want > 0) {
        const QByteArray got = file->read(want);
        if (got.size() != want) {
            FileError(log);
            fileLength = done + got.size();   // read no further
            ok = false;
        }
        done += got.size();
        AppendXmlLog(log, "read", {{"encoding", encoding}, {"length", QString::number(got.size() / unitSize)}});
        bytes += got;
    }
    const bool last = done >= fileLength;

    if (unitSize == 2) {
        if (bytes.size() % 2) {
            if (last) {
                AppendXmlLog(log, "truncation_error", {{"encoding", encoding}});
                bytes.chop(1);
            } else {
                pending = bytes.right(1);
                bytes.chop(1);
            }
        }
        qsizetype units = bytes.size() / 2;
        // A surrogate pair cut by the block end waits for the next block.
        if (!last && units) {
            char16_t tail = 0;
            std::memcpy(&tail, bytes.constData() + bytes.size() - 2, 2);
            if (codePage == 1201)
                tail = qbswap(tail);
            if (QChar::isHighSurrogate(tail)) {
                pending.prepend(bytes.right(2));
                bytes.chop(2);
                --units;
            }
        }
        QString text(units, Qt::Uninitialized);
        std::memcpy(text.data(), bytes.constData(), size_t(units) * 2);
        if (codePage == 1201) {
            for (QChar& c : text)
                c = QChar(qbswap(c.unicode()));
            AppendXmlLog(log, "endian_swap", {});
        }
        const qsizetype before = text.size();
        text.remove(QChar(0));
        if (text.size() != before)
            AppendXmlLog(log, "nulls_removed", {{"count", QString::number(before - text.size())}});
        out += text;
        return ok;
    }

    if (!IsUtf32(codePage) && bytes.contains('\0')) {
        const qsizetype before = bytes.size();
        bytes.truncate(std::remove(bytes.begin(), bytes.end(), '\0') - bytes.begin());
        AppendXmlLog(log, "nulls_removed", {{"count", QString::number(before - bytes.size())}});
    }
    if (bytes.isEmpty())
        return ok;
    if (!encodingSettled) {
        AppendXmlLog(log, "utf8_detection", {});
        SetEncoding(codepage::IsUtf8(bytes, last) ? QStringLiteral("UTF-8") : QString(), log);
    }
    QString text;
    bool lost = false;
    bool truncated = false;
    converter.Decode(bytes, last, text, pending, lost, truncated);
    if (truncated)
        AppendXmlLog(log, "truncation_error",
                     {{"encoding", encoding.isEmpty() ? QStringLiteral("ANSI") : encoding}});
    AppendXmlLog(log, "converted_to", {{"encoding", QStringLiteral("UTF-16")}, {"length", QString::number(text.size())}});
    if (lost)
        AppendXmlLog(log, "conversion_loss", {});
    out += text;
    return ok;
}

bool XmlFileState::OpenWrite(const QString& path, int mode, const QString& givenEncoding, QString& log)
{
    flags = mode & (XmlDocFlag::EncodingBits | XmlDocFlag::WriteFile | XmlDocFlag::AppendFile);
    if (flags & XmlDocFlag::WriteFile) {
        flags &= ~XmlDocFlag::AppendFile;
        file = std::make_unique<QSaveFile>(path);
        if (!file->open(QIODevice::WriteOnly)) {
            FileError(log);
            return false;
        }
    } else {
        auto appended = std::make_unique<QFile>(path);
        fileLength = appended->exists() ? appended->size() : 0;
        file = std::move(appended);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            FileError(log);
            return false;
        }
    }
    QByteArray mark;
    if (flags & XmlDocFlag::Utf8Bom) {
        SetEncoding(QStringLiteral("UTF-8"), log);
        mark = "\xEF\xBB\xBF";
    } else if (flags & XmlDocFlag::Utf16LE) {
        SetEncoding(QStringLiteral("UTF-16LE"), log);
        mark = "\xFF\xFE";
    } else if (flags & XmlDocFlag::Utf16BE) {
        SetEncoding(QStringLiteral("UTF-16BE"), log);
        mark = "\xFE\xFF";
    } else if (!givenEncoding.isEmpty()) {
        SetEncoding(givenEncoding, log);
    }
    if (!mark.isEmpty() && fileLength == 0) {
        if (!WriteBytes(mark, log))
            return false;
        AppendXmlLog(log, "bom", {});
    }
    return true;
}

bool XmlFileState::WriteBytes(const QByteArray& bytes, QString& log)
{
    if (file->write(bytes) != bytes.size()) {
        FileError(log);
        failed = true;
        return false;
    }
    done += bytes.size();
    return true;
}

bool XmlFileState::WriteText(QStringView text, QString& log)
{
    if (!encodingSettled) {
        const QString declared = DeclaredXmlEncoding(text);
        SetEncoding(declared.isEmpty() ? QStringLiteral("UTF-8") : declared, log);
    }
    if (unitSize == 2) {
        QByteArray bytes(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        if (codePage == 1201) {
            auto* units = reinterpret_cast<char16_t*>(bytes.data());
            for (qsizetype i = 0; i < text.size(); ++i)
                units[i] = qbswap(units[i]);
            AppendXmlLog(log, "endian_swap", {});
        }
        if (!WriteBytes(bytes, log))
            return false;
        AppendXmlLog(log, "write", {{"encoding", encoding}, {"length", QString::number(text.size())}});
        return true;
    }
    bool lost = false;
    const QByteArray bytes = converter.Encode(text, lost);
    AppendXmlLog(log, "converted_from", {{"encoding", QStringLiteral("UTF-16")}, {"length", QString::number(text.size())}});
    if (lost)
        AppendXmlLog(log, "conversion_loss", {});
    if (!WriteBytes(bytes, log))
        return false;
    AppendXmlLog(log, "write", {{"encoding", encoding}, {"length", QString::number(bytes.size())}});
    return true;
}

bool XmlFileState::Finish(QString& log)
{
    if (unitSize == 1 && converter.IsOpen())
        WriteBytes(converter.Finish(), log);
    if (auto* save = dynamic_cast<QSaveFile*>(file.get())) {
        if (failed) {
            save->cancelWriting();   // the old file stays as it was
            save->commit();
            return false;
        }
        if (!save->commit()) {
            FileError(log);
            return false;
        }
        return true;
    }
    if (!file->flush())
        failed = true;
    file->close();
    if (failed)
        FileError(log);
    return !failed;
}

// ---- CXmlDoc files ----

int CXmlDoc::FindEncoding(QStringView name)
{
    return FindXmlEncoding(name);
}

bool CXmlDoc::ReadTextFile(const QString& path, QString& text, QString* log, int* flags, QString* encoding)
{
    QString ownLog;
    QString& target = log ? *log : ownLog;
    XmlFileState file;
    text.clear();
    if (!file.OpenRead(path, encoding ? *encoding : QString(), target))
        return false;
    if (file.fileLength > kMaxDocLength) {
        AppendXmlLog(target, "file_error", {{"msg", QStringLiteral("file too large")}, {"n", QStringLiteral("0")}});
        return false;
    }
    const bool ok = file.ReadBlock(-1, text, target);
    if (flags)
        *flags = (*flags & ~XmlDocFlag::EncodingBits) | (file.flags & XmlDocFlag::EncodingBits);
    if (encoding && (encoding->isEmpty() || file.unitSize == 2))
        *encoding = file.encoding;
    return ok;
}

bool CXmlDoc::Load(const QString& path)
{
    if (m_file)
        return false;
    m_log.clear();
    QString text;
    int flags = m_flags;
    if (!ReadTextFile(path, text, &m_log, &flags)) {
        m_doc.clear();
        ResetTree();
        return false;
    }
    m_doc = std::move(text);
    m_flags = flags;
    return Parse();
}

bool CXmlDoc::Open(const QString& path, int mode, QString* encoding)
{
    if (m_file)
        Close();
    m_doc.clear();
    m_log.clear();
    ResetTree();
    m_flags &= ~(XmlDocFlag::FileBits | XmlDocFlag::Modified);
    const QString given = encoding ? *encoding : QString();
    auto file = std::make_unique<XmlFileState>();
    if (mode & XmlDocFlag::ReadFile) {
        if (!file->OpenRead(path, given, m_log))
            return false;
        m_file = std::move(file);
        m_flags = (m_flags & ~XmlDocFlag::EncodingBits) | m_file->flags;
        m_elements.emplace_back().flags = XmlElementFlag::Free;   // slot 1: the element being visited
        m_file->ReadBlock(m_file->blockBytes, m_doc, m_log);
        if (encoding && (encoding->isEmpty() || m_file->unitSize == 2))
            *encoding = m_file->encoding;
        return true;
    }
    if (!(mode & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile)))
        return false;
    if (!file->OpenWrite(path, mode | (m_flags & XmlDocFlag::EncodingBits), given, m_log))
        return false;
    m_file = std::move(file);
    m_flags = (m_flags & ~XmlDocFlag::EncodingBits) | m_file->flags;
    return true;
}

bool CXmlDoc::Close()
{
    if (!m_file)
        return false;
    bool ok = true;
    if (m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile)) {
        if (IsElement(m_pos) && (E(m_pos).flags & XmlElementFlag::Open))
            CloseOpenElement(m_pos, true);
        while (!m_file->stack.empty())
            WriteLeaveElement();
        FlushWrittenText(true);
        ok = m_file->Finish(m_log) && !m_file->failed;
    } else {
        m_file->file->close();
    }
    m_file.reset();
    m_doc.clear();
    ResetTree();
    m_flags &= ~XmlDocFlag::FileBits;
    return ok;
}

// ---- element-by-element reading ----

bool CXmlDoc::ReadMore()
{
    XmlFileState& f = *m_file;
    if (f.AtEnd())
        return false;
    // Text before the element being visited and the next unread node is done with.
    int keep = f.readPos;
    if (m_pos)
        keep = std::min(keep, E(m_pos).start);
    if (keep > 0) {
        m_doc.remove(0, keep);
        f.readPos -= keep;
        if (m_pos)
            E(m_pos).start -= keep;
    }
    if (qint64(m_doc.size()) * 2 > f.blockBytes && f.blockBytes < kMaxBlockBytes)
        f.blockBytes *= 2;
    if (m_doc.size() + qint64(f.blockBytes) > kMaxDocLength) {
        AppendXmlLog(m_log, "file_error", {{"msg", QStringLiteral("element too large")}, {"n", QStringLiteral("0")}});
        f.fileLength = f.done;
        f.pending.clear();
        return false;
    }
    return f.ReadBlock(f.blockBytes, m_doc, m_log) || !f.AtEnd();
}

XmlToken CXmlDoc::NextFileToken()
{
    XmlFileState& f = *m_file;
    for (;;) {
        const XmlToken token = NextXmlToken(m_doc, f.readPos);
        if ((token.reachedEnd || token.type == XmlNodeType::EndOfDocument) && !f.AtEnd() && ReadMore())
            continue;
        if (token.type == XmlNodeType::Malformed) {
            E(0).flags |= XmlElementFlag::NotWellFormed;
            if (token.error)
                AddLog(token.error, {{"offset", QString::number(token.start)}});
            else if (token.unterminated)
                AddLog("unterminated_tag_syntax",
                       {{"type", QLatin1String(token.unterminated)}, {"offset", QString::number(token.start)}});
        }
        return token;
    }
}

int CXmlDoc::FileStackFind(QStringView name) const
{
    const auto& stack = m_file->stack;
    for (int i = int(stack.size()) - 1; i >= 0; --i)
        if (NamesEqual(stack[size_t(i)].name, name))
            return i;
    return -1;
}

bool CXmlDoc::PopFileEndTag(const XmlToken& token, int floor)
{
    XmlFileState& f = *m_file;
    const int position = FileStackFind(TagNameAt(token.start));
    if (position < 0) {   // lone end tag
        E(0).flags |= XmlElementFlag::NotWellFormed;
        f.readPos = token.start + token.length;
        return false;
    }
    if (position < floor) {
        // It closes an element outside the one being read: that one was
        // never ended. The end tag stays for the reader of the outer element.
        E(0).flags |= XmlElementFlag::NotWellFormed;
        f.stack.resize(size_t(floor));
        return true;
    }
    if (size_t(position) + 1 != f.stack.size())
        E(0).flags |= XmlElementFlag::NotWellFormed;
    f.stack.resize(size_t(position));
    f.readPos = token.start + token.length;
    return position == floor;
}

bool CXmlDoc::FindFileElement(const XmlPath& path)
{
    XmlFileState& f = *m_file;
    m_pos = 0;
    E(1).flags = XmlElementFlag::Free;
    // One step at a time: "[name]" would need children not read yet.
    if (!path.valid || path.steps.size() > 1 || (path.kind == 2 && f.enterDepth))
        return false;
    if (path.kind)
        for (const XmlPathStep::Predicate& predicate : path.steps[0].predicates)
            if (predicate.test == XmlPathStep::Test::HasChild)
                return false;
    const bool ignoreCase = m_flags & XmlDocFlag::IgnoreCase;
    for (;;) {
        const XmlToken token = NextFileToken();
        switch (token.type) {
        case XmlNodeType::EndOfDocument:
            return false;
        case XmlNodeType::Element: {
            const int depth = int(f.stack.size());
            QString name = TagNameAt(token.start).toString();
            const QString key = ignoreCase ? FoldXmlName(name) : name;
            QHash<QString, int>& counts = depth ? f.stack.back().childCounts : f.topCounts;
            const int ordinal = ++counts[key];
            f.readPos = token.start + token.length;
            const bool atLevel = path.kind == 3 ? depth >= f.enterDepth : depth == f.enterDepth;
            if (!token.emptyElement)
                f.stack.push_back({std::move(name), {}});
            if (!atLevel)
                break;
            XmlElement& e = E(1);
            e = XmlElement();
            e.start = token.start;
            e.length = e.startTagLength = token.length;
            m_pos = 1;   // StepMatches reads the start tag through the slot
            if (path.kind && !(StepMatches(path, 0, 1) && (!path.steps[0].index || ordinal == path.steps[0].index))) {
                m_pos = 0;
                e.flags = XmlElementFlag::Free;
                break;
            }
            f.currentDepth = depth;
            f.currentEmpty = token.emptyElement;
            f.currentContentRead = token.emptyElement;
            f.currentData.clear();
            m_parent = m_child = 0;
            return true;
        }
        case XmlNodeType::EndTag: {
            const int position = FileStackFind(TagNameAt(token.start));
            if (position >= 0 && position < f.enterDepth)
                return false;   // the end of the entered element: LeaveElement reads it
            PopFileEndTag(token, f.enterDepth);
            break;
        }
        default:
            f.readPos = token.start + token.length;
        }
    }
}

bool CXmlDoc::EnterFileElement()
{
    XmlFileState& f = *m_file;
    if (f.currentEmpty || f.currentContentRead)
        return false;
    f.enterDepth = f.currentDepth + 1;
    m_pos = m_parent = m_child = 0;
    E(1).flags = XmlElementFlag::Free;
    return true;
}

bool CXmlDoc::LeaveFileElement()
{
    XmlFileState& f = *m_file;
    if (!f.enterDepth)
        return false;
    const int entered = f.enterDepth - 1;   // stack index of the entered element
    m_pos = 0;
    E(1).flags = XmlElementFlag::Free;
    for (bool done = false; !done;) {
        const XmlToken token = NextFileToken();
        switch (token.type) {
        case XmlNodeType::EndOfDocument:
            if (f.stack.size() > size_t(entered)) {
                E(0).flags |= XmlElementFlag::NotWellFormed;
                f.stack.resize(size_t(entered));
            }
            done = true;
            break;
        case XmlNodeType::Element:
            if (!token.emptyElement)
                f.stack.push_back({TagNameAt(token.start).toString(), {}});
            f.readPos = token.start + token.length;
            break;
        case XmlNodeType::EndTag:
            done = PopFileEndTag(token, entered);
            break;
        default:
            f.readPos = token.start + token.length;
        }
    }
    f.enterDepth = entered;
    return true;
}

QString CXmlDoc::ReadFileElementData()
{
    XmlFileState& f = *m_file;
    if (f.currentEmpty || f.currentContentRead)
        return f.currentData;
    const int depth = f.currentDepth;
    const int decodeFlags = m_flags & (XmlDocFlag::Trim | XmlDocFlag::Collapse);
    QString data;
    bool child = false;
    for (bool done = false; !done;) {
        const XmlToken token = NextFileToken();
        const bool direct = f.stack.size() == size_t(depth) + 1;
        switch (token.type) {
        case XmlNodeType::EndOfDocument:
            E(0).flags |= XmlElementFlag::NotWellFormed;
            f.stack.resize(size_t(depth));
            done = true;
            break;
        case XmlNodeType::Element:
            child = true;
            if (!token.emptyElement)
                f.stack.push_back({TagNameAt(token.start).toString(), {}});
            f.readPos = token.start + token.length;
            break;
        case XmlNodeType::EndTag:
            done = PopFileEndTag(token, depth);
            break;
        case XmlNodeType::Text:
        case XmlNodeType::Whitespace:
            if (direct)
                data += DecodeEntity(QStringView(m_doc).mid(token.start, token.length), decodeFlags);
            f.readPos = token.start + token.length;
            break;
        case XmlNodeType::CData:
            if (direct)
                data += QStringView(m_doc).mid(token.start + 9, token.length - 12);
            f.readPos = token.start + token.length;
            break;
        default:
            f.readPos = token.start + token.length;
        }
    }
    f.currentContentRead = true;
    f.currentData = child ? QString() : data;
    return f.currentData;
}

// ---- element-by-element writing ----

bool CXmlDoc::WriteLeaveElement()
{
    XmlFileState& f = *m_file;
    if (f.stack.empty())
        return false;
    if (m_parent) {
        // The entered element is still in the tree: give it its end tag.
        CloseOpenElement(m_parent, true);
        m_child = m_pos;
        m_pos = m_parent;
        m_parent = E(m_pos).parent;
    } else {
        // Its start tag was written out already; its content runs to the end.
        Splice(int(m_doc.size()), 0, QStringLiteral("</") + f.stack.back().name + QStringLiteral(">\r\n"), 0);
        m_pos = m_child = 0;
    }
    f.stack.pop_back();
    FlushWrittenText(false);
    return true;
}

void CXmlDoc::FlushWrittenText(bool all)
{
    if (!all && m_doc.size() <= kWriteWindow)
        return;
    // Everything before the element being worked on is finished.
    const int keep = (all || !IsElement(m_pos)) ? int(m_doc.size()) : E(m_pos).start;
    if (keep <= 0)
        return;
    m_file->WriteText(QStringView(m_doc).left(keep), m_log);
    m_doc.remove(0, keep);

    // Keep the elements that start after the cut, renumbered in document
    // order; one whose parent was cut becomes a child of the root.
    std::vector<XmlElement> kept(1);
    std::vector<int> renumber(m_elements.size(), 0);
    for (int node = E(0).firstChild; node; node = NextInOrder(node, 0)) {
        if (E(node).start < keep)
            continue;
        XmlElement copy = E(node);
        copy.start -= keep;
        copy.parent = renumber[size_t(copy.parent)];
        copy.firstChild = copy.nextSibling = copy.prevSibling = 0;
        renumber[size_t(node)] = int(kept.size());
        kept.push_back(copy);
    }
    kept[0].length = int(m_doc.size());
    m_elements.swap(kept);
    m_freeHead = 0;
    // Document order puts every parent before its children and siblings in order.
    for (int index = 1; index < int(m_elements.size()); ++index)
        LinkLastChild(E(index).parent, index);
    m_pos = renumber[size_t(m_pos)];
    m_parent = renumber[size_t(m_parent)];
    m_child = renumber[size_t(m_child)];
}
