#include "platform/vcl/Forms.h"

#include "platform/vcl/FileSystem.h"

#include <exception>

namespace vcl {

static TApplication s_application;
TApplication* Application = &s_application;

std::string TApplication::ExeName() const
{
    return ExecutablePath();
}

void TApplication::Initialize()
{
    if (!m_frontEnd)
        SetFrontEnd(CreateFrontEnd());
}

void TApplication::SetFrontEnd(std::unique_ptr<FrontEnd> frontEnd)
{
    m_frontEnd = std::move(frontEnd);
    Screen->SetObserver(m_frontEnd.get());
}

FrontEnd& TApplication::Front()
{
    Initialize();
    return *m_frontEnd;
}

void TApplication::AdoptForm(std::unique_ptr<TForm> form, std::function<void()> clearReference)
{
    m_mainForm = std::move(form);
    m_clearReference = std::move(clearReference);
    Front().AttachForm(*m_mainForm);
    TForm* created = m_mainForm.get();
    Dispatch([created] {
        if (created->OnCreate)
            created->OnCreate(created);
    });
}

bool TApplication::ShouldStop() const
{
    return m_quitPosted || !m_mainForm || m_mainForm->CloseRequested();
}

void TApplication::Run()
{
    if (ShouldStop())
        return;
    Front().RunMessageLoop(*this);
}

void TApplication::Dispatch(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const Exception& exception) {
        ShowException(exception.Message());
    } catch (const std::exception& exception) {
        ShowException(exception.what());
    }
}

void TApplication::ShowException(const std::string& message)
{
    Front().RunDialog(message, DialogKind::Exception, TMsgDlgButtons::OK);
}

void TApplication::PostQuit(int exitCode)
{
    m_quitPosted = true;
    m_exitCode = exitCode;
}

void TApplication::DestroyForms()
{
    if (!m_mainForm)
        return;
    TForm* form = m_mainForm.get();
    Dispatch([form] {
        if (form->OnDestroy)
            form->OnDestroy(form);
    });
    form->SetObserver(nullptr);
    m_mainForm.reset();
    if (m_clearReference)
        m_clearReference();
    m_clearReference = nullptr;
}

void TApplication::Reset()
{
    DestroyForms();
    Screen->SetObserver(nullptr);
    Screen->SetCursor(TCursor::Default);
    m_frontEnd.reset();
    m_quitPosted = false;
    m_exitCode = 0;
    Title.clear();
}

void PostQuitMessage(int exitCode)
{
    Application->PostQuit(exitCode);
}

static DialogKind KindOf(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::Warning: return DialogKind::Warning;
    case TMsgDlgType::Error: return DialogKind::Error;
    case TMsgDlgType::Information: return DialogKind::Information;
    case TMsgDlgType::Confirmation: return DialogKind::Confirmation;
    }
    return DialogKind::Information;
}

void ShowMessage(const std::string& text)
{
    Application->Front().RunDialog(text, DialogKind::Message, TMsgDlgButtons::OK);
}

TModalResult MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons, int)
{
    return Application->Front().RunDialog(text, KindOf(type), buttons);
}

} // namespace vcl
