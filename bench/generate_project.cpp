// Writes a large project file from a corpus folder of make-corpus.py:
//   generate_project <corpus folder> <project file>
// or, with one argument, the benchmark's project of that scale in the cache
// folder (made on first use):
//   generate_project --scale <scale>
// and to read a project back against its corpus:
//   generate_project --check <corpus folder> <project file>

#include "bench/projectgenerator.h"

#include <QElapsedTimer>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString error;
    QElapsedTimer timer;
    timer.start();
    if (args.size() == 2 && args[0] == QLatin1String("--scale")) {
        const QString project = BenchProject(args[1].toDouble(), &error);
        if (project.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s\n", qPrintable(project));
        return 0;
    }
    if (args.size() == 3 && args[0] == QLatin1String("--check")) {
        if (!CheckProject(args[1], args[2], &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("the project holds the corpus (%.1f s)\n", timer.elapsed() / 1000.0);
        return 0;
    }
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: generate_project <corpus folder> <project file>\n"
                             "       generate_project --scale <scale>\n"
                             "       generate_project --check <corpus folder> <project file>\n");
        return 2;
    }
    GeneratedCounts counts;
    if (!GenerateProject(args[0], args[1], &error, &counts)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    std::printf("%d documents, %d categories, %d codes, %d codings, %d memos, %d variables in %.1f s\n",
                counts.documents, counts.categories, counts.codes, counts.codings, counts.memos, counts.variables,
                timer.elapsed() / 1000.0);
    return 0;
}
