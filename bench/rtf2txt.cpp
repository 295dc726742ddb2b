// rtf2txt IN.rtf OUT.txt: the rich-edit text of an RTF file as UTF-8, to
// time the reader as a whole program beside other converters.
// rtf2txt --sample OUT.rtf: writes the benchmark's 10 MB sample.
#include "bench/rtfsample.h"
#include "platform/rtf/richtextmap.h"
#include "platform/rtf/rtfreader.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: rtf2txt IN.rtf OUT.txt | rtf2txt --sample OUT.rtf\n");
        return 2;
    }
    QFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args[2]));
        return 1;
    }
    if (args[1] == QLatin1String("--sample"))
        return out.write(MakeSampleRtf(10 * 1024 * 1024)) > 0 ? 0 : 1;
    QFile in(args[1]);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    QTextDocument document;
    const rtf::ReadResult result = rtf::ReadRtf(in.readAll(), document);
    if (!result.ok) {
        std::fprintf(stderr, "%s\n", qPrintable(result.error));
        return 1;
    }
    QString text = rtf::RichTextMap(document).text();
    text.replace(u'\r', u'\n');
    return out.write(text.toUtf8()) >= 0 ? 0 : 1;
}
