#pragma once

// Pieces shared by the files of CXmlDoc: the tokenizer, the start-tag
// scanner and the entity and encoding tables. Not for use outside them.

#include "foundation/xmldoc.h"

#include <QString>
#include <QStringView>

#include <vector>

inline bool IsXmlSpace(QChar c)
{
    const char16_t u = c.unicode();
    return u == u' ' || u == u'\t' || u == u'\n' || u == u'\r';
}

/// A to Z as a to z, every other unit unchanged: names of markup compare
/// without case only in ASCII, as HTML's do.
inline char16_t FoldXmlCase(char16_t u)
{
    return u >= u'A' && u <= u'Z' ? char16_t(u + 32) : u;
}

/// The name with A to Z folded (FoldXmlCase).
QString FoldXmlName(QStringView name);

/// One node found by NextXmlToken. Offsets and lengths in UTF-16 units.
struct XmlToken {
    XmlNodeType type = XmlNodeType::EndOfDocument;
    int start = 0;
    int length = 0;
    bool emptyElement = false;   ///< a start tag closed by "/>"
    bool reachedEnd = false;     ///< the node ran into the end of the text
    const char* error = nullptr; ///< log word of a syntax error (type Malformed)
    const char* unterminated = nullptr; ///< type word when the text ended inside a tag
};

/// Reads the node at offset. Never reads past the text; logs nothing: the
/// caller decides whether an unfinished node waits for more text.
XmlToken NextXmlToken(QStringView text, int offset);

/// The name after "<", "</" or "<?" at offset: up to white space, "/", ">"
/// (and "?" for a processing instruction).
QStringView XmlNameAt(QStringView text, int offset);

bool XmlNamesEqual(QStringView a, QStringView b, bool ignoreCase);

/// Finds an attribute in a start tag (text from "<" to ">"). value receives
/// the raw text between the quotes; span the value with its quotes, as
/// offsets into tag.
bool FindXmlAttribute(QStringView tag, QStringView name, bool ignoreCase, QStringView* value = nullptr,
                      int* spanStart = nullptr, int* spanLength = nullptr);

/// Code point of a named character reference, 0 when unknown. The exact
/// name is tried first, then its lower-case form, so "auml" and "Auml" stay
/// distinct and "AMP" still reads as "&".
char32_t FindXmlEntity(QStringView name);

/// Windows code page of an encoding name, as CXmlDoc::FindEncoding.
int FindXmlEncoding(QStringView name);

/// The iconv name of a code page; code page 0 (no name) is Windows-1252.
/// Null for a code page without a converter here.
const char* XmlIconvName(int codePage);

/// Writes an empty element "<word a="v" .../>" into a result log while the
/// log is shorter than 1,000 characters, so broken input cannot flood it.
void AppendXmlLog(QString& log, const char* word, std::initializer_list<std::pair<const char*, QString>> attributes);

struct XmlPathStep {
    QString name;   // "*" matches any name
    int index = 0;  // "[n]", 0 when absent
    enum class Test { HasAttribute, AttributeEquals, HasChild };
    struct Predicate {
        Test test;
        QString name;
        QString value;
    };
    std::vector<Predicate> predicates;
};

/// A parsed search path: kind 0 next element, 1 among the following
/// siblings, 2 from the top level ("/"), 3 in document order below ("//").
struct XmlPath {
    int kind = 0;
    bool valid = true;
    std::vector<XmlPathStep> steps;

    static XmlPath Parse(const QString& text);
};
