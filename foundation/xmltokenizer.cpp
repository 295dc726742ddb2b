#include "foundation/xmlinternal.h"

namespace {

bool StartsTagName(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || u == u':' || u == u'_' || u > u'`';
}

// Index of needle at or after from, or -1.
int FindFrom(QStringView text, QStringView needle, int from)
{
    if (from >= text.size())
        return -1;
    return int(text.indexOf(needle, from));
}

XmlToken Unterminated(XmlToken token, QStringView text, const char* typeWord)
{
    token.type = XmlNodeType::Malformed;
    token.length = int(text.size()) - token.start;
    token.reachedEnd = true;
    token.unterminated = typeWord;
    return token;
}

// After a syntax error the node runs to the next ">".
XmlToken SyntaxError(XmlToken token, QStringView text, int from, const char* word)
{
    token.type = XmlNodeType::Malformed;
    token.error = word;
    const int close = FindFrom(text, u">", from);
    if (close < 0) {
        token.length = int(text.size()) - token.start;
        token.reachedEnd = true;
    } else {
        token.length = close + 1 - token.start;
    }
    return token;
}

// A node of the type that runs to the first `close` at or after `from`.
XmlToken ScanTo(XmlToken token, QStringView text, int from, QStringView close, XmlNodeType type,
                const char* typeWord)
{
    const int end = FindFrom(text, close, from);
    if (end < 0)
        return Unterminated(token, text, typeWord);
    token.type = type;
    token.length = end + int(close.size()) - token.start;
    return token;
}

// A comment ("<!--" to "-->") or CDATA section ("<![C" to "]]>"): the
// fourth character must be the expected one.
XmlToken ScanDelimited(XmlToken token, QStringView text, char16_t fourth, QStringView close, XmlNodeType type,
                       const char* typeWord, const char* syntaxWord)
{
    const int at = token.start + 3;
    if (at >= text.size())
        return Unterminated(token, text, typeWord);
    if (text[at] != fourth)
        return SyntaxError(token, text, at, syntaxWord);
    return ScanTo(token, text, at + 1, close, type, typeWord);
}

XmlToken ScanStartTag(XmlToken token, QStringView text)
{
    const int n = int(text.size());
    int i = token.start + 1;
    while (i < n && !IsXmlSpace(text[i]) && text[i] != u'/' && text[i] != u'>')
        ++i;
    char16_t quote = 0;
    bool unquoted = false;   // inside a value written without quotes
    bool afterEquals = false;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (unquoted) {
            if (IsXmlSpace(text[i])) {
                unquoted = false;
            } else if (c == u'>') {
                // "/" right before ">" belongs to the value: "href=a/>".
                token.type = XmlNodeType::Element;
                token.length = i + 1 - token.start;
                return token;
            }
            continue;
        }
        if (c == u'>') {
            token.type = XmlNodeType::Element;
            token.length = i + 1 - token.start;
            token.emptyElement = text[i - 1] == u'/';
            return token;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            afterEquals = false;
        } else if (c == u'=') {
            afterEquals = true;
        } else if (!IsXmlSpace(text[i]) && afterEquals) {
            unquoted = true;
            afterEquals = false;
        }
    }
    return Unterminated(token, text, "start_tag");
}

XmlToken ScanDocumentType(XmlToken token, QStringView text)
{
    const int n = int(text.size());
    char16_t quote = 0;
    bool subset = false;
    for (int i = token.start + 2; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (subset) {
            if (c == u']') {
                subset = false;
            } else if (c == u'<' && i + 1 < n && text[i + 1] == u'!') {
                if (i + 2 >= n)
                    break;
                const char16_t d = text[i + 2].unicode();
                if (d != u'A' && d != u'E' && d != u'N')
                    return SyntaxError(token, text, i + 2, "doctype_tag_syntax");
                // A markup declaration runs to its ">", quotes honoured.
                char16_t inner = 0;
                int j = i + 3;
                for (; j < n; ++j) {
                    const char16_t e = text[j].unicode();
                    if (inner) {
                        if (e == inner)
                            inner = 0;
                    } else if (e == u'"' || e == u'\'') {
                        inner = e;
                    } else if (e == u'>') {
                        break;
                    }
                }
                if (j >= n)
                    break;
                i = j;
            }
        } else if (c == u'[') {
            subset = true;
        } else if (c == u'>') {
            token.type = XmlNodeType::DocumentType;
            token.length = i + 1 - token.start;
            return token;
        }
    }
    return Unterminated(token, text, "document_type");
}

}  // namespace

XmlToken NextXmlToken(QStringView text, int offset)
{
    const int n = int(text.size());
    XmlToken token;
    token.start = offset;
    if (offset >= n)
        return token;
    if (text[offset] != u'<') {
        int i = offset;
        bool blank = true;
        for (; i < n && text[i] != u'<'; ++i)
            if (blank && !IsXmlSpace(text[i]))
                blank = false;
        token.type = blank ? XmlNodeType::Whitespace : XmlNodeType::Text;
        token.length = i - offset;
        token.reachedEnd = i == n;
        return token;
    }
    if (offset + 1 >= n)
        return Unterminated(token, text, "tag");
    const QChar c = text[offset + 1];
    if (StartsTagName(c))
        return ScanStartTag(token, text);
    if (c == u'/')
        return ScanTo(token, text, offset + 2, u">", XmlNodeType::EndTag, "end_tag");
    if (c == u'?')
        return ScanTo(token, text, offset + 2, u"?>", XmlNodeType::ProcessingInstruction, "processing_instruction");
    if (c != u'!')
        return SyntaxError(token, text, offset + 1, "first_tag_syntax");
    if (offset + 2 >= n)
        return Unterminated(token, text, "tag");
    const QChar kind = text[offset + 2];
    if (kind == u'-')
        return ScanDelimited(token, text, u'-', u"-->", XmlNodeType::Comment, "comment", "comment_tag_syntax");
    if (kind == u'[')
        return ScanDelimited(token, text, u'C', u"]]>", XmlNodeType::CData, "cdata_section", "cdata_section_syntax");
    if (kind == u'D')
        return ScanDocumentType(token, text);
    return SyntaxError(token, text, offset + 2, "exclamation_tag_syntax");
}

QStringView XmlNameAt(QStringView text, int offset)
{
    const int n = int(text.size());
    int i = offset;
    if (i < n && text[i] == u'<')
        ++i;
    if (i < n && (text[i] == u'/' || text[i] == u'?'))
        ++i;
    const int begin = i;
    while (i < n && !IsXmlSpace(text[i]) && text[i] != u'/' && text[i] != u'>' && text[i] != u'?')
        ++i;
    return text.mid(begin, i - begin);
}

bool XmlNamesEqual(QStringView a, QStringView b, bool ignoreCase)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const char16_t x = a[i].unicode();
        const char16_t y = b[i].unicode();
        if (x != y && !(ignoreCase && FoldXmlCase(x) == FoldXmlCase(y)))
            return false;
    }
    return true;
}

QString FoldXmlName(QStringView name)
{
    QString folded(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        folded[i] = QChar(FoldXmlCase(name[i].unicode()));
    return folded;
}

bool FindXmlAttribute(QStringView tag, QStringView name, bool ignoreCase, QStringView* value, int* spanStart,
                      int* spanLength)
{
    const int n = int(tag.size());
    const bool instruction = n > 1 && tag[1] == u'?';
    int i = int(XmlNameAt(tag, 0).size()) + (instruction ? 2 : 1);
    for (;;) {
        while (i < n && IsXmlSpace(tag[i]))
            ++i;
        if (i >= n || tag[i] == u'>')
            return false;
        const int nameStart = i;
        while (i < n && !IsXmlSpace(tag[i]) && tag[i] != u'/' && tag[i] != u'=' && tag[i] != u'>'
               && tag[i] != u'?')
            ++i;
        if (i == nameStart) {   // a stray "/" or "?"
            ++i;
            continue;
        }
        const QStringView found = tag.mid(nameStart, i - nameStart);
        int j = i;
        while (j < n && IsXmlSpace(tag[j]))
            ++j;
        int valueStart = j;
        int valueLength = 0;
        int outerStart = i;   // without a value: where "=value" would go
        int outerLength = 0;
        if (j < n && tag[j] == u'=') {
            ++j;
            while (j < n && IsXmlSpace(tag[j]))
                ++j;
            outerStart = j;
            if (j < n && (tag[j] == u'"' || tag[j] == u'\'')) {
                const QChar quote = tag[j];
                int k = j + 1;
                while (k < n && tag[k] != quote)
                    ++k;
                valueStart = j + 1;
                valueLength = k - valueStart;
                i = k < n ? k + 1 : n;
            } else {
                int k = j;
                while (k < n && !IsXmlSpace(tag[k]) && tag[k] != u'>' && !(instruction && tag[k] == u'?'))
                    ++k;
                valueStart = j;
                valueLength = k - j;
                i = k;
            }
            outerLength = i - outerStart;
        } else {
            i = j;
        }
        if (XmlNamesEqual(found, name, ignoreCase)) {
            if (value)
                *value = tag.mid(valueStart, valueLength);
            if (spanStart)
                *spanStart = outerStart;
            if (spanLength)
                *spanLength = outerLength;
            return true;
        }
    }
}

void AppendXmlLog(QString& log, const char* word, std::initializer_list<std::pair<const char*, QString>> attributes)
{
    if (log.size() >= 1000)
        return;
    log += u'<';
    log += QLatin1String(word);
    for (const auto& [name, value] : attributes) {
        log += u' ';
        log += QLatin1String(name);
        log += QStringLiteral("=\"");
        log += CXmlDoc::EncodeEntities(value, XmlEncodeFlag::Attribute);
        log += u'"';
    }
    log += QStringLiteral("/>");
}
