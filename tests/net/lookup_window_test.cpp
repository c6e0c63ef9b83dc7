// The QVX-NET page with a host name in the unit-IP field while the name server never answers:
// run through scripts/with-silent-name-server, where this test is that name server.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <algorithm>

#include "app/window_fixture.h"
#include "app/window_test_support.h"
#include "net/udp_peer.h"

using namespace vidideza;

class LookupWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private slots:
  void initTestCase() {
    if (std::getenv("VIDIDEZA_SILENT_NAME_SERVER") == nullptr) {
      QSKIP("needs a silent name server: run through scripts/with-silent-name-server");
    }
  }
  void init() { BeginTest(); }
  void cleanup() { EndTest(); }

  void windowKeepsAnsweringWhileALookUpHangs() {
    UdpPeer nameServer(53);
    QCOMPARE(nameServer.port(), std::uint16_t{53});
    WriteSettings(pty->path());
    CreateWindow();
    ShowWindow();
    Find<QLineEdit>(form.get(), "Edit8")->setText(QStringLiteral("qvx-unit.example.net"));

    // How long the window leaves a 20 ms timer waiting, at worst.
    qint64 longestGap = 0;
    QElapsedTimer sinceLast;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout,
                     [&] { longestGap = std::max(longestGap, sinceLast.restart()); });
    sinceLast.start();
    heartbeat.start(20);
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(1);
    longestGap = std::max(longestGap, sinceLast.restart());
    QTest::qWait(5500);

    int queries = 0;
    while (nameServer.Receive(std::chrono::milliseconds(0))) {
      ++queries;
    }
    const auto tryAgain = std::count_if(shown.begin(), shown.end(), [](const std::string& box) {
      return box.rfind("error: Socket Error # 11002\r\n", 0) == 0;
    });
    QVERIFY2(longestGap < 1500, qPrintable(QString::number(longestGap)));
    QVERIFY2(tryAgain >= 3, qPrintable(QString::number(tryAgain)));
    QCOMPARE(shown.size(), static_cast<std::size_t>(tryAgain));           // no other box
    QVERIFY2(queries >= tryAgain, qPrintable(QString::number(queries)));  // each asks anew
  }
};

QTEST_MAIN(LookupWindowTest)
#include "lookup_window_test.moc"
