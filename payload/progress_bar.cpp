#include "payload/progress_bar.h"


#include "core/format_text.h"
#include "payload/payload_reader.h"
#include "ui/dialog_ids.h"

namespace {
const DWORD kRedrawInterval = 50;
const long long kLargestFigure = 0x7FFFFFFF;
}  // namespace

void RedrawProgress(HWND dialog, DWORD *lastRedraw, char *text, size_t textSize) {
  if (GetTickCount() - *lastRedraw <= kRedrawInterval) return;
  // A damaged header may claim a total of 0; there is nothing to scale by.
  if (g_payloadTotalSize == 0) return;
  HWND control = GetDlgItem(dialog, kProgressBarId);
  RECT client;
  GetClientRect(control, &client);
  HDC dc = GetDC(control);
  long long delivered = g_payloadDelivered;
  long long total = g_payloadTotalSize;
  RECT bar = client;
  bar.right = static_cast<LONG>(static_cast<long long>(client.right - client.left) * delivered / total);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  long long percent = delivered * 100 / total;
  FormatText(text, textSize, "%ld%%", static_cast<long>(percent < kLargestFigure ? percent : kLargestFigure));
  DrawTextA(dc, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
  InvertRect(dc, &bar);
  ReleaseDC(control, dc);
  *lastRedraw = GetTickCount();
}
