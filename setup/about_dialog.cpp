#include "setup/about_dialog.h"

#include <string>

#include "resources/setup_resource.h"
#include "setup/framework/application.h"

AboutDialog::AboutDialog() : Dialog(IDD_ABOUT) {}

const MessageTable& AboutDialog::messageTable() const {
    static const MessageEntry entries[] = {
        {WM_COMMAND, BN_CLICKED, IDC_SITE, messageHandler(&AboutDialog::onSite)},
    };
    static const MessageTable table(entries);
    return table;
}

// Opens the product web site with the address's default action; the box stays open and
// a failure is not reported.
LRESULT AboutDialog::onSite(WPARAM, LPARAM) {
    Application* application = currentApplication();
    const std::string address = application ? application->loadString(IDS_SITE_ADDRESS) : "";
    platform().shellExecute(nullptr, nullptr, address.c_str(), nullptr, nullptr, SW_SHOW);
    return 0;
}
