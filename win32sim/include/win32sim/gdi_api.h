// GDI: device contexts, brushes, fonts and drawing, recorded for tests.
#pragma once

#include "win32sim/types.h"

typedef struct tagRECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT *LPCRECT;

#define LF_FACESIZE 32
typedef struct tagLOGFONTA {
  LONG lfHeight;
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *PLOGFONTA, *LPLOGFONTA;

// Stock objects
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define OEM_FIXED_FONT 10
#define ANSI_FIXED_FONT 11
#define ANSI_VAR_FONT 12
#define SYSTEM_FONT 13
#define DEVICE_DEFAULT_FONT 14
#define DEFAULT_PALETTE 15
#define SYSTEM_FIXED_FONT 16
#define DEFAULT_GUI_FONT 17

// Font descriptions
#define FW_DONTCARE 0
#define FW_NORMAL 400
#define FW_BOLD 700
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define OUT_DEFAULT_PRECIS 0
#define CLIP_DEFAULT_PRECIS 0
#define CLIP_LH_ANGLES 0x10
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE 0x00
#define FF_ROMAN 0x10
#define FF_SWISS 0x20

// DrawTextA formats
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_BOTTOM 0x0008
#define DT_WORDBREAK 0x0010
#define DT_SINGLELINE 0x0020
#define DT_NOCLIP 0x0100
#define DT_NOPREFIX 0x0800

// GetDeviceCaps indexes
#define LOGPIXELSX 88
#define LOGPIXELSY 90

#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFF

HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC context);
BOOL WINAPI GetClientRect(HWND window, LPRECT rect);
int WINAPI FillRect(HDC context, const RECT *rect, HBRUSH brush);
int WINAPI DrawTextA(HDC context, LPCSTR text, int count, LPRECT rect, UINT format);
BOOL WINAPI InvertRect(HDC context, const RECT *rect);
HGDIOBJ WINAPI GetStockObject(int object);
HGDIOBJ WINAPI SelectObject(HDC context, HGDIOBJ object);
COLORREF WINAPI SetBkColor(HDC context, COLORREF colour);
COLORREF WINAPI SetTextColor(HDC context, COLORREF colour);
int WINAPI SetBkMode(HDC context, int mode);
HFONT WINAPI CreateFontIndirectA(const LOGFONTA *description);
BOOL WINAPI DeleteObject(HGDIOBJ object);
// The system's DPI for LOGPIXELSX/LOGPIXELSY; 0 for another index or a context that is not live.
int WINAPI GetDeviceCaps(HDC context, int index);
// number * numerator / denominator in 64 bits, rounded half away from zero; -1 when the
// denominator is 0 or the result does not fit in an int.
int WINAPI MulDiv(int number, int numerator, int denominator);

#define DrawText DrawTextA
#define CreateFontIndirect CreateFontIndirectA
