// hostpath.cpp - the framework's only Wine-specific code.
// Native libraries linked into a Winelib program (OpenCV) open files through
// the host's C library, which needs a Unix path. Under Wine, kernel32 exports
// wine_get_unix_file_name for that; on Windows the lookup fails and the path
// is already right.
#include "shell/nbx_internal.h"
#include <string.h>

typedef char *(CDECL *UnixNameFn)(const WCHAR *);

BOOL NbxHostPath(const char *windowsPath, char *hostPath, int hostBytes)
{
    if (hostBytes <= 0) return FALSE;
    UnixNameFn toUnix = (UnixNameFn)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                   "wine_get_unix_file_name");
    if (!toUnix) {
        if ((int)strlen(windowsPath) >= hostBytes) return FALSE;
        strcpy(hostPath, windowsPath);
        return TRUE;
    }
    WCHAR wide[NBX_PATH * 2];
    NbxAnsiToWide(windowsPath, wide, NBX_PATH * 2);
    char *unixName = toUnix(wide);
    if (!unixName) return FALSE;
    BOOL fits = (int)strlen(unixName) < hostBytes;
    if (fits) strcpy(hostPath, unixName);
    HeapFree(GetProcessHeap(), 0, unixName);
    return fits;
}
