// The QVX-NET page on this machine alone: every address is 127.0.0.1 and the server port is
// chosen by the system, so nothing leaves the loopback interface.
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <fstream>
#include <memory>
#include <random>
#include <thread>

#include "app/qt/qt_form1.h"
#include "app/recording_dialogs.h"
#include "app/window_fixture.h"
#include "app/window_test_support.h"
#include "net/setup_packets.h"
#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"
#include "udp_peer.h"

using namespace vidideza;

class NetPageTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(form.get(), name); }
  QStringList MemoLines() { return vidideza::MemoLines(form.get()); }
  int ServerPort() { return form->Form().IdUDPServer1().Bindings().front()->Port; }

  static long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("VmRSS:", 0) == 0) {
        return std::stol(line.substr(6));
      }
    }
    return 0;
  }

  // A datagram for the peer, received while the window's event loop keeps running.
  static std::optional<UdpPeer::Received> ReceiveWhileRunning(const UdpPeer& peer) {
    std::optional<UdpPeer::Received> got;
    for (int i = 0; i < 100 && !got; ++i) {
      got = peer.Receive(std::chrono::milliseconds(0));
      if (!got) {
        QTest::qWait(50);
      }
    }
    return got;
  }

  void StartOnNetPage(const QString& serverPort = QStringLiteral("0")) {
    WriteSettings(pty->path());
    CreateWindow();
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    for (const char* field : {"Edit8", "Edit9", "Edit12"}) {
      Edit(field)->setText(QStringLiteral("127.0.0.1"));
    }
    Edit("Edit11")->setText(serverPort);
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(1);
    QVERIFY(form->Form().IdUDPServer1().Active());
  }

 private slots:
  void init() { BeginTest(); }
  void cleanup() { EndTest(); }

  void textDatagramsBecomeRcvLines() {
    StartOnNetPage();
    const UdpPeer unit;
    unit.SendTo(ServerPort(), "A000A,ON,OK\n");
    unit.SendTo(ServerPort(), "not a reply\n");
    unit.SendTo(ServerPort(), "@");
    QTRY_COMPARE(MemoLines(), QStringList({"RCV: A000A,ON,OK", "RCV: "}));
    QCOMPARE(FileText(dir->path() / "Test.log"), std::string("RCV: A000A,ON,OK\r\nRCV: \r\n"));
  }

  void commandsGoToTheUnitsCommandPortAsOneDatagram() {
    const UdpPeer setupPort(kSetupPort);
    const UdpPeer commandPort;
    StartOnNetPage();
    // The unit answers the port query with its command port.
    const auto query = ReceiveWhileRunning(setupPort);
    QCOMPARE(query->data, PortQuery());
    QCOMPARE(int(query->fromPort), ServerPort());
    std::string answer(26, '\0');
    answer[3] = '\xF9';
    answer[24] = static_cast<char>(commandPort.port() & 0xFF);
    answer[25] = static_cast<char>(commandPort.port() >> 8);
    setupPort.SendTo(ServerPort(), answer);
    QTRY_COMPARE(Find<QLabel>(form.get(), "Label22")->text(), QStringLiteral("Unit ready"));

    Edit("Edit8")->setText(QStringLiteral(" 127.0.0.1 "));  // sent to the trimmed address
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button1"), Qt::LeftButton);
    const auto command = ReceiveWhileRunning(commandPort);
    QCOMPARE(command->data, std::string("A000A,ON\n"));
    QCOMPARE(int(command->fromPort), ServerPort());
    QVERIFY(shown.empty());
  }

  void changedServerPortAppliesTenSecondsAfterTheLastEdit() {
    StartOnNetPage();
    auto* timer1 = form->findChild<QTimer*>(QStringLiteral("Timer1"));
    const int freePort = UdpPeer().port();
    Edit("Edit11")->setFocus();
    Edit("Edit11")->selectAll();
    QTest::keyClicks(Edit("Edit11"), QString::number(freePort));
    QCOMPARE(Edit("Edit11")->palette().color(QPalette::Base), QColor(255, 221, 221));
    QVERIFY(timer1->isActive());
    QCOMPARE(timer1->interval(), 10000);
    QVERIFY(timer1->remainingTime() > 9000);  // restarted by the last keystroke
    QVERIFY(ServerPort() != freePort);
    timer1->setInterval(20);  // let the ten seconds pass at once
    timer1->start();
    QTRY_COMPARE(ServerPort(), freePort);
    QVERIFY(!timer1->isActive());
    QCOMPARE(Edit("Edit11")->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Base));
  }

  void serverPortFieldRules_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("port");
    const int free = UdpPeer().port();
    QTest::newRow("number") << QString::number(free) << free;
    QTest::newRow("beyond 16 bits") << QString::number(free + 65536) << free;
  }
  void serverPortFieldRules() {
    QFETCH(QString, text);
    QFETCH(int, port);
    StartOnNetPage(text);
    QCOMPARE(ServerPort(), port);
  }

  void portHeldByAnotherProgramShowsTheBindError() {
    const UdpPeer holder;
    StartOnNetPage(QStringLiteral("0"));
    auto* status = Find<QLabel>(form.get(), "Label22");
    QTRY_COMPARE(status->text(), QStringLiteral("Wait .."));  // one port query out
    Edit("Edit11")->setText(QString::number(holder.port()));
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(0);
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(1);
    QCOMPARE(shown, std::vector<std::string>{
                        "error: Could not bind socket. Address and port are already in use."});
    QVERIFY(!form->Form().IdUDPServer1().Active());
    // The polling did not restart after the failed rebinding: the old run's dots stay.
    QVERIFY(status->text().startsWith(QStringLiteral("Wait ..")));
  }

  // 100,000 datagrams of every kind at the server port: nothing crashes, every text datagram
  // that fits is shown and logged, memory stays bounded and the window keeps answering.
  void floodAtTheServerPort() {
    StartOnNetPage();
    const int port = ServerPort();
    auto* memo = Find<TResponseView>(form.get(), "Memo1");
    std::atomic<int> shown{0};
    QTimer count;
    connect(&count, &QTimer::timeout, this,
            [&] { shown = static_cast<int>(memo->Lines().LineCount()); });
    count.start(5);

    constexpr int kDatagrams = 100000;
    constexpr int kBatch = 100;
    std::atomic<int> expected{0};
    std::atomic<bool> stalled{false};
    std::vector<std::string> expectedLog;
    std::thread flood([&] {
      const UdpPeer peer;
      std::mt19937 random(12345);
      int text = 0;
      for (int i = 0; i < kDatagrams; ++i) {
        std::string datagram;
        switch (i % 10) {
          case 0:
            datagram = "";
            break;
          case 1:
            datagram = std::string(i % 1000 == 1 ? 65000 : 8193, 'A');
            break;  // too long
          case 2:
            datagram = PortQuery();
            break;
          case 3:
            datagram.assign(26, '\x01');
            datagram.replace(0, 4, std::string("\0\0\0\xF9", 4));
            break;
          case 4:
            datagram = "@" + std::to_string(i) + "\n";
            break;
          case 5:  // the longest that fits, now and then
            datagram = i % 1000 == 5 ? "A000A," + std::string(8192 - 7, 'x') + "\n" : "A000A,OK\n";
            break;
          default: {
            datagram.resize(1 + random() % 200);
            for (char& c : datagram)
              c = static_cast<char>(random());
            if (datagram[0] == 'A' || datagram[0] == '@')
              datagram[0] = 'B';
            if (i % 10 == 9)
              datagram = "A000A,ST," + std::to_string(i) + "\n";
          }
        }
        const bool isText = (!datagram.empty() && datagram.size() <= 8192) &&
                            ((datagram[0] == 'A' && datagram.size() > 5 && datagram[5] == ',') ||
                             datagram[0] == '@');
        if (isText) {
          expectedLog.push_back("RCV: " + datagram.substr(0, datagram.size() - 1) + "\r\n");
          ++text;
        }
        peer.SendTo(static_cast<std::uint16_t>(port), datagram);
        if ((i + 1) % kBatch == 0) {
          expected = text;
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (shown < text && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
          }
          if (shown < text) {
            stalled = true;
            return;
          }
        }
      }
    });
    const long rssBefore = ResidentKilobytes();
    std::chrono::steady_clock::duration slowest{};
    while (!stalled && (shown < kDatagrams / 10 * 3 || shown < expected)) {
      // The window answers a posted event promptly, flood or not. A real event loop runs
      // here: QTest's waits sleep between rounds and would slow every hand-over.
      const auto asked = std::chrono::steady_clock::now();
      QEventLoop loop;
      QTimer::singleShot(0, &loop, [&] {
        slowest = std::max(slowest, std::chrono::steady_clock::now() - asked);
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
      });
      loop.exec();
    }
    flood.join();
    QVERIFY2(!stalled, "text datagrams were lost");
    QCOMPARE(MemoLines().size(), int(expectedLog.size()));
    std::string log;
    for (const auto& line : expectedLog)
      log += line;
    QVERIFY(FileText(dir->path() / "Test.log") == log);
    QVERIFY2(slowest < std::chrono::milliseconds(500), "the window stopped answering");
    QVERIFY2(ResidentKilobytes() - rssBefore < 512 * 1024, "memory grew without bound");
  }

  void badFieldsShowTheirNoticeAndSendNothing() {
    StartOnNetPage();
    Edit("Edit2")->setText(QStringLiteral("00:20:4A:E0:2C:BE"));
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button10"), Qt::LeftButton);
    QCOMPARE(shown, std::vector<std::string>{"notice: Wrong MAC address"});
    QVERIFY(!form->findChild<QTimer*>(QStringLiteral("Timer3"))->isActive());
    QVERIFY(!form->Form().SetupProtocol().SetupInProgress());

    shown.clear();
    Edit("Edit8")->setFocus();
    Edit("Edit8")->setText(QStringLiteral("127.0.0"));
    // Another window taking the focus for a while is no exit from the field.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    QVERIFY(shown.empty());
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form.get()));
    Edit("Edit2")->setFocus();  // leaving the field checks it
    QCOMPARE(shown, std::vector<std::string>{"notice: Wrong IP address"});
  }
};

QTEST_MAIN(NetPageTest)
#include "net_page_test.moc"
