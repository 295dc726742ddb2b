#include "foundation/xmldoc.h"

#include "foundation/xmlfilestate.h"
#include "foundation/xmlinternal.h"

// Navigation and editing of CXmlDoc. Every edit splices the document text
// and shifts the offsets of the elements after it, so text and tree stay in
// step.

namespace {

bool IsPathNameChar(QChar c)
{
    return !IsXmlSpace(c) && c != u'/' && c != u'[' && c != u']' && c != u'@' && c != u'=' && c != u'"'
           && c != u'\'' && c != u'<' && c != u'>';
}

bool IsValidName(QStringView name)
{
    if (name.isEmpty())
        return false;
    const QChar first = name[0];
    if (!(first.isLetter() || first == u'_' || first == u':' || first.unicode() > 0x7F))
        return false;
    for (QChar c : name)
        if (!IsPathNameChar(c) || c == u'&' || c == u'?' || c == u'!')
            return false;
    return true;
}

// "<p a='1' />" as the start tag "<p a='1'>" of an element with content.
QString OpenStartTag(QStringView emptyTag)
{
    QString tag = emptyTag.toString();
    while (tag.size() > 2 && NextXmlToken(tag, 0).emptyElement) {
        qsizetype cut = tag.size() - 2;   // the "/" before ">"
        while (cut > 1 && IsXmlSpace(tag[cut - 1]))
            --cut;
        tag = tag.left(cut) + u'>';
    }
    return tag;
}

QString ReadPathName(const QString& text, int& i)
{
    const int begin = i;
    while (i < text.size() && IsPathNameChar(text[i]))
        ++i;
    return text.mid(begin, i - begin);
}

}  // namespace

XmlPath XmlPath::Parse(const QString& text)
{
    XmlPath path;
    if (text.isEmpty())
        return path;
    const int n = int(text.size());
    int i = 0;
    if (text.startsWith(QLatin1String("//"))) {
        path.kind = 3;
        i = 2;
    } else if (text.startsWith(u'/')) {
        path.kind = 2;
        i = 1;
    } else {
        path.kind = 1;
    }
    const auto invalid = [&path] {
        path.valid = false;
        path.steps.clear();
        return path;
    };
    for (;;) {
        XmlPathStep step;
        step.name = ReadPathName(text, i);
        if (step.name.isEmpty())
            return invalid();
        while (i < n && text[i] == u'[') {
            ++i;
            if (i < n && text[i] >= u'1' && text[i] <= u'9') {
                qint64 index = 0;
                while (i < n && text[i].isDigit() && index < 1000000000)
                    index = index * 10 + text[i++].digitValue();
                step.index = int(index);
            } else if (i < n && text[i] == u'@') {
                ++i;
                XmlPathStep::Predicate predicate{XmlPathStep::Test::HasAttribute, ReadPathName(text, i), {}};
                if (predicate.name.isEmpty())
                    return invalid();
                if (i < n && text[i] == u'=') {
                    ++i;
                    predicate.test = XmlPathStep::Test::AttributeEquals;
                    if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
                        const QChar quote = text[i++];
                        const int close = int(text.indexOf(quote, i));
                        if (close < 0)
                            return invalid();
                        predicate.value = text.mid(i, close - i);
                        i = close + 1;
                    } else {
                        const int close = int(text.indexOf(u']', i));
                        if (close < 0)
                            return invalid();
                        predicate.value = text.mid(i, close - i);
                        i = close;
                    }
                }
                step.predicates.push_back(predicate);
            } else {
                XmlPathStep::Predicate predicate{XmlPathStep::Test::HasChild, ReadPathName(text, i), {}};
                if (predicate.name.isEmpty())
                    return invalid();
                step.predicates.push_back(predicate);
            }
            if (i >= n || text[i] != u']')
                return invalid();
            ++i;
        }
        path.steps.push_back(step);
        if (i == n)
            return path;
        if (text[i] != u'/')
            return invalid();
        ++i;
        if (i < n && text[i] == u'@') {
            // A final attribute step: the element search stops before it.
            ++i;
            if (ReadPathName(text, i).isEmpty() || i != n)
                return invalid();
            return path;
        }
    }
}

bool CXmlDoc::IsElement(int pos) const
{
    return pos > 0 && size_t(pos) < m_elements.size() && !(E(pos).flags & XmlElementFlag::Free);
}

int CXmlDoc::NextInOrder(int index, int within) const
{
    if (E(index).firstChild)
        return E(index).firstChild;
    for (int e = index; e && e != within; e = E(e).parent)
        if (E(e).nextSibling)
            return E(e).nextSibling;
    return 0;
}

bool CXmlDoc::StepMatches(const XmlPath& path, int step, int candidate) const
{
    const XmlPathStep& s = path.steps[size_t(step)];
    if (s.name != QLatin1String("*") && !NamesEqual(TagNameAt(E(candidate).start), s.name))
        return false;
    for (const XmlPathStep::Predicate& p : s.predicates) {
        switch (p.test) {
        case XmlPathStep::Test::HasAttribute:
            if (!FindXmlAttribute(QStringView(m_doc).mid(E(candidate).start, E(candidate).startTagLength), p.name,
                                  m_flags & XmlDocFlag::IgnoreCase))
                return false;
            break;
        case XmlPathStep::Test::AttributeEquals: {
            QStringView raw;
            if (!FindXmlAttribute(QStringView(m_doc).mid(E(candidate).start, E(candidate).startTagLength), p.name,
                                  m_flags & XmlDocFlag::IgnoreCase, &raw)
                || DecodeEntity(raw) != p.value)
                return false;
            break;
        }
        case XmlPathStep::Test::HasChild: {
            bool found = false;
            for (int c = E(candidate).firstChild; c && !found; c = E(c).nextSibling)
                found = NamesEqual(TagNameAt(E(c).start), p.name);
            if (!found)
                return false;
            break;
        }
        }
    }
    return true;
}

bool CXmlDoc::FindElement(const QString& path)
{
    if (m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile))
        return false;
    const XmlPath parsed = XmlPath::Parse(path);
    if (m_flags & XmlDocFlag::ReadFile)
        return FindFileElement(parsed);
    return FindPath(parsed);
}

bool CXmlDoc::FindPath(const XmlPath& path)
{
    if (!path.valid || m_elements.size() < 2)
        return false;
    const int within = 0;   // "//" runs on through the rest of the document
    int candidate = 0;
    switch (path.kind) {
    case 2:
        candidate = E(0).firstChild;
        break;
    case 3:
        candidate = m_pos ? NextInOrder(m_pos, within) : E(m_parent).firstChild;
        break;
    default:
        candidate = m_pos ? E(m_pos).nextSibling : E(m_parent).firstChild;
    }
    if (path.kind == 0) {
        if (!candidate)
            return false;
        m_pos = candidate;
        m_parent = E(candidate).parent;
        m_child = 0;
        return true;
    }
    // Once a step has matched, later steps are only looked for below that element.
    int step = 0;
    int count = 0;
    while (candidate) {
        if (StepMatches(path, step, candidate) && ++count >= path.steps[size_t(step)].index) {
            if (size_t(step) + 1 == path.steps.size()) {
                m_pos = candidate;
                m_parent = E(candidate).parent;
                m_child = 0;
                return true;
            }
            ++step;
            count = 0;
            candidate = E(candidate).firstChild;
            continue;
        }
        candidate = (step == 0 && path.kind == 3) ? NextInOrder(candidate, within) : E(candidate).nextSibling;
    }
    return false;
}

bool CXmlDoc::EnterElement()
{
    if (!IsElement(m_pos))
        return false;
    if (m_flags & XmlDocFlag::ReadFile)
        return EnterFileElement();
    if (m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile)) {
        // Only an element without content can be entered: it is written on.
        if (!(E(m_pos).flags & XmlElementFlag::Open) && !MakeOpen(m_pos))
            return false;
        m_file->stack.push_back({TagNameAt(E(m_pos).start).toString(), {}});
    }
    m_parent = m_pos;
    m_pos = 0;
    m_child = 0;
    return true;
}

bool CXmlDoc::LeaveElement()
{
    if (m_flags & XmlDocFlag::ReadFile)
        return LeaveFileElement();
    if (m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile))
        return WriteLeaveElement();
    if (!m_parent)
        return false;
    if (E(m_parent).flags & XmlElementFlag::Open)
        CloseOpenElement(m_parent, true);
    m_child = m_pos;
    m_pos = m_parent;
    m_parent = E(m_pos).parent;
    return true;
}

QString CXmlDoc::GetTagName(int pos) const
{
    return IsElement(pos) ? TagNameAt(E(pos).start).toString() : QString();
}

QString CXmlDoc::GetElementPath(int pos) const
{
    if (!IsElement(pos))
        return {};
    QString path;
    for (int e = pos; e; e = E(e).parent) {
        const QStringView name = TagNameAt(E(e).start);
        int n = 1;
        for (int s = E(E(e).parent).firstChild; s && s != e; s = E(s).nextSibling)
            if (NamesEqual(TagNameAt(E(s).start), name))
                ++n;
        QString level = u'/' + name.toString();
        if (n >= 2)
            level += QStringLiteral("[%1]").arg(n);
        path.prepend(level);
    }
    return path;
}

QString CXmlDoc::GetData(int pos)
{
    if (!IsElement(pos))
        return {};
    if ((m_flags & XmlDocFlag::ReadFile) && pos == m_pos)
        return ReadFileElementData();
    return ContentData(pos);
}

QString CXmlDoc::ContentData(int pos) const
{
    const XmlElement& e = E(pos);
    if (e.firstChild || !e.endTagLength)
        return {};
    const int begin = e.start + e.startTagLength;
    const int end = e.start + e.length - e.endTagLength;
    const QStringView content = QStringView(m_doc).mid(begin, end - begin);
    const int decodeFlags = m_flags & (XmlDocFlag::Trim | XmlDocFlag::Collapse);
    if (!content.contains(u'<'))
        return DecodeEntity(content, decodeFlags);
    QString data;
    for (int offset = 0; offset < content.size();) {
        const XmlToken token = NextXmlToken(content, offset);
        const QStringView node = content.mid(token.start, token.length);
        if (token.type == XmlNodeType::Text || token.type == XmlNodeType::Whitespace)
            data += DecodeEntity(node, decodeFlags);
        else if (token.type == XmlNodeType::CData)
            data += node.mid(9, node.size() - 12);
        offset = token.start + token.length;
    }
    return data;
}

QString CXmlDoc::GetAttribute(int pos, QStringView name) const
{
    if (!IsElement(pos))
        return {};
    QStringView raw;
    if (!FindXmlAttribute(QStringView(m_doc).mid(E(pos).start, E(pos).startTagLength), name,
                          m_flags & XmlDocFlag::IgnoreCase, &raw))
        return {};
    return DecodeEntity(raw, m_flags & (XmlDocFlag::Trim | XmlDocFlag::Collapse));
}

void CXmlDoc::Splice(int offset, int removeLength, const QString& insert, int owner)
{
    m_doc.replace(offset, removeLength, insert);
    const int delta = int(insert.size()) - removeLength;
    m_flags |= XmlDocFlag::Modified;
    if (!delta)
        return;
    for (int a = owner; a; a = E(a).parent)
        E(a).length += delta;
    E(0).length += delta;
    ShiftFollowing(owner, offset, delta);
}

void CXmlDoc::ShiftFollowing(int owner, int offset, int delta)
{
    const auto shiftSubtree = [this, delta](int top) {
        for (int node = top;;) {
            E(node).start += delta;
            if (E(node).firstChild) {
                node = E(node).firstChild;
                continue;
            }
            while (node != top && !E(node).nextSibling)
                node = E(node).parent;
            if (node == top)
                return;
            node = E(node).nextSibling;
        }
    };
    // Children from the first one at or after the offset; found from the
    // last child backwards, so appending at the end costs nothing here.
    const int first = E(owner).firstChild;
    if (first && E(E(first).prevSibling).start >= offset) {
        int child = E(first).prevSibling;
        while (child != first && E(E(child).prevSibling).start >= offset)
            child = E(child).prevSibling;
        for (; child; child = E(child).nextSibling)
            shiftSubtree(child);
    }
    for (int a = owner; a; a = E(a).parent)
        for (int s = E(a).nextSibling; s; s = E(s).nextSibling)
            shiftSubtree(s);
}

bool CXmlDoc::SetAttribute(int pos, QStringView name, QStringView value, int flags)
{
    if ((m_flags & XmlDocFlag::ReadFile) || !IsElement(pos) || !IsValidName(name))
        return false;
    const QString escaped = EncodeEntities(value, flags | XmlEncodeFlag::Attribute);
    XmlElement& e = E(pos);
    const QStringView tag = QStringView(m_doc).mid(e.start, e.startTagLength);
    int spanStart = 0;
    int spanLength = 0;
    int offset = 0;
    int remove = 0;
    QString insert;
    if (FindXmlAttribute(tag, name, m_flags & XmlDocFlag::IgnoreCase, nullptr, &spanStart, &spanLength)) {
        offset = spanStart;
        remove = spanLength;
        insert = (spanLength ? QStringLiteral("\"") : QStringLiteral("=\"")) + escaped + u'"';
    } else {
        // Before ">" or "/>", and before the blanks in front of "/>".
        offset = int(tag.size()) - 1;
        if (NextXmlToken(tag, 0).emptyElement) {
            --offset;
            while (offset > 1 && IsXmlSpace(tag[offset - 1]))
                --offset;
        }
        insert = u' ' + name.toString() + QStringLiteral("=\"") + escaped + u'"';
    }
    const int delta = int(insert.size()) - remove;
    Splice(e.start + offset, remove, insert, pos);
    E(pos).startTagLength += delta;
    return true;
}

bool CXmlDoc::SetIntAttribute(int pos, QStringView name, qint32 value)
{
    return SetAttribute(pos, name, QString::number(value));
}

bool CXmlDoc::MakeOpen(int index)
{
    XmlElement& e = E(index);
    if (e.firstChild || e.endTagLength || (e.flags & XmlElementFlag::Unended))
        return false;
    const QStringView tag = QStringView(m_doc).mid(e.start, e.startTagLength);
    const XmlToken token = NextXmlToken(tag, 0);
    if (!token.emptyElement)
        return false;
    // The element must be the last thing written: what follows becomes its content.
    const int end = e.start + e.length;
    for (int i = end; i < m_doc.size(); ++i)
        if (!IsXmlSpace(m_doc[i]))
            return false;
    const QString openTag = OpenStartTag(tag);
    const int startTagLength = int(openTag.size());
    Splice(e.start, e.startTagLength, openTag, index);
    XmlElement& opened = E(index);
    opened.startTagLength = startTagLength;
    opened.flags |= XmlElementFlag::Open;
    // The white space after it (inside the open ancestors already) is its content now.
    opened.length = int(m_doc.size()) - opened.start;
    return true;
}

bool CXmlDoc::CloseOpenElement(int index, bool lineBreak)
{
    XmlElement& e = E(index);
    if (!(e.flags & XmlElementFlag::Open))
        return false;
    const QString endTag = QStringLiteral("</") + TagNameAt(e.start).toString() + u'>';
    const int at = e.start + e.length;
    Splice(at, 0, endTag, index);
    E(index).endTagLength = int(endTag.size());
    E(index).flags &= ~XmlElementFlag::Open;
    if (lineBreak)
        Splice(at + int(endTag.size()), 0, QStringLiteral("\r\n"), E(index).parent);
    return true;
}

void CXmlDoc::LinkNew(int index, int parent, int ref, bool before)
{
    const int first = E(parent).firstChild;
    if (!ref && before)
        ref = first;
    if (!ref) {
        LinkLastChild(parent, index);
        return;
    }
    XmlElement& e = E(index);
    e.parent = parent;
    if (before) {
        e.nextSibling = ref;
        e.prevSibling = E(ref).prevSibling;   // of a new first child: the last child
        if (ref == first)
            E(parent).firstChild = index;
        else
            E(E(ref).prevSibling).nextSibling = index;
        E(ref).prevSibling = index;
    } else {
        e.prevSibling = ref;
        e.nextSibling = E(ref).nextSibling;
        if (e.nextSibling)
            E(e.nextSibling).prevSibling = index;
        else
            E(first).prevSibling = index;
        E(ref).nextSibling = index;
    }
}

bool CXmlDoc::InsertText(const QString& text, int parent, int ref, int flags, int& elementOffset)
{
    const bool before = flags & XmlAddFlag::Before;
    const bool lineBreak = !(flags & XmlAddFlag::NoLineBreak);
    const QString crlf = lineBreak ? QStringLiteral("\r\n") : QString();
    // White space after an element (or at a content start) is skipped when
    // it leads to markup or to the end of the content, so new text starts
    // its own line.
    const auto skipSpace = [this](int from, int end) {
        int i = from;
        while (i < end && IsXmlSpace(m_doc[i]))
            ++i;
        return (i == end || m_doc[i] == u'<') ? i : from;
    };
    const int contentEnd = parent ? E(parent).start + E(parent).length - E(parent).endTagLength : int(m_doc.size());
    if (ref) {
        const int offset = before ? E(ref).start : skipSpace(E(ref).start + E(ref).length, contentEnd);
        Splice(offset, 0, text, parent);
        elementOffset = offset;
        return true;
    }
    if (!parent) {
        const int offset = before ? 0 : int(m_doc.size());
        Splice(offset, 0, text, 0);
        elementOffset = offset;
        return true;
    }
    XmlElement& p = E(parent);
    if (p.flags & XmlElementFlag::Unended)
        return false;
    const int contentStart = p.start + p.startTagLength;
    if (!(p.flags & XmlElementFlag::Open) && contentStart == contentEnd) {
        if (!p.endTagLength) {
            // "<p/>" opens up: "<p>", line break, new text, "</p>".
            const QStringView tag = QStringView(m_doc).mid(p.start, p.startTagLength);
            const QString startTag = OpenStartTag(tag);
            const QString endTag = QStringLiteral("</") + TagNameAt(p.start).toString() + u'>';
            const int start = p.start;
            Splice(start, p.startTagLength, startTag + crlf + text + endTag, parent);
            E(parent).startTagLength = int(startTag.size());
            E(parent).endTagLength = int(endTag.size());
            elementOffset = start + int(startTag.size() + crlf.size());
            return true;
        }
        Splice(contentStart, 0, crlf + text, parent);
        elementOffset = contentStart + int(crlf.size());
        return true;
    }
    const int offset = before ? skipSpace(contentStart, contentEnd) : contentEnd;
    Splice(offset, 0, text, parent);
    elementOffset = offset;
    return true;
}

void CXmlDoc::TakeInserted(int index, bool asChild)
{
    if (index) {
        // As a child the new element is where the next child goes after;
        // otherwise it is the current element.
        if (asChild) {
            m_child = index;
        } else {
            m_pos = index;
            m_child = 0;
        }
    }
    if (m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile))
        FlushWrittenText(false);
}

bool CXmlDoc::AddElement(const QString& name, const QString& data, int flags)
{
    using namespace XmlAddFlag;
    if ((m_flags & XmlDocFlag::ReadFile) || !IsValidName(name))
        return false;
    const bool writing = m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile);
    const bool asChild = flags & AsChild;
    const bool open = flags & XmlAddFlag::Open;
    if ((open && !data.isEmpty()) || (asChild && (writing || !IsElement(m_pos))))
        return false;
    const int parent = asChild ? m_pos : m_parent;
    const int ref = asChild ? m_child : m_pos;
    // An open element that was not entered ends before its next sibling.
    if (ref && (E(ref).flags & XmlElementFlag::Open))
        CloseOpenElement(ref, !(flags & NoLineBreak));

    QString text = u'<' + name;
    int startTagLength = 0;
    int endTagLength = 0;
    if (open || !data.isEmpty()) {
        text += u'>';
        startTagLength = int(text.size());
        if (!open) {
            text += (flags & CData) ? EscapeText(data) : EncodeEntities(data, flags & KeepReferences);
            const QString endTag = QStringLiteral("</") + name + u'>';
            text += endTag;
            endTagLength = int(endTag.size());
        }
    } else {
        text += (flags & SpaceBeforeSlash) ? QStringLiteral(" />") : QStringLiteral("/>");
        startTagLength = int(text.size());
    }
    int length = int(text.size());
    if (!(flags & NoLineBreak)) {
        text += QStringLiteral("\r\n");
        if (open)   // the line break starts the content, so children follow on their own lines
            length = int(text.size());
    }

    int offset = 0;
    if (!InsertText(text, parent, ref, flags, offset))
        return false;
    const int index = NewSlot();
    XmlElement& e = E(index);
    e.start = offset;
    e.length = length;
    e.startTagLength = startTagLength;
    e.endTagLength = endTagLength;
    if (open)
        e.flags = XmlElementFlag::Open;
    LinkNew(index, parent, ref, flags & Before);
    TakeInserted(index, asChild);
    return true;
}

int CXmlDoc::CopySubtree(const CXmlDoc& from, int fromIndex, int delta)
{
    // A new slot with the element's offsets and flags, linked to nothing.
    const auto copyOf = [&](int node) {
        const int index = NewSlot();
        XmlElement& copy = E(index);
        copy = from.E(node);
        copy.start += delta;
        copy.parent = copy.firstChild = copy.nextSibling = copy.prevSibling = 0;
        return index;
    };
    const int top = copyOf(fromIndex);
    // Walk the source in document order, mirroring each element under the
    // copy of its parent; no recursion over the depth.
    std::vector<std::pair<int, int>> parents{{fromIndex, top}};
    for (int node = from.NextInOrder(fromIndex, fromIndex); node; node = from.NextInOrder(node, fromIndex)) {
        while (parents.back().first != from.E(node).parent)
            parents.pop_back();
        const int index = copyOf(node);
        LinkLastChild(parents.back().second, index);
        parents.emplace_back(node, index);
    }
    return top;
}

bool CXmlDoc::AddSubDoc(const QString& text, int flags)
{
    if (m_flags & XmlDocFlag::ReadFile)
        return false;
    const bool writing = m_flags & (XmlDocFlag::WriteFile | XmlDocFlag::AppendFile);
    const bool asChild = flags & XmlAddFlag::AsChild;
    if (asChild && (writing || !IsElement(m_pos)))
        return false;
    CXmlDoc fragment;
    fragment.m_flags = m_flags & XmlDocFlag::IgnoreCase;
    fragment.m_doc = text;
    fragment.Parse();
    // Malformed markup or bare text would break the document it lands in.
    if (fragment.E(0).flags & XmlElementFlag::NotWellFormed)
        return false;
    int elements = 0;
    bool markup = false;
    for (int offset = 0, top = fragment.E(0).firstChild; offset < text.size();) {
        if (top && offset == fragment.E(top).start) {
            ++elements;
            offset += fragment.E(top).length;
            top = fragment.E(top).nextSibling;
            continue;
        }
        const XmlToken token = NextXmlToken(text, offset);
        if (token.type == XmlNodeType::Text)
            return false;
        markup = markup || token.type != XmlNodeType::Whitespace;
        offset = token.start + token.length;
    }
    if (!elements && !markup)
        return false;

    const int parent = asChild ? m_pos : m_parent;
    const int ref = asChild ? m_child : m_pos;
    if (ref && (E(ref).flags & XmlElementFlag::Open))
        CloseOpenElement(ref, !(flags & XmlAddFlag::NoLineBreak));
    // Markup without an element goes in as it stands.
    const int insertFlags = elements ? flags : (flags | XmlAddFlag::NoLineBreak);
    const QString inserted = (insertFlags & XmlAddFlag::NoLineBreak) ? text : text + QStringLiteral("\r\n");
    int offset = 0;
    if (!InsertText(inserted, parent, ref, insertFlags, offset))
        return false;
    int previous = 0;
    for (int top = fragment.E(0).firstChild; top; top = fragment.E(top).nextSibling) {
        const int index = CopySubtree(fragment, top, offset);
        if (previous)
            LinkNew(index, parent, previous, false);
        else
            LinkNew(index, parent, ref, flags & XmlAddFlag::Before);
        previous = index;
    }
    TakeInserted(previous, asChild);
    return elements == 1;
}
