#include "platform/ui/win32/Win32FrontEnd.h"

#include "platform/ui/LayoutReport.h"
#include "platform/ui/UserEvents.h"
#include "platform/ui/FormLayout.h"
#include "platform/vcl/Forms.h"

#include <windows.h>

#include <commctrl.h>
#include <string>
#include <vector>

namespace ui {

using namespace vcl;

namespace {

const char* const WindowClassName = "KrvFlashForm";
constexpr int FirstControlId = 100;

// The form's font: "System", bold, a height of -16, character set Chinese Big5.
constexpr int FormFontHeight = -16;
constexpr BYTE FormFontCharset = 136;

struct Binding {
    TControl* Control;
    HWND Window;
    int Id;
};


std::string WindowText(HWND window)
{
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

// Escape answers No in a Yes/No box, as it does in the class library's dialogs.
HHOOK s_escapeHook = nullptr;

LRESULT CALLBACK EscapeAnswersNo(int code, WPARAM wParam, LPARAM lParam)
{
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
        PostMessageA(GetAncestor(message->hwnd, GA_ROOT), WM_COMMAND, IDNO, 0);
        return 1;
    }
    return CallNextHookEx(s_escapeHook, code, wParam, lParam);
}

class Win32FrontEnd final : public FrontEnd {
public:
    Win32FrontEnd();
    ~Win32FrontEnd() override;

    void AttachForm(TForm& form) override;
    void ControlChanged(TControl& control, Property property) override;
    void CursorChanged(TCursor cursor) override;
    TModalResult RunDialog(const std::string& text, DialogKind kind, TMsgDlgButtons buttons) override;
    void RunMessageLoop(TApplication& application) override;

private:
    static HFONT CreateFormFont();
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Command(int id, int notification);
    HWND CreateControl(TControl& control, int id);
    void Sync(const Binding& binding);
    void Fire(const std::function<void()>& handler);
    void Report() const;

    TForm* m_form = nullptr;
    TApplication* m_application = nullptr;
    HWND m_window = nullptr;
    HFONT m_font = nullptr;
    std::vector<Binding> m_bindings;
    HandlerGate m_gate;
    bool m_waiting = false;
    ProgressPainter m_progress;
};

Win32FrontEnd::Win32FrontEnd()
{
    INITCOMMONCONTROLSEX controls { sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES };
    InitCommonControlsEx(&controls);
    WNDCLASSA windowClass {};
    windowClass.lpfnWndProc = &Win32FrontEnd::WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(windowClass.hInstance, "MAINICON");
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = WindowClassName;
    RegisterClassA(&windowClass);
    m_font = CreateFormFont();
}

// "System" in the Big5 character set where the system has it; where it has not (Wine,
// a Western installation), the same face in the default character set, so the texts
// still show.
HFONT Win32FrontEnd::CreateFormFont()
{
    HFONT font = CreateFontA(FormFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, FormFontCharset, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "System");
    HDC context = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(context, font);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(context, sizeof face, face);
    bool usable = GetTextCharset(context) == FormFontCharset && lstrcmpiA(face, "System") == 0;
    SelectObject(context, previous);
    ReleaseDC(nullptr, context);
    if (usable)
        return font;
    DeleteObject(font);
    return CreateFontA(FormFontHeight, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "System");
}

Win32FrontEnd::~Win32FrontEnd()
{
    if (m_window)
        DestroyWindow(m_window);
    if (m_font)
        DeleteObject(m_font);
}

HWND Win32FrontEnd::CreateControl(TControl& control, int id)
{
    int x = 0;
    int y = 0;
    WindowPosition(control, x, y);
    int width = control.Bounds().Width;
    int height = control.Bounds().Height;
    const char* className = nullptr;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD extended = 0;
    switch (control.Kind()) {
    case ControlKind::Label: className = "STATIC"; style |= SS_LEFT | SS_NOPREFIX; break;
    case ControlKind::ComboBox:
        className = "COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
        height += 200; // the dropped-down list
        break;
    case ControlKind::FileListBox:
        className = "LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        extended = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::GroupBox: className = "BUTTON"; style |= BS_GROUPBOX; break;
    case ControlKind::ProgressBar: className = PROGRESS_CLASSA; style |= PBS_SMOOTH; break;
    case ControlKind::Button: className = "BUTTON"; style |= WS_TABSTOP | BS_PUSHBUTTON; break;
    case ControlKind::Panel:
    case ControlKind::Form: return nullptr;
    }
    HWND window = CreateWindowExA(extended, className, "", style, x, y, width, height, m_window,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    if (control.Kind() == ControlKind::ComboBox) {
        // The selection field takes the designed height, its border included.
        SendMessageA(window, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), control.Bounds().Height - 6);
        SendMessageA(window, CB_SETITEMHEIGHT, 0, static_cast<TComboBox&>(control).ItemHeight);
    }
    if (control.Kind() == ControlKind::FileListBox)
        SendMessageA(window, LB_SETITEMHEIGHT, 0, static_cast<TFileListBox&>(control).ItemHeight);
    return window;
}

void Win32FrontEnd::AttachForm(TForm& form)
{
    m_form = &form;
    int width = 0;
    int height = 0;
    ClientSize(form, width, height);
    RECT frame { 0, 0, width, height };
    // No WS_CLIPCHILDREN: the group box paints only its frame, the window the rest.
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    m_window = CreateWindowExA(0, WindowClassName, form.Caption().c_str(), style, form.Bounds().Left, form.Bounds().Top,
        frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    int id = FirstControlId;
    for (TControl* control : form.Components()) {
        HWND window = CreateControl(*control, id);
        if (!window)
            continue;
        m_bindings.push_back({ control, window, id++ });
    }
    // The group box lies beneath the controls inside it.
    for (const Binding& binding : m_bindings) {
        if (binding.Control->Kind() == ControlKind::GroupBox)
            SetWindowPos(binding.Window, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    for (const Binding& binding : m_bindings)
        Sync(binding);
    form.SetObserver(this);
}

void Win32FrontEnd::Sync(const Binding& binding)
{
    m_gate.SetUpdating(true);
    TControl& control = *binding.Control;
    HWND window = binding.Window;
    // The control's own visibility, whether or not the window shows yet.
    bool visible = (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != control.Visible())
        ShowWindow(window, control.Visible() ? SW_SHOWNA : SW_HIDE);
    if (IsWindowEnabled(window) != (control.Enabled() ? TRUE : FALSE))
        EnableWindow(window, control.Enabled());
    switch (control.Kind()) {
    case ControlKind::ComboBox: {
        auto& combo = static_cast<TComboBox&>(control);
        SendMessageA(window, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : combo.Items.Items())
            SendMessageA(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        SendMessageA(window, CB_SETCURSEL, static_cast<WPARAM>(combo.ItemIndex()), 0);
        SetWindowTextA(window, combo.Text().c_str());
        break;
    }
    case ControlKind::FileListBox: {
        auto& list = static_cast<TFileListBox&>(control);
        SendMessageA(window, LB_RESETCONTENT, 0, 0);
        for (const std::string& item : list.Items())
            SendMessageA(window, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
        SendMessageA(window, LB_SETCURSEL, static_cast<WPARAM>(list.ItemIndex()), 0);
        break;
    }
    case ControlKind::ProgressBar: {
        auto& bar = static_cast<TProgressBar&>(control);
        PBRANGE range {};
        SendMessageA(window, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        if (range.iLow != bar.Min() || range.iHigh != bar.Max())
            SendMessageA(window, PBM_SETRANGE32, static_cast<WPARAM>(bar.Min()), bar.Max());
        SendMessageA(window, PBM_SETPOS, static_cast<WPARAM>(bar.Position()), 0);
        break;
    }
    default: SetWindowTextA(window, control.Caption().c_str()); break;
    }
    m_gate.SetUpdating(false);
}

void Win32FrontEnd::ControlChanged(TControl& control, Property property)
{
    if (control.Kind() == ControlKind::Form) {
        if (property == Property::Caption && m_window)
            SetWindowTextA(m_window, control.Caption().c_str());
        return;
    }
    for (const Binding& binding : m_bindings) {
        if (binding.Control != &control)
            continue;
        Sync(binding);
        if (property == Property::Progress && !m_progress.Moved(static_cast<TProgressBar&>(control)))
            return;
        // A long handler repaints what it changed at once, taking no input meanwhile.
        if (property == Property::Progress) {
            RedrawWindow(binding.Window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            return;
        }
        if (property == Property::Repaint) {
            RECT area;
            GetWindowRect(binding.Window, &area);
            MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&area), 2);
            RedrawWindow(m_window, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        }
        return;
    }
}

void Win32FrontEnd::CursorChanged(TCursor cursor)
{
    m_waiting = cursor == TCursor::HourGlass;
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(m_waiting ? IDC_WAIT : IDC_ARROW)));
}

TModalResult Win32FrontEnd::RunDialog(const std::string& text, DialogKind kind, TMsgDlgButtons buttons)
{
    const char* caption = DialogCaption(kind);
    UINT flags = buttons == TMsgDlgButtons::YesNo ? MB_YESNO | MB_DEFBUTTON1 : MB_OK;
    switch (kind) {
    case DialogKind::Message: break;
    case DialogKind::Exception: flags |= MB_ICONSTOP; break;
    case DialogKind::Warning: flags |= MB_ICONWARNING; break;
    case DialogKind::Confirmation: flags |= MB_ICONQUESTION; break;
    case DialogKind::Error: flags |= MB_ICONERROR; break;
    case DialogKind::Information: flags |= MB_ICONINFORMATION; break;
    }
    HWND owner = m_window && IsWindowVisible(m_window) ? m_window : nullptr;
    if (buttons == TMsgDlgButtons::YesNo)
        s_escapeHook = SetWindowsHookExA(WH_MSGFILTER, &EscapeAnswersNo, nullptr, GetCurrentThreadId());
    int answer = MessageBoxA(owner, text.c_str(), caption, flags | MB_TASKMODAL);
    if (s_escapeHook) {
        UnhookWindowsHookEx(s_escapeHook);
        s_escapeHook = nullptr;
    }
    if (buttons == TMsgDlgButtons::YesNo)
        return answer == IDYES ? TModalResult::Yes : TModalResult::No;
    return TModalResult::OK;
}

void Win32FrontEnd::Fire(const std::function<void()>& handler)
{
    m_gate.Fire(m_application, handler);
    Report();
}

void Win32FrontEnd::Command(int id, int notification)
{
    for (const Binding& binding : m_bindings) {
        if (binding.Id != id)
            continue;
        TControl* control = binding.Control;
        HWND window = binding.Window;
        if (control->Kind() == ControlKind::ComboBox && notification == CBN_SELCHANGE) {
            auto* combo = static_cast<TComboBox*>(control);
            int row = static_cast<int>(SendMessageA(window, CB_GETCURSEL, 0, 0));
            Fire([combo, row] { ChooseRow(*combo, row); });
        } else if (control->Kind() == ControlKind::ComboBox && notification == CBN_EDITCHANGE) {
            auto* combo = static_cast<TComboBox*>(control);
            std::string text = WindowText(window);
            Fire([combo, text] { TypeText(*combo, text); });
        } else if (control->Kind() == ControlKind::FileListBox && notification == LBN_SELCHANGE) {
            auto* list = static_cast<TFileListBox*>(control);
            int index = static_cast<int>(SendMessageA(window, LB_GETCURSEL, 0, 0));
            Fire([list, index] { ChooseFile(*list, index); });
        } else if (control->Kind() == ControlKind::Button && notification == BN_CLICKED) {
            auto* button = static_cast<TButton*>(control);
            Fire([button] { Press(*button); });
        }
        return;
    }
}

LRESULT CALLBACK Win32FrontEnd::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32FrontEnd*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self || !self->m_window)
        return DefWindowProcA(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32FrontEnd::Handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (!m_gate.Updating())
            Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // Labels and the group box on the colour of button faces, as the form is.
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_SETCURSOR:
        if (m_waiting) {
            SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // Closing is always allowed, but never in the middle of a handler.
        if (!m_gate.Busy() && m_form)
            m_form->Close();
        return 0;
    default: break;
    }
    return DefWindowProcA(m_window, message, wParam, lParam);
}

void Win32FrontEnd::Report() const
{
    std::vector<ReportedControl> controls;
    for (const Binding& binding : m_bindings) {
        char className[64] = {};
        GetClassNameA(binding.Window, className, sizeof className);
        RECT area;
        GetWindowRect(binding.Window, &area);
        MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&area), 2);
        std::string text = WindowText(binding.Window);
        if (binding.Control->Kind() == ControlKind::FileListBox) {
            text.clear();
            int count = static_cast<int>(SendMessageA(binding.Window, LB_GETCOUNT, 0, 0));
            int selected = static_cast<int>(SendMessageA(binding.Window, LB_GETCURSEL, 0, 0));
            for (int i = 0; i < count; ++i) {
                char item[512] = {};
                SendMessageA(binding.Window, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
                text += std::string(i ? "|" : "") + (i == selected ? "*" : "") + item;
            }
        } else if (binding.Control->Kind() == ControlKind::ProgressBar) {
            text = std::to_string(SendMessageA(binding.Window, PBM_GETPOS, 0, 0)) + "/"
                + std::to_string(SendMessageA(binding.Window, PBM_GETRANGE, FALSE, 0));
        } else if (binding.Control->Kind() == ControlKind::ComboBox) {
            int count = static_cast<int>(SendMessageA(binding.Window, CB_GETCOUNT, 0, 0));
            for (int i = 0; i < count; ++i) {
                char item[512] = {};
                SendMessageA(binding.Window, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
                text += std::string("|") + item;
            }
        }
        controls.push_back({ binding.Control->Name(), className, static_cast<int>(area.left), static_cast<int>(area.top),
            static_cast<int>(area.right - area.left), static_cast<int>(area.bottom - area.top),
            (GetWindowLongA(binding.Window, GWL_STYLE) & WS_VISIBLE) != 0, IsWindowEnabled(binding.Window) != 0, text });
    }
    RECT client;
    GetClientRect(m_window, &client);
    WriteLayoutReport(WindowText(m_window), static_cast<int>(client.right), static_cast<int>(client.bottom), controls);
}

void Win32FrontEnd::RunMessageLoop(TApplication& application)
{
    m_application = &application;
    ShowWindow(m_window, SW_SHOW);
    UpdateWindow(m_window);
    Report();
    MSG message;
    while (!application.ShouldStop() && GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageA(m_window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    ShowWindow(m_window, SW_HIDE);
    m_application = nullptr;
}

} // namespace

std::unique_ptr<FrontEnd> CreateWin32FrontEnd()
{
    return std::make_unique<Win32FrontEnd>();
}

} // namespace ui
