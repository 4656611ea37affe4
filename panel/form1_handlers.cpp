// The event handlers of Form1.  Each one runs through the error report: a
// failure that escapes it ends it and is shown, and the program carries on.
#include "form1.h"
#include "server_control.h"

namespace carrow {

// The window is being shown, before it is first drawn.
void TForm1::FormShow() {
    // The editors' initial loads attach here: samp.ban into sMemo2, then
    // server.cfg into sMemo3.
}

// The window is closing: every server ends with it.
void TForm1::FormClose() { TerminateProcessesByName(kServerImageName); }

// "Старт", "Рестарт" (on the statistics, ban list and settings pages), "Стоп".
void TForm1::sButton1Click() { StartServer(Timer1, hwnd_); }
void TForm1::sButton2Click() { RestartServer(Timer1, hwnd_); }
void TForm1::sButton5Click() { RestartServer(Timer1, hwnd_); }
void TForm1::sButton7Click() { RestartServer(Timer1, hwnd_); }
void TForm1::sButton3Click() { StopServer(Timer1); }

// Every 2 seconds while the server is meant to run.
void TForm1::Timer1Timer() {
    // The log refresh attaches here: RefreshLogView of sMemo1.
}

// The colour chooser's selection changed.
void TForm1::sColorBox1Click() {
    // The log view's text colour attaches here.
}

// "Сохранить" on the ban list and on the settings page.
void TForm1::sButton4Click() {
    // The ban list save attaches here: sMemo2 to samp.ban.
}

void TForm1::sButton6Click() {
    // The configuration save attaches here: sMemo3 to server.cfg.
}

// "Назад" and "Обновить" on the file browser page.
void TForm1::sButton9Click() { sShellListView1.GoToParent(); }

void TForm1::sButton11Click() { sShellListView1.RefreshFolder(); }

}  // namespace carrow
