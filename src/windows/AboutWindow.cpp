#include "AboutWindow.h"

#include "resource.h"

const char* aboutText = "Brindlow\n"
                        "\n"
                        "Version 1.0.0\n"
                        "Written by the Brindlow developers\n"
                        "Copyright (C) 2026 the Brindlow developers. All rights reserved.";

namespace {
constexpr const char* kCaption = "About Brindlow";
}

AboutWindow::AboutWindow(HWND owner_window) : owner(owner_window) {}

void AboutWindow::show()
{
    MSGBOXPARAMSA params{};
    params.cbSize = sizeof params;
    params.hwndOwner = owner;
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = aboutText;
    params.lpszCaption = kCaption;
    // MB_USERICON alone: one OK button, the icon taken from this module.
    params.dwStyle = MB_USERICON;
    params.lpszIcon = MAKEINTRESOURCEA(IDI_BRINDLOW);
    MessageBoxIndirectA(&params);
}
