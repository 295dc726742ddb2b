// Reading and writing a 10 MB markup file: parse from memory, whole-file
// load, element-by-element reading and element-by-element writing.
#include "foundation/xmldoc.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

constexpr qsizetype kTargetBytes = 10 << 20;

QString ItemData(int i)
{
    return QStringLiteral("Segment text with umlauts äöü, a euro sign € and number %1").arg(i);
}

// The document text and the same document as a UTF-8 file.
struct Sample {
    QTemporaryDir dir;
    QString text;
    QString path;
    qint64 bytes = 0;
    int items = 0;

    Sample()
    {
        text = QStringLiteral("<root>\r\n");
        while (text.size() < kTargetBytes) {
            text += QStringLiteral("<item id=\"%1\" name=\"Name %1 &amp; more\">%2</item>\r\n").arg(items).arg(ItemData(items));
            ++items;
        }
        text += QStringLiteral("</root>\r\n");
        path = QDir(dir.path()).filePath(QStringLiteral("sample.xml"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            bytes = file.write(text.toUtf8());
    }
};

const Sample& TheSample()
{
    static const Sample sample;
    return sample;
}

void BM_XmlParse(benchmark::State& state)
{
    const Sample& sample = TheSample();
    for (auto _ : state) {
        CXmlDoc doc;
        benchmark::DoNotOptimize(doc.SetDoc(sample.text));
    }
    state.SetBytesProcessed(state.iterations() * sample.bytes);
}
BENCHMARK(BM_XmlParse)->Unit(benchmark::kMillisecond);

void BM_XmlLoadFile(benchmark::State& state)
{
    const Sample& sample = TheSample();
    for (auto _ : state) {
        CXmlDoc doc;
        if (!doc.Load(sample.path))
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(state.iterations() * sample.bytes);
}
BENCHMARK(BM_XmlLoadFile)->Unit(benchmark::kMillisecond);

void BM_XmlReadElementByElement(benchmark::State& state)
{
    const Sample& sample = TheSample();
    for (auto _ : state) {
        CXmlDoc doc;
        doc.Open(sample.path, XmlDocFlag::ReadFile);
        doc.FindElement(QStringLiteral("root"));
        doc.EnterElement();
        int count = 0;
        while (doc.FindElement(QStringLiteral("item"))) {
            benchmark::DoNotOptimize(doc.GetElementAttribute(u"id"));
            benchmark::DoNotOptimize(doc.GetElementData());
            ++count;
        }
        doc.Close();
        if (count != sample.items)
            state.SkipWithError("items missing");
    }
    state.SetBytesProcessed(state.iterations() * sample.bytes);
}
BENCHMARK(BM_XmlReadElementByElement)->Unit(benchmark::kMillisecond);

void BM_XmlWriteElementByElement(benchmark::State& state)
{
    const Sample& sample = TheSample();
    const QString path = QDir(sample.dir.path()).filePath(QStringLiteral("written.xml"));
    for (auto _ : state) {
        CXmlDoc doc;
        doc.Open(path, XmlDocFlag::WriteFile);
        doc.AddElement(QStringLiteral("root"));
        doc.EnterElement();
        for (int i = 0; i < sample.items; ++i) {
            doc.AddElement(QStringLiteral("item"), ItemData(i));
            doc.SetCurrentIntAttribute(u"id", i);
            doc.SetCurrentAttribute(u"name", QStringLiteral("Name %1 & more").arg(i));
        }
        doc.LeaveElement();
        if (!doc.Close())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * QFileInfo(path).size());
}
BENCHMARK(BM_XmlWriteElementByElement)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
