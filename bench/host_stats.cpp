// host_stats.cpp - see host_stats.h. On Linux it reads /proc/self/stat and
// status; a Windows program asks the system (all of its threads are Win32
// threads there, so GetProcessTimes counts them all).
#include "host_stats.h"

#ifdef _WIN32

#include <windows.h>
#include <psapi.h>
#include <stdlib.h>

extern "C" double NbxHostProcessSeconds(void)
{
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME &t) { return ((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime; };
    return (double)(ticks(kernel) + ticks(user)) / 1e7;   // 100 ns units
}

extern "C" double NbxHostResidentMB(int peak)
{
    PROCESS_MEMORY_COUNTERS c = {};
    c.cb = sizeof c;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c)) return 0;
    return (double)(peak ? c.PeakWorkingSetSize : c.WorkingSetSize) / (1024.0 * 1024.0);
}

extern "C" void NbxHostSetEnv(const char *name, const char *value)
{
    _putenv_s(name, value ? value : "");   // an empty value removes it
}

#else

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

extern "C" double NbxHostProcessSeconds(void)
{
    std::FILE *f = std::fopen("/proc/self/stat", "r");
    if (!f) return 0;
    char line[1024] = "";
    bool read = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    // The name in brackets may hold spaces: count fields after its ')'.
    const char *p = read ? std::strrchr(line, ')') : nullptr;
    if (!p) return 0;
    unsigned long long utime = 0, stime = 0;
    // Fields 3..13 come before utime (14) and stime (15).
    if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) != 2)
        return 0;
    return (double)(utime + stime) / (double)sysconf(_SC_CLK_TCK);
}

extern "C" double NbxHostResidentMB(int peak)
{
    std::FILE *f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    const char *key = peak ? "VmHWM:" : "VmRSS:";
    char line[256];
    double kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, std::strlen(key)) == 0) kb = std::atof(line + std::strlen(key));
    std::fclose(f);
    return kb / 1024.0;
}

extern "C" void NbxHostSetEnv(const char *name, const char *value)
{
    if (value) setenv(name, value, 1);
    else unsetenv(name);
}

#endif
