// Reliability: Exit, instance numbers, failed saves, the appended extension,
// dropped paths, huge buffers, one-frame movies, the line-input cursor.
#if defined(__linux__)
#include <signal.h>
#include <sys/resource.h>
#endif
#include "harness.h"
#include "textwin/textwin_internal.h"
#include <shlobj.h>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

static std::string Here(const std::string &file) { return std::string(nbx_logDir) + file; }
static std::string Read(const std::string &file) { return nbxt::ReadWholeFile(Here(file).c_str()); }

struct App { HANDLE process; DWORD pid; HWND main; int instance; };

static std::string LogOf(const App &a) { return Read("NUBRIX" + std::to_string(a.instance) + "0.LOG"); }

// The numbered lines of a busy app's log ("pid <pid>", "line 0", "line 1",
// ... each ending in CR LF); -1 if it is anything else.
static int CompleteLines(const App &a)
{
    std::string log = LogOf(a), expect = "pid " + std::to_string(a.pid) + "\r\n";
    int n = 0;
    for (; expect.size() < log.size(); n++) expect += "line " + std::to_string(n) + "\r\n";
    return log == expect ? n : -1;
}

TEST_CASE("programs started together: one instance number each; Exit ends busy loops and a waiting input, logs complete")
{
    // This program is instance 0; nine more take every other number at once.
    std::vector<App> apps;
    for (const char *mode : { "image", "print", "text", "image", "print", "text", "image", "print", "input" }) {
        SetEnvironmentVariableA("NBX_APP_MODE", mode);
        HANDLE process = nbxt::StartProgram("reliability_app" NBX_PROGRAM_SUFFIX, nbx_logDir);
        REQUIRE(process != NULL);
        apps.push_back({ process, GetProcessId(process), NULL, -1 });
    }
    SetEnvironmentVariableA("NBX_APP_MODE", NULL);
    // The main window of each number 1-9 belongs to another of them: two
    // apps that took the same number leave one of them unmatched.
    REQUIRE(nbxt::WaitFor([&] {
        int matched = 0;
        for (int k = 1; k <= 9; k++) {
            WCHAR cls[16];
            wsprintfW(cls, L"nubrix_mw%d", k);
            HWND w = FindWindowW(cls, NULL);
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            for (App &a : apps) if (w && a.pid == pid) { a.main = w; a.instance = k; matched++; }
        }
        return matched == 9;
    }, 30000));
    // An eleventh is refused with a message box and ends with code 1.
    HANDLE extra = nbxt::StartProgram("idle_app" NBX_PROGRAM_SUFFIX);
    HWND box = NULL;
    REQUIRE(nbxt::WaitFor([&] { return (box = nbxt::FindTop(L"#32770", L"NUBRIX", true)) != NULL; }, 20000));
    CHECK(FindWindowExW(box, NULL, L"Static", L"Over instance limit!") != NULL);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    CHECK(nbxt::WaitExit(extra, 10000) == 1);

    // The busy loops end first: the input's grace time must not compete with them.
    const App input = apps.back();
    apps.pop_back();
    for (App &a : apps) CHECK(nbxt::WaitFor([&] { return CompleteLines(a) >= 3; }, 20000));
    for (App &a : apps) PostMessageW(a.main, WM_COMMAND, 1002, 0);
    for (App &a : apps) CHECK(nbxt::WaitExit(a.process, 15000) == 0);   // a hang never ends
    for (App &a : apps) CHECK(CompleteLines(a) >= 3);
    HWND status = FindWindowExW(input.main, NULL, L"STATIC", NULL);
    REQUIRE(nbxt::WaitFor([&] { return nbxt::WindowTextA(status).find("Input text") != std::string::npos; }, 20000));
    PostMessageW(input.main, WM_COMMAND, 1002, 0);
    CHECK(nbxt::WaitExit(input.process, 15000) == 0);
    // The input returned an empty line and the program went on to its end.
    CHECK(LogOf(input) == "pid " + std::to_string(input.pid) + "\r\nname? after []\r\n");
}

static const int kImage = 3, kPixels = 120 * 100;

static int SaveBmp(const std::string &file)
{
    int result = -1;
    nbxt::OnUser([&] { SelectImage(kImage); result = SaveImageFile(100, 120, 0, Here(file).c_str()); });
    return result;
}

#if defined(__linux__)
static int CountTemporaries()
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(Here("~*").c_str(), &found);
    int n = h != INVALID_HANDLE_VALUE;
    while (n && FindNextFileA(h, &found)) n++;
    if (n) FindClose(h);
    return n;
}
#endif

TEST_CASE("image files and buffers: huge buffers, a failed save, the appended extension's question, dropped paths")
{
    int huge = -1;
    nbxt::OnUser([&] {
        huge = NBX_CreateImage8(6, "huge", 0, 0, 26000, 26000, 100);
        if (huge == 0) NBX_DestroyImage(6);   // never drawn: that is the fault
        REQUIRE(NBX_CreateImage(kImage, "files", 0, 300, 120, 100, 100) == 0);
    });
    CHECK(huge == 3);
    HWND window = nbx_images[kImage].window;
    for (int i = 0; i < kPixels; i++) nbx_pixels[kImage][i] = (DWORD)(i + 1) * 2654435761u & 0xFFFFFF;
    REQUIRE(SaveBmp("old.bmp") == 0);
    const std::string old = Read("old.bmp");
    for (int i = 0; i < kPixels; i++) nbx_pixels[kImage][i] ^= 0x808080;
#if defined(__linux__)
    SUBCASE("a save that fails for want of room leaves the old file whole and no temporary") {
        int temporaries = CountTemporaries();
        struct rlimit kept, tight;
        getrlimit(RLIMIT_FSIZE, &kept);
        tight = { 16 * 1024, kept.rlim_max };   // a disk with 16 KB left for this process's files
        signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &tight);
        int result = SaveBmp("old.bmp");
        setrlimit(RLIMIT_FSIZE, &kept);
        CHECK(result == 1);
        CHECK(Read("old.bmp") == old);
        CHECK(CountTemporaries() == temporaries);
    }
#endif
    SUBCASE("Save as PNG of a bare name whose .png exists asks about that file; a read-only one is refused") {
        DeleteFileA(Here("keep").c_str());
        const std::string keep = Here("keep.png");
        for (int answer : { IDNO, IDYES, IDIGNORE }) {   // Ignore: Yes over the file made read-only
            if (answer != IDYES) {
                SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_NORMAL);   // an earlier run may have left it read-only
                REQUIRE(CopyFileA(Here("old.bmp").c_str(), keep.c_str(), FALSE));
            }
            if (answer == IDIGNORE) SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_READONLY);
            nbxt::Command(window, 1010);
            HWND dialog = nbxt::WaitFileDialog(L"Save as");
            REQUIRE(dialog != NULL);
            nbxt::ChooseFileDialogFilter(dialog, 5);
            HWND edit = nbxt::FileDialogNameEdit(dialog);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            nbxt::TypeText(edit, Here("keep").c_str());
            nbxt::PressKey(edit, VK_RETURN);
            CHECK(nbxt::AnswerDialog(L"Confirm Save As", answer == IDNO ? IDNO : IDYES));
            if (answer == IDIGNORE) {
                HWND box = nbxt::WaitTop(L"#32770", L"Error");
                CHECK(FindWindowExW(box, NULL, L"Static", (LPCWSTR)nbxt::Wide("Can't save " + Here("keep")).c_str()));
                CHECK(nbxt::AnswerDialog(L"Error", IDOK));
            }
            nbxt::OnUser([] {});   // the command has returned
            // Yes replaces the existing file (through the temporary).
            CHECK((answer != IDYES ? Read("keep.png") == old : Read("keep.png").compare(0, 4, "\x89PNG") == 0));
        }
        SetFileAttributesA(keep.c_str(), FILE_ATTRIBUTE_NORMAL);
        CHECK(!nbxt::FileExists(Here("keep").c_str()));
    }
    SUBCASE("a dropped file is loaded by its whole path; a path too long is refused, not cut") {
        // <folder>\f.bmp.alt is 259 characters; cut to 255 it names <folder>\f.bmp.
        const std::string base = nbxt::RoomyDir(), folder = base + std::string(259 - 10 - base.size(), 'd'), alt = folder + "\\f.bmp.alt";
        CreateDirectoryA(folder.c_str(), NULL);
        REQUIRE(CopyFileA(Here("old.bmp").c_str(), (folder + "\\f.bmp").c_str(), FALSE));
        REQUIRE(SaveBmp("new.bmp") == 0);
        REQUIRE(CopyFileA(Here("new.bmp").c_str(), alt.c_str(), FALSE));
        const DWORD fromAlt = nbx_pixels[kImage][0];
        for (const std::string &path : { alt, alt + "x" }) {
            memset(nbx_pixels[kImage], 0, kPixels * sizeof(DWORD));
            nbxt::DropFiles(window, nbxt::Wide(path) + u'\0');
            // The drop is served whenever the window's thread gets to it.
            if (path == alt) CHECK(nbxt::WaitFor([&] { return nbx_pixels[kImage][0] == fromAlt; }));
            else CHECK((nbxt::Settle(window), nbx_pixels[kImage][0] == 0));
        }
    }
    nbxt::OnUser([] { NBX_DestroyImage(kImage); });
}

TEST_CASE("a one-frame movie shows its frame")
{
    if (!nbxt::FileExists(nbxt::BinPath("nubrix_viewer" NBX_PROGRAM_SUFFIX).c_str())) return;   // viewer not built
    std::string dir = Here("onemovie");
    CreateDirectoryA(dir.c_str(), NULL);
    REQUIRE(CopyFileA(nbxt::BinPath("testmovies\\one.avi").c_str(), (dir + "\\one.avi").c_str(), FALSE));
    HANDLE viewer = nbxt::StartProgram("nubrix_viewer" NBX_PROGRAM_SUFFIX, dir.c_str());
    HWND edit = nbxt::FileDialogNameEdit(nbxt::WaitFileDialog(NULL, 30000, true));
    REQUIRE(edit != NULL);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    nbxt::TypeText(edit, "one.avi");
    nbxt::PressKey(edit, VK_RETURN);
    HWND image = NULL;   // this program has no image window left
    REQUIRE(nbxt::WaitFor([&] { return (image = nbxt::FindTop(L"nbx_iw", NULL, true)) != NULL; }, 30000));
    // The movie's background is never black; the playing loop has had time
    // to reach the end and rewind.
    CHECK(nbxt::WaitFor([&] {
        std::vector<DWORD> pixels = nbxt::GrabClient(image);
        size_t lit = 0;
        for (DWORD p : pixels) lit += p != 0;
        return !pixels.empty() && lit > pixels.size() / 2;
    }, 10000));
    TerminateProcess(viewer, 0);
    CloseHandle(viewer);
}

TEST_CASE("a NULL line buffer returns at once; the input cursor is a blinking bar inside its cell in the text colour")
{
    const DWORD ink = 0xFFFF00;
    nbxt::OnUser([&] {
        NBX_OpenTextWindow(2, 600, 200, 160, 100);
        NBX_InputText(NULL);
        NBX_PushTextColor(0x000080, ink);
        NBX_Printf("> ");
    });
    CHECK(nbx_inputActive == 0);
    HWND window = TextWindowHandle(2);
    nbxt::Pending *input = nbxt::OnUserAsync([] { char line[256]; NBX_InputText(line); });
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive == 3; }));
    const TextWindow &t = nbx_textWindows[2];
    // Ink pixels in the cursor's cell (row 0) or the cell below it (row 1).
    auto inkIn = [&](const std::vector<DWORD> &shot, int row) {
        int n = 0, cx = nbxt::ClientSize(window).cx;
        for (int j = row * t.lineHeight; j < (row + 1) * t.lineHeight; j++)
            for (int i = 0; i < t.cellWidth; i++) n += shot.at((size_t)(t.cursorY + j) * cx + t.cursorX + i) == ink;
        return n;
    };
    // Over a second both blink phases show, never with ink below the cell.
    bool sawOn = false, sawOff = false, inkBelow = false;
    nbxt::WaitFor([&] {
        std::vector<DWORD> shot = nbxt::GrabClient(window);
        (inkIn(shot, 0) ? sawOn : sawOff) = true;
        inkBelow |= inkIn(shot, 1) > 0;
        return sawOn && sawOff;
    }, 1500);
    CHECK(sawOn);
    CHECK(sawOff);
    CHECK(!inkBelow);
    nbxt::TypeText(window, "\r");
    CHECK(nbxt::WaitDone(input));
    nbxt::OnUser([] { NBX_PopTextColor(); NBX_CloseTextWindow(2); });
}
