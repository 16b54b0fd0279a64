// Writes standard dialog templates for tests: variants and odd templates
// served through sim::SetResource.
#pragma once

#include <string>

#include "win32sim/testapi.h"

namespace dialog_test {

inline void PutWord(std::string &out, unsigned value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

inline void PutDword(std::string &out, uint32_t value) {
  PutWord(out, value & 0xFFFF);
  PutWord(out, value >> 16);
}

inline void PutString(std::string &out, const std::string &text) {
  for (unsigned char c : text) PutWord(out, c);
  PutWord(out, 0);
}

// "" is none, "#n" an ordinal, anything else a string.
inline void PutStringOrOrdinal(std::string &out, const std::string &text) {
  if (text.empty()) {
    PutWord(out, 0);
  } else if (text[0] == '#') {
    PutWord(out, 0xFFFF);
    PutWord(out, static_cast<unsigned>(std::stoi(text.substr(1))));
  } else {
    PutString(out, text);
  }
}

inline unsigned ClassAtom(const std::string &name) {
  if (name == "BUTTON") return 0x80;
  if (name == "EDIT") return 0x81;
  if (name == "STATIC") return 0x82;
  return 0;
}

inline std::string BuildDialogTemplate(const sim::DialogTemplate &dialog) {
  std::string out;
  PutDword(out, dialog.style);
  PutDword(out, dialog.exStyle);
  PutWord(out, static_cast<unsigned>(dialog.controls.size()));
  for (int value : {dialog.x, dialog.y, dialog.width, dialog.height}) PutWord(out, static_cast<unsigned>(value));
  PutStringOrOrdinal(out, dialog.menu);
  PutStringOrOrdinal(out, dialog.className);
  PutString(out, dialog.caption);
  if (dialog.style & 0x40) {
    PutWord(out, static_cast<unsigned>(dialog.pointSize));
    PutString(out, dialog.fontName);
  }
  for (const sim::TemplateControl &control : dialog.controls) {
    while (out.size() % 4) out += '\0';
    PutDword(out, control.style);
    PutDword(out, control.exStyle);
    for (int value : {control.x, control.y, control.width, control.height}) PutWord(out, static_cast<unsigned>(value));
    PutWord(out, static_cast<unsigned>(control.id) & 0xFFFF);
    unsigned atom = ClassAtom(control.className);
    if (atom) {
      PutWord(out, 0xFFFF);
      PutWord(out, atom);
    } else {
      PutString(out, control.className);
    }
    if (control.textOrdinal >= 0) {
      PutWord(out, 0xFFFF);
      PutWord(out, static_cast<unsigned>(control.textOrdinal));
    } else {
      PutString(out, control.text);
    }
    PutWord(out, control.creationData.empty() ? 0 : static_cast<unsigned>(control.creationData.size() + 2));
    out += control.creationData;
  }
  return out;
}

// The template that the module carries under `id`, parsed.
inline sim::DialogTemplate BuiltTemplate(int id) {
  sim::DialogTemplate parsed;
  std::string error;
  const sim::Resource *resource = sim::FindResource(5, id);
  if (resource) sim::ParseDialogTemplate(resource->bytes, parsed, error);
  return parsed;
}

inline sim::TemplateControl Control(int id, const std::string &className, uint32_t style, const std::string &text) {
  sim::TemplateControl control;
  control.id = id;
  control.className = className;
  control.style = style;
  control.text = text;
  control.width = 40;
  control.height = 12;
  return control;
}

}  // namespace dialog_test
