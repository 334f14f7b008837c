#include "resources/FormDescription.h"

#include <cstring>

using namespace vcl;

static TControl* CreateControl(TForm& form, const ControlDescription& description)
{
    if (!description.Parent)
        return &form;
    TControl* parent = form.Name() == description.Parent ? &form : form.FindComponent(description.Parent);
    switch (description.Kind) {
    case ControlKind::Panel: return form.Create<TPanel>(parent, description.Name);
    case ControlKind::Label: return form.Create<TLabel>(parent, description.Name);
    case ControlKind::ComboBox: {
        auto* combo = form.Create<TComboBox>(parent, description.Name);
        combo->ItemHeight = description.ItemHeight;
        return combo;
    }
    case ControlKind::FileListBox: {
        auto* list = form.Create<TFileListBox>(parent, description.Name);
        list->ItemHeight = description.ItemHeight;
        return list;
    }
    case ControlKind::GroupBox: return form.Create<TGroupBox>(parent, description.Name);
    case ControlKind::ProgressBar: {
        auto* bar = form.Create<TProgressBar>(parent, description.Name);
        bar->SetMin(ProgressBarMin);
        bar->SetMax(ProgressBarMax);
        bar->Smooth = ProgressBarSmooth;
        return bar;
    }
    case ControlKind::Button: return form.Create<TButton>(parent, description.Name);
    case ControlKind::Form: return &form;
    }
    return nullptr;
}

void LoadFlashFormDescription(TForm& form)
{
    form.Font = { FlashFormFontName, FlashFormFontHeight, FlashFormFontBold, FlashFormFontCharset };
    form.AutoSize = FlashFormAutoSize;
    for (const ControlDescription& description : FlashFormDescription) {
        TControl* control = CreateControl(form, description);
        control->SetBounds(description.Bounds);
        control->TabOrder = description.TabOrder;
        control->SetCaption(description.Caption);
        control->SetVisible(description.Visible);
        control->SetEnabled(description.Enabled);
    }
}
