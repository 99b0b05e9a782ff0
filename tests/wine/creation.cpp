// Windows made from the main window: Paste, dropped files, the prompting
// commands and Exit while a prompt waits.
#include "imagekit.h"
#include "imagewin/clipboard.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

// A main-window command and its answers, each taken once the log shows it.
static void Run(UINT id, std::vector<std::string> answers = {})
{
    Command(nbx_mainWindow, id);
    for (std::string &answer : answers) {
        REQUIRE(WaitFor([] { return nbx_inputActive != 0; }));
        size_t at = LogText(0).size();
        TypeText(TextWindowHandle(CurrentTextWindow()), (answer + "\r").c_str());
        REQUIRE(WaitFor([&] { return LogText(0).compare(at, answer.size() + 2, answer + "\r\n") == 0; }));
    }
}

TEST_CASE("Paste into 000, a drop filling 001, 003 and 004, then the prompting commands")
{
    Run(1028);
    REQUIRE(WaitFor([] { return TextWindowHandle(0) && Geometry(TextWindowHandle(0)).find(" 400x300") != std::string::npos; }));
    OnUser([] { NBX_StartLog(0); NBX_CreateImage(2, "open", 0, 0, 40, 30, 100); nbx_pixels[2][0] = 0x123456; CopyImageToClipboard(2); });
    Run(1026);
    // Done once image 2 is current again: the saves below act on the current image.
    CHECK(WaitFor([] { return nbx_images[0].inUse && nbx_pixels[0][0] == 0x123456 && !strcmp(nbx_images[0].title, "000") && nbx_curImage == 2; }));

    // a.bmp, unreadable c.bmp, a folder, b.bmp and a path of over 260
    // characters whose name is outside the code page (Hangul).
    std::string folder = Here(std::string(200, 'd')), saved[] = { "a.bmp", "b.bmp", "x.bmp" };
    std::u16string deep = Wide(folder + "\\") + std::u16string(30, u'\xD55C') + u".bmp", list;
    for (int k = 0; k < 3; k++) OnUser([&] { nbx_pixels[2][0] = k + 7; SaveImageFile(30, 40, 0, Here(saved[k]).c_str()); });
    WriteWholeFile(Here("c.bmp"), "BM not a picture");
    REQUIRE(MakeFolders(Wide(folder)));
    REQUIRE(MoveFileExW((LPCWSTR)LongPath(Wide(Here("x.bmp"))).c_str(), (LPCWSTR)LongPath(deep).c_str(), MOVEFILE_REPLACE_EXISTING));
    for (std::u16string file : { Wide(Here("a.bmp")), Wide(Here("c.bmp")), Wide(folder), Wide(Here("b.bmp")), deep }) list += file + u'\0';
    DropFiles(nbx_mainWindow, list);
    REQUIRE(WaitFor([] { return nbx_images[4].inUse && nbx_pixels[4][0] == 9; }));
    const char *titles[] = { "001 a.bmp", "003 b.bmp", "004 " };   // then the name as the code page has it
    const int numbers[] = { 1, 3, 4 };
    for (int k = 0; k < 3; k++) CHECK((!strncmp(nbx_images[numbers[k]].title, titles[k], strlen(titles[k])) && nbx_pixels[numbers[k]][0] == (DWORD)k + 7));

    Run(1027, { "41", "31", "24" });
    Run(1027, { "41", "31", "8" });
    Run(1027, { "1", "100", "32" });   // too narrow for the minimum width at any zoom that fits
    Run(1044, { "3" });
    Run(1051, { "2", "3" });
    int items = 0, nx = 0, ny = 0, unused;
    CHECK(WaitFor([&] { OnUser([&] { items = InputBoxLayout(&unused, &unused); ButtonBoxGrid(&nx, &ny); }); return items == 3 && nx == 2 && ny == 3; }));
    CHECK((nbx_images[5].bits == 8 && nbx_images[5].width == 41 && nbx_images[6].width == 1 && nbx_images[6].height == 100));
    CHECK(LogText(0) == "Creating ImageWindow...\r\n Width=41\r\nHeight=31\r\nBit[32 or 8]=24\r\n"
                        "Creating ImageWindow...\r\n Width=41\r\nHeight=31\r\nBit[32 or 8]=8\r\n"
                        "Creating ImageWindow...\r\n Width=1\r\nHeight=100\r\nBit[32 or 8]=32\r\n"
                        "Creating InpuxBox...\r\nHow many items? >3\r\nCreating ButtonBox...\r\nNumber[X]=>2\r\nNumber[Y]=>3\r\n");
}

TEST_CASE("Exit while a creation prompt waits ends the program at once")
{
    HANDLE app = StartProgram("idle_app" NBX_PROGRAM_SUFFIX, nbx_logDir);
    HWND main = NULL;
    REQUIRE(WaitFor([&] { return (main = FindWindowW(L"nubrix_mw1", NULL)) && StatusOf(main).find("bit") != std::string::npos; }, 30000));
    Command(main, 1051);
    REQUIRE(WaitFor([&] { return StatusOf(main).find("Input text") != std::string::npos; }, 10000));
    Command(main, 1002);
    CHECK(WaitExit(app, 1500) == 0);   // exit code 0 before Exit's 2 s grace runs out
}
