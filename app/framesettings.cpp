#include "app/framesettings.h"

#include "platform/profile/privateprofile.h"

#include <QFileInfo>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kMainWindow = QStringLiteral("MainWindow");
const QString kProject = QStringLiteral("Project");
const QString kUser = QStringLiteral("User");
const QString kRetrievedSegments = QStringLiteral("RetrievedSegments");
constexpr int kMinSplitter = 20;
constexpr int kMaxSplitter = 10000;

int SanitiseMask(int mask)
{
    mask &= ViewBit::All;
    return mask == 0 ? ViewBit::All : mask;
}

}  // namespace

FrameSettings FrameSettings::Load(const PrivateProfile& profile)
{
    FrameSettings s;
    s.placement = WindowPlacement::FromText(profile.GetString(kMainWindow, QStringLiteral("WindowPos")));
    s.buttonState = profile.GetInt(kMainWindow, QStringLiteral("ButtonState"), 1) == 0 ? 0 : 1;
    s.oldViewState = SanitiseMask(profile.GetInt(kMainWindow, QStringLiteral("OldViewState"), ViewBit::All));
    s.viewState = SanitiseMask(profile.GetInt(kMainWindow, QStringLiteral("ViewState"), ViewBit::All));
    const auto splitter = [&profile](const QString& key) {
        return std::clamp(profile.GetInt(kMainWindow, key, kDefaultSplitter), kMinSplitter, kMaxSplitter);
    };
    s.splitter1 = splitter(QStringLiteral("Splitter 1"));
    s.splitter2 = splitter(QStringLiteral("Splitter 2"));
    s.splitter3 = splitter(QStringLiteral("Splitter 3"));

    for (int i = 1; i <= kMaxRecent; ++i) {
        const QString path = profile.GetString(kProject, QStringLiteral("Path%1").arg(i));
        if (!path.isEmpty() && !s.recentProjects.contains(path) && QFileInfo(path).isFile())
            s.recentProjects.append(path);
    }
    s.retrievalOptions = profile.GetString(kProject, QStringLiteral("Options"));
    s.defaultUser = profile.GetString(kUser, QStringLiteral("DefaultUser"));
    if (s.defaultUser.isEmpty())
        s.defaultUser = SystemUserName();
    s.users = ParseUserList(profile.GetString(kUser, QStringLiteral("Users")));
    s.showMemos = profile.GetInt(kRetrievedSegments, QStringLiteral("ShowMemos"), 1) != 0;
    return s;
}

bool FrameSettings::Save(PrivateProfile& profile) const
{
    bool ok = profile.WriteString(kMainWindow, QStringLiteral("WindowPos"), placement.ToText());
    ok = profile.WriteInt(kMainWindow, QStringLiteral("ButtonState"), buttonState) && ok;
    ok = profile.WriteInt(kMainWindow, QStringLiteral("OldViewState"), oldViewState) && ok;
    ok = profile.WriteInt(kMainWindow, QStringLiteral("ViewState"), viewState) && ok;
    ok = profile.WriteInt(kMainWindow, QStringLiteral("Splitter 3"), splitter3) && ok;
    ok = profile.WriteInt(kMainWindow, QStringLiteral("Splitter 2"), splitter2) && ok;
    ok = profile.WriteInt(kMainWindow, QStringLiteral("Splitter 1"), splitter1) && ok;
    ok = SaveRecent(profile) && ok;
    ok = profile.WriteString(kProject, QStringLiteral("Options"), retrievalOptions) && ok;
    ok = profile.WriteString(kUser, QStringLiteral("DefaultUser"), defaultUser) && ok;
    ok = profile.WriteString(kUser, QStringLiteral("Users"), FormatUserList(users)) && ok;
    ok = profile.WriteInt(kRetrievedSegments, QStringLiteral("ShowMemos"), showMemos ? 1 : 0) && ok;
    return ok;
}

bool FrameSettings::SaveRecent(PrivateProfile& profile) const
{
    bool ok = true;
    for (int i = 1; i <= kMaxRecent; ++i)
        ok = profile.WriteString(kProject, QStringLiteral("Path%1").arg(i), recentProjects.value(i - 1)) && ok;
    return ok;
}

QStringList ParseUserList(const QString& text)
{
    QStringList users = text.split(u'|');
    users.removeLast();   // what follows the last "|" (all of it without one)
    return users;
}

QString FormatUserList(const QStringList& users)
{
    QString text;
    for (const QString& user : users)
        text += user + u'|';
    return text;
}

QString SystemUserName()
{
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
}
