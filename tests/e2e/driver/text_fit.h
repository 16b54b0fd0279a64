/* Whether a dialog's texts fit their controls at this system's DPI, measured in this process:
 * under Wine a font handle means nothing outside the process that made it. */
#ifndef E2E_TEXT_FIT_H
#define E2E_TEXT_FIT_H

#include <windows.h>

/* One "fit" line per control with a text: the text's extent in the templates' font (Arial 11 pt
 * made at the system DPI) and the room its control leaves for it, clipped to the dialog's client
 * area; then one "scale" line: the DPI, the dialog base units that font gives, and the extents of
 * "100%" in the stock system font and in Arial, for the copy dialog's percentage. */
void ReportTextFit(HWND dialog);

/* One "lines" line: the tops of a multi-line edit control's first and fourth lines, three gaps
 * apart, and the line height of the licence font made at 96 DPI's size (-11) in this process. */
const char *ReportLineSpacing(HWND dialog, int controlId);

#endif
