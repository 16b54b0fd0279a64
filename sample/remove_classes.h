/* The installer's registry keys: the viewer's class with its records and
   backups, the associations made with it, the uninstall entry. */
#ifndef LUME32_REMOVE_CLASSES_H
#define LUME32_REMOVE_CLASSES_H

#include <windows.h>

/* The machine's classes, never HKEY_CLASSES_ROOT: there a key of the user's
   HKCU\Software\Classes wins over the machine's, so anything an unelevated
   program put there would be read by this elevated uninstall and written into
   the machine's keys. Opened plainly below HKEY_LOCAL_MACHINE, in this
   program's registry view: Windows shares this key between both views. */
#define MACHINE_CLASSES_KEY "Software\\Classes"
/* The class key with its records. */
#define RECORDS_KEY MACHINE_CLASSES_KEY "\\MoraLUME_TOVA\\installed"

/* Gives each image extension that still names the viewer's class its
   earlier class back from the backup, then deletes the class key and the
   uninstall entry; all in HKEY_LOCAL_MACHINE. An extension pointed elsewhere
   since is left alone, and so is whatever a registry link points to.
   Returns how many keys or values could not be restored or deleted. */
int RemoveClassesAndEntry(void);

#endif
