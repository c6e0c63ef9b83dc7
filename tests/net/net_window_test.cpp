// The QVX-NET page of the real window against the simulated QVX-NET unit across a (virtual)
// network: run through scripts/with-test-network, which makes the network and starts the unit.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <chrono>
#include <csignal>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/qt/qt_form1.h"
#include "app/recording_dialogs.h"
#include "app/window_fixture.h"
#include "app/window_test_support.h"
#include "net/address_parsing.h"
#include "net/setup_packets.h"
#include "net/udp_peer.h"
#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"

using namespace vidideza;

namespace {

constexpr const char* kUnitIp = "198.51.100.10";
constexpr const char* kComputerIp = "198.51.100.1";

std::string Hex(const std::string& bytes) {
  std::string text;
  char pair[4];
  for (const char c : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
    text += pair;
  }
  return text;
}

}  // namespace

class NetWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  std::filesystem::path unitDir;

  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(form.get(), name); }
  QString Caption(const char* name) { return Find<QLabel>(form.get(), name)->text(); }
  QStringList MemoLines() { return vidideza::MemoLines(form.get()); }
  std::string UnitLog() { return FileText(unitDir / "unit.log"); }

  void StartOnNetPage(const char* unitIp = kUnitIp) {
    WriteSettings(pty->path());
    CreateWindow();
    ShowWindow();
    Edit("Edit8")->setText(QString::fromLatin1(unitIp));
    Edit("Edit9")->setText(QString::fromLatin1(kComputerIp));
    Edit("Edit12")->setText(QStringLiteral("198.51.100.254"));
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(1);
    QVERIFY(form->Form().IdUDPServer1().Active());
    QCOMPARE(form->Form().IdUDPServer1().Bindings().front()->Port, 10100);
  }

 private slots:
  void initTestCase() {
    const char* folder = std::getenv("VIDIDEZA_TEST_UNIT_DIR");
    if (folder == nullptr) {
      QSKIP("needs the test network: run through scripts/with-test-network");
    }
    unitDir = folder;
  }
  void init() { BeginTest(); }
  void cleanup() { EndTest(); }

  void portQueryMakesUnitReadyAndCommandsReachTheUnit() {
    StartOnNetPage();
    QCOMPARE(Caption("Label22"), QStringLiteral("Wait ."));
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Unit ready"), 5000);
    QCOMPARE(Caption("Label17"), QStringLiteral("IP address (x.x.x.x):10001"));
    QCOMPARE(Edit("Edit8")->palette().color(QPalette::Base), QColor(173, 255, 91));
    QCOMPARE(form->Form().SetupProtocol().CommandPort(), 10001);

    Edit("Edit1")->setText(QStringLiteral("A000A,ON"));
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button1"), Qt::LeftButton);
    QTRY_COMPARE(MemoLines(), QStringList({"SND: A000A,ON", "RCV: A000A,ON,OK"}));
    QVERIFY(UnitLog().find("received: A000A,ON\n") != std::string::npos);
    QCOMPARE(FileText(dir->path() / "Test.log"),
             std::string("SND: A000A,ON\r\nRCV: A000A,ON,OK\r\n"));
    QVERIFY(shown.empty());

    // Back on the serial page the server port is released at once: another socket may take it
    // as soon as the page has changed. (How soon the listener ends is the endpoint's own test.)
    const auto serverPort =
        static_cast<std::uint16_t>(form->Form().IdUDPServer1().Bindings().front()->Port);
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(0);
    QVERIFY(!form->Form().IdUDPServer1().Active());
    const UdpPeer successor(serverPort);
    QCOMPARE(successor.port(), serverPort);
  }

  void setNetInterfaceWritesTheUnitAndFindsItAgain() {
    StartOnNetPage();
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Unit ready"), 5000);
    std::filesystem::resize_file(unitDir / "report", 0);  // the unit appends to it
    // The gateway typed by hand, then Tab into the card selector and a click out of it: the
    // typed gateway stays.
    Edit("Edit12")->setText(QString());
    Edit("Edit12")->setFocus();
    QTest::keyClicks(Edit("Edit12"), QStringLiteral("198.51.100.254"));
    QTest::keyClick(Edit("Edit12"), Qt::Key_Tab);
    QTRY_VERIFY(Find<QComboBox>(form.get(), "ComboBox4")->hasFocus());
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button10"), Qt::LeftButton);
    QCOMPARE(Edit("Edit12")->text(), QStringLiteral("198.51.100.254"));
    QVERIFY(shown.empty());
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Succesfully set"), 15000);
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Unit ready"), 5000);

    NetUnitSettings expected;
    expected.UnitMac = {0x00, 0x20, 0x4A, 0xE0, 0x2C, 0xBE};
    expected.UnitIp = {198, 51, 100, 10};
    expected.ServerIp = {198, 51, 100, 1};
    expected.Gateway = {198, 51, 100, 254};
    expected.SubnetMask = {255, 255, 255, 0};
    expected.HostBits = 8;
    expected.ServerPort = 10100;
    std::string report;
    report += "FC " + Hex(AddressAnnouncement(expected)) + "\n";
    report += "FA " + Hex(SetupRecord(expected)) + "\n";
    for (int opcode = 0xC2; opcode <= 0xC7; ++opcode) {
      const std::string block = ConfigurationBlock(static_cast<std::uint8_t>(opcode));
      report += Hex(block.substr(3, 1)) + " " + Hex(block) + "\n";
    }
    report += "03 " + Hex(FinishPacket()) + "\n";
    QCOMPARE(FileText(unitDir / "report"), report);
    QVERIFY(UnitLog().find("set: ip 198.51.100.10, host bits 8, gateway 198.51.100.254, "
                           "server 198.51.100.1:10100") != std::string::npos);

    // The unit now answers at the server address it was given.
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button6"), Qt::LeftButton);
    QTRY_COMPARE(MemoLines().back(), QStringLiteral("RCV: A000A,SV,T21.5,OK"));

    // qvxctl, given the same fields, sends the unit the very datagrams the window sent.
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(0);  // frees the server port
    std::filesystem::resize_file(unitDir / "report", 0);
    const int status = QProcess::execute(
        PathFromEnvironment("VIDIDEZA_TEST_QVXCTL"),
        {"net-setup", "--mac", "00-20-4A-E0-2C-BE", "--ip", kUnitIp, "--mask", "255.255.255.0",
         "--gateway", "198.51.100.254", "--server-ip", kComputerIp, "--server-port", "10100"});
    QCOMPARE(status, 0);
    QCOMPARE(FileText(unitDir / "report"), report);
  }

  void unitThatDoesNotAnswerEndsInTimeoutAfterTenDots() {
    StartOnNetPage();
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Unit ready"), 5000);
    Edit("Edit2")->setText(QStringLiteral("00-20-4A-00-00-01"));  // no such unit out there
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button10"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Wait ..........."), 12000);
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Timeout error"), 3000);
  }

  // A stranger on the computer's own network (here its loopback, with the unit address typed
  // as 127.0.0.1, so the forged sender is the typed one) sends the whole unit side of a setup
  // from the setup port, and a text reply with a forged log line in it.
  void strangerCanNeitherWriteTheUnitNorForgeTheLog() {
    UdpPeer stranger(kSetupPort);
    QCOMPARE(stranger.port(), std::uint16_t{kSetupPort});
    StartOnNetPage("127.0.0.1");
    std::optional<UdpPeer::Received> got;
    for (int wait = 0; wait < 60 && !got; ++wait) {  // the window runs meanwhile
      QTest::qWait(50);
      got = stranger.Receive(std::chrono::milliseconds(0));
    }
    QVERIFY(got);
    QCOMPARE(got->data, PortQuery());  // the tool's polling does reach the stranger

    const auto packet = [](std::uint8_t opcode) { return std::string("\0\0\0", 3) + char(opcode); };
    stranger.SendTo(10100, packet(kSearchAnswer));  // matches the MAC before any setup
    stranger.SendTo(10100, packet(kSetupAcknowledgement));
    for (int opcode = kBlockRequestFirst; opcode <= kBlockRequestLast; ++opcode)
      stranger.SendTo(10100, packet(static_cast<std::uint8_t>(opcode)));
    stranger.SendTo(10100, packet(kSearchAnswer));
    stranger.SendTo(10100, "A000A,OK\r\nSND: A000A,PWNED\r\nRCV: x\n");
    QTRY_COMPARE(MemoLines().size(), qsizetype{1});

    QTest::qWait(1500);
    while ((got = stranger.Receive(std::chrono::milliseconds(0)))) {
      QCOMPARE(got->data, PortQuery());
    }
    QVERIFY(!Caption("Label22").contains(QLatin1Char('x')));
    QVERIFY(!Caption("Label22").contains(QLatin1Char('R')));
    QVERIFY(Caption("Label22").startsWith(QStringLiteral("Wait .")));
    const std::string log = FileText(dir->path() / "Test.log");
    QCOMPARE(log, std::string("RCV: A000A,OK\r\nRCV: SND: A000A,PWNED\r\nRCV: RCV: x\r\n"));
    QVERIFY(shown.empty());
  }
  // After unit 1 was set, a late block request from it (a unit that repeats itself, or a forger
  // at its address) arrives while the run for unit 2 searches: it must not count, and unit 2 is
  // reported set only after it got its record, its blocks and the finish packet.
  void anEarlierUnitsLateMessageDoesNotMakeTheNextRunSet() {
    StartOnNetPage();
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Unit ready"), 5000);
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button10"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Succesfully set"), 15000);
    QCOMPARE(form->Form().SetupProtocol().ConfirmedUnitIp(), std::string(kUnitIp));

    // Unit 1 goes; its address stays, and the forger sends from its setup port there.
    const auto pidOf = [&](int unit) {
      return static_cast<pid_t>(
          std::stol(FileText(unitDir / ("unit" + std::to_string(unit) + ".pid"))));
    };
    ::kill(pidOf(1), SIGKILL);
    const pid_t unit2 = pidOf(2);
    ::kill(unit2, SIGSTOP);  // unit 2 holds still until the late message is in
    std::filesystem::resize_file(unitDir / "report2", 0);
    Edit("Edit8")->setText(QStringLiteral("198.51.100.11"));
    Edit("Edit2")->setText(QStringLiteral("00-20-4A-E0-2C-BF"));
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button10"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Wait .."), 3000);
    const std::string unit1Netns = FileText(unitDir / "unit1.netns");
    const QString forge =
        QStringLiteral(
            "printf '\\000\\001\\000\\267' | ip netns exec %1 socat -u STDIN "
            "UDP-SENDTO:%2:10100,sourceport=30718")
            .arg(QString::fromStdString(unit1Netns.substr(0, unit1Netns.find('\n'))),
                 QString::fromLatin1(kComputerIp));
    int sent = -1;
    for (int attempt = 0; attempt < 20 && sent != 0; ++attempt) {  // until unit 1's port is free
      sent = QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), forge});
      QTest::qWait(sent == 0 ? 0 : 50);
    }
    QCOMPARE(sent, 0);
    QTest::qWait(300);
    QVERIFY2(!Caption("Label22").contains(QLatin1Char('R')), qPrintable(Caption("Label22")));
    QVERIFY(!form->Form().SetupProtocol().SetupWritten());

    ::kill(unit2, SIGCONT);
    QTRY_COMPARE_WITH_TIMEOUT(Caption("Label22"), QStringLiteral("Succesfully set"), 15000);
    std::string opcodes;
    std::istringstream report(FileText(unitDir / "report2"));
    for (std::string line; std::getline(report, line);) {
      opcodes += line.substr(0, 2) + " ";
    }
    QCOMPARE(opcodes, std::string("FC FA C2 C3 C4 C5 C6 C7 03 "));
    QVERIFY(shown.empty());
  }
};

QTEST_MAIN(NetWindowTest)
#include "net_window_test.moc"
