// Error messages: a box with no owner, caption "err", OK only; none at all
// when the run was told that nobody is there to answer.
#pragma once

void ShowErrorText(const char *text);
// Shows the message of `key` in the current language.
void ShowErrorMessage(const char *key);
