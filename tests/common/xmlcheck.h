#pragma once

// Checks of CXmlDoc shared by the XML tests.

#include "foundation/xmldoc.h"

#include <QStringList>

namespace xmlcheck {

/// Every element in document order as "path=data", walked from the top;
/// moves the cursor.
inline QStringList Outline(CXmlDoc& doc)
{
    QStringList lines;
    if (!doc.FindElement(QStringLiteral("/*")))
        return lines;
    do
        lines << doc.GetCurrentPath() + u'=' + doc.GetElementData();
    while (doc.FindElement(QStringLiteral("//*")));
    return lines;
}

/// True when the tree that edits kept in step with the text is the tree a
/// fresh parse of the text builds.
inline bool TreeMatchesFreshParse(CXmlDoc& doc)
{
    CXmlDoc fresh;
    fresh.SetDocFlags(doc.GetDocFlags());
    fresh.SetDoc(doc.GetDoc());
    return Outline(doc) == Outline(fresh);
}

}  // namespace xmlcheck
