// Template ids of the five dialogs and the ids of the controls that their
// procedures address. A language variant of a template has id base + language.
#pragma once

#include <windows.h>

constexpr WORD kPathDialogId = 200;
constexpr WORD kLicenseDialogId = 210;
constexpr WORD kCopyDialogId = 220;
constexpr WORD kCompleteDialogId = 230;
constexpr WORD kAssocDialogId = 240;

// Buttons 1 and 2 of every dialog: go on ("Install MoraLUME", "I Agree",
// "Associate Files", "Run MoraLUME Now") and leave ("Exit Installation",
// "Exit"); Enter and Esc arrive as these commands too.
constexpr int kGoOnButtonId = 1;
constexpr int kExitButtonId = 2;

// Path dialog
constexpr int kPathEntryId = 101;
constexpr int kSizeLineId = 102;
// Licence dialog
constexpr int kAgreementBoxId = 101;
// Copy dialog
constexpr int kProgressBarId = 101;
// Association checklist: boxes 103 to 112 in the order of the association flags.
constexpr int kFirstAssociationBoxId = 103;
constexpr int kSkipButtonId = 113;
// Completion dialog: the lines that speak of the Run button (116 only in
// translated templates).
constexpr int kRunLineIds[] = {114, 115, 116};
