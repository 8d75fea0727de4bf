/* Does to VANTROK.exe's window what a user or the shell would, from inside
   the same Wine prefix:
     window_helper hide CAPTION      hides the top-level window with this caption
     window_helper taskbar-created   tells every window that the shell restarted */
#include <windows.h>
#include <string.h>

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
    return 1;
}
