// picktools_bench.cpp - a pick tool waiting for the mouse: the processor
// time its program takes while it waits, and how fast Exit ends it.
//
// For each mode of pick_app ("point": PickPoint called by the
// user program; "box": the image menu's Draw Box after its first click) it
// runs the app NBX_BENCH_RUNS times (20 by default), five at a time, waits
// until the tool's prompt shows, measures each process's processor time
// over 2 s of waiting (percent of one core), then posts Exit and measures
// the time to the end of the process, the runs that did not end within
// 15 s and the runs whose log is incomplete. Run it under Xvfb
// (bench/picktools.cmake).
//
// Processor time comes from the host's /proc (through Wine's Z: drive):
// GetProcessTimes on another process did not show it under Wine (a tool
// made to spin read 3 % there while ps showed 20 to 28 % per program).
#include "harness.h"
#include <stdio.h>
#include <stdlib.h>
#include <map>
#include <string>
#include <vector>

namespace {

struct App {
    HANDLE process;
    DWORD pid;
    HWND main;
    int instance;
};

// The main window of a started program: one of the ten instance classes.
void FindMainWindow(App &a)
{
    for (int i = 0; i < 10 && !a.main; i++) {
        WCHAR cls[16];
        wsprintfW(cls, L"nubrix_mw%d", i);
        for (HWND w = FindWindowExW(NULL, NULL, cls, NULL); w; w = FindWindowExW(NULL, w, cls, NULL)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == a.pid) {
                a.main = w;
                a.instance = i;
            }
        }
    }
}

// Clock ticks (1/100 s) each running pick_app has used, by host process id.
std::map<int, unsigned long long> PickAppTicks()
{
    std::map<int, unsigned long long> ticks;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) return ticks;
    do {
        int pid = atoi(found.cFileName);
        if (pid <= 0) continue;
        std::string dir = std::string("Z:\\proc\\") + found.cFileName + "\\";
        if (nbxt::ReadWholeFile((dir + "cmdline").c_str()).find("pick_app") == std::string::npos) continue;
        std::string stat = nbxt::ReadWholeFile((dir + "stat").c_str());
        size_t at = stat.rfind(')');
        if (at == std::string::npos) continue;
        unsigned long long utime = 0, stime = 0;
        // After the name: state, then fields 4..13, then utime and stime.
        if (sscanf(stat.c_str() + at + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) == 2)
            ticks[pid] = utime + stime;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return ticks;
}

std::string LogOf(const App &a)
{
    char name[32];
    snprintf(name, sizeof name, "NUBRIX%d0.LOG", a.instance);
    return nbxt::ReadWholeFile((std::string(nbx_logDir) + name).c_str());
}

void Measure(const char *mode, int runs)
{
    bool point = strcmp(mode, "point") == 0;
    std::vector<double> load;
    DWORD slowest = 0, total = 0;
    int hangs = 0, broken = 0, notReady = 0, ended = 0;
    for (int done = 0; done < runs;) {
        int batch = runs - done < 5 ? runs - done : 5;
        std::vector<App> group;
        SetEnvironmentVariableA("NBX_APP_MODE", mode);
        for (int i = 0; i < batch; i++) {
            App a = { nbxt::StartProgram("pick_app" NBX_PROGRAM_SUFFIX, nbx_logDir), 0, NULL, -1 };
            if (!a.process) continue;
            a.pid = GetProcessId(a.process);
            group.push_back(a);
        }
        SetEnvironmentVariableA("NBX_APP_MODE", NULL);
        const char *prompt = point ? "Click a point" : "Click the second point";
        for (App &a : group) {
            nbxt::WaitFor([&] { FindMainWindow(a); return a.main != NULL; }, 30000);
            if (!a.main || !nbxt::WaitFor([&] { return nbxt::StatusOf(a.main).find(prompt) != std::string::npos; }, 20000))
                notReady++;
        }
        Sleep(500);   // start-up work settles
        std::map<int, unsigned long long> before = PickAppTicks();
        DWORD t0 = GetTickCount();
        Sleep(2000);   // the measured window
        DWORD wall = GetTickCount() - t0;
        for (auto &p : PickAppTicks())
            if (before.count(p.first)) load.push_back((p.second - before[p.first]) * 1000.0 / wall);
        for (App &a : group) {
            DWORD start = GetTickCount();
            if (a.main) PostMessageW(a.main, WM_COMMAND, 1002, 0);
            DWORD code = nbxt::WaitExit(a.process, 15000);
            DWORD took = GetTickCount() - start;
            if (code == STILL_ACTIVE) {
                hangs++;
                TerminateProcess(a.process, 9);
            } else {
                ended++;
                total += took;
                if (took > slowest) slowest = took;
                char expect[64];
                snprintf(expect, sizeof expect, "pid %lu\r\nwaiting\r\n%s", (unsigned long)a.pid, point ? "result 1\r\n" : "");
                if (LogOf(a) != expect) broken++;
            }
            CloseHandle(a.process);
        }
        done += batch;
    }
    double mean = 0, most = 0;
    for (double l : load) {
        mean += l;
        if (l > most) most = l;
    }
    mean = load.empty() ? 0 : mean / load.size();
    printf("%-5s %3d runs: processor while waiting (%d programs measured) mean %5.2f %%, highest %5.2f %% of one core;"
           " Exit: ended %d, hung %d, slowest %4lu ms, mean %6.1f ms, incomplete logs %d, not ready %d\n",
           mode, runs, (int)load.size(), mean, most, ended, hangs, (unsigned long)slowest, ended ? (double)total / ended : 0.0,
           broken, notReady);
    fflush(stdout);
}

DWORD WINAPI BenchMain(LPVOID)
{
    nbxt::WaitFor([] { return nbx_statusWindow && nbxt::WindowTextA(nbx_statusWindow).find("bit color") != std::string::npos; }, 20000);
    int runs = getenv("NBX_BENCH_RUNS") ? atoi(getenv("NBX_BENCH_RUNS")) : 20;
    printf("Pick tool benchmark: %d runs per mode, five programs at a time; processor time over 2 s"
           " of waiting for a click, then Exit\n", runs);
    for (const char *mode : { "point", "box" }) Measure(mode, runs);
    ExitProcess(0);
    return 0;
}

}  // namespace

void UserInit(void) { CloseHandle(CreateThread(NULL, 0, BenchMain, NULL, 0, NULL)); }
void UserMain(void) {}
