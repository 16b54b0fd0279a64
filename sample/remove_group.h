/* The Program Manager group that the installer made over DDE. */
#ifndef LUME32_REMOVE_GROUP_H
#define LUME32_REMOVE_GROUP_H

/* Asks the shell's "progman" service to delete the group "MoraLUME" with
   its items; 1 when it accepted. */
int RemoveProgramGroup(void);

#endif
