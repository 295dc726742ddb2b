#include "app/framehelp.h"

#include <QFileInfo>

namespace {

// The program's own pages of tutorials and manuals.
const QString kSite = QStringLiteral("https://korvan10.example.org/");

}  // namespace

QString LocalisedFile(const QString& format, const QString& folder, const QString& code, const QString& fallbackCode)
{
    const QString path = format.arg(folder, code, code);
    if (QFileInfo::exists(path))
        return path;
    return format.arg(folder, fallbackCode, fallbackCode);
}

namespace HelpResource {

QString IntroductionFormat()
{
    return QStringLiteral("%1Manuals/%2/kv10intro_%3.pdf");
}

QString NewsFormat()
{
    return QStringLiteral("%1Manuals/%2/kv10news_%3.pdf");
}

QString TipsFolderFormat()
{
    return QStringLiteral("%1Tipps/%2/");
}

QString TutorialAddress(int languageIndex)
{
    switch (languageIndex) {
    case 0: return kSite + QStringLiteral("de/tutorials/");
    case 2: return kSite + QStringLiteral("es/tutoriales/");
    default: return kSite + QStringLiteral("en/tutorials/");
    }
}

QString ManualsAddress(int languageIndex)
{
    return kSite + (languageIndex == 0 ? QStringLiteral("de/handbuecher/") : QStringLiteral("en/manuals/"));
}

QString DictionaryManualsAddress(int languageIndex)
{
    return kSite + (languageIndex == 0 ? QStringLiteral("de/handbuecher/woerterbuch/")
                                       : QStringLiteral("en/manuals/dictionary/"));
}

}  // namespace HelpResource
