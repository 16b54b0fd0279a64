// The options list: ordered (name, value) pairs read from "tovaopt.ini",
// handed on to the installed program in "tova.opt".
#pragma once

#include <windows.h>

constexpr LONG kOptionCapacity = 500;

extern char **g_optionNames;   // locked global block of kOptionCapacity slots
extern char **g_optionValues;  // parallel to the names
extern LONG g_optionCount;

// Creates the two empty arrays; on failure the list stays unusable but safe.
void CreateOptionsList();
// Releases both arrays (the strings stay); the list is empty afterwards.
void ReleaseOptionsList();
// Appends a pair; false when the list is full or was never created.
bool AppendOption(char *name, char *value);
// The value of the first entry named exactly `name`, or null.
const char *FindOption(const char *name);
// Where the installer-side file "tovaopt.ini" is looked for, into `path`
// (kPathSize); false when there is no such place (no installer directory).
bool FormOptionsFilePath(char *path);
// Appends the settings of that file; false when there is none to read.
bool ReadInstallerOptions();
