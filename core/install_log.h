// The installation log: one line per step, each with the time, handed to the
// system as soon as it is made, so that a run killed part-way still leaves a
// readable account. Plain text in the ANSI code page, with CR LF line ends.
#pragma once

#include <windows.h>

// Opens the log asked for on the command line ("-log", "-log=PATH") or else
// by the option "sLog"; true when none was asked for or it is open. On false
// the run must stop before anything is written: `shown` (kPathSize) then
// names the file that could not be made.
bool OpenInstallLog(char *shown);
// Whether a log is open: what only the log would use need not be worked out.
bool IsLogging();
// Writes one line when a log is open. The format's own text is the
// installer's; every "%s" value is taken from outside (paths, option values,
// class names, messages) and has its control characters written as <HH>,
// so that it cannot end a line or forge one. Besides "%s": "%d", "%u", "%%".
void LogLine(const char *format, ...) __attribute__((format(printf, 1, 2)));
// A program start with WinExec's answer: above 31 when it started.
void LogProgramStart(const char *commandLine, UINT result);
// Closes the log after a last line with the exit code and its meaning.
void CloseInstallLog(int exitCode);
