/* What the calls an installation makes per file cost under Wine, each timed on its own.

   call_costs.exe FOLDER [FILES]
     FOLDER  a folder to make and remove again (it must not exist), e.g. C:\callcosts
     FILES   files per folder, as many as the installation puts in its largest one (default 800)

   Prints one line per call, "name: microseconds per call", medians of 5 passes. Its registry
   keys go under HKCR\MoraLUME_CallCosts and are removed at the end. Started with "exit" it ends at
   once: that is the program it starts to time WinExec. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define PASSES 5
#define CHUNK 2048

static char g_data[65536];
static double g_frequency;

static double Now(void) {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return (double)counter.QuadPart / g_frequency;
}

static int Compare(const void *a, const void *b) {
  double x = *(const double *)a, y = *(const double *)b;
  return x < y ? -1 : x > y;
}

static void Report(const char *name, double *microseconds) {
  qsort(microseconds, PASSES, sizeof *microseconds, Compare);
  printf("%s: %.1f\n", name, microseconds[PASSES / 2]);
}

static HANDLE CreateNew(const char *path) {
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, CREATE_NEW, 0, NULL);
}

static void Fail(const char *what) {
  printf("failed: %s (%lu)\n", what, GetLastError());
  exit(1);
}

/* Files of one folder, the way extraction makes them: the costs of a new file's creation with
   one 2,048-byte write and its close, and of a DeleteFileA that finds nothing. */
static void TimeFiles(const char *root, int files, double *create, double *deleteMissing, double *makeExisting,
                      int pass) {
  char folder[MAX_PATH], path[MAX_PATH];
  snprintf(folder, sizeof folder, "%s\\pass%d", root, pass);
  if (!CreateDirectoryA(folder, NULL)) Fail("CreateDirectoryA");
  double started = Now();
  for (int i = 0; i < files; ++i) {
    snprintf(path, sizeof path, "%s\\file%05d.txt", folder, i);
    HANDLE file = CreateNew(path);
    DWORD written;
    if (file == INVALID_HANDLE_VALUE || !WriteFile(file, g_data, CHUNK, &written, NULL)) Fail("CreateFileA");
    CloseHandle(file);
  }
  *create = (Now() - started) * 1e6 / files;
  started = Now();
  for (int i = 0; i < files; ++i) {
    snprintf(path, sizeof path, "%s\\none%05d.txt", folder, i);
    DeleteFileA(path);
  }
  *deleteMissing = (Now() - started) * 1e6 / files;
  started = Now();
  for (int i = 0; i < files; ++i) CreateDirectoryA(folder, NULL);
  *makeExisting = (Now() - started) * 1e6 / files;
  for (int i = 0; i < files; ++i) {
    snprintf(path, sizeof path, "%s\\file%05d.txt", folder, i);
    DeleteFileA(path);
  }
  RemoveDirectoryA(folder);
}

/* One file written in 2,048-byte pieces and in 64 KiB pieces: the cost per 2,048 bytes. */
static void TimeWrites(const char *root, double *small, double *large) {
  char path[MAX_PATH];
  snprintf(path, sizeof path, "%s\\writes.bin", root);
  const int total = 16 * 1024 * 1024;
  for (int piece = 0; piece < 2; ++piece) {
    DWORD size = piece ? sizeof g_data : CHUNK, written;
    HANDLE file = CreateNew(path);
    if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA");
    double started = Now();
    for (int at = 0; at < total; at += size) WriteFile(file, g_data, size, &written, NULL);
    double perChunk = (Now() - started) * 1e6 / (total / CHUNK);
    CloseHandle(file);
    DeleteFileA(path);
    *(piece ? large : small) = perChunk;
  }
}

/* A line of the installer's log: the local time asked for, then one WriteFile of a line as long as
   a file's line, to a file opened as the log is; and the time alone. */
static void TimeLogLines(const char *root, int lines, double *line, double *time) {
  char path[MAX_PATH], text[128];
  snprintf(path, sizeof path, "%s\\install.log", root);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | SECURITY_SQOS_PRESENT |
                                SECURITY_ANONYMOUS, NULL);
  if (file == INVALID_HANDLE_VALUE) Fail("CreateFileA (log)");
  SYSTEMTIME now;
  DWORD written;
  double started = Now();
  for (int i = 0; i < lines; ++i) {
    GetLocalTime(&now);
    int length = snprintf(text, sizeof text,
                          "%04d-%02d-%02d %02d:%02d:%02d.%03d  File written: C:\\MLUME\\file%05d.txt, 2048 bytes\r\n",
                          now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds, i);
    WriteFile(file, text, (DWORD)length, &written, NULL);
  }
  *line = (Now() - started) * 1e6 / lines;
  started = Now();
  for (int i = 0; i < lines; ++i) GetLocalTime(&now);
  *time = (Now() - started) * 1e6 / lines;
  CloseHandle(file);
  DeleteFileA(path);
}

static const char kRecords[] = "MoraLUME_CallCosts\\installed";

/* A record as extraction writes it: a key with an empty default value under an open parent; and
   what opening and closing that parent under HKEY_CLASSES_ROOT for each record would add. */
static void TimeRecords(int records, double *record, double *parent, int pass) {
  char name[64];
  HKEY installed;
  if (RegCreateKeyA(HKEY_CLASSES_ROOT, kRecords, &installed) != ERROR_SUCCESS) Fail("RegCreateKeyA");
  double started = Now();
  for (int i = 0; i < records; ++i) {
    snprintf(name, sizeof name, "pass%d$file%05d.txt", pass, i);
    RegSetValueA(installed, name, REG_SZ, "", 1);
  }
  *record = (Now() - started) * 1e6 / records;
  RegCloseKey(installed);
  started = Now();
  for (int i = 0; i < records; ++i) {
    if (RegCreateKeyA(HKEY_CLASSES_ROOT, kRecords, &installed) == ERROR_SUCCESS) RegCloseKey(installed);
  }
  *parent = (Now() - started) * 1e6 / records;
}

static void RemoveRecords(void) {
  HKEY installed;
  char name[MAX_PATH];
  if (RegOpenKeyA(HKEY_CLASSES_ROOT, kRecords, &installed) == ERROR_SUCCESS) {
    while (RegEnumKeyA(installed, 0, name, sizeof name) == ERROR_SUCCESS)
      if (RegDeleteKeyA(installed, name) != ERROR_SUCCESS) break;
    RegCloseKey(installed);
  }
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kRecords);
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "MoraLUME_CallCosts");
}

/* WinExec of a program that ends at once, from a process with a message queue (as the installer
   is once it has shown a dialog): WinExec then waits for it to go idle or end. */
static double TimeStart(void) {
  char self[MAX_PATH], line[MAX_PATH + 8];
  MSG message;
  PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
  DWORD length = GetModuleFileNameA(NULL, self, sizeof self);
  if (length == 0 || length >= sizeof self) Fail("GetModuleFileNameA");
  snprintf(line, sizeof line, "\"%s\" exit", self);
  double started = Now();
  for (int i = 0; i < 10; ++i) WinExec(line, SW_SHOWNORMAL);
  return (Now() - started) * 1e6 / 10;
}

int main(int argc, char **argv) {
  if (argc > 1 && strcmp(argv[1], "exit") == 0) return 0;
  if (argc < 2) {
    fprintf(stderr, "usage: call_costs FOLDER [FILES]\n");
    return 2;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  g_frequency = (double)frequency.QuadPart;
  int files = argc > 2 ? atoi(argv[2]) : 800;
  if (files < 1) files = 800;
  if (!CreateDirectoryA(argv[1], NULL)) Fail("CreateDirectoryA (the folder must not exist)");

  double create[PASSES], deleteMissing[PASSES], makeExisting[PASSES], small[PASSES], large[PASSES];
  double record[PASSES], parent[PASSES], start[PASSES], logLine[PASSES], localTime[PASSES];
  for (int pass = 0; pass < PASSES; ++pass) {
    TimeFiles(argv[1], files, &create[pass], &deleteMissing[pass], &makeExisting[pass], pass);
    TimeWrites(argv[1], &small[pass], &large[pass]);
    TimeRecords(files, &record[pass], &parent[pass], pass);
    TimeLogLines(argv[1], files, &logLine[pass], &localTime[pass]);
    start[pass] = TimeStart();
  }
  RemoveRecords();
  RemoveDirectoryA(argv[1]);

  printf("files per folder: %d\n", files);
  Report("new file (CreateFileA CREATE_NEW, one 2,048-byte WriteFile, CloseHandle) us", create);
  Report("DeleteFileA of a name that is not there us", deleteMissing);
  Report("CreateDirectoryA of a folder that is there us", makeExisting);
  Report("WriteFile per 2,048 bytes, in 2,048-byte pieces us", small);
  Report("WriteFile per 2,048 bytes, in 64 KiB pieces us", large);
  Report("record: RegSetValueA of a new subkey under an open parent us", record);
  Report("the parent opened and closed under HKEY_CLASSES_ROOT us", parent);
  Report("log line: GetLocalTime, one WriteFile of about 70 bytes us", logLine);
  Report("GetLocalTime alone us", localTime);
  Report("WinExec of a program that ends at once us", start);
  return 0;
}
