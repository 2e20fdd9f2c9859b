// The About box: icon, product name and version, copyright notice, OK, and a button that
// opens the product web site.
#pragma once

#include "setup/framework/dialog.h"

class AboutDialog : public Dialog {
public:
    explicit AboutDialog(const DialogContext& context);

protected:
    const MessageTable& GetMessageTable() const override;

private:
    LRESULT OnSite(WPARAM wParam, LPARAM lParam);
};
