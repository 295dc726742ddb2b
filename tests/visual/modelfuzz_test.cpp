// Mutated model images and model files against their readers. The inputs
// come from a fixed seed, so a failure repeats; the sanitizers of the test
// build catch any read past a buffer, and every image a reader accepts
// must write and read back to the same bytes.
#include "visual/modelfile.h"
#include "visual/modelimage.h"

#include <gtest/gtest.h>

#include <QtEndian>

#include <random>

namespace {

std::vector<QByteArray> ImageSeeds()
{
    ModelContent model;
    model.LastObjectId = 3;
    model.Scale = 1.5f;
    for (qint32 id = 1; id <= 3; ++id) {
        ModelObject o;
        o.Id = id;
        o.Label = QStringLiteral("Objekt %1 ä").arg(id);
        o.Rect = {float(id * 40), 10, 30, 30};
        o.GeoLinkFile = id == 2 ? QStringLiteral("a.kml") : QString();
        model.Objects.push_back(o);
    }
    ModelLink link;
    link.SourceId = 1;
    link.TargetId = 2;
    link.Label = QStringLiteral("leads to");
    model.Links.push_back(link);
    model.Layers.push_back({1, QStringLiteral("Layer 1"), false});
    SerialBuffer rich;
    SerialBuffer empty;
    EXPECT_TRUE(WriteModelImage(model, rich) && WriteModelImage(ModelContent(), empty));
    // An unmarked image: the rich one without its mark and extended fields
    // would need its own writer; dropping the mark of the empty one suffices.
    return {rich.Data(), empty.Data(), empty.Data().mid(4)};
}

QByteArray Mutate(const QByteArray& seed, const std::vector<QByteArray>& seeds, std::mt19937& rng)
{
    static const qint32 kInts[] = {0, 1, -1, 2, 0x7FFFFFFF, qint32(0x80000000), 9000000, 9080529, 65535, 0x7F800000};
    QByteArray bytes = seed;
    const int steps = 1 + int(rng() % 4);
    for (int s = 0; s < steps; ++s) {
        const int size = int(bytes.size());
        const int at = size ? int(rng() % size) : 0;
        switch (rng() % 7) {
        case 0:   // flip a byte
            if (size)
                bytes[at] = char(rng());
            break;
        case 1: {   // a telling 32-bit value at an aligned place
            const int aligned = at & ~3;
            if (aligned + 4 <= size)
                qToLittleEndian(kInts[rng() % std::size(kInts)], bytes.data() + aligned);
            break;
        }
        case 2:   // delete a run
            bytes.remove(at, int(rng() % 9));
            break;
        case 3:   // repeat a run
            bytes.insert(at, bytes.mid(at, int(rng() % 24)).repeated(1 + int(rng() % 3)));
            break;
        case 4:   // cut the end
            bytes.truncate(at);
            break;
        case 5:   // insert zeros
            bytes.insert(at, QByteArray(int(rng() % 8), '\0'));
            break;
        default:   // splice in a piece of another seed
            bytes.insert(at, seeds[rng() % seeds.size()].mid(int(rng() % 40), int(rng() % 40)));
        }
    }
    return bytes;
}

// An accepted image must come back unchanged through the writer.
void ExpectStable(const ModelContent& model, const char* what, int round)
{
    SerialBuffer written;
    ASSERT_TRUE(WriteModelImage(model, written)) << what << " " << round;
    ModelContent again;
    SerialBuffer copy(written.Data());
    ASSERT_TRUE(ReadModelImage(copy, again)) << what << " " << round;
    SerialBuffer rewritten;
    ASSERT_TRUE(WriteModelImage(again, rewritten));
    EXPECT_EQ(rewritten.Data(), written.Data()) << what << " " << round;
}

}  // namespace

TEST(ModelFuzz, ImagesInBothCharacterWidths)
{
    const std::vector<QByteArray> seeds = ImageSeeds();
    std::mt19937 rng(20261211);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        const QByteArray mutant = Mutate(seeds[size_t(round) % seeds.size()], seeds, rng);
        for (const bool utf16 : {true, false}) {
            SerialBuffer buffer(mutant);
            buffer.SetUtf16(utf16);
            ModelContent model;
            model.LastObjectId = -77;
            if (ReadModelImage(buffer, model)) {
                ++accepted;
                EXPECT_GE(model.Scale, 0.4f);
                EXPECT_LE(model.Scale, 10.0f);
                EXPECT_FALSE(model.Layers.empty());
                ExpectStable(model, "image", round);
            } else {
                EXPECT_EQ(model.LastObjectId, -77) << round;
            }
        }
    }
    // The mutations must leave some images readable, or the readers'
    // accepting paths go untested.
    EXPECT_GT(accepted, 100);
}

TEST(ModelFuzz, ModelFiles)
{
    std::vector<QByteArray> seeds;
    for (const QByteArray& image : ImageSeeds()) {
        SerialBuffer body(image);
        seeds.push_back(ModelFileBytes({QStringLiteral("Name"), QStringLiteral("Autor"), {45000.5, DateStatus::Valid}},
                                       body));
        body.SetUtf16(false);
        seeds.push_back(ModelFileBytes({QStringLiteral("Alt"), QString(), {0, DateStatus::Null}}, body));
    }
    std::mt19937 rng(51);
    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        const QByteArray mutant = Mutate(seeds[size_t(round) % seeds.size()], seeds, rng);
        ModelFileHeader header;
        header.Name = QStringLiteral("kept");
        SerialBuffer body;
        if (!ParseModelFile(mutant, header, body)) {
            EXPECT_EQ(header.Name, QStringLiteral("kept")) << round;
            continue;
        }
        EXPECT_GT(body.Data().size(), 0) << round;
        ModelContent model;
        if (ReadModelImage(body, model)) {
            ++accepted;
            ExpectStable(model, "file", round);
            SerialBuffer written;
            ASSERT_TRUE(WriteModelImage(model, written));
            ModelFileHeader again;
            SerialBuffer againBody;
            ASSERT_TRUE(ParseModelFile(ModelFileBytes(header, written), again, againBody)) << round;
            EXPECT_EQ(again.Name, header.Name) << round;
            EXPECT_EQ(againBody.Data(), written.Data()) << round;
        }
    }
    EXPECT_GT(accepted, 100);
}
