// Process-wide state of the installer, set at start-up and during the run.
#pragma once

#include <windows.h>

constexpr size_t kPathSize = 260;  // every path buffer, terminating zero included
constexpr int kAssociationCount = 10;
constexpr LONG kLanguageCount = 7;

extern HINSTANCE g_instance;
extern char g_installerDir[kPathSize];  // ends with a separator, or empty
extern BYTE g_autorun;                  // cleared by "-noautorun"
extern LONG g_languageIndex;            // 0 English .. 6
extern LONG g_languageGiven;            // a well-formed "-language=" word was seen
extern BYTE g_noMessageBoxes;           // "-nomsgbox" or the option "sNoMsgBox": nobody to answer
// "-log" asks for a log in TEMP, "-log=PATH" for one at the path given.
enum LogRequest : BYTE { kNoLogAsked = 0, kLogInTemp = 1, kLogAtPath = 2 };
extern BYTE g_logRequest;
extern char g_logPath[kPathSize];  // of "-log=", empty when its value was refused
extern const char *g_commandLine;  // as the process was given it
extern char g_destinationDir[kPathSize];
extern BYTE g_destinationGiven;  // "-dir=" was seen: its value, even refused, wins over "sDefPathNT"
extern char g_mainProgramPath[kPathSize];  // set from the first archive entry
extern signed char g_associationFlags[kAssociationCount];

extern const char kDefaultDestination[];
