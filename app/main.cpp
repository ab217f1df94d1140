// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the application object, the main window, the message loop; exit code 0 once the
// window is closed.
#include "app/application.h"
#include "app/form_main.h"
#include "app/show_state.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TFormMain FormMain;
    application.setMainWindow(&FormMain);
    ShowMainWindow(FormMain, kStartShowState);
    application.exec();
    return 0;
}
