#pragma once

// What a front end does for the class-library stand-in: observe the form and draw it,
// run the modal boxes, and run the message loop.

#include "platform/vcl/Controls.h"
#include "platform/vcl/Dialogs.h"

#include <memory>
#include <string>

namespace vcl {

class TApplication;

enum class DialogKind { Message, Warning, Confirmation, Error, Information, Exception };

class FrontEnd : public ControlObserver {
public:
    // The main form: from now on its changes reach this front end.
    virtual void AttachForm(TForm& form) = 0;
    virtual TModalResult RunDialog(const std::string& text, DialogKind kind,
        TMsgDlgButtons buttons)
        = 0;
    // Runs until the application stops (a quit request or the window closed).
    virtual void RunMessageLoop(TApplication& application) = 0;
};

// The front end this program was built and started for (KRVFLASH_UI and the desktop).
std::unique_ptr<FrontEnd> CreateFrontEnd();

} // namespace vcl
