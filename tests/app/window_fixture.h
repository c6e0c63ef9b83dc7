#pragma once

#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include "app/qt/qt_form1.h"
#include "recording_dialogs.h"
#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"

namespace vidideza {

// What every window test stands on: a fresh current directory, a pseudo-terminal for the serial
// page (never a real port of the machine), the window, and the message boxes it showed.
class WindowFixture {
 protected:
  std::vector<std::string> shown;
  bool answerYes = true;  // how confirmation boxes are answered
  std::unique_ptr<CurrentTempDir> dir;
  std::unique_ptr<PseudoTerminal> pty;
  std::unique_ptr<TQtForm1> form;

  // For the test class's init() and cleanup().
  void BeginTest() {
    shown.clear();
    answerYes = true;
    dir = std::make_unique<CurrentTempDir>();
    pty = std::make_unique<PseudoTerminal>();
    QVERIFY(pty->ok());
  }
  void EndTest() {
    form.reset();
    pty.reset();
    dir.reset();
  }

  // The settings file naming a serial port, with more lines after it.
  void WriteSettings(const std::string& port, const std::string& more = "") {
    WriteFileText(dir->path() / "VIDideza.ini", "[Serial]\r\nCOMPort=" + port + "\r\n" + more);
  }

  // The window built and started as the program does it, before it is shown.
  void CreateWindow() {
    form = std::make_unique<TQtForm1>(std::make_unique<RecordingDialogs>(shown, answerYes));
    form->Form().FormCreate();
  }

  void ShowWindow() {
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
  }
};

}  // namespace vidideza
