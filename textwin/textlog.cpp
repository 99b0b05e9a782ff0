// textlog.cpp - per-window log files in the start-up folder and the copy of
// a log to the clipboard. Files are written as text: each line feed becomes
// CR LF on disk.
#include "textwin/textwin_internal.h"
#include <stdio.h>

// "<start-up folder>NUBRIX<instance><window>.LOG"; false when it does not fit.
static bool LogFileName(int index, char name[NBX_PATH])
{
    int n = snprintf(name, NBX_PATH, "%sNUBRIX%d%d.LOG", nbx_logDir, nbx_instance, index);
    return n > 0 && n < NBX_PATH;
}

static HANDLE OpenLogForWriting(int index, bool append)
{
    char name[NBX_PATH];
    if (!LogFileName(index, name)) return INVALID_HANDLE_VALUE;
    HANDLE f = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f != INVALID_HANDLE_VALUE && append) SetFilePointer(f, 0, NULL, FILE_END);
    return f;
}

void WriteLog(TextWindow *t, const char *text, int length)
{
    if (!t->logFile) return;
    char out[2 * 4096];
    while (length > 0) {
        int part = length > 4096 ? 4096 : length;
        int n = ToCrLf(text, part, out);
        DWORD written = 0;
        WriteFile(t->logFile, out, n, &written, NULL);
        text += part;
        length -= part;
    }
}

void CloseLog(TextWindow *t)
{
    if (t->logState != 0 && t->logFile) CloseHandle(t->logFile);
    t->logFile = NULL;
    t->logState = 0;
}

int NBX_StartLog(int index)
{
    TextWindow *t = OpenTextRecord(index);
    if (!t) return 3;
    if (t->logState == 1) return 1;
    if (t->logState == 2) {
        t->logState = 1;
        return 0;
    }
    HANDLE f = OpenLogForWriting(index, false);
    if (f == INVALID_HANDLE_VALUE) {
        MessageBoxW(NULL, L"Can't create file for LOG!", L"Error", MB_OK);
        return 2;
    }
    t->logFile = f;
    t->logState = 1;
    return 0;
}

int NBX_StopLog(int index)
{
    TextWindow *t = OpenTextRecord(index);
    if (!t) return 2;
    if (t->logState == 0) return 1;
    t->logState = 2;
    return 0;
}

// Hands the whole file to the clipboard as CF_TEXT; 2 or 3 on failure.
static int CopyFileToClipboard(int index)
{
    char name[NBX_PATH];
    HANDLE f = LogFileName(index, name)
        ? CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, NULL)
        : INVALID_HANDLE_VALUE;
    if (f == INVALID_HANDLE_VALUE) {
        ShowPauseMessage("Can't open LOG file!");
        return 2;
    }
    EmptyClipboard();
    DWORD length = SetFilePointer(f, 0, NULL, FILE_END);
    SetFilePointer(f, 0, NULL, FILE_BEGIN);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, (SIZE_T)length + 1);
    int result = 3;
    char *bytes = memory ? (char *)GlobalLock(memory) : NULL;
    if (!bytes) {
        if (memory) GlobalFree(memory);
        ShowPauseMessage("No enough memory (copy log)");
    } else {
        DWORD got = 0;
        if (!ReadFile(f, bytes, length, &got, NULL)) got = 0;
        bytes[got] = 0;
        GlobalUnlock(memory);
        SetClipboardData(CF_TEXT, memory);
        result = 0;
    }
    CloseHandle(f);
    return result;
}

int NBX_CopyLog(int index)
{
    TextWindow *t = OpenTextRecord(index);
    if (!t) return 4;
    if (!OpenClipboard(NULL)) return 1;
    // Closing puts everything written so far on disk.
    if (t->logState != 0 && t->logFile) {
        CloseHandle(t->logFile);
        t->logFile = NULL;
    }
    int result = CopyFileToClipboard(index);
    CloseClipboard();
    if (t->logState != 0) {
        HANDLE f = OpenLogForWriting(index, true);
        if (f == INVALID_HANDLE_VALUE) t->logState = 0;   // nothing to write to any more
        else t->logFile = f;
    }
    return result;
}

void NBX_CloseLogs(void)
{
    for (int n = 0; n < 256; n++) {
        TextWindow *t = OpenTextRecord(n);
        if (t && t->logState != 0) CloseLog(t);
    }
}
