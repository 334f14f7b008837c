#include "platform/ui/fltk/FltkFrontEnd.h"

#include "platform/ui/IconPixels.h"
#include "platform/ui/LayoutReport.h"
#include "platform/ui/UserEvents.h"
#include "platform/ui/FormLayout.h"
#include "platform/vcl/Forms.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/fl_ask.H>

namespace ui {

using namespace vcl;

namespace {

FltkFrontEnd* s_current = nullptr;

// The form's font: "System", bold, 16 pixels high with its leading; FLTK's bold sans
// face stands in for it, at the size whose texts fit the designed widths.
constexpr Fl_Font FormFont = FL_HELVETICA_BOLD;
constexpr int FormFontSize = 14;


// Menu labels treat '/', '\', '&' and '_' specially.
std::string MenuLabel(const std::string& text)
{
    std::string label;
    for (char c : text) {
        if (c == '/' || c == '\\' || c == '&' || c == '_')
            label.push_back('\\');
        label.push_back(c);
    }
    return label;
}

const char* KindName(const Fl_Widget* widget)
{
    if (dynamic_cast<const Fl_Input_Choice*>(widget))
        return "Fl_Input_Choice";
    if (dynamic_cast<const Fl_Hold_Browser*>(widget))
        return "Fl_Hold_Browser";
    if (dynamic_cast<const Fl_Progress*>(widget))
        return "Fl_Progress";
    if (dynamic_cast<const Fl_Button*>(widget))
        return "Fl_Button";
    if (dynamic_cast<const Fl_Group*>(widget))
        return "Fl_Group";
    return "Fl_Box";
}

} // namespace

FltkFrontEnd::FltkFrontEnd()
{
    s_current = this;
    Fl::event_dispatch(&FltkFrontEnd::FilterEvent);
}

FltkFrontEnd::~FltkFrontEnd()
{
    Fl::event_dispatch(nullptr);
    if (s_current == this)
        s_current = nullptr;
}

// While a handler runs, input to the main window is dropped; repaints and the modal
// boxes the handler shows go on.
int FltkFrontEnd::FilterEvent(int event, Fl_Window* window)
{
    FltkFrontEnd* self = s_current;
    bool input = event == FL_PUSH || event == FL_RELEASE || event == FL_DRAG || event == FL_KEYDOWN || event == FL_KEYUP
        || event == FL_MOUSEWHEEL || event == FL_SHORTCUT || event == FL_PASTE || event == FL_DND_ENTER
        || event == FL_DND_DRAG || event == FL_DND_RELEASE;
    if (self && self->m_gate.Busy() && input && window == self->m_window.get())
        return 0;
    return Fl::handle_(event, window);
}

Fl_Widget* FltkFrontEnd::CreateWidget(TControl& control)
{
    int x = 0;
    int y = 0;
    WindowPosition(control, x, y);
    const TBounds& bounds = control.Bounds();
    int w = bounds.Width;
    int h = bounds.Height;
    switch (control.Kind()) {
    case ControlKind::Panel: {
        auto* box = new Fl_Box(FL_FLAT_BOX, x, y, w, h, nullptr);
        return box;
    }
    case ControlKind::Label: {
        auto* label = new Fl_Box(x, y, w, h);
        label->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
        return label;
    }
    case ControlKind::ComboBox: {
        auto* combo = new Fl_Input_Choice(x, y, w, h);
        combo->textfont(FormFont);
        combo->textsize(FormFontSize);
        combo->menubutton()->textfont(FormFont);
        combo->menubutton()->textsize(FormFontSize);
        combo->menubutton()->callback(&FltkFrontEnd::OnRowChosen, this);
        combo->input()->when(FL_WHEN_CHANGED);
        combo->input()->callback(&FltkFrontEnd::OnTextTyped, this);
        return combo;
    }
    case ControlKind::FileListBox: {
        auto* list = new Fl_Hold_Browser(x, y, w, h);
        list->format_char(0);
        list->textfont(FormFont);
        list->textsize(FormFontSize);
        list->callback(&FltkFrontEnd::OnFileChosen, this);
        return list;
    }
    case ControlKind::GroupBox: {
        // The status line is the group's label, inside its frame, so each new text
        // paints over the last.
        auto* group = new Fl_Group(x, y, w, h);
        group->box(FL_ENGRAVED_BOX);
        group->align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP);
        group->end();
        return group;
    }
    case ControlKind::ProgressBar: {
        auto* bar = new Fl_Progress(x, y, w, h);
        bar->selection_color(FL_DARK_BLUE);
        return bar;
    }
    case ControlKind::Button: {
        auto* button = new Fl_Button(x, y, w, h);
        button->callback(&FltkFrontEnd::OnButton, this);
        return button;
    }
    case ControlKind::Form: return nullptr;
    }
    return nullptr;
}

void FltkFrontEnd::AttachForm(TForm& form)
{
    m_form = &form;
    int width = 0;
    int height = 0;
    ClientSize(form, width, height);
    m_window = std::make_unique<Fl_Double_Window>(form.Bounds().Left, form.Bounds().Top, width, height);
    m_window->callback(&FltkFrontEnd::OnClose, this);
    m_window->labelfont(FormFont);
    for (TControl* control : form.Components()) {
        Fl_Widget* widget = CreateWidget(*control);
        if (!widget)
            continue;
        widget->labelfont(FormFont);
        // The status line has the 16 pixels above the bar and the button.
        widget->labelsize(control->Kind() == ControlKind::GroupBox ? FormFontSize - 2 : FormFontSize);
        // Controls of the group box belong to its group, at their window positions.
        for (const Binding& parent : m_bindings) {
            if (parent.Control == control->Parent() && parent.Control->Kind() == ControlKind::GroupBox)
                static_cast<Fl_Group*>(parent.Widget)->add(widget);
        }
        m_bindings.push_back({ control, widget });
    }
    m_window->end();
    m_iconPixels = MainIconPixels();
    m_icon = std::make_unique<Fl_RGB_Image>(m_iconPixels.data(), IconSize, IconSize, 4);
    m_window->icon(m_icon.get());
    m_window->xclass("krvflash");
    m_window->copy_label(form.Caption().c_str());
    for (const Binding& binding : m_bindings)
        Sync(binding);
    form.SetObserver(this);
}

const FltkFrontEnd::Binding* FltkFrontEnd::Find(const Fl_Widget* widget) const
{
    for (const Binding& binding : m_bindings) {
        if (binding.Widget == widget)
            return &binding;
        if (auto* combo = dynamic_cast<Fl_Input_Choice*>(binding.Widget);
            combo && (combo->input() == widget || combo->menubutton() == widget))
            return &binding;
    }
    return nullptr;
}

// Copies a control's state into its widget; the widget's own callbacks stay quiet.
void FltkFrontEnd::Sync(const Binding& binding)
{
    m_gate.SetUpdating(true);
    TControl& control = *binding.Control;
    Fl_Widget* widget = binding.Widget;
    control.Visible() ? widget->show() : widget->hide();
    control.Enabled() ? widget->activate() : widget->deactivate();
    switch (control.Kind()) {
    case ControlKind::ComboBox: {
        auto& combo = static_cast<TComboBox&>(control);
        auto* choice = static_cast<Fl_Input_Choice*>(widget);
        choice->clear();
        for (const std::string& item : combo.Items.Items())
            choice->add(MenuLabel(item).c_str());
        if (combo.ItemIndex() >= 0)
            choice->menubutton()->value(combo.ItemIndex());
        choice->value(combo.Text().c_str());
        break;
    }
    case ControlKind::FileListBox: {
        auto& list = static_cast<TFileListBox&>(control);
        auto* browser = static_cast<Fl_Hold_Browser*>(widget);
        browser->clear();
        for (const std::string& item : list.Items())
            browser->add(item.c_str());
        browser->value(list.ItemIndex() + 1);
        break;
    }
    case ControlKind::ProgressBar: {
        auto& bar = static_cast<TProgressBar&>(control);
        auto* progress = static_cast<Fl_Progress*>(widget);
        progress->minimum(static_cast<float>(bar.Min()));
        progress->maximum(static_cast<float>(bar.Max() > bar.Min() ? bar.Max() : bar.Min() + 1));
        progress->value(static_cast<float>(bar.Position()));
        break;
    }
    case ControlKind::Panel: break;
    default: widget->copy_label(control.Caption().c_str()); break;
    }
    widget->redraw();
    m_gate.SetUpdating(false);
}

void FltkFrontEnd::ControlChanged(TControl& control, Property property)
{
    if (control.Kind() == ControlKind::Form) {
        if (property == Property::Caption && m_window)
            m_window->copy_label(control.Caption().c_str());
        return;
    }
    for (const Binding& binding : m_bindings) {
        if (binding.Control != &control)
            continue;
        Sync(binding);
        if (property == Property::Progress && !m_progress.Moved(static_cast<TProgressBar&>(control)))
            return;
        // A long handler repaints what it changed at once.
        if (m_gate.Busy() && m_window && m_window->shown()
            && (property == Property::Repaint || property == Property::Progress))
            Fl::check();
        return;
    }
}

void FltkFrontEnd::CursorChanged(TCursor cursor)
{
    if (!m_window || !m_window->shown())
        return;
    m_window->cursor(cursor == TCursor::HourGlass ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
    Fl::check();
}

TModalResult FltkFrontEnd::RunDialog(const std::string& text, DialogKind kind, TMsgDlgButtons buttons)
{
    fl_message_title(DialogCaption(kind));
    fl_message_font(FormFont, 14);
    if (buttons == TMsgDlgButtons::YesNo) {
        // No is the Escape button, Yes the Return button.
        return fl_choice("%s", "No", "Yes", nullptr, text.c_str()) == 1 ? TModalResult::Yes : TModalResult::No;
    }
    if (kind == DialogKind::Message || kind == DialogKind::Information)
        fl_message("%s", text.c_str());
    else
        fl_alert("%s", text.c_str());
    return TModalResult::OK;
}

void FltkFrontEnd::Fire(const std::function<void()>& handler)
{
    m_gate.Fire(m_application, handler);
    Report();
}

void FltkFrontEnd::OnRowChosen(Fl_Widget* widget, void* data)
{
    auto* self = static_cast<FltkFrontEnd*>(data);
    const Binding* binding = self->Find(widget);
    if (!binding || self->m_gate.Updating())
        return;
    auto* combo = static_cast<TComboBox*>(binding->Control);
    int row = static_cast<Fl_Menu_Button*>(widget)->value();
    self->Fire([combo, row] { ChooseRow(*combo, row); });
}

void FltkFrontEnd::OnTextTyped(Fl_Widget* widget, void* data)
{
    auto* self = static_cast<FltkFrontEnd*>(data);
    const Binding* binding = self->Find(widget);
    if (!binding || self->m_gate.Updating())
        return;
    auto* combo = static_cast<TComboBox*>(binding->Control);
    std::string text = static_cast<Fl_Input*>(widget)->value();
    self->Fire([combo, text] { TypeText(*combo, text); });
}

void FltkFrontEnd::OnFileChosen(Fl_Widget* widget, void* data)
{
    auto* self = static_cast<FltkFrontEnd*>(data);
    const Binding* binding = self->Find(widget);
    if (!binding || self->m_gate.Updating())
        return;
    auto* list = static_cast<TFileListBox*>(binding->Control);
    int index = static_cast<Fl_Hold_Browser*>(widget)->value() - 1;
    self->Fire([list, index] { ChooseFile(*list, index); });
}

void FltkFrontEnd::OnButton(Fl_Widget* widget, void* data)
{
    auto* self = static_cast<FltkFrontEnd*>(data);
    const Binding* binding = self->Find(widget);
    if (!binding || self->m_gate.Updating())
        return;
    auto* button = static_cast<TButton*>(binding->Control);
    self->Fire([button] { Press(*button); });
}

void FltkFrontEnd::OnClose(Fl_Widget*, void* data)
{
    auto* self = static_cast<FltkFrontEnd*>(data);
    // A running handler cannot be left; closing is always allowed otherwise.
    if (self->m_gate.Busy() || !self->m_form)
        return;
    self->m_form->Close();
}

void FltkFrontEnd::Report() const
{
    if (!m_window)
        return;
    std::vector<ReportedControl> controls;
    for (const Binding& binding : m_bindings) {
        const Fl_Widget* widget = binding.Widget;
        std::string text = widget->label() ? widget->label() : "";
        if (auto* choice = dynamic_cast<Fl_Input_Choice*>(binding.Widget)) {
            text = choice->value() ? choice->value() : "";
            for (int i = 0; i < choice->menubutton()->size() - 1; ++i) {
                text.push_back('|');
                text.append(choice->menubutton()->text(i) ? choice->menubutton()->text(i) : "");
            }
        } else if (auto* browser = dynamic_cast<const Fl_Hold_Browser*>(widget)) {
            text.clear();
            for (int line = 1; line <= browser->size(); ++line) {
                if (line > 1)
                    text.push_back('|');
                if (line == browser->value())
                    text.push_back('*');
                text.append(browser->text(line));
            }
        } else if (auto* progress = dynamic_cast<const Fl_Progress*>(widget)) {
            text = std::to_string(static_cast<int>(progress->value()));
            text.push_back('/');
            text.append(std::to_string(static_cast<int>(progress->maximum())));
        }
        controls.push_back({ binding.Control->Name(), KindName(widget), widget->x(), widget->y(), widget->w(), widget->h(),
            widget->visible() != 0, widget->active() != 0, text });
    }
    WriteLayoutReport(m_window->label() ? m_window->label() : "", m_window->w(), m_window->h(), controls);
}

void FltkFrontEnd::RunMessageLoop(TApplication& application)
{
    m_application = &application;
    m_window->show();
    Fl::check();
    Report();
    while (!application.ShouldStop() && m_window->shown()) {
        if (Fl::wait() < 0)
            break;
    }
    m_window->hide();
    Fl::check();
    m_application = nullptr;
}

} // namespace ui
