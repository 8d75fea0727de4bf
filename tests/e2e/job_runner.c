/* Runs a program as deployment agents run installers, from inside a Wine
   prefix:
     job_runner PROGRAM [ARGUMENTS...]
   starts PROGRAM in a new job object that kills whatever is left in it when
   the job is closed (and allows no breakaway), waits for PROGRAM to end,
   prints "processes=N exit=E" (N: how many processes ever ran in the job,
   E: PROGRAM's exit code), closes the job, and exits with E. The arguments
   are passed unquoted, as NSIS wants its /S. */
#include <windows.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    char command[8192];
    size_t used;
    int i;
    HANDLE job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting;
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    DWORD code = 255;

    if (argc < 2) {
        fprintf(stderr, "usage: job_runner PROGRAM [ARGUMENTS...]\n");
        return 254;
    }
    used = (size_t)snprintf(command, sizeof command, "\"%s\"", argv[1]);
    for (i = 2; i < argc && used < sizeof command; ++i)
        used += (size_t)snprintf(command + used, sizeof command - used, " %s", argv[i]);
    if (used >= sizeof command) return 254;

    job = CreateJobObjectA(NULL, NULL);
    memset(&limits, 0, sizeof limits);
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        fprintf(stderr, "no job object: %lu\n", GetLastError());
        return 254;
    }
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    /* Suspended until it is in the job, so nothing it starts escapes early. */
    if (!CreateProcessA(NULL, command, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, NULL, &startup, &process)) {
        fprintf(stderr, "cannot start %s: %lu\n", argv[1], GetLastError());
        return 254;
    }
    if (!AssignProcessToJobObject(job, process.hProcess)) {
        fprintf(stderr, "cannot put it in the job: %lu\n", GetLastError());
        TerminateProcess(process.hProcess, 254);
        return 254;
    }
    ResumeThread(process.hThread);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &code);
    memset(&accounting, 0, sizeof accounting);
    QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting, sizeof accounting, NULL);
    printf("processes=%lu exit=%lu\n", accounting.TotalProcesses, code);
    fflush(stdout);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(job);
    return (int)code;
}
