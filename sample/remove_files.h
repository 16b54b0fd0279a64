/* The files that the installer recorded under HKCR\MoraLUME_TOVA\installed,
   each named relative to the program's own folder. */
#ifndef LUME32_REMOVE_FILES_H
#define LUME32_REMOVE_FILES_H

#include <windows.h>

/* 1 when a record of `records` names the program itself (`programPath`, a
   full path): only then was this folder installed and is it ours to empty. */
int IsRecordedProgram(HKEY records, const char *programPath);

/* Deletes every recorded file but the program itself, then each recorded
   subfolder that is left empty, deepest first. Returns how many recorded
   files are still there. */
int RemoveRecordedFiles(HKEY records, const char *programPath);

/* A running program cannot delete itself: the program, its log `logPath`
   and its folder (unless a root) are deleted when Windows next starts, the
   folder only if empty by then. Returns how many could not be scheduled. */
int ScheduleOwnRemoval(const char *programPath, const char *logPath);

#endif
