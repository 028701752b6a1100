#pragma once

#include <string_view>

class QWidget;

// The program's message boxes: the text of a language key, captioned with the error or the
// warning caption. Main thread only.

// A stop-icon box with OK.
void ShowErrorMessage(QWidget* owner, std::string_view messageKey);
void ShowErrorText(QWidget* owner, std::string_view text);

// An exclamation box with OK and Cancel; true for OK. Cancel abandons the operation.
bool ConfirmWarning(QWidget* owner, std::string_view messageKey);
bool ConfirmWarningText(QWidget* owner, std::string_view text);
