// Entry names in the installer's ANSI code page. The host gives names in
// UTF-8 but the installer writes files through the Windows ANSI functions,
// so the stored bytes must be those of the code page the installer runs in.
#pragma once

#include <iconv.h>

#include <string>

constexpr char kDefaultCodePage[] = "CP1252";  // Windows-1252, Western European

class NameCodePage {
 public:
  NameCodePage() = default;
  ~NameCodePage();
  NameCodePage(const NameCodePage &) = delete;
  NameCodePage &operator=(const NameCodePage &) = delete;

  // One of Windows' ANSI code pages, the only ones the installer can run in:
  // 874, 932, 936, 949, 950 or 1250 to 1258, given as the number ("1250"),
  // "CP1250" or "WINDOWS-1250" in any case. False with the reason for any
  // other name (ISO-8859-1, UTF-8, CP437, "CP1252//TRANSLIT"...), or when
  // iconv does not know it or it does not keep ASCII as it is (the names'
  // marks and rules are ASCII).
  bool Open(const std::string &codePage, std::string &error);
  const std::string &Name() const { return name_; }
  // Its number: 1252 for CP1252.
  unsigned Number() const;

  // The bytes of a UTF-8 name in this code page. False with the reason when
  // the name is not valid UTF-8, or a character has no byte form here or
  // would come back as another one (the installer would write another name).
  bool Encode(const std::string &utf8, std::string &stored, std::string &problem) const;

  // Stored bytes as UTF-8, for showing; a byte the code page does not
  // define is shown as \xNN.
  //
  // Both keep iconv state: not for two threads at once.
  std::string Decode(const std::string &stored) const;

  // Stored bytes as Windows compares names: every letter upper-cased, not
  // just the ASCII ones ("\xD6lbild.png" and "\xF6lbild.png" are one file).
  std::string CaseKey(const std::string &stored) const;

 private:
  void Close();

  std::string name_;
  // Null until opened.
  iconv_t toCodePage_ = nullptr;
  iconv_t toUtf8_ = nullptr;
  iconv_t checkUtf8_ = nullptr;  // UTF-8 to UTF-32: finds bad UTF-8 and measures characters
};

// The default code page, opened once: for callers that do not choose one.
const NameCodePage &DefaultNameCodePage();
