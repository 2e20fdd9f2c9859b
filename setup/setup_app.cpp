#include "setup/setup_app.h"

#include "setup/setup_dialog.h"

BOOL SetupApp::InitInstance() {
    Enable3dControls();
    // Every message box from here on carries this caption.
    SetName("Tovak");

    SetupDialog dialog(MainDialogContext());
    dialog.DoModal();

    // No message loop follows: the program ends with the dialog.
    return FALSE;
}
