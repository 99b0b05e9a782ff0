// Windows made by hand from the main window: Paste, dropped files, the
// prompting commands and Exit while a prompt waits.
#include "harness.h"
#include <shlobj.h>
#include <string.h>

void UserInit(void) { nbxt::BeginDriver(false); }
void UserMain(void) { nbxt::ServeUser(); }

using nbxt::WaitFor;

static void Run(UINT id, std::vector<const char *> answers)
{
    nbxt::Command(nbx_mainWindow, id);
    for (std::string answer : answers) {
        REQUIRE(WaitFor([] { return nbx_inputActive != 0; }));
        size_t at = nbxt::LogText(0).size();
        nbxt::TypeText(TextWindowHandle(CurrentTextWindow()), (answer + "\r").c_str());
        // The next prompt may begin at once: the logged answer tells it was taken.
        REQUIRE(WaitFor([&] { return nbxt::LogText(0).compare(at, answer.size() + 2, answer + "\r\n") == 0; }));
    }
}

// A path and its terminator onto a list of wide names.
static void Append(std::vector<WCHAR> *list, const std::string &ansi, const std::vector<WCHAR> &tail = {})
{
    WCHAR w[1024];
    list->insert(list->end(), w, w + NbxAnsiToWide(ansi.c_str(), w, 1024));
    list->insert(list->end(), tail.begin(), tail.end());
    list->push_back(0);
}

TEST_CASE("Paste into 000, a drop filling 001, 003 and 004, then the prompting commands")
{
    Run(1028, {});
    REQUIRE(WaitFor([] { return TextWindowHandle(0) != NULL; }));
    nbxt::OnUser([] { NBX_StartLog(0); NBX_CreateImage(2, "open", 0, 0, 40, 30, 100); });
    DWORD dib[10 + 6] = { 40, 3, 2, 1 | 32 << 16 };   // BITMAPINFOHEADER, bottom-up 3 x 2
    for (int i = 0; i < 6; i++) dib[10 + i] = 0x010203 * (i + 1);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof dib);
    memcpy(GlobalLock(block), dib, sizeof dib);
    GlobalUnlock(block);
    REQUIRE((OpenClipboard(NULL) && EmptyClipboard() && SetClipboardData(CF_DIB, block) && CloseClipboard()));
    Run(1026, {});
    REQUIRE(WaitFor([] { return nbx_images[0].inUse && nbx_pixels[0][3] == 0x010203; }));
    for (int i = 0; i < 6; i++) CHECK(nbx_pixels[0][i] == dib[10 + (1 - i / 3) * 3 + i % 3]);
    CHECK(std::string(nbx_images[0].title) == "000");

    // a.bmp, an unreadable c.bmp, a folder, b.bmp and a path of over 260
    // characters whose name is outside the code page.
    std::vector<WCHAR> hangul(30, 0xD55C), x, deep, list;
    hangul.insert(hangul.end(), { '.', 'b', 'm', 'p', 0 });
    char shown[NBX_PATH];
    NbxWideToAnsi(hangul.data(), shown, NBX_PATH);
    hangul.pop_back();
    std::string folder = nbxt::Here(std::string(200, 'd')), titles[] = { "001 a.bmp", "003 b.bmp", std::string("004 ") + shown };
    const char *saved[] = { "a.bmp", "b.bmp", "x.bmp" };
    for (int k = 0; k < 3; k++)
        nbxt::OnUser([&] { nbx_pixels[2][0] = k + 7; SaveImageFile(30, 40, 0, nbxt::Here(saved[k]).c_str()); });
    nbxt::WriteWholeFile(nbxt::Here("c.bmp"), "BM not a picture");
    CreateDirectoryA(folder.c_str(), NULL);
    Append(&x, nbxt::Here("x.bmp"));
    Append(&deep, folder + "\\", hangul);
    REQUIRE(MoveFileExW(x.data(), deep.data(), MOVEFILE_REPLACE_EXISTING));
    for (const char *name : { "a.bmp", "c.bmp", "", "b.bmp" }) Append(&list, *name ? nbxt::Here(name) : folder);
    list.insert(list.end(), deep.begin(), deep.end());
    list.push_back(0);
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(WCHAR));
    DROPFILES *head = (DROPFILES *)GlobalLock(drop);
    *head = { sizeof(DROPFILES), { 0, 0 }, FALSE, TRUE };
    memcpy(head + 1, list.data(), list.size() * sizeof(WCHAR));
    GlobalUnlock(drop);
    PostMessageW(nbx_mainWindow, WM_DROPFILES, (WPARAM)drop, 0);
    REQUIRE(WaitFor([] { return nbx_images[4].inUse && nbx_pixels[4][0] == 9; }));
    for (int k = 0; k < 3; k++) {
        CHECK(std::string(nbx_images[k ? k + 2 : 1].title) == titles[k]);
        CHECK(nbx_pixels[k ? k + 2 : 1][0] == (DWORD)k + 7);
    }

    Run(1027, { "41", "31", "24" });
    Run(1027, { "41", "31", "8" });
    Run(1044, { "3" });
    Run(1051, { "2", "3" });
    Run(1028, {});
    REQUIRE(WaitFor([] { return TextWindowHandle(1) != NULL; }));
    int items = 0, nx = 0, ny = 0, unused;
    nbxt::OnUser([&] { items = InputBoxLayout(&unused, &unused); ButtonBoxGrid(&nx, &ny); });
    CHECK((items == 3 && nx == 2 && ny == 3));
    CHECK((nbx_images[5].bits == 8 && nbx_images[5].width == 41 && !nbx_images[6].inUse));
    CHECK((nbxt::ClientSize(TextWindowHandle(1)).cx == 400 && nbxt::ClientSize(TextWindowHandle(1)).cy == 300));
    CHECK(nbxt::LogText(0) == "Creating ImageWindow...\r\n Width=41\r\nHeight=31\r\nBit[32 or 8]=24\r\n"
                              "Creating ImageWindow...\r\n Width=41\r\nHeight=31\r\nBit[32 or 8]=8\r\n"
                              "Creating InpuxBox...\r\nHow many items? >3\r\nCreating ButtonBox...\r\nNumber[X]=>2\r\nNumber[Y]=>3\r\n");
}

TEST_CASE("Exit while a creation prompt waits ends the program at once")
{
    for (UINT id : { 1027u, 1044u, 1051u }) {
        HANDLE app = nbxt::StartProgram("idle_app" NBX_PROGRAM_SUFFIX, nbx_logDir);
        HWND main = NULL;
        REQUIRE(WaitFor([&] { return (main = FindWindowW(L"nubrix_mw1", NULL)) && nbxt::StatusOf(main).find("bit") != std::string::npos; }, 30000));
        nbxt::Command(main, id);
        REQUIRE(WaitFor([&] { return nbxt::StatusOf(main).find("Input text") != std::string::npos; }, 10000));
        DWORD t0 = GetTickCount();
        nbxt::Command(main, 1002);
        CHECK(nbxt::WaitExit(app, 5000) == 0);
        CHECK(GetTickCount() - t0 < 1500);
        CloseHandle(app);
    }
}
