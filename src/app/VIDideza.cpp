// The program VIDideza: start-up and shutdown, one step a line.
#include <QApplication>
#include <QFileInfo>

#include "app/error_box_text.h"
#include "app/main_window.h"
#include "app/program_icon.h"
#include "app/termination_signals.h"

int main(int argc, char* argv[]) {
  using namespace vidideza;
  QApplication app(argc, argv);
  const QString title = QString::fromStdString(ApplicationTitle(
      QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString()));
  QApplication::setApplicationDisplayName(title);
  QApplication::setWindowIcon(ProgramIcon());

  TForm1 form(std::make_unique<QtDialogs>(nullptr, title));
  TerminationSignals endFromOutside([&form] { form.close(); });
  form.FormCreate();
  form.show();
  const int exitCode = QApplication::exec();
  form.hide();
  form.FormDestroy();
  return exitCode;
}
