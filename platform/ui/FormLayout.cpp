#include "platform/ui/FormLayout.h"

#include "platform/vcl/Forms.h"

namespace ui {

using namespace vcl;

void WindowPosition(const TControl& control, int& x, int& y)
{
    x = control.Bounds().Left;
    y = control.Bounds().Top;
    for (TControl* parent = control.Parent(); parent && parent->Kind() != ControlKind::Form; parent = parent->Parent()) {
        x += parent->Bounds().Left;
        y += parent->Bounds().Top;
    }
}

void ClientSize(const TForm& form, int& width, int& height)
{
    width = form.Bounds().Width;
    height = form.Bounds().Height;
    for (TControl* control : form.Components()) {
        if (control->Parent() == &form && form.AutoSize) {
            width = control->Bounds().Width;
            height = control->Bounds().Height;
        }
    }
}

const char* DialogCaption(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Message:
    case DialogKind::Exception: return Application->Title.c_str();
    case DialogKind::Warning: return "Warning";
    case DialogKind::Confirmation: return "Confirm";
    case DialogKind::Error: return "Error";
    case DialogKind::Information: return "Information";
    }
    return "";
}

bool ProgressPainter::Moved(const TProgressBar& bar)
{
    long long span = static_cast<long long>(bar.Max()) - bar.Min();
    int filled = span > 0 ? static_cast<int>((static_cast<long long>(bar.Position()) - bar.Min()) * bar.Bounds().Width / span) : 0;
    if (filled == m_filled)
        return false;
    m_filled = filled;
    return true;
}

} // namespace ui
