#pragma once

// The generated large project for benchmarks: the synthetic corpus at scale
// 1 (or $KORVAN_BENCH_SCALE), copied from the cache and opened once per
// program through the project document with the retrieval engine
// registered, every document activated.

#include "bench/projectgenerator.h"
#include "document/kordoc.h"
#include "foundation/stringstore.h"
#include "retrieval/retrievalengine.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

/// The generated project, copied and opened once for all benchmarks, its
/// documents activated.
class LargeProject {
public:
    static LargeProject& Get()
    {
        static LargeProject project;
        return project;
    }

    bool IsOpen() const { return m_open; }
    const QString& Error() const { return m_error; }
    CKorDoc& Doc() { return m_doc; }
    const QList<qint32>& ReportCodes() const { return m_reportCodes; }
    /// The manifest's twenty codes of the co-occurrence benchmark.
    const QList<qint32>& CoOccurrenceCodes() const { return m_coOccurrenceCodes; }
    int ExpectedReportSegments() const { return m_expectedReportSegments; }

    /// Activates exactly these codes (all codes for an empty list and all).
    void ActivateCodes(const QList<qint32>& codes, bool all = false)
    {
        QList<qint32> keys;
        m_doc.GetDatabase().GetAllKeys(TopicId::Codes, keys);
        for (const qint32 code : std::as_const(keys))
            SetActivated(TopicId::Codes, CodeField::State, code, all || codes.contains(code));
    }

private:
    LargeProject()
    {
        g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
        m_doc.SetRetrievalService(&m_engine);
        const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
        const QString generated = BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), &m_error);
        if (generated.isEmpty())
            return;
        ReadManifest(generated);
        const QString path = QDir(m_dir.path()).filePath(QStringLiteral("copy.kv4"));
        if (!QFile::copy(generated, path)) {
            m_error = QStringLiteral("cannot copy the project");
            return;
        }
        {
            ProjectDataEngine engine;
            if (!engine.Open(path) || !CKorDoc::MarkUpgradeStepsDone(engine))
                return;
        }
        auto engine = m_doc.OpenProjectFile(path, QStringLiteral("MAIN"));
        m_open = engine && m_doc.OpenProject(std::move(engine), false);
        QList<qint32> documents;
        m_doc.GetDatabase().GetAllKeys(TopicId::Documents, documents);
        for (const qint32 document : std::as_const(documents))
            SetActivated(TopicId::Documents, DocumentField::State, document, true);
    }

    /// The report codes of the corpus manifest: corpus code ids, which the
    /// generator numbers after the categories.
    void ReadManifest(const QString& project)
    {
        const QFileInfo info(project);
        QFile file(QDir(info.path()).filePath(info.completeBaseName() + QStringLiteral("_corpus/manifest.json")));
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
        const int categories = manifest.value(QStringLiteral("counts")).toObject().value(QStringLiteral("categories")).toInt();
        const QJsonObject queries = manifest.value(QStringLiteral("bench")).toObject();
        for (const QJsonValue cid : queries.value(QStringLiteral("report_cids")).toArray())
            m_reportCodes.append(categories + cid.toInt());
        m_expectedReportSegments = queries.value(QStringLiteral("report_expected_segments")).toInt();
        for (const QJsonValue cid : queries.value(QStringLiteral("cooc_cids")).toArray())
            m_coOccurrenceCodes.append(categories + cid.toInt());
    }

    /// The activation bit lives in memory only.
    void SetActivated(qint32 topic, qint32 field, qint32 key, bool on)
    {
        RowBuffer row;
        FieldValue state;
        if (!m_doc.GetDatabase().ReadRow(topic, key, row, false) || !row.GetFieldValue(field, state))
            return;
        const qint32 bits = state.GetInt() & ~ObjectState::Activated;
        state.SetInt(on ? bits | ObjectState::Activated : bits);
        row.WriteBack();
    }

    QTemporaryDir m_dir;
    retrieval::RetrievalEngine m_engine;
    CKorDoc m_doc;
    bool m_open = false;
    QString m_error;
    QList<qint32> m_reportCodes;
    QList<qint32> m_coOccurrenceCodes;
    int m_expectedReportSegments = 0;
};

/// The project, or null with the benchmark skipped when it cannot be opened.
inline LargeProject* OpenLargeProject(benchmark::State& state)
{
    LargeProject& project = LargeProject::Get();
    if (!project.IsOpen()) {
        state.SkipWithError(qPrintable(QStringLiteral("no project: ") + project.Error()));
        return nullptr;
    }
    return &project;
}
