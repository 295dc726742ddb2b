#pragma once

// Memory figures of the benchmark process, in megabytes.

#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

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
