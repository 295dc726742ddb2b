#include "foundation/kmlreader.h"

#include "common/testutil.h"
#include "foundation/ids.h"
#include "foundation/stringstore.h"

#include <gtest/gtest.h>

namespace {

class KmlReader : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_global = g_pStringStore;
        s_store = std::make_unique<CStringStore>();
        ASSERT_TRUE(s_store->Open(testutil::StringTablePath(), 0));
        g_pStringStore = s_store.get();
    }
    static void TearDownTestSuite()
    {
        g_pStringStore = s_global;
        s_store.reset();
    }
    static inline CStringStore* s_global = nullptr;
    static inline std::unique_ptr<CStringStore> s_store;
};

QString Kml(const char* name)
{
    return testutil::DataPath(QStringLiteral("kml/") + QLatin1String(name));
}

}  // namespace

TEST_F(KmlReader, Samples)
{
    const struct {
        const char* file;
        QString place;
    } cases[] = {
        {"document.kml", "Café am Markt\r7.0982,50.7374,0"},
        {"networklink.kml", "Live map\rhttp://example.org/places.kml"},
        {"placemark.kml", "Straße & Platz\r13.4050,52.5200"},
        // The document is looked at alone, even with a placemark beside it.
        {"empty-document.kml", ""},
        {"name-only.kml", "Somewhere"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QString error = QStringLiteral("stale");
        EXPECT_EQ(ReadKmlPlacemark(Kml(c.file), &error), c.place);
        EXPECT_EQ(error, QString());
    }
}

TEST_F(KmlReader, BadFilesGiveNoPlaceAndAMessage)
{
    testutil::TempDir dir;
    const QString garbage = dir.file(QStringLiteral("garbage.kml"));
    QByteArray bytes;
    for (int i = 0; i < 4096; ++i)
        bytes += char((i * 7919) % 256);
    ASSERT_TRUE(testutil::WriteFile(garbage, bytes));
    const QString empty = dir.file(QStringLiteral("empty.kml"));
    ASSERT_TRUE(testutil::WriteFile(empty, QByteArray()));

    const struct {
        QString path;
        int textId;
    } cases[] = {
        {Kml("damaged.kml"), FoundationText::KmlDamaged},
        {Kml("not-kml.gpx"), FoundationText::KmlDamaged},
        {garbage, FoundationText::KmlDamaged},
        {empty, FoundationText::KmlDamaged},
        {dir.file(QStringLiteral("missing.kml")), FoundationText::KmlNotReadable},
        {dir.path(), FoundationText::KmlNotReadable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        QString error;
        EXPECT_EQ(ReadKmlPlacemark(c.path, &error), QString());
        EXPECT_EQ(error, LoadString(c.textId).arg(c.path));
        EXPECT_TRUE(error.contains(c.path));
        EXPECT_EQ(ReadKmlPlacemark(c.path), QString());
    }
}
