#pragma once

// The window on Linux desktops: the designed form laid out with FLTK widgets, FLTK's
// message boxes, and FLTK's event loop.

#include "platform/ui/FormLayout.h"
#include "platform/ui/UserEvents.h"
#include "platform/vcl/FrontEnd.h"

#include <cstdint>
#include <memory>
#include <vector>

class Fl_Double_Window;
class Fl_RGB_Image;
class Fl_Widget;
class Fl_Window;

namespace ui {

class FltkFrontEnd final : public vcl::FrontEnd {
public:
    FltkFrontEnd();
    ~FltkFrontEnd() override;

    void AttachForm(vcl::TForm& form) override;
    void ControlChanged(vcl::TControl& control, vcl::Property property) override;
    void CursorChanged(vcl::TCursor cursor) override;
    vcl::TModalResult RunDialog(const std::string& text, vcl::DialogKind kind, vcl::TMsgDlgButtons buttons) override;
    void RunMessageLoop(vcl::TApplication& application) override;

private:
    struct Binding {
        vcl::TControl* Control;
        Fl_Widget* Widget;
    };

    Fl_Widget* CreateWidget(vcl::TControl& control);
    void Sync(const Binding& binding);
    const Binding* Find(const Fl_Widget* widget) const;
    // Runs an event handler of the form; input to the window is dropped while it runs.
    void Fire(const std::function<void()>& handler);
    void Report() const;

    static void OnRowChosen(Fl_Widget* widget, void* data);
    static void OnTextTyped(Fl_Widget* widget, void* data);
    static void OnFileChosen(Fl_Widget* widget, void* data);
    static void OnButton(Fl_Widget* widget, void* data);
    static void OnClose(Fl_Widget* widget, void* data);
    static int FilterEvent(int event, Fl_Window* window);

    vcl::TForm* m_form = nullptr;
    vcl::TApplication* m_application = nullptr;
    std::unique_ptr<Fl_Double_Window> m_window;
    std::vector<Binding> m_bindings;
    std::vector<std::uint8_t> m_iconPixels;
    std::unique_ptr<Fl_RGB_Image> m_icon;
    HandlerGate m_gate;
    ProgressPainter m_progress;
};

} // namespace ui
