// Work spread over helper threads: read and applied on the calling thread
// in item order, whatever order the helpers finish in.

#include "foundation/orderedwork.h"

#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>

namespace {

struct Job {
    qsizetype item = 0;
    qsizetype result = 0;
    Qt::HANDLE worker = nullptr;
};

struct State {
    int jobs = 0;
};

TEST(OrderedWork, AppliesInItemOrderOnTheCallingThreadWithOneStatePerThread)
{
    const Qt::HANDLE caller = QThread::currentThreadId();
    for (const int threads : {0, 1, 4}) {
        SCOPED_TRACE(threads);
        std::atomic<int> states{0};
        QList<qsizetype> applied;
        std::set<Qt::HANDLE> workers;
        bool readOnCaller = true;
        bool appliedOnCaller = true;
        RunOrderedWork<Job, State>(
            200, threads, 5,
            [&] {
                ++states;
                return std::make_unique<State>();
            },
            [&](qsizetype i, Job& job) {
                readOnCaller = readOnCaller && QThread::currentThreadId() == caller;
                job.item = i;
                return i % 7 != 3;  // skipped items are neither worked nor applied
            },
            [&](State& state, Job& job) {
                ++state.jobs;
                // Uneven work, so that helpers finish out of order.
                volatile qsizetype sink = 0;
                for (qsizetype k = 0; k < (job.item % 5) * 20000; ++k)
                    sink = sink + k % 3;
                job.result = job.item * 2;
                job.worker = QThread::currentThreadId();
            },
            [&](qsizetype i, Job& job) {
                appliedOnCaller = appliedOnCaller && QThread::currentThreadId() == caller;
                EXPECT_EQ(job.item, i);
                EXPECT_EQ(job.result, i * 2);
                applied.append(i);
                workers.insert(job.worker);
            });
        QList<qsizetype> expected;
        for (qsizetype i = 0; i < 200; ++i) {
            if (i % 7 != 3)
                expected.append(i);
        }
        EXPECT_EQ(applied, expected);
        EXPECT_TRUE(readOnCaller);
        EXPECT_TRUE(appliedOnCaller);
        EXPECT_EQ(size_t(states.load()), workers.size()) << "one state per thread that worked";
        EXPECT_LE(workers.size(), size_t(threads + 1));
        if (threads == 0) {
            EXPECT_EQ(workers, std::set<Qt::HANDLE>{caller});
        }
    }
}

TEST(OrderedWork, WorkThatFailsOnAHelperIsDoneAgainOnTheCallingThread)
{
    const Qt::HANDLE caller = QThread::currentThreadId();
    QList<qsizetype> applied;
    RunOrderedWork<Job, State>(
        20, 3, 4, [] { return std::make_unique<State>(); },
        [](qsizetype i, Job& job) {
            job.item = i;
            return true;
        },
        [&](State&, Job& job) {
            if (QThread::currentThreadId() != caller)
                throw std::runtime_error("helper refused");
            job.result = job.item + 1;
        },
        [&](qsizetype i, Job& job) {
            EXPECT_EQ(job.result, i + 1);
            applied.append(i);
        });
    EXPECT_EQ(applied.size(), 20);

    // On the calling thread the exception goes on to the caller.
    EXPECT_THROW((RunOrderedWork<Job, State>(
                     3, 0, 4, [] { return std::make_unique<State>(); }, [](qsizetype, Job&) { return true; },
                     [](State&, Job&) { throw std::runtime_error("refused"); }, [](qsizetype, Job&) {})),
                 std::runtime_error);
}

TEST(OrderedWork, TheLimitCapsTheHelperThreads)
{
    SetOrderedWorkThreadLimit(0);
    EXPECT_EQ(OrderedWorkThreads(100), 0);
    SetOrderedWorkThreadLimit(1);
    EXPECT_LE(OrderedWorkThreads(100), 1);
    SetOrderedWorkThreadLimit(-1);
    EXPECT_EQ(OrderedWorkThreads(1), 0);
    EXPECT_LE(OrderedWorkThreads(3), 2);
}

}  // namespace
