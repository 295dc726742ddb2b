#include "foundation/programpaths.h"

#include "platform/profile/privateprofile.h"

#include "common/testutil.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(ProgramPaths, PortableAndPerUserSettings)
{
    testutil::TempDir program;
    ProgramPaths p = ResolveProgramPaths(program.path());
    EXPECT_EQ(p.ProgramFolder, program.path() + u'/');
    EXPECT_FALSE(p.PortableMode);
    EXPECT_TRUE(p.SettingsFolder.endsWith(u'/'));
    EXPECT_TRUE(QFileInfo(p.SettingsFolder).isDir());
    EXPECT_EQ(p.OptionsFilePath, p.SettingsFolder + QStringLiteral("KORVAN10.prp"));
    EXPECT_EQ(p.ProfilePath, p.SettingsFolder + QStringLiteral("KORVAN10.ini"));
    EXPECT_EQ(p.StringTablePath, p.ProgramFolder + QStringLiteral("KORVAN10.str"));
    EXPECT_EQ(p.LanguageIndex, 1);

    // The per-user profile chooses the language; the setup's choice is the default.
    QDir().mkpath(program.file(QStringLiteral("Settings")));
    PrivateProfile portable(program.file(QStringLiteral("Settings/Settings.ini")));
    ASSERT_TRUE(portable.WriteInt(QStringLiteral("Basic"), QStringLiteral("LangSetup"), 4));
    EXPECT_EQ(ResolveProgramPaths(program.path()).LanguageIndex, 4);
    PrivateProfile user(p.ProfilePath);
    ASSERT_TRUE(user.WriteInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), 3));
    EXPECT_EQ(ResolveProgramPaths(program.path()).LanguageIndex, 3);
    ASSERT_TRUE(user.WriteInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), -2));
    EXPECT_EQ(ResolveProgramPaths(program.path()).LanguageIndex, 1);
    QFile::remove(p.ProfilePath);

    // Portable: everything beside the program.
    ASSERT_TRUE(portable.WriteInt(QStringLiteral("Basic"), QStringLiteral("Portable"), 1));
    ASSERT_TRUE(portable.WriteInt(QStringLiteral("Basic"), QStringLiteral("LangMain"), 0));
    p = ResolveProgramPaths(program.path() + u'/');
    EXPECT_TRUE(p.PortableMode);
    EXPECT_EQ(p.OptionsFilePath, program.file(QStringLiteral("Settings/KORVAN10.prp")));
    EXPECT_EQ(p.ProfilePath, portable.Path());
    EXPECT_EQ(p.LanguageIndex, 0);
}
