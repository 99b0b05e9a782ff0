// exit_bench.cpp - Exit under stress: how long programs take to end after
// Exit, and whether their logs are complete.
//
// For each mode of tests/wine/apps/reliability_app (image, print and text
// loops that never poll nbx_quit, and a waiting line input) it runs the app
// NBX_BENCH_RUNS times (50 by default), five at a time, posts Exit once each
// app's loop is running, and prints the slowest and mean time from Exit to
// the end of the process, the runs that did not end within 15 s (hangs) and
// the runs whose log is incomplete. Run it under Xvfb (bench/reliability.cmake).
#include "harness.h"
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <vector>

struct Run { HANDLE process; DWORD pid; HWND main; int instance; };

static BOOL CALLBACK FindMain(HWND w, LPARAM lp)
{
    Run *r = (Run *)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    WCHAR cls[32];
    if (pid != r->pid || GetClassNameW(w, cls, 32) != 10 || memcmp(cls, L"nubrix_mw", 18) != 0) return TRUE;
    r->main = w;
    r->instance = cls[9] - '0';
    return FALSE;
}

static std::string LogOf(const Run &r)
{
    char name[32];
    snprintf(name, sizeof name, "NUBRIX%d0.LOG", r.instance);
    return nbxt::ReadWholeFile((std::string(nbx_logDir) + name).c_str());
}

// Lines "line 0", "line 1", ... after "pid <pid>", each whole; -1 if broken.
static int CompleteLines(const std::string &log, DWORD pid)
{
    char head[32];
    snprintf(head, sizeof head, "pid %lu\r\n", (unsigned long)pid);
    if (log.compare(0, strlen(head), head) != 0) return -1;
    size_t at = strlen(head);
    int n = 0;
    for (; at < log.size(); n++) {
        char line[32];
        snprintf(line, sizeof line, "line %d\r\n", n);
        if (log.compare(at, strlen(line), line) != 0) return -1;
        at += strlen(line);
    }
    return n;
}

static bool Ready(const Run &r, bool input)
{
    if (input) return nbxt::StatusOf(r.main).find("Input text") != std::string::npos;
    return CompleteLines(LogOf(r), r.pid) >= 3;
}

static bool LogComplete(const Run &r, bool input)
{
    if (!input) return CompleteLines(LogOf(r), r.pid) >= 3;
    char expect[64];
    snprintf(expect, sizeof expect, "pid %lu\r\nname? after []\r\n", (unsigned long)r.pid);
    return LogOf(r) == expect;
}

static void Measure(const char *mode, int runs)
{
    bool input = strcmp(mode, "input") == 0;
    DWORD slowest = 0, total = 0;
    int hangs = 0, broken = 0, notReady = 0, done = 0;
    while (done < runs) {
        int batch = runs - done < 5 ? runs - done : 5;
        std::vector<Run> group;
        SetEnvironmentVariableA("NBX_APP_MODE", mode);
        for (int i = 0; i < batch; i++) {
            Run r = { nbxt::StartProgram("reliability_app" NBX_PROGRAM_SUFFIX, nbx_logDir), 0, NULL, -1 };
            if (!r.process) continue;
            r.pid = GetProcessId(r.process);
            group.push_back(r);
        }
        SetEnvironmentVariableA("NBX_APP_MODE", NULL);
        for (Run &r : group) {
            nbxt::WaitFor([&] { EnumWindows(FindMain, (LPARAM)&r); return r.main != NULL; }, 30000);
            if (!r.main || !nbxt::WaitFor([&] { return Ready(r, input); }, 20000)) notReady++;
        }
        for (Run &r : group) {
            DWORD t0 = GetTickCount();
            if (r.main) PostMessageW(r.main, WM_COMMAND, 1002, 0);
            DWORD code = nbxt::WaitExit(r.process, 15000);
            DWORD took = GetTickCount() - t0;
            if (code == STILL_ACTIVE) {
                hangs++;
                TerminateProcess(r.process, 9);
            } else {
                total += took;
                if (took > slowest) slowest = took;
                if (!LogComplete(r, input)) broken++;
            }
            CloseHandle(r.process);
        }
        done += batch;
    }
    int ended = runs - hangs;
    printf("%-6s %3d runs: ended %3d (%5.1f %%), hung %d, slowest %4lu ms, mean %6.1f ms,"
           " incomplete logs %d, not ready before Exit %d\n",
           mode, runs, ended, 100.0 * ended / runs, hangs, (unsigned long)slowest,
           ended ? (double)total / ended : 0.0, broken, notReady);
    fflush(stdout);
}

static DWORD WINAPI BenchMain(LPVOID)
{
    nbxt::WaitFor([] { return nbx_statusWindow && nbxt::WindowTextA(nbx_statusWindow).find("bit color") != std::string::npos; }, 20000);
    int runs = getenv("NBX_BENCH_RUNS") ? atoi(getenv("NBX_BENCH_RUNS")) : 50;
    printf("Exit benchmark: %d runs per mode, five programs at a time; each Exit is posted when"
           " the program is busy (or waiting in its line input)\n", runs);
    for (const char *mode : { "image", "print", "text", "input" }) Measure(mode, runs);
    ExitProcess(0);
    return 0;
}

void UserInit(void) { CloseHandle(CreateThread(NULL, 0, BenchMain, NULL, 0, NULL)); }
void UserMain(void) {}
