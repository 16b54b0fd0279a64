/* lume32.exe -u: what the installer left, removed from the records alone. */
#ifndef LUME32_UNINSTALL_H
#define LUME32_UNINSTALL_H

/* The exit codes of an uninstall run. */
enum UninstallResult {
  UNINSTALL_DONE = 0,         /* all gone, or scheduled to go at the next start of Windows */
  UNINSTALL_DECLINED = 1,     /* the user answered No: nothing changed */
  UNINSTALL_PARTLY = 2,       /* something recorded could not be removed or restored */
  UNINSTALL_NOT_RECORDED = 3  /* no record names this program: nothing changed */
};

/* Uninstalls the installation that `programPath` (full, long form) belongs
   to; asks first unless `silent`, and then also says how it ended. `logPath`
   is the program's log, which goes with it. */
enum UninstallResult Uninstall(const char *programPath, const char *logPath, int silent);

#endif
