#include "ui/dialog_colors.h"

INT_PTR PaintLightGrey(WPARAM deviceContext) {
  SetBkColor(reinterpret_cast<HDC>(deviceContext), kLightGrey);
  return reinterpret_cast<INT_PTR>(GetStockObject(LTGRAY_BRUSH));
}
