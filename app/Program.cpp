// Program start: the application object, its title, the one window and the message
// loop. The program reads no arguments and always ends with exit code 0.

#include "app/Main.h"
#include "package/Package.h"
#include "platform/os/Os.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

int main()
{
    using vcl::Application;
    try {
        Application->Initialize();
        Application->Title = ApplicationTitle;
        // The drives are real unless a machine file of virtual drives is named.
        if (std::string problem; !os::ChooseSystem(problem)) {
            vcl::MessageDlg(problem, vcl::TMsgDlgType::Error, vcl::TMsgDlgButtons::OK, 0);
            return 0;
        }
        Application->CreateForm(FlashForm, EmbeddedPackage());
        Application->Run();
    } catch (const vcl::Exception& exception) {
        Application->ShowException(exception.Message());
    }
    Application->DestroyForms();
    return 0;
}
