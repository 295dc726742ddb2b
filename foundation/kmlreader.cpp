#include "foundation/kmlreader.h"

#include "foundation/ids.h"
#include "foundation/stringstore.h"
#include "foundation/xmldoc.h"

namespace {

// Finds the first child of the entered element with this name, wherever
// the cursor stands among its children.
bool FindChild(CXmlDoc& xml, const QString& name)
{
    if (xml.CurrentPosition() != 0 && !(xml.LeaveElement() && xml.EnterElement()))
        return false;
    return xml.FindElement(name);
}

// The data of the first child with this name; empty when there is none.
QString ChildData(CXmlDoc& xml, const QString& name)
{
    return FindChild(xml, name) ? xml.GetElementData() : QString();
}

// Name, then CR and the text of the child element leaf inside the child
// element holder, when there is one. The cursor stands inside the place.
QString PlaceText(CXmlDoc& xml, const QString& holder, const QString& leaf)
{
    QString text = ChildData(xml, QStringLiteral("name"));
    if (FindChild(xml, holder) && xml.EnterElement())
        text += u'\r' + ChildData(xml, leaf);
    return text;
}

QString PlacemarkText(CXmlDoc& xml)
{
    return PlaceText(xml, QStringLiteral("Point"), QStringLiteral("coordinates"));
}

void SetError(QString* error, int textId, const QString& path)
{
    if (error)
        *error = LoadString(textId).arg(path);
}

}  // namespace

QString ReadKmlPlacemark(const QString& path, QString* error)
{
    if (error)
        error->clear();
    QString text;
    if (!CXmlDoc::ReadTextFile(path, text)) {
        SetError(error, FoundationText::KmlNotReadable, path);
        return {};
    }
    CXmlDoc xml;
    if (!xml.SetDoc(text) || !xml.FindElement(QStringLiteral("kml")) || !xml.EnterElement()) {
        SetError(error, FoundationText::KmlDamaged, path);
        return {};
    }
    if (xml.FindElement(QStringLiteral("Document"))) {
        if (xml.EnterElement() && xml.FindElement(QStringLiteral("Placemark")) && xml.EnterElement())
            return PlacemarkText(xml);
        return {};
    }
    if (xml.FindElement(QStringLiteral("NetworkLink")))
        return xml.EnterElement() ? PlaceText(xml, QStringLiteral("Url"), QStringLiteral("href")) : QString();
    if (xml.FindElement(QStringLiteral("Placemark")) && xml.EnterElement())
        return PlacemarkText(xml);
    return {};
}
