// The request channel between the main thread and the user thread, with a
// plain worker thread standing in for the user thread's idle loop.
#include "doctest_wine.h"
#include "shell/nbx_internal.h"

static volatile LONG servicerRun;
static volatile LONG servicerPaused;
static volatile LONG sawDoneClearedWithCode;
static volatile LONG sawCodeWithDoneSet;
static volatile LONG servedCount;

static DWORD WINAPI Servicer(LPVOID)
{
    while (servicerRun) {
        if (!servicerPaused && nbx_request) {
            if (nbx_request != NBX_REQ_REDRAW_IMAGE && nbx_done == 0) sawDoneClearedWithCode = 1;
            if (nbx_request != NBX_REQ_REDRAW_IMAGE && nbx_done == 1) sawCodeWithDoneSet = 1;
            ServiceRequest();
            InterlockedIncrement(&servedCount);
        }
        Sleep(1);
    }
    return 0;
}

struct ServicerThread {
    HANDLE thread;
    ServicerThread() {
        servicerRun = 1;
        servicerPaused = 0;
        thread = CreateThread(NULL, 0, Servicer, NULL, 0, NULL);
    }
    ~ServicerThread() {
        servicerRun = 0;
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
    }
};

TEST_CASE("a request is posted with its done flag cleared and returns when serviced")
{
    ServicerThread servicer;
    sawDoneClearedWithCode = sawCodeWithDoneSet = 0;
    CHECK(nbx_done == 1);
    CHECK(nbx_request == 0);
    // Image numbers of 256 and above are answered with 4 without creating anything.
    CHECK(RequestCreateImage(300, "x", 10, 10, 32) == 4);
    CHECK(nbx_request == 0);
    CHECK(nbx_done == 1);
    CHECK(sawDoneClearedWithCode == 1);
    CHECK(sawCodeWithDoneSet == 0);
    RequestOpenTextWindow(300);   // out of range: serviced, nothing opened
    CHECK(nbx_request == 0);
    CHECK(nbx_done == 1);
}

TEST_CASE("a redraw does not wait, and the next request waits until it is taken")
{
    ServicerThread servicer;
    servicerPaused = 1;
    LONG served = servedCount;
    RequestRedrawImage(999);                 // returns at once
    CHECK(nbx_request == NBX_REQ_REDRAW_IMAGE);
    CHECK(nbx_done == 1);                    // a redraw never clears the done flag

    struct Later {
        static DWORD WINAPI Post(LPVOID result) {
            *(volatile int *)result = RequestCreateImage(400, "y", 1, 1, 8);
            return 0;
        }
    };
    volatile int result = -1;
    HANDLE poster = CreateThread(NULL, 0, Later::Post, (LPVOID)&result, 0, NULL);
    Sleep(100);
    CHECK(result == -1);                     // still waiting behind the redraw
    CHECK(nbx_request == NBX_REQ_REDRAW_IMAGE);

    servicerPaused = 0;
    CHECK(WaitForSingleObject(poster, 5000) == WAIT_OBJECT_0);
    CloseHandle(poster);
    CHECK(result == 4);
    CHECK(servedCount - served == 2);
    CHECK(nbx_request == 0);
}

TEST_CASE("a waiting request gives up when the program is ending")
{
    // No servicer: nothing would ever take the request.
    nbx_quit = 1;
    CHECK(RequestCreateImage(5, "z", 1, 1, 32) == 4);
    nbx_quit = 0;
    // Leave the channel free for other tests.
    nbx_request = 0;
    nbx_done = 1;
}
