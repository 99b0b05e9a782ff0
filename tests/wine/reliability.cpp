// Reliability: Exit, instance numbers, failed saves, dropped paths.
#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#endif
#include "harness.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(true); }
void UserMain(void) { ServeUser(); }

static string Read(const string &file) { return ReadWholeFile(Here(file).c_str()); }

struct App { HANDLE process; DWORD pid; HWND main; int n; };

static string Log(const App &a) { return Read("NUBRIX" + to_string(a.n) + "0.LOG"); }

// How many "line N" a busy app logged after "pid <pid>"; -1 if anything else.
static int Lines(const App &a)
{
    string log = Log(a), expect = "pid " + to_string(a.pid) + "\r\n";
    int n = 0;
    for (; expect.size() < log.size(); n++) expect += "line " + to_string(n) + "\r\n";
    return log == expect ? n : -1;
}

TEST_CASE("instances; Exit ends busy loops and input")
{
    vector<App> apps;   // this program is instance 0
    for (const char *mode : { "image", "print", "text", "image", "print", "text", "image", "print", "input" }) {
        SetEnvironmentVariableA("NBX_APP_MODE", mode);
        HANDLE p = StartProgram("reliability_app" NBX_PROGRAM_SUFFIX, nbx_logDir);
        REQUIRE(p != NULL);
        apps.push_back({ p, GetProcessId(p), NULL, -1 });
    }
    SetEnvironmentVariableA("NBX_APP_MODE", NULL);
    // Two apps that took the same number leave one of them unmatched.
    REQUIRE(WaitFor([&] {
        int matched = 0;
        for (int k = 1; k <= 9; k++) {
            HWND w = FindTop((LPCWSTR)Wide("nubrix_mw" + to_string(k)).c_str(), NULL, true);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            for (App &a : apps) if (w && a.pid == pid) a.main = w, a.n = k, matched++;
        }
        return matched == 9;
    }, 30000));
    // An eleventh is refused with a message box and ends with code 1.
    HANDLE extra = StartProgram("idle_app" NBX_PROGRAM_SUFFIX);
    HWND box = NULL;
    REQUIRE(WaitFor([&] { return (box = FindTop(L"#32770", L"NUBRIX", true)) != NULL; }, 20000));
    CHECK(FindWindowExW(box, NULL, L"Static", L"Over instance limit!") != NULL);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    CHECK(WaitExit(extra, 10000) == 1);
    // The busy loops end first: the input's grace time must not compete with them.
    const App input = apps.back();
    apps.pop_back();
    for (App &a : apps) CHECK(WaitFor([&] { return Lines(a) >= 3; }, 20000));
    for (App &a : apps) PostMessageW(a.main, WM_COMMAND, 1002, 0);
    for (App &a : apps) CHECK((WaitExit(a.process, 15000) == 0 && Lines(a) >= 3));
    REQUIRE(WaitFor([&] { return StatusOf(input.main).find("Input text") != string::npos; }, 20000));
    PostMessageW(input.main, WM_COMMAND, 1002, 0);
    CHECK(WaitExit(input.process, 15000) == 0);
    // The input returned an empty line and the program went on to its end.
    CHECK(Log(input) == "pid " + to_string(input.pid) + "\r\nname? after []\r\n");
}

static const int kImage = 3, kPixels = 120 * 100;

static int SaveBmp(const string &file) { return Get([&] { SelectImage(kImage); return SaveImageFile(100, 120, 0, Here(file).c_str()); }); }

TEST_CASE("image files")
{
    REQUIRE(Get([] { return NBX_CreateImage(kImage, "files", 0, 300, 120, 100, 100); }) == 0);
    HWND window = nbx_images[kImage].window;
    DWORD *px = nbx_pixels[kImage];
    for (int i = 0; i < kPixels; i++) px[i] = (DWORD)(i + 1) * 2654435761u & 0xFFFFFF;
    REQUIRE(SaveBmp("old.bmp") == 0);
    const string old = Read("old.bmp");
    for (int i = 0; i < kPixels; i++) px[i] ^= 0x808080;
#if defined(__linux__)
    // A save without room keeps the old file.
    auto temps = [] {   // whether a temporary is left
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA(Here("~*").c_str(), &found);
        return h != INVALID_HANDLE_VALUE && FindClose(h);
    };
    bool before = temps();
    struct rlimit kept, tight;
    getrlimit(RLIMIT_FSIZE, &kept);
    tight = { 16 * 1024, kept.rlim_max };   // 16 KB left for this process's files
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tight);
    int result = SaveBmp("old.bmp");
    setrlimit(RLIMIT_FSIZE, &kept);
    CHECK((result == 1 && Read("old.bmp") == old && temps() == before));
#endif
    // Appended .png asks; read-only refused.
    DeleteFileA(Here("keep").c_str());
    const string keep = Here("keep.png");
    for (int answer : { IDNO, IDYES, IDIGNORE }) {   // Ignore: Yes over the file made read-only
        if (answer != IDYES) {
            SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_NORMAL);
            REQUIRE(CopyFileA(Here("old.bmp").c_str(), keep.c_str(), FALSE));
        }
        if (answer == IDIGNORE) SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_READONLY);
        Command(window, 1010);
        HWND dialog = WaitFileDialog(L"Save as");
        REQUIRE(dialog != NULL);
        ChooseFileDialogFilter(dialog, 5);
        REQUIRE(ChooseFile(Here("keep").c_str(), false, L"Save as"));
        CHECK(AnswerDialog(L"Confirm Save As", answer == IDNO ? IDNO : IDYES));
        if (answer == IDIGNORE) {
            HWND box = WaitTop(L"#32770", L"Error");
            CHECK(FindWindowExW(box, NULL, L"Static", (LPCWSTR)Wide("Can't save " + Here("keep")).c_str()));
            CHECK(AnswerDialog(L"Error", IDOK));
        }
        OnUser([] {});   // the command has returned
        // Yes replaces the existing file (through the temporary).
        CHECK((answer != IDYES ? Read("keep.png") == old : Read("keep.png").compare(0, 4, "\x89PNG") == 0));
    }
    SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_NORMAL);
    CHECK(!FileExists(Here("keep").c_str()));
    // Dropped paths: <folder>\f.bmp.alt is 259 characters; cut to 255 it is <folder>\f.bmp.
    const string base = RoomyDir(), folder = base + string(259 - 10 - base.size(), 'd'), alt = folder + "\\f.bmp.alt";
    CreateDirectoryA(folder.c_str(), NULL);
    REQUIRE(CopyFileA(Here("old.bmp").c_str(), (folder + "\\f.bmp").c_str(), FALSE));
    REQUIRE(SaveBmp("new.bmp") == 0);
    REQUIRE(CopyFileA(Here("new.bmp").c_str(), alt.c_str(), FALSE));
    const DWORD fromAlt = px[0];
    for (const string &path : { alt, alt + "x" }) {
        memset(px, 0, kPixels * sizeof(DWORD));
        DropFiles(window, Wide(path) + u'\0');
        if (path == alt) CHECK(UNTIL(px[0] == fromAlt));
        else CHECK((Settle(window), px[0] == 0));
    }
    OnUser([] { NBX_DestroyImage(kImage); });
}
