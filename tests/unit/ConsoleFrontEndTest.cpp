#include "platform/ui/console/ConsoleFrontEnd.h"
#include "platform/vcl/Forms.h"
#include "resources/FormDescription.h"
#include "tests/unit/TestSupport.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

// The designed window on its own, with handlers that record what fired.
struct ProbeForm : TForm {
    ProbeForm()
        : TForm("FlashForm")
    {
        LoadFlashFormDescription(*this);
        Combo = static_cast<TComboBox*>(FindComponent("ComboBox"));
        Files = static_cast<TFileListBox*>(FindComponent("FileListBox1"));
        Button = static_cast<TButton*>(FindComponent("FlashButton"));
        Status = static_cast<TGroupBox*>(FindComponent("GroupBox2"));
        Bar = static_cast<TProgressBar*>(FindComponent("ProgressBar"));
        Label = static_cast<TLabel*>(FindComponent("SelectDriveLabel"));
        Combo->OnChange = [this](TObject*) { Events.push_back("change " + std::to_string(Combo->ItemIndex()) + " " + Combo->Text()); };
        Files->OnClick = [this](TObject*) { Events.push_back("file " + Files->FileName()); };
        Button->OnClick = [this](TObject*) { Events.push_back("click"); };
    }
    TComboBox* Combo;
    TFileListBox* Files;
    TButton* Button;
    TGroupBox* Status;
    TProgressBar* Bar;
    TLabel* Label;
    std::vector<std::string> Events;
};

// A console session around a created probe window, before its message loop.
struct Window {
    explicit Window(const std::string& input)
        : Session(input)
    {
        Application->CreateForm(Form);
    }
    ProbeForm* Form = nullptr;
    test::ConsoleSession Session;
};

std::string RunLoop(Window& window)
{
    Application->Run();
    return window.Session.Output();
}

struct AnswerCase {
    const char* Name;
    TMsgDlgButtons Buttons;
    std::string Input;
    TModalResult Expected;
    std::string Prompts; // the transcript after the dialog's [end] line
};

class DialogAnswers : public testing::TestWithParam<AnswerCase> { };

TEST_P(DialogAnswers, AreReadLineByLine)
{
    const AnswerCase& c = GetParam();
    test::ConsoleSession session(c.Input);
    TModalResult answer = MessageDlg("Go?", TMsgDlgType::Confirmation, c.Buttons, 0);
    EXPECT_EQ(answer, c.Expected);
    std::string head = c.Buttons == TMsgDlgButtons::YesNo ? "[confirmation: Yes/No]\n|Go?\n[end]\n" : "[confirmation: OK]\n|Go?\n[end]\n";
    EXPECT_EQ(session.Output(), head + c.Prompts);
}

INSTANTIATE_TEST_SUITE_P(Table, DialogAnswers,
    testing::Values(
        AnswerCase { "Yes", TMsgDlgButtons::YesNo, "yes\n", TModalResult::Yes, "? yes\n" },
        AnswerCase { "YShort", TMsgDlgButtons::YesNo, "Y\n", TModalResult::Yes, "? Y\n" },
        AnswerCase { "NoMixedCase", TMsgDlgButtons::YesNo, "nO\n", TModalResult::No, "? nO\n" },
        AnswerCase { "NShort", TMsgDlgButtons::YesNo, "n\n", TModalResult::No, "? n\n" },
        AnswerCase { "EmptyTakesYesTheDefault", TMsgDlgButtons::YesNo, "\n", TModalResult::Yes, "? \n" },
        AnswerCase { "CarriageReturnIsDropped", TMsgDlgButtons::YesNo, "no\r\n", TModalResult::No, "? no\n" },
        AnswerCase { "OkIsNoAnswerToYesNo", TMsgDlgButtons::YesNo, "ok\nmaybe\nno\n", TModalResult::No,
            "? ok\nanswer with yes or no\n? maybe\nanswer with yes or no\n? no\n" },
        AnswerCase { "EndOfInputIsNo", TMsgDlgButtons::YesNo, "", TModalResult::No, "? <end>\n" },
        AnswerCase { "EndOfInputAfterAWrongAnswer", TMsgDlgButtons::YesNo, "what", TModalResult::No,
            "? what\nanswer with yes or no\n? <end>\n" },
        AnswerCase { "Ok", TMsgDlgButtons::OK, "OK\n", TModalResult::OK, "? OK\n" },
        AnswerCase { "EmptyTakesOk", TMsgDlgButtons::OK, "\n", TModalResult::OK, "? \n" },
        AnswerCase { "YesIsNoAnswerToOk", TMsgDlgButtons::OK, "yes\nok\n", TModalResult::OK, "? yes\nanswer with ok\n? ok\n" },
        AnswerCase { "EndOfInputClosesOk", TMsgDlgButtons::OK, "", TModalResult::None, "? <end>\n" }),
    [](const testing::TestParamInfo<AnswerCase>& info) { return info.param.Name; });

TEST(ConsoleDialogs, EveryLineOfTheTextSurvivesWithItsBar)
{
    test::ConsoleSession session("\n\n\n");
    ShowMessage("\nfirst  \n\nlast\n");
    MessageDlg("x", TMsgDlgType::Warning, TMsgDlgButtons::YesNo, 0);
    MessageDlg("x", TMsgDlgType::Error, TMsgDlgButtons::OK, 0);
    EXPECT_EQ(session.Output(),
        "[message: OK]\n|\n|first  \n|\n|last\n|\n[end]\n? \n"
        "[warning: Yes/No]\n|x\n[end]\n? \n"
        "[error: OK]\n|x\n[end]\n? \n");
}

TEST(ConsoleDialogs, AfterEndOfInputEveryDialogClosesAtOnce)
{
    test::ConsoleSession session("");
    EXPECT_EQ(MessageDlg("a", TMsgDlgType::Warning, TMsgDlgButtons::YesNo, 0), TModalResult::No);
    EXPECT_EQ(MessageDlg("b", TMsgDlgType::Information, TMsgDlgButtons::YesNo, 0), TModalResult::No);
    EXPECT_EQ(session.Output(), "[warning: Yes/No]\n|a\n[end]\n? <end>\n[information: Yes/No]\n|b\n[end]\n? <end>\n");
}

TEST(ConsoleWindow, ShowPrintsTheWholeWindowInOrderWhenTheLoopStarts)
{
    Window window("");
    window.Form->SetCaption(" Flash Utility V1.049 ");
    window.Form->Label->SetCaption("Select Model: ");
    window.Form->Combo->Items.Add("1A00-1AZZ QSI");
    window.Form->Combo->Items.Add("2B00-2BZZ QSI ");
    window.Form->Combo->SetItemIndex(1);
    window.Form->Status->SetCaption("idle");
    window.Form->Bar->SetPosition(7);
    window.Form->Button->SetEnabled(false);
    std::string before = window.Session.Output();
    EXPECT_EQ(RunLoop(window).substr(before.size()),
        "caption:  Flash Utility V1.049 \n"
        "label: Select Model: \n"
        "rows:\n"
        "  0  1A00-1AZZ QSI\n"
        "  1* 2B00-2BZZ QSI \n"
        "files:\n"
        "status: idle\n"
        "progress: 7/100\n"
        "button: FLASH (disabled)\n"
        "> <end>\n");
}

TEST(ConsoleWindow, StateLinesFollowEverySetting)
{
    Window window("");
    window.Form->SetCaption("A");
    window.Form->SetCaption("A");
    window.Form->Label->SetCaption("L ");
    window.Form->Button->SetCaption("Build");
    window.Form->Button->SetEnabled(false);
    window.Form->Status->SetCaption("not painted yet");
    window.Form->Status->Repaint();
    window.Form->Files->SetVisible(false);
    window.Form->Files->Update();
    EXPECT_EQ(window.Session.Output(),
        "caption: A\ncaption: A\nlabel: L \nbutton: Build (enabled)\nbutton: Build (disabled)\n"
        "status: not painted yet\n");
}

TEST(ConsoleWindow, CommandsFireTheirEvents)
{
    Window window("row 1\ntype hello there\nclick\nshow\nclose\nrow 0\n");
    window.Form->Combo->Items.Add("a");
    window.Form->Combo->Items.Add("b");
    std::string output = RunLoop(window);
    EXPECT_EQ(window.Form->Events, (std::vector<std::string> { "change 1 b", "change -1 hello there", "click" }));
    // The loop ended at "close": the last line was never read.
    EXPECT_NE(output.find("> close\n"), std::string::npos);
    EXPECT_EQ(output.find("> row 0"), std::string::npos);
    EXPECT_NE(output.find("> type hello there\nrows:\n  0  a\n  1  b\n"), std::string::npos);
}

TEST(ConsoleWindow, FileCommandsSelectAnEntryOrNone)
{
    Window window("file -\nfile missing.bin\nshow\n");
    window.Form->Files->SetDirectory("");
    std::string output = RunLoop(window);
    EXPECT_EQ(window.Form->Events, (std::vector<std::string> { "file " }));
    EXPECT_NE(output.find("> file missing.bin\nno such file: missing.bin\n"), std::string::npos);
}

struct RefusalCase {
    const char* Name;
    std::string Command;
    std::function<void(ProbeForm&)> Setup;
    std::string Reason;
};

class CommandsThatCannotApply : public testing::TestWithParam<RefusalCase> { };

TEST_P(CommandsThatCannotApply, SayWhyAndFireNothing)
{
    const RefusalCase& c = GetParam();
    Window window(c.Command + "\n");
    window.Form->Combo->Items.Add("only row");
    if (c.Setup)
        c.Setup(*window.Form);
    std::string before = window.Session.Output();
    std::string output = RunLoop(window);
    EXPECT_TRUE(window.Form->Events.empty());
    std::string expected = "> " + c.Command + "\n" + c.Reason + "\n> <end>\n";
    ASSERT_GE(output.size(), expected.size());
    EXPECT_EQ(output.substr(output.size() - expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandsThatCannotApply,
    testing::Values(
        RefusalCase { "Unknown", "flash now", nullptr, "unknown command: flash now" },
        RefusalCase { "RowOutOfRange", "row 1", nullptr, "no such row: 1" },
        RefusalCase { "RowNegative", "row -1", nullptr, "no such row: -1" },
        RefusalCase { "RowNotANumber", "row one", nullptr, "no such row: one" },
        RefusalCase { "RowWithTrailingText", "row 0x", nullptr, "no such row: 0x" },
        RefusalCase { "FileListHidden", "file a.bin", [](ProbeForm& f) { f.Files->SetVisible(false); }, "the file list is not shown" },
        RefusalCase { "ButtonDisabled", "click", [](ProbeForm& f) { f.Button->SetEnabled(false); }, "the button is disabled" },
        RefusalCase { "ButtonHidden", "click", [](ProbeForm& f) { f.Button->SetVisible(false); }, "the button is hidden" },
        RefusalCase { "ClickWithAnArgument", "click twice", nullptr, "unknown command: click twice" }),
    [](const testing::TestParamInfo<RefusalCase>& info) { return info.param.Name; });

TEST(ConsoleWindow, EndOfInputClosesTheWindow)
{
    Window window("show");
    std::string output = RunLoop(window);
    EXPECT_TRUE(window.Form->CloseRequested());
    EXPECT_EQ(output.substr(output.size() - 8), "> <end>\n");
}

TEST(ConsoleProgress, AtMostAboutAHundredLinesAndAlwaysTheLastPosition)
{
    Window window("");
    TProgressBar* bar = window.Form->Bar;
    bar->SetMax(100000);
    bar->SetStep(7);
    for (int i = 0; i < 10000; ++i)
        bar->StepIt();
    window.Form->Status->Repaint();
    std::string output = window.Session.Output();
    std::size_t lines = 0;
    for (std::size_t at = output.find("progress: "); at != std::string::npos; at = output.find("progress: ", at + 1))
        ++lines;
    EXPECT_LE(lines, 105u);
    EXPECT_GE(lines, 70u);
    // The last position (70000) comes before the next state line.
    EXPECT_NE(output.find("progress: 70000/100000\nstatus: \n"), std::string::npos);
}

} // namespace
