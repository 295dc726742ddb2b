#pragma once

// The large project for the retrieval benchmarks, opened once per program
// through the project document with the retrieval engine registered and
// every document activated; the report and co-occurrence codes of the
// corpus manifest.

#include "bench/largeproject.h"
#include "bench/projectgenerator.h"
#include "document/kordoc.h"
#include "foundation/stringstore.h"
#include "retrieval/retrievalengine.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
        if (!m_copy.Make(&m_error))
            return;
        const QString& path = m_copy.Path();
        {
            const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
            ReadManifest(BenchProject(scale.isEmpty() ? 1.0 : scale.toDouble(), &m_error));
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

    benchproject::ProjectCopy m_copy;
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
