#include "platform/vcl/Forms.h"
#include "resources/FormDescription.h"
#include "tests/unit/TestSupport.h"

#include <gtest/gtest.h>

using namespace vcl;

namespace {

struct HandlerForm : TForm {
    explicit HandlerForm(HandlerForm** reference = nullptr, bool* referenceFilled = nullptr)
        : TForm("FlashForm")
    {
        LoadFlashFormDescription(*this);
        Combo = static_cast<TComboBox*>(FindComponent("ComboBox"));
        Button = static_cast<TButton*>(FindComponent("FlashButton"));
        OnCreate = [this, reference, referenceFilled](TObject*) {
            if (referenceFilled)
                *referenceFilled = *reference == this;
        };
        // A list index of -1 raises the class library's list error half-way through.
        Button->OnClick = [this](TObject*) {
            Steps.push_back("before");
            std::string row = Combo->Items[Combo->ItemIndex()];
            Steps.push_back("after " + row);
        };
    }
    TComboBox* Combo;
    TButton* Button;
    std::vector<std::string> Steps;
};

TEST(Application, TheFormReferenceIsFilledBeforeOnCreateRuns)
{
    test::ConsoleSession session;
    HandlerForm* form = nullptr;
    bool filled = false;
    Application->CreateForm(form, &form, &filled);
    EXPECT_TRUE(filled);
    EXPECT_EQ(Application->MainForm(), form);
}

TEST(Application, AnExceptionInAHandlerIsShownAndEndsOnlyThatHandler)
{
    // The exception's box takes the lines that follow as its answers.
    test::ConsoleSession session("click\nrow 0\nclick\n");
    HandlerForm* form = nullptr;
    Application->CreateForm(form);
    form->Combo->Items.Add("zero");
    Application->Run();
    EXPECT_EQ(form->Steps, (std::vector<std::string> { "before" }));
    EXPECT_NE(session.Output().find("> click\n[exception: OK]\n|List index out of bounds (-1)\n[end]\n? row 0\nanswer with ok\n? click\nanswer with ok\n? <end>\n"),
        std::string::npos);
}

TEST(Application, TheLoopGoesOnAfterAnException)
{
    test::ConsoleSession session("click\nok\nrow 0\nclick\nclose\n");
    HandlerForm* form = nullptr;
    Application->CreateForm(form);
    form->Combo->Items.Add("zero");
    Application->Run();
    EXPECT_EQ(form->Steps, (std::vector<std::string> { "before", "before", "after zero" }));
    EXPECT_NE(session.Output().find("> close\n"), std::string::npos);
}

TEST(Application, AnExceptionInOnCreateStillCreatesTheWindow)
{
    struct FailingForm : TForm {
        FailingForm()
            : TForm("FlashForm")
        {
            LoadFlashFormDescription(*this);
            OnCreate = [](TObject*) { RaiseListIndexError(5); };
        }
    };
    test::ConsoleSession session("close\n");
    FailingForm* form = nullptr;
    Application->CreateForm(form);
    ASSERT_NE(form, nullptr);
    Application->Run();
    std::string output = session.Output();
    EXPECT_EQ(output.rfind("[exception: OK]\n|List index out of bounds (5)\n[end]\n? close\nanswer with ok\n? <end>\n", 0), 0u);
}

TEST(Application, AQuitRequestBeforeTheLoopEndsItWithoutShowingTheWindow)
{
    test::ConsoleSession session("show\n");
    HandlerForm* form = nullptr;
    Application->CreateForm(form);
    PostQuitMessage(0);
    Application->Run();
    EXPECT_TRUE(Application->QuitPosted());
    EXPECT_EQ(Application->ExitCode(), 0);
    EXPECT_EQ(session.Output(), "");
}

TEST(Application, AQuitRequestFromAHandlerEndsTheLoop)
{
    test::ConsoleSession session("click\nshow\n");
    HandlerForm* form = nullptr;
    Application->CreateForm(form);
    form->Button->OnClick = [](TObject*) { PostQuitMessage(0); };
    Application->Run();
    EXPECT_EQ(session.Output().find("> show"), std::string::npos);
}

TEST(Application, DestroyingTheFormRunsOnDestroy)
{
    test::ConsoleSession session;
    HandlerForm* form = nullptr;
    Application->CreateForm(form);
    bool destroyed = false;
    form->OnDestroy = [&destroyed](TObject*) { destroyed = true; };
    Application->DestroyForms();
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(form, nullptr);
    EXPECT_EQ(Application->MainForm(), nullptr);
}

} // namespace
