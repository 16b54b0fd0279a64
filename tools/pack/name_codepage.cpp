#include "tools/pack/name_codepage.h"

#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

const iconv_t kOpenFailed = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));
const size_t kConvertFailed = static_cast<size_t>(-1);

iconv_t OpenOrNull(const char *to, const char *from) {
  iconv_t descriptor = iconv_open(to, from);
  return descriptor == kOpenFailed ? nullptr : descriptor;
}

void CloseIfOpen(iconv_t &descriptor) {
  if (descriptor) iconv_close(descriptor);
  descriptor = nullptr;
}

// Converts the whole of `in` from the descriptor's initial state. False at
// the first sequence it cannot convert, whose offset goes to `stop`; `out`
// then holds the conversion of what came before.
bool Convert(iconv_t descriptor, const std::string &in, std::string &out, size_t &stop) {
  iconv(descriptor, nullptr, nullptr, nullptr, nullptr);
  out.clear();
  char *next = const_cast<char *>(in.data());  // iconv does not write its input
  size_t left = in.size();
  bool flushing = false;  // the input is done; stateful code pages may owe a return to their initial state
  for (;;) {
    char buffer[256];
    char *write = buffer;
    size_t room = sizeof buffer;
    size_t result = flushing ? iconv(descriptor, nullptr, nullptr, &write, &room)
                             : iconv(descriptor, &next, &left, &write, &room);
    out.append(buffer, static_cast<size_t>(write - buffer));
    if (result != kConvertFailed) {
      if (flushing) return true;
      flushing = true;
    } else if (errno != E2BIG) {
      stop = in.size() - left;
      return false;
    }
  }
}

// The ANSI code pages of Windows: what the installer's names can be in.
const char *const kAnsiCodePages[] = {"874",  "932",  "936",  "949",  "950",  "1250", "1251",
                                      "1252", "1253", "1254", "1255", "1256", "1257", "1258"};

// "1250", "CP1250" or "WINDOWS-1250" (any case) of an ANSI code page: its
// number. Nothing else, not even an iconv suffix such as "//TRANSLIT", which
// would store look-alikes of the characters it cannot hold.
bool AnsiCodePageNumber(const std::string &given, std::string &number) {
  number = given;
  for (const char *prefix : {"CP", "WINDOWS-"})
    if (strncasecmp(given.c_str(), prefix, strlen(prefix)) == 0) number = given.substr(strlen(prefix));
  for (const char *accepted : kAnsiCodePages)
    if (number == accepted) return true;
  return false;
}

}  // namespace

NameCodePage::~NameCodePage() { Close(); }

void NameCodePage::Close() {
  CloseIfOpen(toCodePage_);
  CloseIfOpen(toUtf8_);
  CloseIfOpen(checkUtf8_);
}

bool NameCodePage::Open(const std::string &codePage, std::string &error) {
  Close();
  std::string number;
  if (!AnsiCodePageNumber(codePage, number)) {
    error = "code page \"" + codePage + "\" is not one the installer can run in: give one of Windows' ANSI code "
            "pages 874, 932, 936, 949, 950 or 1250 to 1258, as the number (1250), CP1250 or WINDOWS-1250";
    return false;
  }
  name_ = "CP" + number;
  toCodePage_ = OpenOrNull(name_.c_str(), "UTF-8");
  toUtf8_ = OpenOrNull("UTF-8", name_.c_str());
  checkUtf8_ = OpenOrNull("UTF-32LE", "UTF-8");
  if (!toCodePage_ || !toUtf8_ || !checkUtf8_) {
    error = "code page " + name_ + " is not known to this system's iconv";
    Close();
    return false;
  }
  std::string ascii, stored, problem;
  for (char c = ' '; c <= '~'; ++c) ascii += c;
  if (!Encode(ascii, stored, problem) || stored != ascii) {
    error = "code page \"" + codePage + "\" does not keep ASCII characters as they are, which Windows' ANSI code "
            "pages do";
    Close();
    return false;
  }
  return true;
}

bool NameCodePage::Encode(const std::string &utf8, std::string &stored, std::string &problem) const {
  stored.clear();
  if (!toCodePage_) {
    problem = "no code page is open";
    return false;
  }
  std::string scratch;
  size_t stop = 0;
  if (!Convert(checkUtf8_, utf8, scratch, stop)) {
    char where[48];
    snprintf(where, sizeof where, " at byte %zu (0x%02X)", stop + 1, static_cast<unsigned char>(utf8[stop]));
    problem = std::string("not valid UTF-8") + where;
    return false;
  }
  if (!Convert(toCodePage_, utf8, stored, stop)) {
    // One character: UTF-32 output room for one stops iconv after it.
    iconv(checkUtf8_, nullptr, nullptr, nullptr, nullptr);
    char *next = const_cast<char *>(utf8.data()) + stop;
    size_t left = utf8.size() - stop;
    char one[4];
    char *write = one;
    size_t room = sizeof one;
    iconv(checkUtf8_, &next, &left, &write, &room);
    problem = "'" + utf8.substr(stop, utf8.size() - stop - left) + "' is not in code page " + name_;
    return false;
  }
  // A character may map to a look-alike (CP932 takes U+203E to '~'); the
  // installer would then write another name, or a '\' or '!' it never saw.
  std::string back;
  if (!Convert(toUtf8_, stored, back, stop) || back != utf8) {
    problem = "code page " + name_ + " would give it back as \"" + Decode(stored) + "\"";
    return false;
  }
  return true;
}

std::string NameCodePage::Decode(const std::string &stored) const {
  if (!toUtf8_) return stored;
  std::string shown, piece;
  size_t start = 0, stop = 0;
  for (;;) {
    std::string rest = stored.substr(start);
    if (Convert(toUtf8_, rest, piece, stop) || stop >= rest.size()) return shown + piece;
    char escape[5];
    snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(rest[stop]));
    shown += piece + escape;
    start += stop + 1;
  }
}

std::string NameCodePage::CaseKey(const std::string &stored) const {
  if (!toUtf8_) return stored;
  // Unicode case mappings, whatever the process locale is.
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  std::string utf32, key;
  size_t stop = 0;
  Convert(checkUtf8_, Decode(stored), utf32, stop);  // Decode gives valid UTF-8
  for (size_t i = 0; i + 4 <= utf32.size(); i += 4) {
    uint32_t c = 0;
    for (int byte = 3; byte >= 0; --byte) c = c << 8 | static_cast<unsigned char>(utf32[i + byte]);
    // Without C.UTF-8, the C locale still folds ASCII letters.
    wint_t upper = unicode ? towupper_l(static_cast<wint_t>(c), unicode) : towupper(static_cast<wint_t>(c));
    for (int byte = 0; byte < 4; ++byte) key += static_cast<char>((upper >> (8 * byte)) & 0xFF);
  }
  return key;
}

const NameCodePage &DefaultNameCodePage() {
  struct Opened {
    NameCodePage codePage;
    Opened() {
      std::string ignored;  // a failure shows in every Encode: "no code page is open"
      codePage.Open(kDefaultCodePage, ignored);
    }
  };
  static const Opened opened;
  return opened.codePage;
}

unsigned NameCodePage::Number() const { return name_.size() > 2 ? static_cast<unsigned>(std::stoul(name_.substr(2))) : 0; }
