// The plain texts kept for the text search: keyed by their content, under
// a limit in bytes.

#include "foundation/plaintextcache.h"

#include <gtest/gtest.h>

namespace {

PlainTextCache::EntryPtr Text(qsizetype units)
{
    auto entry = std::make_shared<PlainTextCache::Entry>();
    entry->text = QString(units, u'x');
    entry->paragraphs = {0, qint32(units) - 1};
    return entry;
}

}  // namespace

TEST(PlainTextCache, FoundOnlyForTheContentItWasDecodedFrom)
{
    PlainTextCache cache;
    const QByteArray content = "{\\rtf1 one}";
    const auto fingerprint = PlainTextCache::FingerprintOf(content);
    cache.Insert(false, 7, fingerprint, Text(10));
    EXPECT_NE(cache.Find(false, 7, fingerprint), nullptr);
    EXPECT_EQ(cache.Find(true, 7, fingerprint), nullptr) << "a memo is not the document of the same id";
    // The same size, one byte changed: not found, and the old text dropped.
    QByteArray changed = content;
    changed[8] = 'x';
    EXPECT_EQ(cache.Find(false, 7, PlainTextCache::FingerprintOf(changed)), nullptr);
    EXPECT_EQ(cache.Count(), 0);
    EXPECT_EQ(cache.Find(false, 7, fingerprint), nullptr);
}

TEST(PlainTextCache, AFullCacheKeepsWhatItHasAndALowerLimitDropsTheLeastRecentlyUsed)
{
    const qsizetype each = Text(100)->Bytes();
    PlainTextCache cache(3 * each);
    const auto fingerprint = PlainTextCache::FingerprintOf("c");
    for (qint32 id = 1; id <= 5; ++id)
        cache.Insert(false, id, fingerprint, Text(100));
    EXPECT_EQ(cache.Count(), 3);
    EXPECT_EQ(cache.Bytes(), 3 * each);
    for (qint32 id = 1; id <= 3; ++id)
        EXPECT_NE(cache.Find(false, id, fingerprint), nullptr) << id;
    EXPECT_EQ(cache.Find(false, 4, fingerprint), nullptr);

    // 1 used last: 2 and 3 go first.
    cache.Find(false, 1, fingerprint);
    cache.SetLimit(each);
    EXPECT_EQ(cache.Count(), 1);
    EXPECT_NE(cache.Find(false, 1, fingerprint), nullptr);
    // An entry handed out outlives its dropping.
    const PlainTextCache::EntryPtr held = cache.Find(false, 1, fingerprint);
    cache.Clear();
    EXPECT_EQ(cache.Bytes(), 0);
    EXPECT_EQ(held->text.size(), 100);
}
