// GDI stand-in: device contexts with their colours, stock and created
// objects, and a record of everything drawn.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>

#include "dialog_internal.h"
#include "internal.h"
#include "win32sim/testapi.h"

namespace {

const uintptr_t kStockBase = 0x50000;
const int kStockCount = 18;
const uintptr_t kFirstCreated = 0x60000;
const uintptr_t kFirstContext = 0x70000;
const uintptr_t kHandleStep = 0x10;
const int kLineHeightPixels = 13;

struct DeviceContext {
  HWND window;
  COLORREF background = 0xFFFFFF;
  COLORREF textColour = 0;
  int backgroundMode = OPAQUE;
  HGDIOBJ font = nullptr;
  HGDIOBJ brush = nullptr;
};

std::map<uintptr_t, DeviceContext> g_contexts;
uintptr_t g_nextContext = kFirstContext;
uintptr_t g_nextObject = kFirstCreated;
std::vector<sim::CreatedFont> g_fonts;
std::vector<sim::DrawCall> g_drawn;
std::vector<std::string> g_faults;
bool g_failFonts = false;
const int kDefaultDpi = 96;
int g_systemDpi = kDefaultDpi;
HFONT g_dialogFont = nullptr;

uintptr_t KeyOf(const void *handle) { return reinterpret_cast<uintptr_t>(handle); }

bool IsStock(HGDIOBJ object) {
  uintptr_t key = KeyOf(object);
  return key >= kStockBase && key < kStockBase + kStockCount * kHandleStep && (key - kStockBase) % kHandleStep == 0;
}

DeviceContext *ContextOf(HDC context, const char *caller) {
  auto found = g_contexts.find(KeyOf(context));
  if (found != g_contexts.end()) return &found->second;
  g_faults.push_back(std::string(caller) + " on a device context that is not live");
  return nullptr;
}

sim::CreatedFont *CreatedFontOf(HGDIOBJ object) {
  for (sim::CreatedFont &font : g_fonts)
    if (font.handle == object) return &font;
  return nullptr;
}

void Record(sim::DrawKind kind, const DeviceContext &context, const RECT &rect, HBRUSH brush, const std::string &text,
            UINT format) {
  int controlId = context.window && IsWindow(context.window) ? GetDlgCtrlID(context.window) : 0;
  g_drawn.push_back(sim::DrawCall{kind, context.window, controlId, rect, brush, text, format, context.background});
}

}  // namespace

HDC WINAPI GetDC(HWND window) {
  if (window && !IsWindow(window)) {
    g_faults.push_back("GetDC on a window that does not exist");
    return nullptr;
  }
  HDC context = reinterpret_cast<HDC>(g_nextContext);
  g_nextContext += kHandleStep;
  g_contexts[KeyOf(context)].window = window;
  return context;
}

int WINAPI ReleaseDC(HWND window, HDC context) {
  auto found = g_contexts.find(KeyOf(context));
  if (found == g_contexts.end() || found->second.window != window) {
    g_faults.push_back("ReleaseDC of a context that is not live for that window");
    return 0;
  }
  g_contexts.erase(found);
  return 1;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
  int width, height;
  if (!rect || !sim::ClientSizeOf(window, width, height)) return FALSE;
  *rect = RECT{0, 0, width, height};
  return TRUE;
}

int WINAPI FillRect(HDC context, const RECT *rect, HBRUSH brush) {
  DeviceContext *state = ContextOf(context, "FillRect");
  if (!state || !rect) return 0;
  Record(sim::DrawKind::Fill, *state, *rect, brush, "", 0);
  return 1;
}

int WINAPI DrawTextA(HDC context, LPCSTR text, int count, LPRECT rect, UINT format) {
  DeviceContext *state = ContextOf(context, "DrawTextA");
  if (!state || !rect || !text) return 0;
  size_t length = count < 0 ? strlen(text) : static_cast<size_t>(count);
  Record(sim::DrawKind::Text, *state, *rect, nullptr, std::string(text, length), format);
  return kLineHeightPixels;
}

BOOL WINAPI InvertRect(HDC context, const RECT *rect) {
  DeviceContext *state = ContextOf(context, "InvertRect");
  if (!state || !rect) return FALSE;
  Record(sim::DrawKind::Invert, *state, *rect, nullptr, "", 0);
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  if (object < 0 || object >= kStockCount || object == 9) return nullptr;
  return reinterpret_cast<HGDIOBJ>(kStockBase + static_cast<uintptr_t>(object) * kHandleStep);
}

HGDIOBJ WINAPI SelectObject(HDC context, HGDIOBJ object) {
  DeviceContext *state = ContextOf(context, "SelectObject");
  if (!state || !object) return nullptr;
  bool isFont = CreatedFontOf(object) || object == g_dialogFont ||
                (IsStock(object) && KeyOf(object) >= kStockBase + OEM_FIXED_FONT * kHandleStep);
  HGDIOBJ &slot = isFont ? state->font : state->brush;
  HGDIOBJ previous = slot;
  slot = object;
  return previous ? previous : GetStockObject(isFont ? SYSTEM_FONT : WHITE_BRUSH);
}

COLORREF WINAPI SetBkColor(HDC context, COLORREF colour) {
  DeviceContext *state = ContextOf(context, "SetBkColor");
  if (!state) return CLR_INVALID;
  COLORREF previous = state->background;
  state->background = colour;
  return previous;
}

COLORREF WINAPI SetTextColor(HDC context, COLORREF colour) {
  DeviceContext *state = ContextOf(context, "SetTextColor");
  if (!state) return CLR_INVALID;
  COLORREF previous = state->textColour;
  state->textColour = colour;
  return previous;
}

int WINAPI SetBkMode(HDC context, int mode) {
  DeviceContext *state = ContextOf(context, "SetBkMode");
  if (!state) return 0;
  int previous = state->backgroundMode;
  state->backgroundMode = mode;
  return previous;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA *description) {
  if (!description || g_failFonts) return nullptr;
  HFONT font = reinterpret_cast<HFONT>(g_nextObject);
  g_nextObject += kHandleStep;
  g_fonts.push_back(sim::CreatedFont{font, *description, false});
  return font;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  if (IsStock(object)) return TRUE;  // stock objects outlive every caller
  sim::CreatedFont *font = CreatedFontOf(object);
  if (!font || font->deleted) {
    g_faults.push_back("DeleteObject of an object that is not live");
    return FALSE;
  }
  if (sim::FontInUse(object)) g_faults.push_back("DeleteObject of a font that a window still uses");
  font->deleted = true;
  return TRUE;
}

int WINAPI GetDeviceCaps(HDC context, int index) {
  if (!ContextOf(context, "GetDeviceCaps")) return 0;
  return index == LOGPIXELSX || index == LOGPIXELSY ? g_systemDpi : 0;
}

int WINAPI MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long product = static_cast<long long>(number) * numerator;
  long long magnitude = (product < 0 ? -product : product);
  long long divisor = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
  long long rounded = (magnitude + divisor / 2) / divisor;
  long long result = (product < 0) != (denominator < 0) ? -rounded : rounded;
  if (result > INT32_MAX || result < INT32_MIN) return -1;
  return static_cast<int>(result);
}

namespace sim {

HFONT DialogFont() {
  if (!g_dialogFont) {
    g_dialogFont = reinterpret_cast<HFONT>(g_nextObject);
    g_nextObject += kHandleStep;
  }
  return g_dialogFont;
}

COLORREF BackgroundOf(HDC context) {
  auto found = g_contexts.find(KeyOf(context));
  return found == g_contexts.end() ? CLR_INVALID : found->second.background;
}

void ResetGdi() {
  g_contexts.clear();
  g_nextContext = kFirstContext;
  g_nextObject = kFirstCreated;
  g_fonts.clear();
  g_drawn.clear();
  g_faults.clear();
  g_failFonts = false;
  g_dialogFont = nullptr;
  g_systemDpi = kDefaultDpi;
}

const std::vector<DrawCall> &DrawCalls() { return g_drawn; }
int LiveDeviceContexts() { return static_cast<int>(g_contexts.size()); }
uint32_t BackgroundColour(void *deviceContext) { return BackgroundOf(static_cast<HDC>(deviceContext)); }
const std::vector<CreatedFont> &CreatedFonts() { return g_fonts; }

int LiveFonts() {
  int live = 0;
  for (const CreatedFont &font : g_fonts) live += !font.deleted;
  return live;
}

void FailFontCreation(bool fail) { g_failFonts = fail; }
void SetSystemDpi(int dpi) { g_systemDpi = dpi; }
const std::vector<std::string> &GdiFaults() { return g_faults; }

}  // namespace sim
