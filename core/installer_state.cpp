#include "core/installer_state.h"

const char kDefaultDestination[] = "C:\\MLUME";

HINSTANCE g_instance = nullptr;
char g_installerDir[kPathSize] = "";
BYTE g_autorun = 1;
LONG g_languageIndex = 0;
LONG g_languageGiven = 0;
BYTE g_noMessageBoxes = 0;
BYTE g_logRequest = kNoLogAsked;
char g_logPath[kPathSize] = "";
const char *g_commandLine = "";
char g_destinationDir[kPathSize] = "C:\\MLUME";
BYTE g_destinationGiven = 0;
char g_mainProgramPath[kPathSize] = "";
signed char g_associationFlags[kAssociationCount] = {};
