#include "platform/ui/console/ConsoleFrontEnd.h"

#include "platform/ui/UserEvents.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <istream>
#include <ostream>

namespace ui {

using namespace vcl;

static const char* KindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::Message: return "message";
    case DialogKind::Warning: return "warning";
    case DialogKind::Confirmation: return "confirmation";
    case DialogKind::Error: return "error";
    case DialogKind::Information: return "information";
    case DialogKind::Exception: return "exception";
    }
    return "message";
}

ConsoleFrontEnd::ConsoleFrontEnd(std::istream& input, std::ostream& output, Terminal terminal)
    : m_input(input)
    , m_output(output)
    , m_terminal(terminal)
{
}

template<class Control>
Control* ConsoleFrontEnd::Find() const
{
    if (!m_form)
        return nullptr;
    for (TControl* control : m_form->Components()) {
        if (auto* found = dynamic_cast<Control*>(control))
            return found;
    }
    return nullptr;
}

void ConsoleFrontEnd::AttachForm(TForm& form)
{
    m_form = &form;
    form.SetObserver(this);
}

void ConsoleFrontEnd::ControlChanged(TControl& control, Property property)
{
    switch (control.Kind()) {
    case ControlKind::Form:
        if (property == Property::Caption)
            PrintCaption();
        return;
    case ControlKind::Label:
        if (property == Property::Caption)
            PrintLabel();
        return;
    case ControlKind::Button:
        if (property == Property::Caption || property == Property::Enabled)
            PrintButton();
        return;
    case ControlKind::GroupBox:
        if (property == Property::Repaint)
            PrintStatus();
        return;
    case ControlKind::ComboBox:
        if (property == Property::Items || property == Property::ItemIndex || property == Property::Text)
            RowsChanged();
        return;
    case ControlKind::FileListBox:
        if (property == Property::Visible && control.Visible())
            PrintFiles();
        if (property == Property::Files && control.Visible())
            FilesChanged();
        return;
    case ControlKind::ProgressBar:
        if (property == Property::Progress)
            ProgressChanged(static_cast<TProgressBar&>(control));
        return;
    case ControlKind::Panel:
        return;
    }
}

void ConsoleFrontEnd::CursorChanged(TCursor)
{
    // The cursor has no picture on a console.
}

void ConsoleFrontEnd::FinishProgress()
{
    if (m_progressPending) {
        const TProgressBar* bar = m_progressPending;
        m_progressPending = nullptr;
        PrintProgress(*bar);
    }
    if (m_barOpen) {
        m_output << '\n';
        m_barOpen = false;
    }
}

void ConsoleFrontEnd::PrintLine(const std::string& line)
{
    FinishProgress();
    m_output << line << '\n';
}

void ConsoleFrontEnd::PrintCaption()
{
    PrintLine("caption: " + m_form->Caption());
}

void ConsoleFrontEnd::PrintLabel()
{
    if (auto* label = Find<TLabel>())
        PrintLine("label: " + label->Caption());
}

void ConsoleFrontEnd::PrintButton()
{
    if (auto* button = Find<TButton>())
        PrintLine("button: " + button->Caption() + (button->Enabled() ? " (enabled)" : " (disabled)"));
}

void ConsoleFrontEnd::PrintStatus()
{
    if (auto* group = Find<TGroupBox>())
        PrintLine("status: " + group->Caption());
}

void ConsoleFrontEnd::RowsChanged()
{
    auto* combo = Find<TComboBox>();
    if (combo && (combo->Items.Items() != m_rowsShown || combo->ItemIndex() != m_rowShown))
        PrintRows();
}

void ConsoleFrontEnd::FilesChanged()
{
    auto* list = Find<TFileListBox>();
    if (list && (list->Items() != m_filesShown || list->ItemIndex() != m_fileShown))
        PrintFiles();
}

void ConsoleFrontEnd::PrintRows()
{
    auto* combo = Find<TComboBox>();
    if (!combo)
        return;
    m_rowsShown = combo->Items.Items();
    m_rowShown = combo->ItemIndex();
    PrintLine("rows:");
    for (int row = 0; row < combo->Items.Count(); ++row)
        PrintLine(Format("  %d%c %s", row, row == combo->ItemIndex() ? '*' : ' ', combo->Items[row].c_str()));
}

void ConsoleFrontEnd::PrintFiles()
{
    auto* list = Find<TFileListBox>();
    if (!list)
        return;
    m_filesShown = list->Items();
    m_fileShown = list->ItemIndex();
    PrintLine("files:");
    const auto& items = list->Items();
    for (int row = 0; row < static_cast<int>(items.size()); ++row) {
        char mark = row == list->ItemIndex() ? '*' : ' ';
        PrintLine(Format("  %d%c %s", row, mark, items[static_cast<std::size_t>(row)].c_str()));
    }
}

static int ProgressBucket(int min, int max, int position)
{
    long long span = static_cast<long long>(max) - min;
    return span > 0 ? static_cast<int>((static_cast<long long>(position) - min) * 100 / span) : 0;
}

void ConsoleFrontEnd::PrintProgress(const TProgressBar& bar)
{
    m_progressPrinted = ProgressShown { bar.Min(), bar.Max(), bar.Position(), ProgressBucket(bar.Min(), bar.Max(), bar.Position()) };
    if (m_terminal == Terminal::Yes) {
        const int width = 40;
        long long span = static_cast<long long>(bar.Max()) - bar.Min();
        long long done = span > 0 ? (static_cast<long long>(bar.Position()) - bar.Min()) * width / span : 0;
        done = std::clamp<long long>(done, 0, width);
        m_output << "\rprogress: [" << std::string(static_cast<std::size_t>(done), '#')
                 << std::string(static_cast<std::size_t>(width - done), ' ') << "] "
                 << bar.Position() << '/' << bar.Max() << "   " << std::flush;
        m_barOpen = true;
        return;
    }
    m_output << "progress: " << bar.Position() << '/' << bar.Max() << '\n';
}

// A transcript gets about a hundred progress lines per run at most: a line when the
// range changes, at the ends of the range and once per hundredth. A position that is
// passed over is printed before anything else, so the last one of a run always shows.
void ConsoleFrontEnd::ProgressChanged(const TProgressBar& bar)
{
    ProgressShown now { bar.Min(), bar.Max(), bar.Position(), ProgressBucket(bar.Min(), bar.Max(), bar.Position()) };
    const auto& last = m_progressPrinted;
    m_progressPending = nullptr;
    if (last && last->Min == now.Min && last->Max == now.Max && last->Position == now.Position)
        return;
    bool rangeChanged = !last || last->Min != now.Min || last->Max != now.Max;
    bool atEnd = now.Position == now.Min || now.Position == now.Max;
    if (!rangeChanged && !atEnd && now.Bucket == last->Bucket) {
        m_progressPending = &bar;
        return;
    }
    PrintProgress(bar);
}

void ConsoleFrontEnd::ShowWindow()
{
    PrintCaption();
    PrintLabel();
    PrintRows();
    if (auto* list = Find<TFileListBox>(); list && list->Visible())
        PrintFiles();
    PrintStatus();
    if (auto* bar = Find<TProgressBar>())
        PrintProgress(*bar);
    PrintButton();
}

bool ConsoleFrontEnd::ReadLine(const char* prompt, std::string& line)
{
    FinishProgress();
    m_output << prompt << std::flush;
    if (m_endOfInput || !std::getline(m_input, line)) {
        m_endOfInput = true;
        m_output << "<end>\n" << std::flush;
        return false;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (m_terminal == Terminal::No)
        m_output << line << '\n';
    return true;
}

TModalResult ConsoleFrontEnd::RunDialog(const std::string& text, DialogKind kind,
    TMsgDlgButtons buttons)
{
    bool yesNo = buttons == TMsgDlgButtons::YesNo;
    PrintLine(Format("[%s: %s]", KindName(kind), yesNo ? "Yes/No" : "OK"));
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        std::string line = "|";
        line.append(text, start, end == std::string::npos ? std::string::npos : end - start);
        PrintLine(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    PrintLine("[end]");
    std::string answer;
    while (ReadLine("? ", answer)) {
        std::string word = UpperCase(Trim(answer));
        if (yesNo) {
            if (word.empty() || word == "YES" || word == "Y")
                return TModalResult::Yes;
            if (word == "NO" || word == "N")
                return TModalResult::No;
            PrintLine("answer with yes or no");
            continue;
        }
        if (word.empty() || word == "OK")
            return TModalResult::OK;
        PrintLine("answer with ok");
    }
    // Closed without a button.
    return yesNo ? TModalResult::No : TModalResult::None;
}

void ConsoleFrontEnd::RunMessageLoop(TApplication& application)
{
    ShowWindow();
    std::string line;
    while (!application.ShouldStop()) {
        if (!ReadLine("> ", line)) {
            m_form->Close();
            break;
        }
        Execute(line, application);
    }
    FinishProgress();
    m_output << std::flush;
}

static bool ParseRow(const std::string& text, int& row)
{
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, row);
    return result.ec == std::errc() && result.ptr == end;
}

void ConsoleFrontEnd::ChooseRow(const std::string& argument, TApplication& application)
{
    auto* combo = Find<TComboBox>();
    int row = -1;
    if (!combo || !ParseRow(argument, row) || row < 0 || row >= combo->Items.Count()) {
        PrintLine("no such row: " + argument);
        return;
    }
    application.Dispatch([combo, row] { ui::ChooseRow(*combo, row); });
}

void ConsoleFrontEnd::TypeText(const std::string& argument, TApplication& application)
{
    auto* combo = Find<TComboBox>();
    if (!combo) {
        PrintLine("there is no text field");
        return;
    }
    application.Dispatch([combo, argument] { ui::TypeText(*combo, argument); });
}

void ConsoleFrontEnd::ChooseFile(const std::string& argument, TApplication& application)
{
    auto* list = Find<TFileListBox>();
    if (!list || !list->Visible()) {
        PrintLine("the file list is not shown");
        return;
    }
    int index = -1;
    if (argument != "-") {
        const auto& items = list->Items();
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i] == argument)
                index = static_cast<int>(i);
        }
        if (index < 0) {
            PrintLine("no such file: " + argument);
            return;
        }
    }
    application.Dispatch([list, index] { ui::ChooseFile(*list, index); });
}

void ConsoleFrontEnd::PressButton(TApplication& application)
{
    auto* button = Find<TButton>();
    if (!button || !button->Visible()) {
        PrintLine("the button is hidden");
        return;
    }
    if (!button->Enabled()) {
        PrintLine("the button is disabled");
        return;
    }
    application.Dispatch([button] { Press(*button); });
}

void ConsoleFrontEnd::Execute(const std::string& line, TApplication& application)
{
    std::size_t space = line.find(' ');
    std::string command = line.substr(0, space);
    std::string argument = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (command.empty())
        return;
    if (command == "row")
        return ChooseRow(argument, application);
    if (command == "type")
        return TypeText(argument, application);
    if (command == "file")
        return ChooseFile(argument, application);
    if (command == "click" && argument.empty())
        return PressButton(application);
    if (command == "show" && argument.empty())
        return ShowWindow();
    if (command == "close" && argument.empty())
        return m_form->Close();
    PrintLine("unknown command: " + line);
}

} // namespace ui
