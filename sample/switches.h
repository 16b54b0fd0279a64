/* The words of lume32.exe's command line that choose what it does:
   "-u" uninstalls (the installer's uninstall command is "lume32.exe . -u"),
   "-s" with it uninstalls without asking. No Win32 calls: tested on the host. */
#ifndef LUME32_SWITCHES_H
#define LUME32_SWITCHES_H

/* 1 when `word` (lower case) is one of the blank-separated words of
   `arguments`, in any letter case; a word in quotes never counts. */
int HasSwitch(const char *arguments, const char *word);

#endif
