#pragma once

// What a user does to the window, turned into the calls the class library makes on the
// form, the same in every front end; and the gate through which a native front end
// runs the form's handlers, one at a time.

#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

#include <functional>
#include <string>

namespace ui {

// A row chosen in the combo box's list: the row is selected, then OnChange.
void ChooseRow(vcl::TComboBox& combo, int row);
// Text typed into the combo box's field: no row stays selected, then OnChange.
void TypeText(vcl::TComboBox& combo, const std::string& text);
// An entry of the file list chosen (-1: a click that selects none), then OnClick.
void ChooseFile(vcl::TFileListBox& list, int index);
void Press(vcl::TButton& button);

class HandlerGate {
public:
    // Runs one event handler through the application object. While it runs, and while
    // the front end copies the model into its widgets, further events are dropped.
    void Fire(vcl::TApplication* application, const std::function<void()>& handler);
    bool Busy() const { return m_busy; }
    bool Updating() const { return m_updating; }
    void SetUpdating(bool updating) { m_updating = updating; }

private:
    bool m_busy = false;
    bool m_updating = false;
};

} // namespace ui
