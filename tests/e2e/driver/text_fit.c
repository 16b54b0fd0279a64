#include "text_fit.h"

#include <stdlib.h>
#include <string.h>

#include "json_out.h"
#include "window_find.h"

enum { kTextLimit = 1024, kMessageTimeoutMs = 5000, kTemplatePoints = 11, kMeasuredLines = 4 };

static int SystemDpi(HDC screen) { return GetDeviceCaps(screen, LOGPIXELSY); }

/* What the dialog manager makes of the templates' "Arial", 11 points. */
static HFONT CreateTemplateFont(HDC screen) {
  LOGFONTA description;
  memset(&description, 0, sizeof description);
  description.lfHeight = -MulDiv(kTemplatePoints, SystemDpi(screen), 72);
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = DEFAULT_CHARSET;
  strcpy(description.lfFaceName, "Arial");
  return CreateFontIndirectA(&description);
}

static SIZE Extent(HDC screen, HGDIOBJ font, const char *text) {
  SIZE size = {0, 0};
  HGDIOBJ previous = SelectObject(screen, font);
  GetTextExtentPoint32A(screen, text, (int)strlen(text), &size);
  SelectObject(screen, previous);
  return size;
}

typedef struct {
  HDC screen;
  HFONT font;
  HWND dialog;
  RECT client; /* the dialog's client area, in its own coordinates */
  char *text;
} FitWalk;

/* The room a control leaves for its text, or FALSE for a control without one to measure. */
static BOOL TextRoom(const char *className, LONG style, const RECT *clipped, RECT *room) {
  int edgeX = GetSystemMetrics(SM_CXEDGE), edgeY = GetSystemMetrics(SM_CYEDGE);
  *room = *clipped;
  if (_stricmp(className, "Static") == 0) {
    return (style & SS_TYPEMASK) != SS_ICON;
  }
  if (_stricmp(className, "Button") == 0) {
    LONG kind = style & BS_TYPEMASK;
    if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
      InflateRect(room, -2 * edgeX, -2 * edgeY); /* the raised frame and the focus rectangle */
      return TRUE;
    }
    if (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX) {
      room->left += GetSystemMetrics(SM_CXMENUCHECK) + edgeX; /* the box and the gap before the text */
      return TRUE;
    }
    return FALSE;
  }
  if (_stricmp(className, "Edit") == 0 && !(style & ES_MULTILINE)) {
    InflateRect(room, -2 * edgeX, -edgeY); /* the border and the margins */
    return TRUE;
  }
  return FALSE;
}

static BOOL CALLBACK ReportControlFit(HWND control, LPARAM param) {
  FitWalk *walk = (FitWalk *)param;
  char className[64];
  RECT rect, clipped, room;
  SIZE extent;
  LONG style = GetWindowLongA(control, GWL_STYLE);
  GetClassNameA(control, className, sizeof className);
  if (!IsWindowVisible(control)) return TRUE;
  GetWindowRect(control, &rect);
  MapWindowPoints(NULL, walk->dialog, (POINT *)&rect, 2);
  if (!IntersectRect(&clipped, &rect, &walk->client)) SetRectEmpty(&clipped);
  if (!TextRoom(className, style, &clipped, &room)) return TRUE;
  ReadWindowText(control, walk->text, kTextLimit);
  if (!walk->text[0]) return TRUE;
  extent = Extent(walk->screen, walk->font, walk->text);
  JsonBegin("fit");
  JsonInt("id", (unsigned short)GetDlgCtrlID(control));
  JsonString("class", className);
  JsonString("text", walk->text);
  JsonRect("rect", rect.left, rect.top, rect.right, rect.bottom);
  JsonInt("room_width", room.right - room.left);
  JsonInt("room_height", room.bottom - room.top);
  JsonInt("width", extent.cx);
  JsonInt("height", extent.cy);
  JsonEnd();
  return TRUE;
}

void ReportTextFit(HWND dialog) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HDC screen = GetDC(NULL);
  FitWalk walk = {screen, CreateTemplateFont(screen), dialog, {0, 0, 0, 0}, malloc(kTextLimit)};
  TEXTMETRICA metrics;
  SIZE alphabet, percentSystem, percentArial;
  GetClientRect(dialog, &walk.client);
  if (walk.text) EnumChildWindows(dialog, ReportControlFit, (LPARAM)&walk);
  /* Base units as the dialog manager works them out from its font. */
  alphabet = Extent(screen, walk.font, kAlphabet);
  SelectObject(screen, walk.font);
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, GetStockObject(SYSTEM_FONT));
  percentSystem = Extent(screen, GetStockObject(SYSTEM_FONT), "100%");
  percentArial = Extent(screen, walk.font, "100%");
  JsonBegin("scale");
  JsonInt("dpi", SystemDpi(screen));
  JsonInt("base_x", (alphabet.cx / 26 + 1) / 2);
  JsonInt("base_y", metrics.tmHeight);
  JsonInt("percent_system_width", percentSystem.cx);
  JsonInt("percent_system_height", percentSystem.cy);
  JsonInt("percent_arial_width", percentArial.cx);
  JsonInt("percent_arial_height", percentArial.cy);
  JsonEnd();
  free(walk.text);
  DeleteObject(walk.font);
  ReleaseDC(NULL, screen);
}

static BOOL SendForResult(HWND control, UINT message, WPARAM wParam, DWORD_PTR *result) {
  return SendMessageTimeoutA(control, message, wParam, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs, result) != 0;
}

const char *ReportLineSpacing(HWND dialog, int controlId) {
  HWND box = GetDlgItem(dialog, controlId);
  DWORD_PTR lineCount = 0, start = 0, position = 0;
  int top[kMeasuredLines];
  LOGFONTA description;
  TEXTMETRICA metrics;
  HDC screen;
  HFONT font;
  if (!box) return "no such control";
  if (!SendForResult(box, EM_GETLINECOUNT, 0, &lineCount) || lineCount < kMeasuredLines) return "too few lines";
  for (int line = 0; line < kMeasuredLines; ++line) {
    if (!SendForResult(box, EM_LINEINDEX, (WPARAM)line, &start) || (LONG_PTR)start < 0) return "EM_LINEINDEX failed";
    if (!SendForResult(box, EM_POSFROMCHAR, start, &position) || position == (DWORD_PTR)-1)
      return "EM_POSFROMCHAR failed";
    top[line] = (short)HIWORD(position);
  }
  /* The agreement's font as made for the 96 DPI that its height was chosen for. */
  memset(&description, 0, sizeof description);
  description.lfHeight = -11;
  description.lfWeight = FW_NORMAL;
  description.lfCharSet = ANSI_CHARSET;
  description.lfClipPrecision = CLIP_LH_ANGLES;
  description.lfQuality = PROOF_QUALITY;
  description.lfPitchAndFamily = VARIABLE_PITCH | FF_DONTCARE;
  strcpy(description.lfFaceName, "Times New Roman");
  screen = GetDC(NULL);
  font = CreateFontIndirectA(&description);
  SelectObject(screen, font);
  GetTextMetricsA(screen, &metrics);
  SelectObject(screen, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
  ReleaseDC(NULL, screen);
  JsonBegin("lines");
  JsonInt("id", controlId);
  JsonInt("first_top", top[0]);
  JsonInt("last_top", top[kMeasuredLines - 1]);
  JsonInt("gaps", kMeasuredLines - 1);
  JsonInt("height_at_96", metrics.tmHeight);
  JsonEnd();
  return NULL;
}
