#include "setup/setup_app.h"

#include "setup/setup_dialog.h"

BOOL SetupApp::InitInstance() {
    enable3dControls();
    // Every message box from here on carries this caption.
    setName("Tovak");

    SetupDialog dialog;
    setMainWindow(&dialog);
    dialog.doModal();
    setMainWindow(nullptr);

    // No message loop follows: the program ends with the dialog.
    return FALSE;
}
