#pragma once

// The window as text: state lines on the output, commands and dialog answers as lines
// on the input. Every end-to-end test drives the program through this front end, so
// what it prints is kept exact and stable.

#include "platform/vcl/FrontEnd.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace ui {

enum class Terminal { No, Yes };

class ConsoleFrontEnd final : public vcl::FrontEnd {
public:
    // On a terminal the input is not echoed and progress is a live bar.
    ConsoleFrontEnd(std::istream& input, std::ostream& output, Terminal terminal);

    void AttachForm(vcl::TForm& form) override;
    void ControlChanged(vcl::TControl& control, vcl::Property property) override;
    void CursorChanged(vcl::TCursor cursor) override;
    vcl::TModalResult RunDialog(const std::string& text, vcl::DialogKind kind,
        vcl::TMsgDlgButtons buttons) override;
    void RunMessageLoop(vcl::TApplication& application) override;

private:
    template<class Control>
    Control* Find() const;

    bool ReadLine(const char* prompt, std::string& line);
    void Execute(const std::string& line, vcl::TApplication& application);
    void ChooseRow(const std::string& argument, vcl::TApplication& application);
    void TypeText(const std::string& argument, vcl::TApplication& application);
    void ChooseFile(const std::string& argument, vcl::TApplication& application);
    void PressButton(vcl::TApplication& application);

    void ShowWindow();
    void PrintLine(const std::string& line);
    void PrintCaption();
    void PrintLabel();
    void PrintRows();
    void PrintFiles();
    void RowsChanged();
    void FilesChanged();
    void PrintStatus();
    void PrintButton();
    void ProgressChanged(const vcl::TProgressBar& bar);
    void PrintProgress(const vcl::TProgressBar& bar);
    void FinishProgress();

    std::istream& m_input;
    std::ostream& m_output;
    Terminal m_terminal;
    vcl::TForm* m_form = nullptr;
    bool m_endOfInput = false;

    struct ProgressShown {
        int Min = 0;
        int Max = 0;
        int Position = 0;
        int Bucket = -1;
    };
    std::optional<ProgressShown> m_progressPrinted;
    // What the rows and files lines showed last: they are printed again only when the
    // list or its selection changes.
    std::vector<std::string> m_rowsShown;
    int m_rowShown = -2;
    std::vector<std::string> m_filesShown;
    int m_fileShown = -2;
    const vcl::TProgressBar* m_progressPending = nullptr;
    bool m_barOpen = false;
};

} // namespace ui
