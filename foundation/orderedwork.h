#pragma once

// Work on the items of a run spread over helper threads, while reading the
// items and applying the results stay on the calling thread, in item order:
// the outcome is that of doing one item after the other.

#include <QtGlobal>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

/// Helper threads worth starting for a run of this many items (0: do it all
/// on the calling thread).
int OrderedWorkThreads(qsizetype items);
/// At most this many helper threads from now on; -1 lifts the limit. Tests
/// compare runs without helpers against runs with them.
void SetOrderedWorkThreadLimit(int limit);

/// @short Runs read, work and apply over items 0..count-1.
///
/// read(i, job) runs on the calling thread in order; false skips the item.
/// work(state, job) runs on a helper thread with that thread's own state
/// (made there by makeState), or on the calling thread while it waits.
/// apply(i, job) runs on the calling thread in order. Work must touch
/// nothing but the job and the state; a work that throws on a helper thread
/// is done again on the calling thread, where the exception goes on.
/// At most `window` items are read ahead of the one applied next.
template <class Job, class State>
void RunOrderedWork(qsizetype count, int threads, qsizetype window,
                    const std::function<std::unique_ptr<State>()>& makeState,
                    const std::function<bool(qsizetype, Job&)>& read,
                    const std::function<void(State&, Job&)>& work,
                    const std::function<void(qsizetype, Job&)>& apply)
{
    std::unique_ptr<State> own;
    const auto ownState = [&]() -> State& {
        if (!own)
            own = makeState();
        return *own;
    };
    if (threads <= 0) {
        for (qsizetype i = 0; i < count; ++i) {
            Job job;
            if (!read(i, job))
                continue;
            work(ownState(), job);
            apply(i, job);
        }
        return;
    }

    struct Entry {
        qsizetype index = 0;
        Job job;
        bool skipped = false;
        bool claimed = false;
        bool done = false;
        bool failed = false;  // to be done again on the calling thread
    };
    std::mutex mutex;
    std::condition_variable ready;   // tells helpers of new items or the end
    std::condition_variable finished;  // tells the calling thread of done items
    std::deque<Entry> entries;       // read and not yet applied, in order
    std::deque<Entry*> pending;      // read and not yet claimed, in order
    bool stop = false;

    int idle = 0;  // helpers waiting for an item
    const auto helper = [&]() {
        std::unique_ptr<State> state;
        std::unique_lock lock(mutex);
        for (;;) {
            if (!stop && pending.empty()) {
                ++idle;
                ready.wait(lock, [&] { return stop || !pending.empty(); });
                --idle;
            }
            if (stop)
                return;
            Entry* entry = pending.front();
            pending.pop_front();
            entry->claimed = true;
            lock.unlock();
            bool failed = false;
            try {
                if (!state)
                    state = makeState();
                work(*state, entry->job);
            } catch (...) {
                failed = true;
            }
            lock.lock();
            entry->failed = failed;
            entry->done = true;
            finished.notify_one();
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(size_t(threads));
    struct Joiner {
        std::mutex& mutex;
        bool& stop;
        std::condition_variable& ready;
        std::vector<std::thread>& helpers;
        ~Joiner()
        {
            {
                std::lock_guard lock(mutex);
                stop = true;
            }
            ready.notify_all();
            for (std::thread& thread : helpers)
                thread.join();
        }
    } joiner{mutex, stop, ready, helpers};
    for (int t = 0; t < threads; ++t)
        helpers.emplace_back(helper);

    // Read ahead up to the window while every helper is at work; while one
    // waits, only once half the window is applied, in one batch: waking a
    // helper for each item read costs the calling thread more than many
    // items' reading.
    qsizetype nextRead = 0;
    for (;;) {
        bool refill = false;
        {
            std::lock_guard lock(mutex);
            const qsizetype ahead = qsizetype(entries.size());
            refill = nextRead < count && ahead < window && (idle == 0 || ahead <= window / 2);
        }
        while (refill) {
            Entry entry;
            entry.index = nextRead;
            entry.skipped = !read(nextRead, entry.job);
            ++nextRead;
            std::lock_guard lock(mutex);
            entries.push_back(std::move(entry));
            if (!entries.back().skipped) {
                pending.push_back(&entries.back());
                // Helpers at work take the item when they are done; a
                // waiting one is woken while fewer items wait than helpers.
                if (idle > 0 && qsizetype(pending.size()) <= threads)
                    ready.notify_one();
            }
            refill = nextRead < count && qsizetype(entries.size()) < window;
        }
        std::unique_lock lock(mutex);
        if (entries.empty())
            break;
        Entry& head = entries.front();
        if (!head.skipped && !head.done) {
            // Rather than wait, the calling thread does the next unclaimed
            // item itself.
            if (!pending.empty()) {
                Entry* entry = pending.front();
                pending.pop_front();
                entry->claimed = true;
                lock.unlock();
                work(ownState(), entry->job);
                lock.lock();
                entry->done = true;
                continue;
            }
            finished.wait(lock, [&] { return head.done; });
        }
        Entry entry = std::move(head);
        entries.pop_front();
        lock.unlock();
        if (entry.skipped)
            continue;
        if (entry.failed)
            work(ownState(), entry.job);
        apply(entry.index, entry.job);
    }
}
