// The program VIDideza: start-up and shutdown, one step a line.
#include <QApplication>
#include <QFileInfo>

#include "app/error_box_text.h"
#include "app/qt/message_boxes.h"
#include "app/qt/program_icon.h"
#include "app/qt/qt_form1.h"
#include "app/qt/termination_signals.h"

int main(int /*argc*/, char* argv[]) {
  using namespace vidideza;
  // The program takes no arguments, so Qt's own options (-reverse, -platform...) do not act.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  // Only the message boxes carry the application title: as the display name, Qt would append
  // it to the window's own title.
  const QString title = QString::fromStdString(ApplicationTitle(
      QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString()));
  QApplication::setWindowIcon(ProgramIcon());

  auto dialogs = std::make_unique<QtDialogs>(title);
  QtDialogs& boxes = *dialogs;
  TQtForm1 window(std::move(dialogs));
  boxes.SetOwner(&window);
  // Ended from outside, the program shuts down as by the close box, but no box waits for an
  // answer any more: what is open is dismissed, what comes is written to standard error.
  bool endedFromOutside = false;
  TerminationSignals endFromOutside([&] {
    endedFromOutside = true;
    boxes.EndWithoutWaiting();
    window.close();
    QCoreApplication::quit();  // whatever event loop runs, the main one included
  });
  window.Form().FormCreate();
  int exitCode = 0;
  if (!endedFromOutside) {  // a signal during a box at start-up ends the program there
    window.show();
    exitCode = QApplication::exec();
  }
  window.hide();
  window.Form().FormDestroy();
  return exitCode;
}
