// host_stats.cpp - see host_stats.h. Reads /proc/self/stat and status.
#include "host_stats.h"

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
