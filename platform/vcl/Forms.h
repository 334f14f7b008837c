#pragma once

// The application object: title, the main form, the message loop, the quit request and
// the display of exceptions raised inside handlers.

#include "platform/vcl/Classes.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/FrontEnd.h"

#include <functional>
#include <memory>
#include <string>

namespace vcl {

class TApplication {
public:
    // Picks the front end, unless one was installed before.
    void Initialize();
    void SetFrontEnd(std::unique_ptr<FrontEnd> frontEnd);
    FrontEnd& Front();

    std::string Title;
    // The full path of the program's own file.
    std::string ExeName() const;

    // Creates the main form: the reference is filled before its OnCreate runs.
    template<class FormClass, class... Arguments>
    void CreateForm(FormClass*& reference, Arguments&&... arguments)
    {
        auto form = std::make_unique<FormClass>(std::forward<Arguments>(arguments)...);
        reference = form.get();
        AdoptForm(std::move(form), [&reference] { reference = nullptr; });
    }
    TForm* MainForm() const { return m_mainForm.get(); }

    void Run();
    bool ShouldStop() const;

    // Runs one event handler; an exception of the class library's family is shown and
    // ends only that handler.
    void Dispatch(const std::function<void()>& handler);
    void ShowException(const std::string& message);

    void PostQuit(int exitCode);
    bool QuitPosted() const { return m_quitPosted; }
    int ExitCode() const { return m_exitCode; }

    // Destroys the main form (its OnDestroy runs first).
    void DestroyForms();
    // Back to the state before Initialize: no form, no front end, no quit request.
    void Reset();

private:
    void AdoptForm(std::unique_ptr<TForm> form, std::function<void()> clearReference);

    std::unique_ptr<FrontEnd> m_frontEnd;
    std::unique_ptr<TForm> m_mainForm;
    std::function<void()> m_clearReference;
    bool m_quitPosted = false;
    int m_exitCode = 0;
};

extern TApplication* Application;

// The system's quit request: the message loop ends as soon as it takes it.
void PostQuitMessage(int exitCode);

} // namespace vcl
