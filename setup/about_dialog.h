// The About box: icon, product name and version, copyright notice, OK, and a button that
// opens the product web site.
#pragma once

#include "setup/framework/dialog.h"

class AboutDialog : public Dialog {
public:
    AboutDialog();

protected:
    const MessageTable& messageTable() const override;

private:
    LRESULT onSite(WPARAM wParam, LPARAM lParam);
};
