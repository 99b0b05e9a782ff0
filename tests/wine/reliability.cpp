// Reliability: Exit in busy programs and in a waiting line input, instance
// numbers of programs started together, saves that fail, the appended
// extension, long dropped paths, one-frame movies, oversized buffers, a NULL
// line buffer and the line-input cursor.
// nbx-test: also-cp1252
#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#endif
#include "harness.h"
#include "textwin/textwin_internal.h"
#include <shlobj.h>
#include <stdio.h>
#include <map>
#include <set>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

static std::string Here(const std::string &file) { return std::string(nbx_logDir) + file; }

// The code-page independent cases need one run only.
static bool SecondCodePageRun() { return GetACP() != 932; }

// ------------------------------------------------------- other processes

struct App {
    HANDLE process;
    DWORD pid;
    int instance;      // from its main window's class, -1 until found
    HWND main;
};

struct WindowSearch { DWORD pid; const WCHAR *prefix; HWND found; };

// A top-level window of process pid whose class begins with prefix.
static BOOL CALLBACK FindByClassPrefix(HWND w, LPARAM lp)
{
    WindowSearch *s = (WindowSearch *)lp;
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    WCHAR cls[32];
    int n = lstrlenW(s->prefix);
    if (pid != s->pid || GetClassNameW(w, cls, 32) < n || memcmp(cls, s->prefix, n * sizeof(WCHAR)) != 0)
        return TRUE;
    s->found = w;
    return FALSE;
}

static HWND WaitWindowOf(DWORD pid, const WCHAR *prefix)
{
    WindowSearch s = { pid, prefix, NULL };
    nbxt::WaitFor([&] { EnumWindows(FindByClassPrefix, (LPARAM)&s); return s.found != NULL; }, 30000);
    return s.found;
}

static std::string StatusOf(HWND main)
{
    WCHAR text[128] = { 0 };
    InternalGetWindowText(FindWindowExW(main, NULL, L"STATIC", NULL), text, 128);
    char ansi[128];
    NbxWideToAnsi(text, ansi, 128);
    return ansi;
}

// Starts reliability_app in the given mode and waits for its main window.
static App StartApp(const char *mode)
{
    SetEnvironmentVariableA("NBX_APP_MODE", mode);
    App app = { nbxt::StartProgram("reliability_app" NBX_PROGRAM_SUFFIX, nbx_logDir), 0, -1, NULL };
    SetEnvironmentVariableA("NBX_APP_MODE", NULL);
    REQUIRE(app.process != NULL);
    app.pid = GetProcessId(app.process);
    return app;
}

static void FindMain(App &app)
{
    app.main = WaitWindowOf(app.pid, L"nubrix_mw");
    WCHAR cls[32] = { 0 };
    if (app.main) GetClassNameW(app.main, cls, 32);
    app.instance = cls[9] - '0';
}

static std::string LogOf(int instance)
{
    char name[32];
    snprintf(name, sizeof name, "NUBRIX%d0.LOG", instance);
    return nbxt::ReadWholeFile(Here(name).c_str());
}

// A complete log of a busy app: "pid <pid>", then "line 0", "line 1", ...
// each ending in CR LF. Returns the number of numbered lines, -1 if broken.
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

TEST_CASE("programs started together: one instance number each; Exit of busy loops always ends, logs complete")
{
    if (SecondCodePageRun()) return;
    // This program is instance 0; nine more take every other number at once.
    static const char *const kModes[3] = { "image", "print", "text" };
    std::vector<App> apps;
    for (int i = 0; i < 9; i++) apps.push_back(StartApp(kModes[i % 3]));
    std::set<int> numbers;
    for (App &a : apps) {
        FindMain(a);
        REQUIRE(a.main != NULL);
        numbers.insert(a.instance);
    }
    CHECK(numbers.size() == apps.size());
    // Each busy loop has logged a few rounds into its own file.
    for (App &a : apps)
        CHECK(nbxt::WaitFor([&] { return CompleteLines(LogOf(a.instance), a.pid) >= 3; }, 20000));

    for (App &a : apps) PostMessageW(a.main, WM_COMMAND, 1002, 0);
    DWORD t0 = GetTickCount(), slowest = 0;
    for (App &a : apps) {
        DWORD code = nbxt::WaitExit(a.process, 15000);   // a hang never ends
        CHECK(code == 0);
        DWORD took = GetTickCount() - t0;
        if (took > slowest) slowest = took;
    }
    MESSAGE("nine busy programs ended " << slowest << " ms after Exit");
    for (App &a : apps) {
        CHECK(CompleteLines(LogOf(a.instance), a.pid) >= 3);
        CloseHandle(a.process);
    }
}

TEST_CASE("Exit during a waiting line input: the input returns an empty line and the program ends by itself")
{
    if (SecondCodePageRun()) return;
    App app = StartApp("input");
    FindMain(app);
    REQUIRE(app.main != NULL);
    REQUIRE(nbxt::WaitFor([&] { return StatusOf(app.main).find("Input text") != std::string::npos; }, 20000));
    DWORD t0 = GetTickCount();
    PostMessageW(app.main, WM_COMMAND, 1002, 0);
    CHECK(nbxt::WaitExit(app.process, 15000) == 0);
    MESSAGE("Exit in a line input took " << GetTickCount() - t0 << " ms");
    char expect[64];
    snprintf(expect, sizeof expect, "pid %lu\r\nname? after []\r\n", (unsigned long)app.pid);
    CHECK(LogOf(app.instance) == expect);
    CloseHandle(app.process);
}

// --------------------------------------------------------------- images

static void Fill(int n, DWORD seed)
{
    const ImageRecord &r = nbx_images[n];
    for (int i = 0; i < r.width * r.height; i++) nbx_pixels[n][i] = (seed * (DWORD)(i + 1) * 2654435761u) & 0xFFFFFF;
}

static int SaveAs(int n, int type, const std::string &path)
{
    int result = -1;
    nbxt::OnUser([&] {
        SelectImage(n);
        result = SaveImageFile(nbx_images[n].height, nbx_images[n].width, type, path.c_str());
    });
    return result;
}

static int CountTemporaries()
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(Here("~*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do n++; while (FindNextFileA(h, &found));
    FindClose(h);
    return n;
}

#if defined(__linux__)
TEST_CASE("a save that fails for want of room leaves the existing file as it was")
{
    if (SecondCodePageRun()) return;
    nbxt::OnUser([] { REQUIRE(NBX_CreateImage(3, "full", 0, 300, 120, 100, 100) == 0); });
    Fill(3, 1);
    REQUIRE(SaveAs(3, 0, Here("full.bmp")) == 0);
    std::string before = nbxt::ReadWholeFile(Here("full.bmp").c_str());
    REQUIRE(before.size() > 32 * 1024);
    Fill(3, 7);
    int temporaries = CountTemporaries();
    // A disk with 16 KB left: files of this process cannot grow past it.
    struct rlimit kept, tight;
    getrlimit(RLIMIT_FSIZE, &kept);
    tight = kept;
    tight.rlim_cur = 16 * 1024;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    int result = SaveAs(3, 0, Here("full.bmp"));
    setrlimit(RLIMIT_FSIZE, &kept);
    CHECK(result == 1);
    CHECK(nbxt::ReadWholeFile(Here("full.bmp").c_str()) == before);
    CHECK(CountTemporaries() == temporaries);
    // With room again the same save replaces it.
    CHECK(SaveAs(3, 0, Here("full.bmp")) == 0);
    CHECK(nbxt::ReadWholeFile(Here("full.bmp").c_str()).size() == before.size());
    CHECK(nbxt::ReadWholeFile(Here("full.bmp").c_str()) != before);
    nbxt::OnUser([] { NBX_DestroyImage(3); });
}
#endif

// Save as with the PNG filter under a bare name, as a user types it.
static void SaveAsPngThroughMenu(HWND window, const std::string &bare)
{
    nbxt::Command(window, 1010);
    HWND dialog = nbxt::WaitFileDialog(L"Save as");
    REQUIRE(dialog != NULL);
    nbxt::ChooseFileDialogFilter(dialog, 5);
    HWND edit = nbxt::FileDialogNameEdit(dialog);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    nbxt::TypeText(edit, bare.c_str());
    nbxt::PressKey(edit, VK_RETURN);
    REQUIRE(nbxt::WaitFor([dialog] { return !IsWindow(dialog); }, 10000));
}

TEST_CASE("the appended extension naming an existing file brings the overwrite question for that file")
{
    if (SecondCodePageRun()) return;
    nbxt::OnUser([] { REQUIRE(NBX_CreateImage(4, "keep", 0, 300, 40, 30, 100) == 0); });
    Fill(4, 3);
    HWND window = nbx_images[4].window;
    const std::string old = "not a picture yet";
    DeleteFileA(Here("keep").c_str());
    HANDLE f = CreateFileA(Here("keep.png").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(f, old.data(), (DWORD)old.size(), &written, NULL);
    CloseHandle(f);

    for (int answer : { IDNO, IDYES }) {
        SaveAsPngThroughMenu(window, Here("keep"));
        CHECK(nbxt::AnswerDialog(L"Confirm Save As", answer));
        nbxt::OnUser([] {});   // the command has returned
        std::string now = nbxt::ReadWholeFile(Here("keep.png").c_str());
        if (answer == IDNO) CHECK(now == old);
        else CHECK(now.compare(0, 4, "\x89PNG") == 0);
    }
    CHECK(!nbxt::FileExists(Here("keep").c_str()));
    nbxt::OnUser([] { NBX_DestroyImage(4); });
}

// A WM_DROPFILES of one file, as the shell sends it.
static void DropFile(HWND window, const std::string &path)
{
    WCHAR wide[1024];
    int units = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + (units + 1) * sizeof(WCHAR));
    DROPFILES *drop = (DROPFILES *)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(drop + 1, wide, units * sizeof(WCHAR));
    GlobalUnlock(memory);
    PostMessageW(window, WM_DROPFILES, (WPARAM)memory, 0);
    nbxt::OnUser([] {});   // handled once the user thread has run this
}

TEST_CASE("a dropped file is loaded by its whole path; a path too long is refused, not cut")
{
    if (SecondCodePageRun()) return;
    // A folder name that makes <folder>\f.bmp.alt exactly 259 characters.
    int folderLen = 259 - (int)strlen(nbx_logDir) - 1 - 9;
    REQUIRE(folderLen > 0);
    REQUIRE(folderLen < 256);
    std::string folder = Here(std::string(folderLen, 'd'));
    CreateDirectoryA(folder.c_str(), NULL);
    std::string alt = folder + "\\f.bmp.alt", prefix = folder + "\\f.bmp";
    REQUIRE(alt.size() == 259);

    nbxt::OnUser([] { REQUIRE(NBX_CreateImage(5, "drop", 0, 300, 20, 20, 100) == 0); });
    for (int i = 0; i < 400; i++) nbx_pixels[5][i] = 0xFF0000;
    REQUIRE(SaveAs(5, 0, Here("red.bmp")) == 0);
    for (int i = 0; i < 400; i++) nbx_pixels[5][i] = 0x00FF00;
    REQUIRE(SaveAs(5, 0, Here("green.bmp")) == 0);
    REQUIRE(CopyFileA(Here("red.bmp").c_str(), prefix.c_str(), FALSE));
    REQUIRE(CopyFileA(Here("green.bmp").c_str(), alt.c_str(), FALSE));
    HWND window = nbx_images[5].window;

    for (int i = 0; i < 400; i++) nbx_pixels[5][i] = 0;
    DropFile(window, alt);
    CHECK(nbx_pixels[5][0] == 0x00FF00);
    // 260 characters and more cannot be held: nothing is loaded.
    for (int i = 0; i < 400; i++) nbx_pixels[5][i] = 0;
    DropFile(window, alt + "x");
    DropFile(window, alt + "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx");
    CHECK(nbx_pixels[5][0] == 0);
    nbxt::OnUser([] { NBX_DestroyImage(5); });
}

TEST_CASE("buffers beyond what the platform can draw are refused with 3")
{
    if (SecondCodePageRun()) return;
    int results[2] = { -1, -1 };
    nbxt::OnUser([&] {
        results[0] = NBX_CreateImage8(6, "huge", 0, 0, 26000, 26000, 100);
        if (results[0] == 0) NBX_DestroyImage(6);   // never drawn: that is the fault
        results[1] = NBX_CreateImage(6, "huge", 0, 0, 23171, 23171, 100);
        if (results[1] == 0) NBX_DestroyImage(6);
    });
    CHECK(results[0] == 3);
    CHECK(results[1] == 3);
    CHECK(!nbx_images[6].inUse);
}

TEST_CASE("a one-frame movie shows its frame")
{
    if (SecondCodePageRun()) return;
    if (!nbxt::FileExists(nbxt::BinPath("nubrix_viewer" NBX_PROGRAM_SUFFIX).c_str())) {
        MESSAGE("viewer not built: skipped");
        return;
    }
    std::string dir = Here("onemovie");
    CreateDirectoryA(dir.c_str(), NULL);
    REQUIRE(CopyFileA(nbxt::BinPath("testmovies\\one.avi").c_str(), (dir + "\\one.avi").c_str(), FALSE));
    HANDLE viewer = nbxt::StartProgram("nubrix_viewer" NBX_PROGRAM_SUFFIX, dir.c_str());
    REQUIRE(viewer != NULL);
    HWND dialog = nbxt::WaitFileDialog(NULL, 30000, true);
    REQUIRE(dialog != NULL);
    HWND edit = nbxt::FileDialogNameEdit(dialog);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    nbxt::TypeText(edit, "one.avi");
    nbxt::PressKey(edit, VK_RETURN);
    HWND image = WaitWindowOf(GetProcessId(viewer), L"nbx_iw");
    REQUIRE(image != NULL);
    // The sample's background is never black; the playing loop has had time
    // to reach the end and rewind.
    bool shown = nbxt::WaitFor([&] {
        std::vector<DWORD> pixels = nbxt::GrabClient(image);
        int lit = 0;
        for (DWORD p : pixels) lit += p != 0;
        return !pixels.empty() && lit > (int)pixels.size() / 2;
    }, 10000);
    CHECK(shown);
    TerminateProcess(viewer, 0);
    CloseHandle(viewer);
}

// ----------------------------------------------------------- line input

TEST_CASE("NBX_InputText(NULL) returns at once")
{
    if (SecondCodePageRun()) return;
    nbxt::OnUser([] {
        NBX_OpenTextWindow(0, 600, 0, 200, 100);
        NBX_InputText(NULL);
    });
    CHECK(nbx_inputActive == 0);
}

TEST_CASE("the line-input cursor is a bar inside its cell, in the text colour, blinking")
{
    const DWORD back = 0x000080, ink = 0xFFFF00;
    nbxt::OnUser([&] {
        NBX_OpenTextWindow(2, 600, 200, 160, 100);
        NBX_PushTextColor(back, ink);
        NBX_Printf("> ");
    });
    HWND window = TextWindowHandle(2);
    REQUIRE(window != NULL);
    nbxt::Pending *input = nbxt::OnUserAsync([] { char line[256]; NBX_InputText(line); });
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive == 3; }));
    const TextWindow &t = nbx_textWindows[2];
    int x = t.cursorX, y = t.cursorY, cw = t.cellWidth, lh = t.lineHeight;
    SIZE client = nbxt::ClientSize(window);
    REQUIRE(y + 2 * lh <= client.cy);
    // Over a second both phases show: ink inside the cell and none below it.
    bool sawOn = false, sawOff = false, inkBelow = false;
    nbxt::WaitFor([&] {
        std::vector<DWORD> shot = nbxt::GrabClient(window);
        int inside = 0;
        for (int j = 0; j < lh; j++)
            for (int i = 0; i < cw; i++) inside += shot[(size_t)(y + j) * client.cx + x + i] == ink;
        for (int j = lh; j < 2 * lh; j++)
            for (int i = 0; i < cw; i++) inkBelow |= shot[(size_t)(y + j) * client.cx + x + i] == ink;
        sawOn |= inside > 0;
        sawOff |= inside == 0;
        return sawOn && sawOff;
    }, 1500);
    CHECK(sawOn);
    CHECK(sawOff);
    CHECK(!inkBelow);
    nbxt::TypeText(window, "\r");
    CHECK(nbxt::WaitDone(input));
    nbxt::OnUser([] { NBX_PopTextColor(); NBX_CloseTextWindow(2); });
}
