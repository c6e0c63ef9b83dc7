// The window on a serial port at a serial device server: Debian's ser2net serving the simulated
// QVX-RS unit's pseudo-terminal over RFC 2217, and a test server that refuses a setting. Run in
// a network namespace of its own (scripts/with-window-sandbox): the servers listen on its
// loopback.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <filesystem>
#include <string>
#include <vector>

#include "app/window_fixture.h"
#include "app/window_test_support.h"
#include "test_temp_dir.h"

using namespace vidideza;

namespace {

constexpr const char* kRfc2217Port = "rfc2217://127.0.0.1:2000";

// The line settings of a terminal device, read from the test's side.
struct LineState {
  speed_t speed = 0;
  tcflag_t size = 0;
  bool parity = true;
  bool twoStopBits = false;
};

LineState ReadLineState(const std::string& device) {
  LineState state;
  const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios t{};
  if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
    state.speed = ::cfgetospeed(&t);
    state.size = t.c_cflag & CSIZE;
    state.parity = (t.c_cflag & PARENB) != 0;
    state.twoStopBits = (t.c_cflag & CSTOPB) != 0;
  }
  if (fd >= 0) {
    ::close(fd);
  }
  return state;
}

void SetSpeed(const std::string& device, speed_t speed) {
  const int fd = ::open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  termios t{};
  if (fd >= 0 && ::tcgetattr(fd, &t) == 0) {
    ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
  }
  if (fd >= 0) {
    ::close(fd);
  }
}

}  // namespace

class RemotePortWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  QProcess unit;
  QProcess ser2net;
  std::string device;

  QPushButton* Button(const char* name) { return Find<QPushButton>(form.get(), name); }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(form.get(), name); }
  QStringList MemoLines() { return vidideza::MemoLines(form.get()); }
  std::string LogText() { return FileText(dir->path() / "Test.log"); }
  std::string UnitLog() { return FileText(dir->path() / "unit.log"); }

  // Whether a server listens on the port of this namespace's loopback.
  static bool Answers(int port) {
    const QString probe = QStringLiteral("exec 3<>/dev/tcp/127.0.0.1/%1 2>/dev/null").arg(port);
    return QProcess::execute(QStringLiteral("bash"), {QStringLiteral("-c"), probe}) == 0;
  }

  void StartSer2net() {
    ser2net.setWorkingDirectory(QString::fromStdString(dir->path().string()));
    ser2net.start(QStringLiteral("ser2net"), {"-n", "-c", "ser2net.yaml", "-P", "ser2net.pid"});
    QVERIFY(ser2net.waitForStarted());
    QTRY_VERIFY(Answers(2000));
  }

 private slots:
  void initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty()) {
      QSKIP("ser2net is not installed");
    }
    if (qgetenv("VIDIDEZA_WINDOW_SANDBOX") != "1") {
      QSKIP("needs a network of its own: run under scripts/with-window-sandbox");
    }
  }
  void init() {
    BeginTest();
    unit.setWorkingDirectory(QString::fromStdString(dir->path().string()));
    unit.start(PathFromEnvironment("VIDIDEZA_TEST_UNIT_SIM"), {"--log", "unit.log"});
    QVERIFY(unit.waitForStarted());
    QVERIFY(unit.waitForReadyRead(5000));
    device = std::filesystem::canonical(dir->path() / "qvx-rs.tty").string();
    // ser2net opens the line at 4800 7E1: only what the window sets through RFC 2217 makes it
    // 9600 8N2. nobreak: a pseudo-terminal has no break or modem lines to set.
    WriteFileText(dir->path() / "ser2net.yaml",
                  "connection: &unit\n"
                  "  accepter: telnet(rfc2217),tcp,127.0.0.1,2000\n"
                  "  connector: serialdev," +
                      device + ",4800e71,local,nobreak\n");
    StartSer2net();
  }
  void cleanup() {
    form.reset();
    ser2net.kill();
    ser2net.waitForFinished();
    unit.terminate();
    unit.waitForFinished();
    EndTest();
  }

  // Every Send button's line reaches the unit and its reply the window and the log, as over a
  // local port; a 0xFF byte goes and comes back; a burst of 10,000 lines loses none.
  void everySendButtonOverRfc2217() {
    WriteSettings(kRfc2217Port);
    CreateWindow();
    ShowWindow();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    QVERIFY(shown.empty());
    const LineState line = ReadLineState(device);
    QCOMPARE(line.speed, speed_t(B9600));
    QCOMPARE(line.size, tcflag_t(CS8));
    QVERIFY(!line.parity);
    QVERIFY(line.twoStopBits);

    Edit("Edit7")->setText(QString::fromLatin1("A000A,\xff"));
    QStringList wanted;
    for (const char* button : {"Button1", "Button3", "Button4", "Button5", "Button6", "Button7"}) {
      const QString edit = QStringLiteral("Edit") + QString(button).mid(6);
      const QString text = Edit(edit.toLatin1().constData())->text();
      QTest::mouseClick(Button(button), Qt::LeftButton);
      wanted << "SND: " + text << "RCV: " + text + (text.endsWith("SV") ? ",T21.5,OK" : ",OK");
      QTRY_COMPARE(MemoLines(), wanted);
      QVERIFY(UnitLog().find("received: " + text.toLatin1().toStdString() + "\n") !=
              std::string::npos);
    }
    QCOMPARE(QString::fromLatin1(LogText().c_str()), wanted.join("\r\n") + "\r\n");

    const int flood = 10000;
    Edit("Edit6")->setText(QStringLiteral("A000A,DUMP,%1").arg(flood));
    QTest::mouseClick(Button("Button6"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(MemoLines().size(), wanted.size() + 1 + flood, 60000);
    QCOMPARE(MemoLines().back(), QStringLiteral("RCV: A000A,DUMP,10000"));
    const std::string log = LogText();
    QCOMPARE(std::count(log.begin(), log.end(), '\n'), std::ptrdiff_t(wanted.size() + 1 + flood));
    QVERIFY(shown.empty());

    // The name is kept as typed.
    form->Form().FormDestroy();
    QVERIFY(FileText(dir->path() / "VIDideza.ini").find(std::string("COMPort=") + kRfc2217Port) !=
            std::string::npos);
  }

  // The server goes away: one box with the system's words; when it is back, the port is back by
  // itself within two seconds, and a reply reaches the log.
  void aServerRestartGivesOneBoxAndThePortComesBack() {
    WriteSettings(kRfc2217Port);
    CreateWindow();
    ShowWindow();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    ser2net.kill();
    QVERIFY(ser2net.waitForFinished());
    QTRY_COMPARE(shown.size(), std::size_t(1));
    QVERIFY2(shown[0] == "error: Serial server 127.0.0.1, port 2000: Connection reset by peer." ||
                 shown[0] == "error: Serial server 127.0.0.1, port 2000: Broken pipe.",
             shown[0].c_str());
    QTest::qWait(1500);  // the server stays down a while: the watch keeps looking, quietly
    QCOMPARE(shown.size(), std::size_t(1));

    // ser2net opens the line at 4800 baud on each connection; the window's reopening sets
    // it to 9600, which tells the port is back.
    SetSpeed(device, B4800);
    StartSer2net();
    QElapsedTimer back;
    back.start();
    QTRY_VERIFY_WITH_TIMEOUT(ReadLineState(device).speed == B9600, 2000);
    QVERIFY2(back.elapsed() <= 2000, "the port came back only after 2 s");
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QTRY_VERIFY(LogText().find("RCV: A000A,ON,OK\r\n") != std::string::npos);
    QCOMPARE(shown.size(), std::size_t(1));
  }

  // A server that refuses a setting: one box naming it, and the port is not used.
  void aRefusedSettingIsNamedAndThePortNotUsed() {
    QProcess server;
    server.start(QStringLiteral("python3"), {PathFromEnvironment("VIDIDEZA_TEST_RFC2217_SERVER"),
                                             "--device", QString::fromStdString(device), "--listen",
                                             "127.0.0.1:2002", "--refuse-baud", "4800"});
    QVERIFY(server.waitForStarted());
    QTRY_VERIFY(Answers(2002));
    WriteSettings("rfc2217://127.0.0.1:2002");
    CreateWindow();
    ShowWindow();
    QTRY_COMPARE(shown, std::vector<std::string>{"error: The serial server 127.0.0.1, port 2002 "
                                                 "refused baud rate 9600, it set 4800."});
    QVERIFY(!form->Form().ComPort1().Active());
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QTest::qWait(300);
    QVERIFY(UnitLog().find("received:") == std::string::npos);
    server.kill();
    server.waitForFinished();
  }
};

QTEST_MAIN(RemotePortWindowTest)
#include "remote_port_window_test.moc"
