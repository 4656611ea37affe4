// The event handlers of Form1.  Each one runs through the error report: a
// failure that escapes it ends it and is shown, and the program carries on.
#include "editors/editors.h"
#include "window/error_report.h"
#include "window/form1.h"
#include "log/log_view.h"
#include "server/server_control.h"

namespace carrow {

// The window is being shown, before it is first drawn.
void TForm1::FormShow() {
    LoadEditors(banList, config, [] { ReportCurrentFailure(); });
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
// A tick's failure is reported here, so that while its report is open later
// ticks wait (at most one report from ticks is open at a time).
void TForm1::Timer1Timer() {
    logView.Ticks().Run([this] { RefreshLogView(logView, [this](MSG& m) { return PreTranslate(m); }); },
                        [] { ReportCurrentFailure(); });
}

// The colour chooser's selection changed.
void TForm1::sColorBox1Click() { logView.SetTextColour(colourBox.Selected()); }

// "Сохранить" on the ban list and on the settings page, and "Обновить" on the
// ban list page.
void TForm1::sButton4Click() { SaveEditor(banList, AskYesNo); }
void TForm1::sButton6Click() { SaveEditor(config, AskYesNo); }
void TForm1::sButton8Click() { ReloadEditor(banList, AskYesNo); }

// "Назад" and "Обновить" on the file browser page.
void TForm1::sButton9Click() { sShellListView1.GoToParent(); }

void TForm1::sButton11Click() { sShellListView1.RefreshFolder(); }

}  // namespace carrow
