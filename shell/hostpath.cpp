// hostpath.cpp - the framework's only Wine-specific code.
// Native libraries linked into a Winelib program (OpenCV) open files through
// the host's C library, which needs a Unix path: Wine's kernel32 exports
// wine_get_unix_file_name for that. A Windows program (PE) has a Windows C
// library that takes the Windows path as it is, also when Wine runs it, so
// only a Winelib build (__WINE__) converts.
#include "shell/nbx_internal.h"
#include <string.h>

typedef char *(CDECL *UnixNameFn)(const WCHAR *);

BOOL NbxHostPath(const char *windowsPath, char *hostPath, int hostBytes)
{
    if (hostBytes <= 0) return FALSE;
#ifdef __WINE__
    UnixNameFn toUnix = (UnixNameFn)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                   "wine_get_unix_file_name");
#else
    UnixNameFn toUnix = NULL;
#endif
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
