#pragma once

// A foot pedal played back from recorded input reports, for the reader's
// tests and the frame's.

#include "platform/footswitch/footswitchreader.h"

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace testutil {

/// Reports played back as the pedal sent them; an empty entry is a failed
/// read. Shared between the test and the reader's thread.
class RecordedReports : public IReportSource {
public:
    bool Open() override
    {
        const std::lock_guard lock(m_mutex);
        if (m_open)
            return true;
        ++m_searches;
        m_open = m_present;
        return m_open;
    }
    void Close() override
    {
        const std::lock_guard lock(m_mutex);
        m_open = false;
    }
    bool IsOpen() const override
    {
        const std::lock_guard lock(m_mutex);
        return m_open;
    }
    int Read(unsigned char* data, int size, int timeoutMs) override
    {
        std::unique_lock lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_reports.empty(); });
        if (m_reports.empty())
            return 0;
        const std::optional<QByteArray> report = m_reports.front();
        m_reports.pop_front();
        if (!report)
            return -1;
        const int bytes = std::min<int>(size, int(report->size()));
        std::copy_n(report->constData(), bytes, data);
        return bytes;
    }

    /// Hex bytes ("000200"), or nothing for a failed read.
    void Push(std::optional<const char*> hex)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_reports.push_back(hex ? std::optional(QByteArray::fromHex(*hex)) : std::nullopt);
        }
        m_arrived.notify_all();
    }
    int Searches() const
    {
        const std::lock_guard lock(m_mutex);
        return m_searches;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::optional<QByteArray>> m_reports;
    bool m_present = true;
    bool m_open = false;
    int m_searches = 0;
};

}  // namespace testutil
