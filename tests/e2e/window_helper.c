/* Does to VANTROK.exe's window what a user or the shell would, from inside
   the same Wine prefix:
     window_helper hide CAPTION      hides the top-level window with this caption
     window_helper taskbar-created   tells every window that the shell restarted
     window_helper shortcut-target LNK  prints the program a shortcut starts and, on
                                        a second line, its arguments
     window_helper hold FILE SECONDS    holds FILE open as a virus scanner would, letting
                                        others read it but not write, rename or delete it
     window_helper processes IMAGE      prints a line for each process of that image:
                                        parent=IMAGE session=N elevation=full|limited|default */
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tlhelp32.h>

/* Reads the shortcut as the shell does when it starts it. */
static int print_shortcut_target(const char* shortcut) {
    IShellLinkA* link = NULL;
    IPersistFile* file = NULL;
    WCHAR wide[MAX_PATH];
    char target[MAX_PATH] = "";
    char arguments[1024] = "";
    int result = 3;
    if (FAILED(CoInitialize(NULL))) return 3;
    MultiByteToWideChar(CP_ACP, 0, shortcut, -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA,
                                   (void**)&link)) &&
        SUCCEEDED(link->lpVtbl->QueryInterface(link, &IID_IPersistFile, (void**)&file)) &&
        SUCCEEDED(file->lpVtbl->Load(file, wide, STGM_READ)) &&
        SUCCEEDED(link->lpVtbl->GetPath(link, target, MAX_PATH, NULL, 0)) &&
        SUCCEEDED(link->lpVtbl->GetArguments(link, arguments, sizeof arguments))) {
        printf("%s\n%s\n", target, arguments);
        result = 0;
    }
    if (file) file->lpVtbl->Release(file);
    if (link) link->lpVtbl->Release(link);
    CoUninitialize();
    return result;
}

static int hold(const char* path, int seconds) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) return 3;
    printf("held\n");
    fflush(stdout);
    Sleep((DWORD)seconds * 1000);
    CloseHandle(file);
    return 0;
}

static const char* elevation_of(DWORD process_id) {
    const char* kind = "unknown";
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id);
    HANDLE token = NULL;
    TOKEN_ELEVATION_TYPE type;
    DWORD size = 0;
    if (process && OpenProcessToken(process, TOKEN_QUERY, &token) &&
        GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size))
        kind = type == TokenElevationTypeFull ? "full" : type == TokenElevationTypeLimited ? "limited" : "default";
    if (token) CloseHandle(token);
    if (process) CloseHandle(process);
    return kind;
}

static int print_processes(const char* image) {
    PROCESSENTRY32 entries[512];
    int count = 0;
    PROCESSENTRY32 entry = {sizeof entry};
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 3;
    for (BOOL more = Process32First(snapshot, &entry); more && count < 512; more = Process32Next(snapshot, &entry))
        entries[count++] = entry;
    CloseHandle(snapshot);
    for (int i = 0; i < count; ++i) {
        if (_stricmp(entries[i].szExeFile, image) != 0) continue;
        const char* parent = "none";
        DWORD session = 0;
        for (int j = 0; j < count; ++j)
            if (entries[j].th32ProcessID == entries[i].th32ParentProcessID) parent = entries[j].szExeFile;
        ProcessIdToSessionId(entries[i].th32ProcessID, &session);
        printf("parent=%s session=%lu elevation=%s\n", parent, session, elevation_of(entries[i].th32ProcessID));
    }
    return 0;
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
    if (argc == 4 && strcmp(argv[1], "hold") == 0) return hold(argv[2], atoi(argv[3]));
    if (argc == 3 && strcmp(argv[1], "processes") == 0) return print_processes(argv[2]);
    return 1;
}
