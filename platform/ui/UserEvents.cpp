#include "platform/ui/UserEvents.h"

namespace ui {

using namespace vcl;

void ChooseRow(TComboBox& combo, int row)
{
    combo.SetItemIndex(row);
    combo.Change();
}

void TypeText(TComboBox& combo, const std::string& text)
{
    combo.SetText(text);
    combo.Change();
}

void ChooseFile(TFileListBox& list, int index)
{
    list.SetItemIndex(index);
    list.Click();
}

void Press(TButton& button)
{
    button.Click();
}

void HandlerGate::Fire(TApplication* application, const std::function<void()>& handler)
{
    if (m_busy || m_updating || !application)
        return;
    m_busy = true;
    application->Dispatch(handler);
    m_busy = false;
}

} // namespace ui
