// The unattended demo of tools/run: starts Carrow in a server folder, presses
// "Старт", waits for a log refresh, saves a picture of each page and closes
// the window.  Arguments: the server folder and the folder for the pictures.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "ui_driver.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: carrow_demo SERVER-FOLDER PICTURE-FOLDER\n");
        return 2;
    }
    const std::wstring folder = ui::FullPath(argv[1]);
    const std::wstring pictures = ui::FullPath(argv[2]);
    ui::MakeFolder(pictures);
    ui::Process carrow = ui::Start(folder + L"\\Carrow.exe", folder);
    HWND form = ui::WaitForTopWindow(carrow.Id(), L"TForm1", true, 20000);
    if (!form) {
        std::fprintf(stderr, "Carrow's window did not appear\n");
        return 1;
    }
    SetForegroundWindow(form);
    ui::Click(ui::FindDescendant(form, L"Button", L"Старт"));
    Sleep(3000);  // the first log refresh comes 2 seconds after the start
    // Whatever report a refresh may show is answered, so that it is not in the picture.
    if (HWND box = ui::WaitForMessageBox(carrow.Id(), 0)) ui::PressOk(box);
    HWND tabs = ui::FindDescendant(form, L"SysTabControl32");
    const int pages = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int page = 0; page < pages; ++page) {
        const RECT tab = ui::TabRect(tabs, page);
        ui::ClickAt(tabs, {(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2});
        Sleep(700);
        ui::SaveWindowPicture(form, pictures + L"\\page" + std::to_wstring(page + 1) + L".bmp");
    }
    PostMessageW(form, WM_CLOSE, 0, 0);
    const bool closed = carrow.WaitForExit(10000);
    std::printf("demo: %d pictures, window %s\n", pages, closed ? "closed" : "did not close");
    return closed ? 0 : 1;
}
