// The controls' own message handling: text, fonts, the edit control's
// selection, scrolling and read-only state, and the buttons' check state.
#include <windows.h>

#include <cstring>
#include <utility>

#include "window_store.h"

namespace {

const int kLineHeightDialogUnits = 8;
const LRESULT kSelectionTooFar = -1;

int TextLength(const sim::Window &control) { return static_cast<int>(control.text.size()); }

int LineOf(const std::string &text, int position) {
  int line = 0;
  for (int i = 0; i < position && i < static_cast<int>(text.size()); ++i) line += text[i] == '\n';
  return line;
}

int LineCount(const sim::Window &control) { return LineOf(control.text, TextLength(control)) + 1; }

int VisibleLines(const sim::Window &control) {
  int lines = control.height / kLineHeightDialogUnits;
  return lines > 0 ? lines : 1;
}

// A multi-line edit control keeps its caret in view.
void ScrollToCaret(sim::Window &control) {
  if (!sim::IsMultiline(control)) return;
  int caretLine = LineOf(control.text, control.selectionEnd);
  if (caretLine < control.firstVisibleLine) control.firstVisibleLine = caretLine;
  if (caretLine >= control.firstVisibleLine + VisibleLines(control))
    control.firstVisibleLine = caretLine - VisibleLines(control) + 1;
}

void SetSelection(sim::Window &control, WPARAM wParam, LPARAM lParam) {
  int start = static_cast<int>(static_cast<INT_PTR>(wParam));
  int end = static_cast<int>(lParam);
  int length = TextLength(control);
  if (start == -1) {  // deselects, leaving the caret where it is
    control.selectionStart = control.selectionEnd;
    return;
  }
  if (end < 0 || end > length) end = length;
  if (start < 0 || start > length) start = length;
  if (start > end) std::swap(start, end);
  control.selectionStart = start;
  control.selectionEnd = end;
}

LRESULT ReplaceSelection(sim::Window &control, LPARAM lParam) {
  const char *inserted = reinterpret_cast<const char *>(lParam);
  std::string text = inserted ? inserted : "";
  int kept = TextLength(control) - (control.selectionEnd - control.selectionStart);
  int room = control.textLimit - kept;
  if (room < 0) room = 0;
  if (static_cast<int>(text.size()) > room) text.resize(static_cast<size_t>(room));
  control.text.replace(static_cast<size_t>(control.selectionStart),
                       static_cast<size_t>(control.selectionEnd - control.selectionStart), text);
  control.selectionStart = control.selectionEnd = control.selectionStart + static_cast<int>(text.size());
  ScrollToCaret(control);
  sim::NotifyParent(control, EN_UPDATE);
  sim::NotifyParent(control, EN_CHANGE);
  return 0;
}

LRESULT EditMessage(sim::Window &control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_GETSEL: {
      if (wParam) *reinterpret_cast<DWORD *>(wParam) = static_cast<DWORD>(control.selectionStart);
      if (lParam) *reinterpret_cast<DWORD *>(lParam) = static_cast<DWORD>(control.selectionEnd);
      if (control.selectionStart > 0xFFFF || control.selectionEnd > 0xFFFF) return kSelectionTooFar;
      return static_cast<LRESULT>(static_cast<DWORD>(MAKELONG(control.selectionStart, control.selectionEnd)));
    }
    case EM_SETSEL:
      SetSelection(control, wParam, lParam);
      return 0;
    case EM_REPLACESEL:
      return ReplaceSelection(control, lParam);
    case EM_LINESCROLL: {
      if (!sim::IsMultiline(control)) return FALSE;
      long first = static_cast<long>(control.firstVisibleLine) + static_cast<long>(lParam);
      long last = LineCount(control) - 1;
      control.firstVisibleLine = static_cast<int>(first < 0 ? 0 : (first > last ? last : first));
      return TRUE;
    }
    case EM_GETFIRSTVISIBLELINE:
      return sim::IsMultiline(control) ? control.firstVisibleLine : 0;
    case EM_GETLINECOUNT:
      return LineCount(control);
    case EM_SETREADONLY:
      if (wParam)
        control.style |= ES_READONLY;
      else
        control.style &= ~static_cast<uint32_t>(ES_READONLY);
      return TRUE;
    case EM_LIMITTEXT:
      control.textLimit = wParam ? static_cast<int>(wParam) : 0x7FFFFFFE;
      return 0;
    default:
      return 0;
  }
}

}  // namespace

namespace sim {

LRESULT ControlMessage(Window &control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT: {
      const char *text = reinterpret_cast<const char *>(lParam);
      control.text = text ? text : "";
      if (IsEdit(control)) {
        control.selectionStart = control.selectionEnd = 0;
        control.firstVisibleLine = 0;
        NotifyParent(control, EN_UPDATE);
        NotifyParent(control, EN_CHANGE);
      }
      return TRUE;
    }
    case WM_GETTEXT: {
      char *buffer = reinterpret_cast<char *>(lParam);
      if (!buffer || wParam == 0) return 0;
      size_t copied = control.text.size() < wParam ? control.text.size() : wParam - 1;
      memcpy(buffer, control.text.data(), copied);
      buffer[copied] = '\0';
      return static_cast<LRESULT>(copied);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(control.text.size());
    case WM_SETFONT:
      control.font = reinterpret_cast<HGDIOBJ>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(control.font);
    case BM_GETCHECK:
      return IsCheckBox(control) ? control.checked : BST_UNCHECKED;
    case BM_SETCHECK:
      // A two-state box shows any state above "checked" as checked.
      if (IsCheckBox(control)) control.checked = wParam > BST_CHECKED ? BST_CHECKED : static_cast<int>(wParam);
      return 0;
    default:
      return IsEdit(control) ? EditMessage(control, message, wParam, lParam) : 0;
  }
}

}  // namespace sim
