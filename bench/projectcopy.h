#pragma once

// A copy of the generated large project in a temporary folder, for the
// benchmarks that open it: the cached project itself is never opened, so
// nothing a benchmark does can change it.

#include "bench/projectgenerator.h"
#include "document/kordoc.h"
#include "store/projectdataengine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

/// A copy of the generated project as this program leaves a project it
/// made: the one-time repairs done (the generator writes through the store
/// only, with positions already counted as the repairs would leave them).
class ProjectCopy {
public:
    /// repaired false leaves the copy without the repairs' keys, as a
    /// converted legacy project opens the first time.
    bool Make(QString* error, bool repaired = true)
    {
        const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
        const QString generated = BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), error);
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("copy.kv4"));
        if (generated.isEmpty() || !QFile::copy(generated, m_path))
            return false;
        ProjectDataEngine engine;
        return !repaired || (engine.Open(m_path) && CKorDoc::MarkUpgradeStepsDone(engine));
    }
    const QString& Path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};
