/* The files that the installer recorded under MoraLUME_TOVA\installed of
   the machine's classes, each named relative to the program's own folder. */
#ifndef LUME32_REMOVE_FILES_H
#define LUME32_REMOVE_FILES_H

#include <windows.h>

/* 1 when a record of `records` names the program itself (`programPath`, a
   full path): only then was this folder installed and is it ours to empty. */
int IsRecordedProgram(HKEY records, const char *programPath);

/* Deletes every recorded file but the program itself, then each recorded
   subfolder that is left empty, deepest first. Nothing is deleted through a
   reparse point (junction, symbolic link, mount point): a record whose path
   passes one, the program's folder included, is left, and such a folder is
   not removed. Returns how many recorded files are still there. */
int RemoveRecordedFiles(HKEY records, const char *programPath);

/* A running program cannot delete itself: the program, its log `logPath`
   and its folder (unless a root or a reparse point) are deleted when Windows
   next starts, the folder only if empty by then. Returns how many could not
   be scheduled, a folder that is a reparse point counted among them. */
int ScheduleOwnRemoval(const char *programPath, const char *logPath);

#endif
