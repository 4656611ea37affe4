// Carrow, the control panel of the server in this folder.
#include <windows.h>

#include "window/application.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    return carrow::RunApplication(instance, showCommand);
}
