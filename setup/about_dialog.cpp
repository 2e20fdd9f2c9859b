#include "setup/about_dialog.h"

#include <string>

#include "resources/setup_resource.h"

AboutDialog::AboutDialog(const DialogContext& context) : Dialog(IDD_ABOUT, context) {}

const MessageTable& AboutDialog::GetMessageTable() const {
    static const MessageEntry entries[] = {
        {WM_COMMAND, BN_CLICKED, IDC_SITE, messageHandler(&AboutDialog::OnSite)},
    };
    static const MessageTable table(entries);
    return table;
}

// Opens the product web site with the address's default action; the box stays open and
// a failure is not reported.
LRESULT AboutDialog::OnSite(WPARAM, LPARAM) {
    const std::string address = ResourceString(IDS_SITE_ADDRESS);
    Platform().ShellExecuteA(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOW);
    return 0;
}
