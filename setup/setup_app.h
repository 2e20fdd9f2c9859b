// The setup tool's application object: names itself "Tovak" and runs the setup dialog.
#pragma once

#include "setup/framework/application.h"

class SetupApp : public Application {
public:
    BOOL InitInstance() override;
};
