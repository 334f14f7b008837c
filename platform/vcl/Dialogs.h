#pragma once

// Modal message boxes: the plain message box and the message dialog.

#include <string>

namespace vcl {

enum class TMsgDlgType { Warning, Error, Information, Confirmation };
enum class TMsgDlgButtons { OK, YesNo };
enum class TModalResult { None, OK, Yes, No };

// The plain message box: OK button, the application title as caption, no icon.
void ShowMessage(const std::string& text);

// A message dialog of the given type; the answer, or None when closed without one.
TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons,
    int helpContext);

} // namespace vcl
