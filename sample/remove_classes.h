/* The installer's registry keys: the viewer's class with its records and
   backups, the associations made with it, the uninstall entry. */
#ifndef LUME32_REMOVE_CLASSES_H
#define LUME32_REMOVE_CLASSES_H

#include <windows.h>

/* The class key with its records, in the registry view of this program. */
#define RECORDS_KEY "MoraLUME_TOVA\\installed"

/* Gives each image extension that still names the viewer's class its
   earlier class back from the backup, then deletes HKCR\MoraLUME_TOVA and the
   uninstall entry. An extension pointed elsewhere since is left alone.
   Returns how many keys or values could not be restored or deleted. */
int RemoveClassesAndEntry(void);

#endif
