// Test side: GDI: device contexts, brushes, fonts and drawing, recorded for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32sim/types.h"
#include "win32sim/gdi_api.h"

namespace sim {

// Pixels per 4 horizontal and 8 vertical dialog units: a window's client
// rectangle is its template size converted with these.
constexpr int kDialogBaseUnitX = 6;
constexpr int kDialogBaseUnitY = 13;

enum class DrawKind { Fill, Text, Invert };
struct DrawCall {
  DrawKind kind;
  void *window;  // the window of the device context
  int controlId;  // that window's control id (0 for a dialog or none)
  RECT rect;
  void *brush;        // Fill
  std::string text;   // Text: the characters drawn
  unsigned format;    // Text
  uint32_t background;  // the context's background colour at the time
};
const std::vector<DrawCall> &DrawCalls();

int LiveDeviceContexts();  // got and not released
uint32_t BackgroundColour(void *deviceContext);  // CLR_INVALID for no live context

struct CreatedFont {
  void *handle;
  LOGFONTA description;
  bool deleted;
};
const std::vector<CreatedFont> &CreatedFonts();  // by CreateFontIndirectA, in order
int LiveFonts();                                 // created and not deleted
void FailFontCreation(bool fail);                // CreateFontIndirectA returns null
void SetSystemDpi(int dpi);                      // what GetDeviceCaps answers; 96 until set

// Misuse seen by GDI (deleting a font a window still uses, or twice; a
// context released twice...). Empty in a sound run.
const std::vector<std::string> &GdiFaults();

}  // namespace sim
