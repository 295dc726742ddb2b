#include "foundation/xmldoc.h"

#include "foundation/xmlinternal.h"
#include "foundation/xmlfilestate.h"

#include <unordered_map>

namespace {

// Open elements of a parse, with an index from name to their stack
// positions, so an end tag finds its element in constant time however deep
// the nesting and however many end tags match nothing.
class OpenElementStack {
public:
    explicit OpenElementStack(bool ignoreCase) : m_names(16, NameHash{ignoreCase}, NameEqual{ignoreCase}) {}

    bool empty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    int element(int position) const { return m_entries[size_t(position)].element; }
    int top() const { return m_entries.back().element; }

    void push(int element, QStringView name)
    {
        m_names[name].push_back(int(m_entries.size()));
        m_entries.push_back({element, name});
    }
    void pop()
    {
        auto it = m_names.find(m_entries.back().name);
        it->second.pop_back();
        if (it->second.empty())
            m_names.erase(it);
        m_entries.pop_back();
    }
    /// Stack position of the innermost open element of that name, or -1.
    int find(QStringView name) const
    {
        const auto it = m_names.find(name);
        return it == m_names.end() ? -1 : it->second.back();
    }

private:
    struct NameHash {
        bool ignoreCase;
        size_t operator()(QStringView s) const
        {
            size_t h = 0;
            for (QChar c : s)
                h = h * 31 + (ignoreCase ? FoldXmlCase(c.unicode()) : c.unicode());
            return h;
        }
    };
    struct NameEqual {
        bool ignoreCase;
        bool operator()(QStringView a, QStringView b) const { return XmlNamesEqual(a, b, ignoreCase); }
    };
    struct Entry {
        int element;
        QStringView name;
    };
    std::vector<Entry> m_entries;
    std::unordered_map<QStringView, std::vector<int>, NameHash, NameEqual> m_names;
};

// Code point of the reference name (without "&" and ";"), 0 when it is none.
char32_t ReferenceValue(QStringView name)
{
    if (name.size() >= 2 && name[0] == u'#') {
        const bool hex = name[1] == u'x' || name[1] == u'X';
        const QStringView digits = name.mid(hex ? 2 : 1);
        if (digits.isEmpty())
            return 0;
        char32_t value = 0;   // at most 8 digits, so no overflow
        for (QChar c : digits) {
            int digit = -1;
            if (c >= u'0' && c <= u'9')
                digit = c.unicode() - u'0';
            else if (hex && c >= u'a' && c <= u'f')
                digit = c.unicode() - u'a' + 10;
            else if (hex && c >= u'A' && c <= u'F')
                digit = c.unicode() - u'A' + 10;
            if (digit < 0)
                return 0;
            value = value * (hex ? 16 : 10) + char32_t(digit);
        }
        // Surrogates and values past Unicode would make broken UTF-16.
        if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return 0;
        return value;
    }
    return FindXmlEntity(name);
}

}  // namespace

CXmlDoc::CXmlDoc()
{
    ResetTree();
}

CXmlDoc::CXmlDoc(const QString& doc)
{
    ResetTree();
    SetDoc(doc);
}

CXmlDoc::~CXmlDoc()
{
    if (m_file)
        Close();
}

void CXmlDoc::SetDocFlags(int flags)
{
    m_flags = (m_flags & (XmlDocFlag::FileBits | XmlDocFlag::Modified))
              | (flags & ~(XmlDocFlag::FileBits | XmlDocFlag::Modified));
}

void CXmlDoc::ResetTree()
{
    m_elements.assign(1, XmlElement());
    m_freeHead = 0;
    ClearPositions();
}

void CXmlDoc::ClearPositions()
{
    m_parent = m_pos = m_child = 0;
}

int CXmlDoc::NewSlot()
{
    if (m_freeHead) {
        const int index = m_freeHead;
        m_freeHead = E(index).nextSibling;
        E(index) = XmlElement();
        return index;
    }
    m_elements.emplace_back();
    return int(m_elements.size()) - 1;
}

void CXmlDoc::FreeSlot(int index)
{
    E(index) = XmlElement();
    E(index).flags = XmlElementFlag::Free;
    E(index).nextSibling = m_freeHead;
    m_freeHead = index;
}

void CXmlDoc::LinkLastChild(int parent, int child)
{
    XmlElement& p = E(parent);
    E(child).parent = parent;
    E(child).nextSibling = 0;
    if (!p.firstChild) {
        p.firstChild = child;
        E(child).prevSibling = child;
        return;
    }
    const int last = E(p.firstChild).prevSibling;
    E(last).nextSibling = child;
    E(child).prevSibling = last;
    E(p.firstChild).prevSibling = child;
}

void CXmlDoc::AddLog(const char* word, std::initializer_list<std::pair<const char*, QString>> attributes)
{
    AppendXmlLog(m_log, word, attributes);
}

bool CXmlDoc::NamesEqual(QStringView a, QStringView b) const
{
    return XmlNamesEqual(a, b, m_flags & XmlDocFlag::IgnoreCase);
}

QStringView CXmlDoc::TagNameAt(int offset) const
{
    return XmlNameAt(m_doc, offset);
}

bool CXmlDoc::SetDoc(const QString& doc)
{
    if (m_file)
        return false;
    m_log.clear();
    if (doc.size() > kMaxDocLength) {
        m_doc.clear();
        AddLog("file_error", {{"msg", QStringLiteral("document too large")}, {"n", QStringLiteral("0")}});
    } else {
        m_doc = doc;
    }
    if (m_doc.isEmpty()) {
        std::vector<XmlElement>().swap(m_elements);
        ResetTree();
    }
    return Parse();
}

bool CXmlDoc::Parse()
{
    using namespace XmlElementFlag;
    if (m_file)   // the text is a window onto the file, or what is still to be written
        return false;
    ResetTree();
    m_flags &= ~XmlDocFlag::Modified;
    m_elements.reserve(size_t(m_doc.size() / 64 + 8));
    OpenElementStack open(m_flags & XmlDocFlag::IgnoreCase);
    const QStringView text(m_doc);

    // Closes the open elements above stack position keep as unended: their
    // children follow them as siblings under the element at keep (the root
    // for -1). Every element is moved at most once over a whole parse.
    const auto closeUnended = [&](int keep, int secondOffset) {
        if (open.size() - 1 <= keep)
            return;
        const int target = keep < 0 ? 0 : open.element(keep);
        const int first = open.element(keep + 1);
        int tail = first;
        for (int position = keep + 1; position < open.size(); ++position) {
            const int u = open.element(position);
            XmlElement& e = E(u);
            e.flags |= Unended;
            e.length = e.startTagLength;
            AddLog("unended_start_tag", {{"tagname", TagNameAt(e.start).toString()},
                                         {"offset", QString::number(e.start)},
                                         {"offset2", QString::number(secondOffset)}});
            const int child = e.firstChild;
            if (!child)
                continue;
            const int last = E(child).prevSibling;
            for (int c = child; c; c = E(c).nextSibling)
                E(c).parent = target;
            E(tail).nextSibling = child;
            E(child).prevSibling = tail;
            tail = last;
            e.firstChild = 0;
        }
        E(E(target).firstChild).prevSibling = tail;
        E(tail).nextSibling = 0;
        E(target).flags |= BadChild;
        E(0).flags |= NotWellFormed;
        while (open.size() - 1 > keep)
            open.pop();
    };

    int offset = 0;
    for (;;) {
        const XmlToken token = NextXmlToken(text, offset);
        const int parent = open.empty() ? 0 : open.top();
        if (token.type == XmlNodeType::EndOfDocument) {
            closeUnended(-1, int(m_doc.size()));
            break;
        }
        switch (token.type) {
        case XmlNodeType::Element: {
            const int index = NewSlot();
            XmlElement& e = E(index);
            e.start = token.start;
            e.startTagLength = token.length;
            e.length = token.length;
            LinkLastChild(parent, index);
            if (!token.emptyElement)
                open.push(index, TagNameAt(token.start));
            break;
        }
        case XmlNodeType::EndTag: {
            const QStringView name = TagNameAt(token.start);
            const int position = open.find(name);
            if (position < 0) {
                AddLog("lone_end_tag", {{"tagname", name.toString()}, {"offset", QString::number(token.start)}});
                E(0).flags |= NotWellFormed;
                E(parent).flags |= BadChild;
                break;
            }
            closeUnended(position, token.start + 1);
            XmlElement& e = E(open.top());
            e.length = token.start + token.length - e.start;
            e.endTagLength = token.length;
            open.pop();
            break;
        }
        case XmlNodeType::Malformed:
            if (token.error)
                AddLog(token.error, {{"offset", QString::number(token.start)}});
            else if (token.unterminated)
                AddLog("unterminated_tag_syntax",
                       {{"type", QLatin1String(token.unterminated)}, {"offset", QString::number(token.start)}});
            E(0).flags |= NotWellFormed;
            E(parent).flags |= BadChild;
            break;
        default:
            break;
        }
        offset = token.start + token.length;
    }

    E(0).length = int(m_doc.size());
    if (!E(0).firstChild)
        AddLog("no_root_element");
    else if (E(E(0).firstChild).nextSibling)
        AddLog("root_has_sibling");
    ClearPositions();
    return IsWellFormed();
}

bool CXmlDoc::IsWellFormed() const
{
    const XmlElement& root = E(0);
    if (m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile))
        return true;
    if (root.flags & XmlElementFlag::NotWellFormed)
        return false;
    if (m_flags & XmlDocFlag::ReadFile)
        return true;
    return root.firstChild && !E(root.firstChild).nextSibling;
}

QString CXmlDoc::DecodeEntity(QStringView text, int flags)
{
    const bool trim = flags & XmlDocFlag::Trim;
    const bool collapse = trim && (flags & XmlDocFlag::Collapse);
    QString out;
    out.reserve(text.size());
    qsizetype pendingSpace = -1;   // start of a white-space run not yet copied (trim mode)
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (trim && IsXmlSpace(c)) {
            if (pendingSpace < 0)
                pendingSpace = i;
            continue;
        }
        if (pendingSpace >= 0) {
            if (!out.isEmpty()) {
                if (collapse)
                    out += u' ';
                else
                    out += text.mid(pendingSpace, i - pendingSpace);
            }
            pendingSpace = -1;
        }
        if (c != u'&') {
            out += c;
            continue;
        }
        // A reference: up to 9 characters below 128, then ";".
        qsizetype end = i + 1;
        while (end < n && end - i <= 10 && text[end] != u';' && text[end].unicode() < 128)
            ++end;
        char32_t value = 0;
        if (end < n && text[end] == u';' && end - i - 1 <= 9)
            value = ReferenceValue(text.mid(i + 1, end - i - 1));
        if (!value) {
            out += c;
            continue;
        }
        out += QChar::fromUcs4(value);
        i = end;
    }
    return out;
}

QString CXmlDoc::EncodeEntities(QStringView text, int flags)
{
    const bool attribute = flags & XmlEncodeFlag::Attribute;
    const bool keep = flags & XmlEncodeFlag::KeepReferences;
    QString out;
    out.reserve(text.size() + text.size() / 10 + 7);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        switch (c.unicode()) {
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += attribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        case u'\'':
            out += attribute ? QLatin1String("&apos;") : QLatin1String("'");
            break;
        case u'&': {
            if (keep && i + 1 < n) {
                const QChar first = text[i + 1];
                const bool starts = first == u'#' || first == u':' || first == u'_' || first.isLetter()
                                    || first.unicode() >= 128;
                qsizetype j = i + 2;
                while (starts && j < n
                       && ((text[j] >= u'-' && text[j] <= u'z') || text[j].unicode() >= 128)
                       && text[j] != u';')
                    ++j;
                if (starts && j < n && text[j] == u';') {
                    out += text.mid(i, j - i + 1);
                    i = j;
                    break;
                }
            }
            out += QLatin1String("&amp;");
            break;
        }
        default:
            out += c;
        }
    }
    return out;
}

QString CXmlDoc::EscapeText(QStringView text)
{
    QString body = text.toString();
    body.replace(QLatin1String("]]>"), QLatin1String("]]]]><![CDATA[>"));
    return QLatin1String("<![CDATA[") + body + QLatin1String("]]>");
}

QString CXmlDoc::GetResultText() const
{
    // The log is itself markup: one empty element per entry.
    CXmlDoc log;
    log.m_doc = m_log;
    log.Parse();
    QStringList parts;
    bool parseErrorShown = false;
    for (int e = log.E(0).firstChild; e; e = log.E(e).nextSibling) {
        const QString word = log.GetTagName(e);
        const auto attribute = [&](const char* name) { return log.GetAttribute(e, QString::fromLatin1(name)); };
        const auto sized = [&](const QString& prefix, const QString& suffix) {
            QString text = prefix;
            const QString encoding = attribute("encoding");
            if (!encoding.isEmpty())
                text += encoding + u' ';
            return text + QLatin1String("length ") + attribute("length") + suffix;
        };
        QString parseError;
        if (word == QLatin1String("unterminated_tag_syntax")) {
            parseError = QLatin1String("unterminated tag at offset ") + attribute("offset");
        } else if (word.endsWith(QLatin1String("_syntax"))) {
            static const std::pair<const char*, const char*> kExpecting[] = {
                {"cdata_section_syntax", " expecting 'CDATA'"},
                {"comment_tag_syntax", " expecting - to begin comment"},
                {"exclamation_tag_syntax", " expecting markup declaration"},
                {"doctype_tag_syntax", " expecting 'DOCTYPE' [ or -"},
                {"first_tag_syntax", " expecting tag name / ! or ?"},
            };
            parseError = QLatin1String("tag syntax error at offset ") + attribute("offset");
            for (const auto& [w, expecting] : kExpecting)
                if (word == QLatin1String(w))
                    parseError += QLatin1String(expecting);
        } else if (word == QLatin1String("unended_start_tag")) {
            parseError = QLatin1String("start tag '") + attribute("tagname") + QLatin1String("' at offset ")
                         + attribute("offset") + QLatin1String(" expecting end tag at offset ")
                         + attribute("offset2");
        } else if (word == QLatin1String("lone_end_tag")) {
            parseError = QLatin1String("lone end tag '") + attribute("tagname") + QLatin1String("' at offset ")
                         + attribute("offset");
        } else if (word == QLatin1String("no_root_element")) {
            parseError = QLatin1String("no root element");
        } else if (word == QLatin1String("root_has_sibling")) {
            parseError = QLatin1String("root element has sibling");
        } else if (word == QLatin1String("file_error")) {
            parts << attribute("msg");
        } else if (word == QLatin1String("bom")) {
            parts << QLatin1String("BOM +");
        } else if (word == QLatin1String("read") || word == QLatin1String("write")) {
            parts << sized(QString(), QString());
        } else if (word == QLatin1String("converted_to")) {
            parts << sized(QLatin1String("to "), QString());
        } else if (word == QLatin1String("converted_from")) {
            parts << sized(QString(), QLatin1String(" to"));
        } else if (word == QLatin1String("nulls_removed")) {
            parts << QLatin1String("removed ") + attribute("count") + QLatin1String(" nulls");
        } else if (word == QLatin1String("conversion_loss")) {
            parts << QLatin1String("(chars lost in conversion!)");
        } else if (word == QLatin1String("utf8_detection")) {
            parts << QLatin1String("(used UTF-8 detection)");
        } else if (word == QLatin1String("endian_swap")) {
            parts << QLatin1String("endian swap");
        } else if (word == QLatin1String("truncation_error")) {
            parts << QLatin1String("encoding ") + attribute("encoding") + QLatin1String(" adjustment error");
        } else if (word == QLatin1String("unsupported_encoding")) {
            parts << QLatin1String("encoding ") + attribute("encoding") + QLatin1String(" not supported, used ")
                         + attribute("used");
        }
        if (!parseError.isEmpty() && !parseErrorShown) {
            parts << parseError;
            parseErrorShown = true;
        }
    }
    return parts.join(u' ');
}
