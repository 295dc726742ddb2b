#include "foundation/help.h"

#include "foundation/ids.h"
#include "foundation/messageservice.h"
#include "foundation/programpaths.h"
#include "foundation/stringstore.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace {

const char* BookName(int kind)
{
    switch (HelpKind(kind)) {
    case HelpKind::Program: return "kv10";
    case HelpKind::Mapping: return "do10zado";
    case HelpKind::Dictionary: return "kv10dictio";
    }
    return nullptr;
}

}  // namespace

QString HelpStartPage(int kind, const QString& languageCode)
{
    const char* book = BookName(kind);
    if (!book)
        return QString();
    return QStringLiteral("%1Manuals/%2/%3_%2/index.html")
        .arg(g_program.ProgramFolder, languageCode, QLatin1String(book));
}

int ShowHelpTopic(int kind, int topicId)
{
    if (!BookName(kind))
        return 0;
    QString start = HelpStartPage(kind, g_pStringStore->GetLanguageCode());
    if (!QFileInfo::exists(start))
        start = HelpStartPage(kind, QStringLiteral("ENG"));
    if (!QFileInfo::exists(start)) {
        ShowMessage(LoadString(FoundationText::HelpMissing).arg(QDir::toNativeSeparators(start)), MessageKind::Warning);
        return 0;
    }
    QString page = start;
    if (topicId != 0) {
        const QString topic = QFileInfo(start).dir().filePath(QStringLiteral("topic%1.html").arg(topicId));
        if (QFileInfo::exists(topic))
            page = topic;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
        ShowMessage(LoadString(FoundationText::HelpNotOpened).arg(QDir::toNativeSeparators(page)), MessageKind::Warning);
        return 0;
    }
    return 1;
}
