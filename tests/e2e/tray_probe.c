/* Starts a program under the Win32 debugging interface and reports the record
   its first Shell_NotifyIconA call hands to the shell, read from the program's
   own memory at the moment of the call. Built for the program's bitness:
     tray_probe PROGRAM
   prints one line
     message=M cbSize=N hWnd=CAPTION uID=N uFlags=N uCallbackMessage=N hIcon=yes|no szTip=TEXT
   then lets the program run on without the debugger. Exit 0 when a call was
   seen, 2 when the program ended first, 1 on a usage or system failure. */
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

static BOOL read_memory(HANDLE process, ULONG_PTR address, void* into, SIZE_T size) {
    SIZE_T got = 0;
    return ReadProcessMemory(process, (LPCVOID)address, into, size, &got) && got == size;
}

/* The name a DLL's export directory gives itself, such as "SHELL32.dll". */
static BOOL module_name(HANDLE process, ULONG_PTR base, char* name, size_t size) {
    IMAGE_DOS_HEADER dos;
    IMAGE_NT_HEADERS nt;
    IMAGE_EXPORT_DIRECTORY exports;
    if (!read_memory(process, base, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE) return FALSE;
    if (!read_memory(process, base + dos.e_lfanew, &nt, sizeof nt)) return FALSE;
    const IMAGE_DATA_DIRECTORY* directory = &nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (directory->VirtualAddress == 0) return FALSE;
    if (!read_memory(process, base + directory->VirtualAddress, &exports, sizeof exports)) return FALSE;
    memset(name, 0, size);
    return read_memory(process, base + exports.Name, name, size - 1);
}

/* The call's two arguments, where the calling convention puts them at the
   function's first instruction. */
static BOOL read_arguments(HANDLE process, HANDLE thread, DWORD* message, ULONG_PTR* record) {
    CONTEXT context;
    context.ContextFlags = CONTEXT_FULL;
    if (!GetThreadContext(thread, &context)) return FALSE;
#ifdef _WIN64
    (void)process;
    *message = (DWORD)context.Rcx;
    *record = (ULONG_PTR)context.Rdx;
    return TRUE;
#else
    DWORD stack[3]; /* return address, dwMessage, lpData */
    if (!read_memory(process, context.Esp, stack, sizeof stack)) return FALSE;
    *message = stack[1];
    *record = stack[2];
    return TRUE;
#endif
}

static void report(HANDLE process, HANDLE thread) {
    DWORD message;
    ULONG_PTR address;
    /* The first form of the record only: what a later form adds is not read. */
    NOTIFYICONDATAA record;
    if (!read_arguments(process, thread, &message, &address) ||
        !read_memory(process, address, &record, NOTIFYICONDATAA_V1_SIZE)) {
        printf("unreadable\n");
        return;
    }
    char caption[128] = "";
    GetWindowTextA(record.hWnd, caption, sizeof caption);
    record.szTip[sizeof record.szTip - 1] = '\0';
    printf("message=%lu cbSize=%lu hWnd=%s uID=%u uFlags=%u uCallbackMessage=%u hIcon=%s szTip=%s\n",
           message, record.cbSize, caption, record.uID, record.uFlags, record.uCallbackMessage,
           record.hIcon ? "yes" : "no", record.szTip);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: tray_probe PROGRAM\n");
        return 1;
    }
    const HMODULE shell32 = LoadLibraryA("shell32.dll");
    const FARPROC local = shell32 ? GetProcAddress(shell32, "Shell_NotifyIconA") : NULL;
    if (!local) return 1;
    const ULONG_PTR entryOffset = (ULONG_PTR)local - (ULONG_PTR)shell32;

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child;
    if (!CreateProcessA(argv[1], NULL, NULL, NULL, FALSE, DEBUG_ONLY_THIS_PROCESS, NULL, NULL,
                        &startup, &child)) {
        fprintf(stderr, "tray_probe: cannot start %s (%lu)\n", argv[1], GetLastError());
        return 1;
    }
    ULONG_PTR entry = 0;
    BYTE original = 0;
    for (;;) {
        DEBUG_EVENT event;
        if (!WaitForDebugEvent(&event, INFINITE)) return 1;
        DWORD answer = DBG_CONTINUE;
        switch (event.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            if (event.u.CreateProcessInfo.hFile) CloseHandle(event.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT: {
            char name[32];
            const ULONG_PTR base = (ULONG_PTR)event.u.LoadDll.lpBaseOfDll;
            if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
            if (!entry && module_name(child.hProcess, base, name, sizeof name) &&
                _stricmp(name, "shell32.dll") == 0) {
                const BYTE breakpoint = 0xCC;
                entry = base + entryOffset;
                if (!read_memory(child.hProcess, entry, &original, 1) ||
                    !WriteProcessMemory(child.hProcess, (LPVOID)entry, &breakpoint, 1, NULL))
                    return 1;
                FlushInstructionCache(child.hProcess, (LPCVOID)entry, 1);
            }
            break;
        }
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD* exception = &event.u.Exception.ExceptionRecord;
            if (entry && exception->ExceptionCode == EXCEPTION_BREAKPOINT &&
                (ULONG_PTR)exception->ExceptionAddress == entry) {
                HANDLE thread = OpenThread(THREAD_ALL_ACCESS, FALSE, event.dwThreadId);
                if (!thread) return 1;
                report(child.hProcess, thread);
                fflush(stdout);
                /* Put the function back and run it from its first byte. */
                CONTEXT context;
                context.ContextFlags = CONTEXT_CONTROL;
                GetThreadContext(thread, &context);
#ifdef _WIN64
                context.Rip = entry;
#else
                context.Eip = entry;
#endif
                SetThreadContext(thread, &context);
                CloseHandle(thread);
                WriteProcessMemory(child.hProcess, (LPVOID)entry, &original, 1, NULL);
                FlushInstructionCache(child.hProcess, (LPCVOID)entry, 1);
                ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
                DebugSetProcessKillOnExit(FALSE);
                DebugActiveProcessStop(child.dwProcessId);
                return 0;
            }
            /* The loader's first breakpoint is ours to pass; the program's
               own exceptions are its to handle. */
            if (exception->ExceptionCode != EXCEPTION_BREAKPOINT) answer = DBG_EXCEPTION_NOT_HANDLED;
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT:
            fprintf(stderr, "tray_probe: the program ended before it called Shell_NotifyIconA\n");
            return 2;
        default:
            break;
        }
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, answer);
    }
}
