/* Names compared as Windows compares registry key names and file names:
   without regard to case. No Win32 calls: tested on the host. */
#ifndef LUME32_SAME_NAME_H
#define LUME32_SAME_NAME_H

/* 1 when `a` and `b` are the same but for the case of the letters A-Z. The
   names compared here (our class, the program's own file name) are plain
   ASCII, where this is how Windows sees them; and unlike lstrcmpi, no
   locale's sort order takes part. */
int SameName(const char *a, const char *b);

#endif
