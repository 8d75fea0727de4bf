/* Does to VANTROK.exe's window what a user or the shell would, from inside
   the same Wine prefix:
     window_helper hide CAPTION      hides the top-level window with this caption
     window_helper taskbar-created   tells every window that the shell restarted
     window_helper shortcut-target LNK  prints the program a shortcut starts */
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <string.h>

/* Reads the shortcut as the shell does when it starts it. */
static int print_shortcut_target(const char* shortcut) {
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    WCHAR wide[MAX_PATH];
    char target[MAX_PATH] = "";
    int result = 3;
    if (FAILED(CoInitialize(NULL))) return 3;
    MultiByteToWideChar(CP_ACP, 0, shortcut, -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA,
                                   (void**)&link)) &&
        SUCCEEDED(link->lpVtbl->QueryInterface(link, &IID_IPersistFile, (void**)&file)) &&
        SUCCEEDED(file->lpVtbl->Load(file, wide, STGM_READ)) &&
        SUCCEEDED(link->lpVtbl->GetPath(link, target, MAX_PATH, NULL, 0))) {
        printf("%s\n", target);
        result = 0;
    }
    if (file) file->lpVtbl->Release(file);
    if (link) link->lpVtbl->Release(link);
    CoUninitialize();
    return result;
}

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "hide") == 0) {
        HWND window = FindWindowA(NULL, argv[2]);
        if (!window) return 2;
        ShowWindow(window, SW_HIDE);
        return IsWindowVisible(window) ? 3 : 0;
    }
    if (argc == 2 && strcmp(argv[1], "taskbar-created") == 0) {
        UINT message = RegisterWindowMessageA("TaskbarCreated");
        return SendNotifyMessageA(HWND_BROADCAST, message, 0, 0) ? 0 : 3;
    }
    if (argc == 3 && strcmp(argv[1], "shortcut-target") == 0) return print_shortcut_target(argv[2]);
    return 1;
}
