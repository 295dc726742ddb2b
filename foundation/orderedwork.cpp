#include "foundation/orderedwork.h"

#include <QThread>

#include <atomic>

namespace {

std::atomic<int> g_threadLimit{-1};

}  // namespace

int OrderedWorkThreads(qsizetype items)
{
    const int cores = QThread::idealThreadCount();
    qsizetype threads = items < 2 || cores < 2 ? 0 : std::min<qsizetype>({items - 1, qsizetype(cores) - 1, 7});
    if (const int limit = g_threadLimit.load(); limit >= 0)
        threads = std::min<qsizetype>(threads, limit);
    return int(threads);
}

void SetOrderedWorkThreadLimit(int limit)
{
    g_threadLimit.store(limit);
}
