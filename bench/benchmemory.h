#pragma once

// Memory figures of the benchmark process, in megabytes.

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#include <string>

/// The process's peak resident memory so far.
inline double PeakResidentMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

/// The resident memory now.
inline double ResidentMegabytes()
{
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

/// Starts a new peak: from now on PeakSinceResetMegabytes reports the
/// highest resident memory from this moment on (the kernel's high-water
/// mark, reset through /proc/self/clear_refs). False when the kernel
/// refuses; the peak then stays the process's.
inline bool ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return bool(clear);
}

/// The highest resident memory since ResetPeakResident (VmHWM).
inline double PeakSinceResetMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes / 1024.0;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

/// Measures how far one call raises the resident memory above what the
/// process held just before it.
class PeakAbove {
public:
    PeakAbove() : m_before(ResidentMegabytes()) { ResetPeakResident(); }
    /// The peak since construction minus the memory held before.
    double Megabytes() const { return PeakSinceResetMegabytes() - m_before; }

private:
    double m_before;
};
