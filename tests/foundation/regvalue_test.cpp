// Registry values as QSettings values in the test's own configuration
// folder (test_main moves the home folder into a temporary folder).
#include "foundation/regvalue.h"

#include "common/testutil.h"

#include <QSettings>

#include <gtest/gtest.h>

namespace {

class RegValue : public ::testing::Test {
protected:
    void SetUp() override { Settings().clear(); }
    void TearDown() override { Settings().clear(); }

    static QSettings& Settings()
    {
        static QSettings settings(QSettings::UserScope, QLatin1String(kSettingsOrganisation),
                                  QLatin1String(kSettingsApplication));
        settings.sync();
        return settings;
    }
};

}  // namespace

TEST_F(RegValue, SettingsLiveInTheTestHome)
{
    const QString home = qEnvironmentVariable("HOME");
    ASSERT_FALSE(home.isEmpty());
    EXPECT_TRUE(Settings().fileName().startsWith(home)) << Settings().fileName().toStdString();
    EXPECT_TRUE(Settings().fileName().endsWith(QStringLiteral("Zepha/KORVAN10.conf")));
}

TEST_F(RegValue, PathSplitsAtTheLastSeparator)
{
    const struct {
        const char* path;
        const char* key;
        const char* value;
    } cases[] = {
        {"Software\\Microsoft\\Microsoft SQL Server\\KORVAN\\MSSQLServer\\CurrentVersion\\CurrentVersion",
         "Software\\Microsoft\\Microsoft SQL Server\\KORVAN\\MSSQLServer\\CurrentVersion", "CurrentVersion"},
        // A trailing separator names the key's unnamed value.
        {"\\Software\\Zepha\\Name\\", "Software\\Zepha\\Name", ""},
        {"Software/Zepha/Name", "Software/Zepha", "Name"},
        {"Name", "", "Name"},
    };
    for (const auto& c : cases) {
        const CRegValue value(QString::fromLatin1(c.path));
        EXPECT_EQ(value.KeyPath(), QLatin1String(c.key)) << c.path;
        EXPECT_EQ(value.ValueName(), QLatin1String(c.value)) << c.path;
    }
}

TEST_F(RegValue, MissingValueGivesTheDefaultAndWritesNothing)
{
    {
        CRegValue value(QStringLiteral("Software\\Zepha\\Missing\\Version"), QStringLiteral("none"));
        EXPECT_EQ(value.Read(), "none");
        EXPECT_FALSE(value.WasRead());
    }
    // Only a value that was set is written back.
    EXPECT_TRUE(Settings().allKeys().isEmpty());
}

TEST_F(RegValue, RoundTrip)
{
    const QString path = QStringLiteral("Software\\Zepha\\Server\\CurrentVersion");
    const QString text = QStringLiteral("15.0.2000 \"Ünïcode\" ; = [x]");
    {
        CRegValue value(path, QStringLiteral("none"));
        value.Set(text);
        EXPECT_EQ(value.Read(), text);  // cached; nothing stored yet
        EXPECT_FALSE(value.WasWritten());
    }  // written when destroyed
    EXPECT_EQ(Settings().value(QStringLiteral("Software/Zepha/Server/CurrentVersion")).toString(), text);

    CRegValue again(path, QStringLiteral("none"));
    EXPECT_TRUE(again.WasRead());
    EXPECT_EQ(again.Read(), text);

    CRegValue explicitWrite(QStringLiteral("Software\\Zepha\\Server\\Edition"));
    explicitWrite.Set(QStringLiteral("Express"));
    EXPECT_TRUE(explicitWrite.RegValueWrite());
    EXPECT_TRUE(explicitWrite.WasWritten());
    EXPECT_EQ(CRegValue(QStringLiteral("Software/Zepha/Server/Edition")).Read(), "Express");
}

TEST_F(RegValue, RereadOnlyWhenAsked)
{
    const QString path = QStringLiteral("Software\\Zepha\\Counter");
    Settings().setValue(QStringLiteral("Software/Zepha/Counter"), QStringLiteral("1"));
    CRegValue cached(path);
    CRegValue live(path, QString(), true);
    Settings().setValue(QStringLiteral("Software/Zepha/Counter"), QStringLiteral("2"));
    EXPECT_EQ(cached.Read(), "1");
    EXPECT_EQ(live.Read(), "2");
    // A value removed meanwhile: the default, the cache kept.
    Settings().remove(QStringLiteral("Software/Zepha/Counter"));
    EXPECT_EQ(live.Read(), "");
    EXPECT_EQ(cached.RegValueReadRaw(), "");
    EXPECT_EQ(cached.Read(), "1");
}
