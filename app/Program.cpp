// Program start: the application object, its title, the one window and the message
// loop. The program reads no arguments and always ends with exit code 0.

#include "app/Main.h"
#include "package/Package.h"
#include "platform/vcl/Forms.h"

int main()
{
    using vcl::Application;
    try {
        Application->Initialize();
        Application->Title = ApplicationTitle;
        Application->CreateForm(FlashForm, EmbeddedPackage());
        Application->Run();
    } catch (const vcl::Exception& exception) {
        Application->ShowException(exception.Message());
    }
    Application->DestroyForms();
    return 0;
}
