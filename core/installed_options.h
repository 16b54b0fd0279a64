// Handing the installer's options on to the installed program: the chosen
// language as one more option, then the whole list in "tova.opt".
#pragma once

// Appends ("prefLanguage", character code of the language letter) unless the
// language is English.
void AddLanguageOption();
// Writes "tova.opt" in the destination directory (16-bit count, then each
// name and value with its NUL) and records it as installed; nothing when the
// list is empty or the file exists already. A file that cannot be written
// whole is removed and not recorded.
void WriteInstalledOptions();
