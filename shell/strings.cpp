// strings.cpp - conversions between the ANSI code page and UTF-16.
#include "shell/nbx_internal.h"
#include "textwin/textwin_logic.h"
#include <string.h>

int NbxAnsiToWide(const char *text, WCHAR *out, int outUnits)
{
    if (outUnits <= 0) return 0;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, out, outUnits);
    if (n == 0) {
        // Too long for the buffer: convert what fits.
        n = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
        if (n <= 0) { out[0] = 0; return 0; }
        WCHAR *all = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, n * sizeof(WCHAR));
        if (!all) { out[0] = 0; return 0; }
        MultiByteToWideChar(CP_ACP, 0, text, -1, all, n);
        int keep = outUnits - 1;
        // never end on a lone high surrogate
        if (keep > 0 && all[keep - 1] >= 0xD800 && all[keep - 1] < 0xDC00) keep--;
        CopyMemory(out, all, keep * sizeof(WCHAR));
        out[keep] = 0;
        HeapFree(GetProcessHeap(), 0, all);
        return keep;
    }
    return n - 1;
}

int NbxCutAnsi(char *text, int maxBytes, UINT codePage)
{
    // A lead byte whose trail is cut off (or missing) goes too.
    int length = AnsiCutLength(text, (int)strlen(text), maxBytes,
                               [codePage](unsigned char b) { return IsDBCSLeadByteEx(codePage, b) != 0; });
    text[length] = 0;
    return length;
}

int NbxWideToAnsi(const WCHAR *text, char *out, int outBytes)
{
    if (outBytes <= 0) return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, out, outBytes, NULL, NULL);
    if (n == 0) {
        n = WideCharToMultiByte(CP_ACP, 0, text, -1, NULL, 0, NULL, NULL);
        if (n <= 0) { out[0] = 0; return 0; }
        char *all = (char *)HeapAlloc(GetProcessHeap(), 0, n);
        if (!all) { out[0] = 0; return 0; }
        WideCharToMultiByte(CP_ACP, 0, text, -1, all, n, NULL, NULL);
        int len = NbxCutAnsi(all, outBytes - 1);
        CopyMemory(out, all, len + 1);
        HeapFree(GetProcessHeap(), 0, all);
        return len;
    }
    return n - 1;
}
