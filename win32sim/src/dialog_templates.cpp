// Standard dialog templates (DLGTEMPLATE followed by DWORD-aligned
// DLGITEMTEMPLATEs), every read checked against the resource's size.
#include <cstring>

#include "win32sim/testapi.h"

namespace {

class TemplateReader {
 public:
  explicit TemplateReader(const std::string &bytes) : bytes_(bytes) {}

  bool Word(uint16_t &value) {
    if (at_ + 2 > bytes_.size()) return false;
    value = static_cast<uint16_t>(Byte(at_) | (Byte(at_ + 1) << 8));
    at_ += 2;
    return true;
  }
  bool Dword(uint32_t &value) {
    uint16_t low, high;
    if (!Word(low) || !Word(high)) return false;
    value = low | (static_cast<uint32_t>(high) << 16);
    return true;
  }
  bool Short(int &value) {
    uint16_t word;
    if (!Word(word)) return false;
    value = static_cast<int16_t>(word);
    return true;
  }
  // A NUL-terminated UTF-16 string, narrowed: characters above 255 become '?'.
  bool String(std::string &out) {
    out.clear();
    for (uint16_t c; Word(c);) {
      if (c == 0) return true;
      out += c < 256 ? static_cast<char>(c) : '?';
    }
    return false;
  }
  // 0x0000 (nothing), 0xFFFF and an ordinal, or a string.
  bool StringOrOrdinal(std::string &text, int &ordinal) {
    ordinal = -1;
    text.clear();
    if (at_ + 2 > bytes_.size()) return false;
    uint16_t first = static_cast<uint16_t>(Byte(at_) | (Byte(at_ + 1) << 8));
    if (first == 0) {
      at_ += 2;
      return true;
    }
    if (first == 0xFFFF) {
      uint16_t value;
      at_ += 2;
      if (!Word(value)) return false;
      ordinal = value;
      return true;
    }
    return String(text);
  }
  bool Skip(size_t count) {
    if (count > bytes_.size() - at_) return false;
    at_ += count;
    return true;
  }
  bool AlignToDword() { return Skip((4 - at_ % 4) % 4); }
  bool Bytes(size_t count, std::string &out) {
    if (count > bytes_.size() - at_) return false;
    out = bytes_.substr(at_, count);
    at_ += count;
    return true;
  }

 private:
  unsigned Byte(size_t at) const { return static_cast<unsigned char>(bytes_[at]); }
  const std::string &bytes_;
  size_t at_ = 0;
};

std::string ClassOfAtom(int atom) {
  switch (atom) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case 0x83: return "LISTBOX";
    case 0x84: return "SCROLLBAR";
    case 0x85: return "COMBOBOX";
    default: return "#" + std::to_string(atom);
  }
}

std::string Upper(std::string text) {
  for (char &c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool ParseControl(TemplateReader &reader, sim::TemplateControl &control, std::string &error) {
  uint16_t id, extraSize;
  int classAtom;
  if (!reader.AlignToDword() || !reader.Dword(control.style) || !reader.Dword(control.exStyle) ||
      !reader.Short(control.x) || !reader.Short(control.y) || !reader.Short(control.width) ||
      !reader.Short(control.height) || !reader.Word(id)) {
    error = "control header cut short";
    return false;
  }
  control.id = id == 0xFFFF ? -1 : id;
  if (!reader.StringOrOrdinal(control.className, classAtom)) {
    error = "control class cut short";
    return false;
  }
  control.className = classAtom >= 0 ? ClassOfAtom(classAtom) : Upper(control.className);
  if (!reader.StringOrOrdinal(control.text, control.textOrdinal) || !reader.Word(extraSize)) {
    error = "control text cut short";
    return false;
  }
  // In standard templates a nonzero size counts the size word itself.
  if (extraSize > 0 && (extraSize < 2 || !reader.Bytes(extraSize - 2u, control.creationData))) {
    error = "control creation data cut short";
    return false;
  }
  return true;
}

}  // namespace

namespace sim {

bool ParseDialogTemplate(const std::string &bytes, DialogTemplate &parsed, std::string &error) {
  parsed = DialogTemplate();
  TemplateReader reader(bytes);
  uint16_t count;
  if (bytes.size() >= 4 && static_cast<unsigned char>(bytes[2]) == 0xFF && static_cast<unsigned char>(bytes[3]) == 0xFF &&
      bytes[0] == 1 && bytes[1] == 0) {
    error = "extended templates are not supported";
    return false;
  }
  if (!reader.Dword(parsed.style) || !reader.Dword(parsed.exStyle) || !reader.Word(count) ||
      !reader.Short(parsed.x) || !reader.Short(parsed.y) || !reader.Short(parsed.width) ||
      !reader.Short(parsed.height)) {
    error = "dialog header cut short";
    return false;
  }
  int menuOrdinal, classOrdinal;
  if (!reader.StringOrOrdinal(parsed.menu, menuOrdinal) || !reader.StringOrOrdinal(parsed.className, classOrdinal) ||
      !reader.String(parsed.caption)) {
    error = "menu, class or caption cut short";
    return false;
  }
  if (menuOrdinal >= 0) parsed.menu = "#" + std::to_string(menuOrdinal);
  if (classOrdinal >= 0) parsed.className = "#" + std::to_string(classOrdinal);
  if (parsed.style & 0x40) {  // DS_SETFONT
    uint16_t points;
    if (!reader.Word(points) || !reader.String(parsed.fontName)) {
      error = "font cut short";
      return false;
    }
    parsed.pointSize = points;
  }
  for (uint16_t i = 0; i < count; ++i) {
    TemplateControl control;
    if (!ParseControl(reader, control, error)) {
      error = "control " + std::to_string(i + 1) + ": " + error;
      return false;
    }
    parsed.controls.push_back(control);
  }
  return true;
}

}  // namespace sim
