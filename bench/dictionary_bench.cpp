// The dictionary window on a large dictionary: 500 categories in two
// levels, 50,000 entries, 10,000 of them in one category.
// - BM_OpenDictionaryFilled: the file read into the project (replacing the
//   dictionary) and the window built with its tree and category list
//   filled and the large category's entries shown. Goal: at most 300 ms.
// - BM_SaveDictionary: the tree written to a dictionary file in pre-order.
//   Goal: at most 200 ms.
// - BM_DropWordsOnLargeCategory: 10,000 counted words (half of them new)
//   dropped on the shown category of 10,000 entries. Goal: at most 0.5 s.
// The window's requests go straight to the project document, as the
// frame's router hands them on.

#include "bench/guibenchmain.h"
#include "dictionary/cattreectrl.h"
#include "dictionary/qntdicdlg.h"
#include "document/kordoc.h"
#include "document/objectlistregistry.h"
#include "foundation/options.h"
#include "foundation/stringstore.h"
#include "store/fieldvalue.h"
#include "store/projectdataengine.h"
#include "store/rowbuffer.h"
#include "store/storeids.h"
#include "store/topicdatabase.h"
#include "tests/common/documentowner.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace {

constexpr int kCategories = 500;
constexpr int kEntries = 50000;
constexpr int kLargeCategory = 10000;

/// A new project and the dictionary file, made once.
struct Dictionary {
    bool Open()
    {
        if (m_open)
            return true;
        g_pStringStore->Open(QDir(QStringLiteral(KORVAN_BIN_DIR)).filePath(QStringLiteral("KORVAN10.str")), 1);
        BuildOptionDefinitions();
        const QString project = m_dir.filePath(QStringLiteral("dictionary.kv4"));
        {
            CKorDoc maker;
            if (!maker.CreateProjectFile(project, QStringLiteral("MAIN")))
                return false;
        }
        auto engine = doc.OpenProjectFile(project, QStringLiteral("MAIN"));
        m_open = engine && doc.OpenProject(std::move(engine), false) && WriteFile();
        return m_open;
    }

    /// Category 1 holds 10,000 entries, the other 499 (every tenth at the
    /// top level, the rest under it) share 40,000.
    bool WriteFile()
    {
        path = m_dir.filePath(QStringLiteral("large.kvd"));
        QString text;
        text.reserve(kEntries * 24);
        int entry = 0;
        for (int category = 1; category <= kCategories; ++category) {
            const int parent = category % 10 == 1 ? 0 : category - (category - 1) % 10;
            text += QStringLiteral("Category %1\t0\t%1\t%2\t0\r\n").arg(category).arg(parent);
            const int count = category == 1 ? kLargeCategory : (kEntries - kLargeCategory) / (kCategories - 1);
            for (int i = 0; i < count; ++i)
                text += QStringLiteral("\tword%1\t0\t0\t0\t0\r\n").arg(entry++);
        }
        QFile file(path);
        const QByteArray bytes = QByteArray("\xFF\xFE", 2) +
                                 QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    /// The window as the frame opens it, registered with the document.
    std::unique_ptr<CQntDicDlg> OpenWindow()
    {
        auto window = std::make_unique<CQntDicDlg>(&owner, &doc);
        window->Create();
        window->show();
        for (CPaneWnd* listener : window->Listeners())
            doc.GetRegistry().Register(listener);
        return window;
    }

    QTemporaryDir m_dir;
    bool m_open = false;
    QString path;
    CKorDoc doc;
    testutil::DocumentOwner owner{doc};
};

Dictionary& Shared()
{
    static Dictionary dictionary;
    return dictionary;
}

qint32 LargeCategory(CKorDoc& doc)
{
    return doc.FindCategoryByName(QStringLiteral("Category 1"));
}

void BM_OpenDictionaryFilled(benchmark::State& state)
{
    Dictionary& dictionary = Shared();
    if (!dictionary.Open()) {
        state.SkipWithError("no project");
        return;
    }
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        QList<qint32> categories;
        dictionary.doc.ReplaceDictionary(dictionary.path, &categories);
        auto window = dictionary.OpenWindow();
        window->ShowCategory(LargeCategory(dictionary.doc));
        QCoreApplication::processEvents();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        state.counters["categories"] = double(window->Tree()->PreorderIds().size());
        state.counters["shown entries"] = double(window->EntryList()->RowCount());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenDictionaryFilled)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SaveDictionary(benchmark::State& state)
{
    Dictionary& dictionary = Shared();
    if (!dictionary.Open()) {
        state.SkipWithError("no project");
        return;
    }
    dictionary.doc.ReplaceDictionary(dictionary.path, nullptr);
    auto window = dictionary.OpenWindow();
    const QString saved = dictionary.m_dir.filePath(QStringLiteral("saved.kvd"));
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        const bool written = dictionary.doc.ExportTabbedList(saved, window->Tree()->PreorderIds());
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        if (!written)
            state.SkipWithError("not written");
    }
    state.counters["bytes"] = double(QFile(saved).size());
}
BENCHMARK(BM_SaveDictionary)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_DropWordsOnLargeCategory(benchmark::State& state)
{
    Dictionary& dictionary = Shared();
    if (!dictionary.Open()) {
        state.SkipWithError("no project");
        return;
    }
    CKorDoc& doc = dictionary.doc;
    for (auto _ : state) {
        state.PauseTiming();
        doc.ReplaceDictionary(dictionary.path, nullptr);
        auto window = dictionary.OpenWindow();
        const qint32 category = LargeCategory(doc);
        window->ShowCategory(category);
        // Half the words are in the category already.
        doc.PrepareWordTable({}, TopicId::Codes);
        QList<qint32> words;
        for (int i = 0; i < 10000; ++i) {
            RowBuffer row;
            FieldValue word;
            if (!doc.GetDatabase().AddRow(TopicId::WordFrequencies, row, -1) || !row.GetFieldValue(2, word))
                continue;
            word.Parse(QStringLiteral("word%1").arg(i * 2));
            const qint32 key = row.GetKey();
            if (row.Commit(true, true))
                words.append(key);
        }
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        const QList<qint32> added = doc.AddWordRowsToCategory(category, words);
        QCoreApplication::processEvents();
        state.SetIterationTime(timer.nsecsElapsed() / 1e9);
        state.counters["added"] = double(added.size());
        state.counters["shown entries"] = double(window->EntryList()->RowCount());
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DropWordsOnLargeCategory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

KORVAN_BENCHMARK_MAIN_WITH(QApplication)
