/* Holds a file open the way Go's os.Open does (the Windows exporter's
 * text-file collector): reading, sharing read and write but not delete, so
 * Windows refuses to replace or remove the file meanwhile. It holds on until
 * a replacement waits beside the file (PATH.tmp-*), then MILLISECONDS more,
 * so the replace is sure to meet it.
 * file_holder.exe PATH MILLISECONDS; prints "held" once the file is open and
 * "met" once the replacement showed. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static int replacementWaits(const char* path) {
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA found;
    snprintf(pattern, sizeof pattern, "%s.tmp-*", path);
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    FindClose(search);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: file_holder PATH MILLISECONDS\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "cannot open %s: error %lu\n", argv[1], GetLastError());
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    int waited = 0;
    while (!replacementWaits(argv[1]) && waited < 120000) {
        Sleep(10);
        waited += 10;
    }
    if (waited < 120000) printf("met\n");
    fflush(stdout);
    Sleep((DWORD)atoi(argv[2]));
    CloseHandle(file);
    return 0;
}
