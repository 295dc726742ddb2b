#pragma once

// The large project (the synthetic corpus at scale 1, or $KORVAN_BENCH_SCALE)
// copied into a temporary folder and opened through the project document,
// as benchmarks of operations on a project need it.

#include "bench/projectgenerator.h"
#include "document/documentids.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/options.h"
#include "foundation/richtexthelpers.h"
#include "foundation/searchsettings.h"
#include "foundation/stringstore.h"
#include "platform/rtf/richeditctrlex.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "store/topicsearchsource.h"
#include "tests/common/recordingpane.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace benchproject {

/// The scale of the corpus: $KORVAN_BENCH_SCALE, else 1.
inline double DefaultScale()
{
    const QByteArray scale = qgetenv("KORVAN_BENCH_SCALE");
    return scale.isEmpty() ? 1.0 : scale.toDouble();
}

/// A copy of the generated project, which is as this program leaves a
/// project it made: the one-time repairs marked done.
class ProjectCopy {
public:
    /// repaired false takes the repairs' keys away, as a converted legacy
    /// project opens the first time.
    bool Make(QString* error, bool repaired = true, double scale = DefaultScale())
    {
        const QString generated = BenchProject(scale, error);
        m_path = QDir(m_dir.path()).filePath(QStringLiteral("copy.kv4"));
        if (generated.isEmpty() || !QFile::copy(generated, m_path))
            return false;
        ProjectDataEngine engine;
        return repaired || (engine.Open(m_path) && CKorDoc::ForgetUpgradeSteps(engine));
    }
    const QString& Path() const { return m_path; }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

/// The document as the program holds it: a pane and the frame's hooks on
/// its registry.
struct Shell {
    Shell() : pane("tree", log), owner(log)
    {
        pane.showsAll = true;
        doc.GetRegistry().SetOwner(&owner);
        doc.GetRegistry().Register(&pane);
    }
    /// The frame's open command.
    bool Open(const QString& path)
    {
        auto engine = doc.OpenProjectFile(path, QStringLiteral("MAIN"));
        return engine && doc.OpenProject(std::move(engine), false);
    }
    /// The frame's closing sequence at exit.
    void Close()
    {
        doc.SaveProjectSettings();
        doc.ResetCaches();
        doc.CloseDatabase();
    }

    testutil::CallLog log;
    testutil::RecordingPane pane;
    testutil::RecordingOwner owner;
    CKorDoc doc;
};

/// The large project open in a shell, for benchmarks of operations on it.
struct OpenLargeProject {
    bool Open(benchmark::State& state, double scale = DefaultScale())
    {
        if (!Copy(state, scale))
            return false;
        if (!shell.Open(copy.Path())) {
            state.SkipWithError("the project did not open");
            return false;
        }
        return true;
    }
    /// Only the copy, for a benchmark that times the opening.
    bool Copy(benchmark::State& state, double scale = DefaultScale())
    {
        g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
        BuildOptionDefinitions();
        QString error;
        if (!copy.Make(&error, true, scale)) {
            state.SkipWithError(qPrintable(QStringLiteral("no project: ") + error));
            return false;
        }
        return true;
    }

    ProjectCopy copy;
    Shell shell;
};

/// The find command: every document searched for the whole word, and with
/// writeRows its hits written as rows of the search-hit table, as the
/// command leaves them for the autocoding; the number of hits.
inline qint64 FindWord(TopicDatabase& db, const QString& word, bool writeRows)
{
    CSearchOptions options;
    options.terms = {word};
    options.wholeWords = true;
    TopicSearchSource source(db);
    CSearchSettings search(options, &source, false);
    search.SearchProject();
    if (!writeRows)
        return search.Hits().GetSize();
    for (const SearchHit& hit : search.Hits()) {
        RowBuffer row;
        if (!db.AddRow(TopicId::SearchHits, row, -1))
            break;
        const auto set = [&row](qint32 field, qint32 value) {
            FieldValue v;
            if (row.GetFieldValue(field, v))
                v.SetInt(value);
        };
        set(SearchHitField::Document, hit.objectId);
        set(SearchHitField::Start, hit.start);
        set(SearchHitField::End, hit.end);
        set(SearchHitField::Page, hit.page);
        set(SearchHitField::Paragraph, hit.paragraph);
        row.Commit(false, true);
    }
    return search.Hits().GetSize();
}

/// The rich-edit texts of every document of the project, and their size in
/// UTF-8 bytes.
inline QStringList ReadAllTexts(TopicDatabase& db, qint64& bytes)
{
    QList<qint32> documents;
    db.GetAllKeys(TopicId::Documents, documents);
    QStringList texts;
    bytes = 0;
    const std::unique_ptr<CRichEditCtrlEx> edit = CreateHiddenRichEdit();
    for (const qint32 document : std::as_const(documents)) {
        RowBuffer row;
        FieldValue text;
        if (!db.ReadRow(TopicId::Documents, document, row, true) || !row.GetFieldValue(DocumentField::Text, text) ||
            !text.GetBlob())
            continue;
        edit->StreamInRtf(text.GetBlob(), false);
        texts.append(edit->TextMap().text());
        bytes += texts.last().toUtf8().size();
    }
    return texts;
}

}  // namespace benchproject
