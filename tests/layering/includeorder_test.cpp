// The subsystems stand in one order: a file may include its own folder and
// the folders below it, never one above. The check reads every
// `#include "…"` line of the program's sources, so a wrong include fails
// here before it turns into a cycle of libraries or headers.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Folders of one rank may include each other; headless and widget files of
// a folder share its rank.
const QHash<QString, int>& Ranks()
{
    static const QHash<QString, int> ranks = {
        {QStringLiteral("platform"), 0},   {QStringLiteral("foundation"), 1},
        {QStringLiteral("store"), 2},      {QStringLiteral("document"), 3},
        {QStringLiteral("ui"), 4},         {QStringLiteral("panes"), 5},
        {QStringLiteral("browser"), 6},    {QStringLiteral("retrieval"), 6},
        {QStringLiteral("exchange"), 6},   {QStringLiteral("visual"), 6},
        {QStringLiteral("dictionary"), 6}, {QStringLiteral("app"), 7},
    };
    return ranks;
}

/// The folder an include names ("store/rowbuffer.h" → "store"); none for a
/// bare file name, which lives beside the includer.
std::optional<QString> IncludedFolder(const QString& include)
{
    const qsizetype slash = include.indexOf(u'/');
    if (slash <= 0)
        return std::nullopt;
    return include.left(slash);
}

/// True when a file of `folder` including `include` reaches up the order.
/// The requirements library stands apart: it includes nothing of ours.
bool RunsUp(const QString& folder, const QString& include)
{
    const std::optional<QString> target = IncludedFolder(include);
    if (!target || *target == folder)
        return false;
    if (folder == u"sysprobe")
        return Ranks().contains(*target);
    if (*target == u"sysprobe")
        return true;
    const auto from = Ranks().constFind(folder);
    const auto to = Ranks().constFind(*target);
    if (from == Ranks().cend() || to == Ranks().cend())
        return false;
    return *to > *from;
}

QString SourceRoot()
{
    return QDir::cleanPath(QStringLiteral(KORVAN_SOURCE_DIR));
}

/// Each include of the file that runs up, as "path:line: include".
QStringList UpwardIncludes(const QString& root, const QString& folder, const QString& path)
{
    static const QRegularExpression includeLine(QStringLiteral(R"re(^\s*#\s*include\s*"([^"]+)")re"));
    QStringList found;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        found << path + QStringLiteral(": unreadable");
        return found;
    }
    QTextStream in(&file);
    int lineNumber = 0;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        ++lineNumber;
        const QRegularExpressionMatch match = includeLine.match(line);
        if (match.hasMatch() && RunsUp(folder, match.captured(1)))
            found << QStringLiteral("%1:%2: %3")
                         .arg(QDir(root).relativeFilePath(path))
                         .arg(lineNumber)
                         .arg(match.captured(1));
    }
    return found;
}

TEST(IncludeOrder, RuleOfTheOrder)
{
    const struct {
        const char* folder;
        const char* include;
        bool runsUp;
    } cases[] = {
        {"document", "store/rowbuffer.h", false},
        {"document", "document/kordoc_p.h", false},
        {"document", "panes/panewnd.h", true},
        {"store", "document/kordoc.h", true},
        {"ui", "panes/listids.h", true},
        {"panes", "ui/dlgbase.h", false},
        {"panes", "browser/colorpicdlg.h", true},
        {"panes", "app/commandtable.h", true},
        {"browser", "retrieval/segmentsctrl.h", false},  // one rank
        {"retrieval", "app/mainframe.h", true},
        {"app", "browser/framebrowser.h", false},
        {"platform", "foundation/ids.h", true},
        {"foundation", "platform/dao/database.h", false},
        {"sysprobe", "foundation/ids.h", true},
        {"sysprobe", "sysprobe/requirements.h", false},
        {"foundation", "sysprobe/sysprobe.h", true},
        {"document", "kordoc_p.h", false},  // beside the includer
        {"document", "ui_mainwindow.h", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunsUp(QString::fromLatin1(c.folder), QString::fromLatin1(c.include)), c.runsUp)
            << c.folder << " including " << c.include;
}

TEST(IncludeOrder, NoSourceIncludesAFolderAboveItsOwn)
{
    const QString root = SourceRoot();
    QStringList folders = Ranks().keys();
    folders << QStringLiteral("sysprobe");
    int filesRead = 0;
    QStringList upward;
    for (const QString& folder : folders) {
        const QString dir = QDir(root).filePath(folder);
        if (!QDir(dir).exists())
            continue;
        QDirIterator it(dir, {QStringLiteral("*.h"), QStringLiteral("*.cpp"), QStringLiteral("*.c")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            upward << UpwardIncludes(root, folder, it.next());
            ++filesRead;
        }
    }
    ASSERT_GT(filesRead, 0) << "no sources under " << root.toStdString();
    EXPECT_TRUE(upward.isEmpty()) << "includes that run up the order:\n" << upward.join(u'\n').toStdString();
}

}  // namespace
