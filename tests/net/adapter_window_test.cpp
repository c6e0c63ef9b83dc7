// The card selector and the server fields against known adapters: run through
// scripts/with-adapter-network, which makes a namespace with two of them.
#include <QAbstractItemView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/qt/qt_form1.h"
#include "app/recording_dialogs.h"
#include "app/window_fixture.h"
#include "net/test_network_adapters.h"
#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"

using namespace vidideza;

class AdapterWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  std::string first;
  std::string second;

  QLineEdit* Edit(const char* name) { return form->findChild<QLineEdit*>(QLatin1String(name)); }
  QComboBox* Cards() { return form->findChild<QComboBox*>(QStringLiteral("ComboBox4")); }
  QStringList Items() {
    QStringList items;
    for (int i = 0; i < Cards()->count(); ++i)
      items << Cards()->itemText(i);
    return items;
  }

  void Start(const std::string& cardNr) {
    WriteSettings(pty->path(), "[Network]\r\nCardNr=" + cardNr + "\r\n");
    CreateWindow();
  }

  // Started with card 0 and shown on the QVX-NET page, polling the namespace's unit address.
  void ShowNetPage() {
    Start("0");
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    Edit("Edit8")->setText(QStringLiteral("198.51.100.10"));
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
  }

 private slots:
  void initTestCase() {
    const std::optional<TestNetworkAdapters> adapters = AdaptersOfTestNetwork();
    if (!adapters) {
      QSKIP(kNeedsTestNetwork);
    }
    first = adapters->first;
    second = adapters->second;
  }
  void init() { BeginTest(); }
  void cleanup() { EndTest(); }

  void startUpFillsFromTheSavedCard_data() {
    QTest::addColumn<QString>("cardNr");
    QTest::addColumn<int>("card");
    QTest::addColumn<QString>("serverIp");
    QTest::addColumn<QString>("gateway");
    QTest::newRow("card 0") << "0" << 0 << "198.51.100.1"
                            << "198.51.100.254";
    QTest::newRow("card 1") << "1" << 1 << "203.0.113.1"
                            << "0.0.0.0";
    QTest::newRow("card $1") << "$1" << 1 << "203.0.113.1"
                             << "0.0.0.0";
  }
  void startUpFillsFromTheSavedCard() {
    QFETCH(QString, cardNr);
    QFETCH(int, card);
    QFETCH(QString, serverIp);
    QFETCH(QString, gateway);
    Start(cardNr.toStdString());
    QVERIFY(shown.empty());
    QCOMPARE(Items().size(), 2);
    QVERIFY(Items()[0].startsWith(QString::fromStdString(first + " (")));
    QVERIFY(Items()[1].startsWith(QString::fromStdString(second + " (")));
    QCOMPARE(Cards()->currentIndex(), -1);
    QCOMPARE(Cards()->currentText(), Items()[card]);
    QCOMPARE(Edit("Edit9")->text(), serverIp);
    QCOMPARE(Edit("Edit10")->text(), QStringLiteral("255.255.255.0"));
    QCOMPARE(Edit("Edit12")->text(), gateway);
    QVERIFY(form->Form().TrafficLogFile().IsOpen());
  }

  void cardBeyondTheListKeepsTheDesignTextsAndStillOpensTheLog() {
    Start("2");
    QCOMPARE(shown, std::vector<std::string>{"error: List index out of bounds (2)"});
    QCOMPARE(Cards()->count(), 0);
    QCOMPARE(Cards()->currentText(), QString());
    QCOMPARE(Edit("Edit9")->text(), QStringLiteral("192.168.1.100"));
    QCOMPARE(Edit("Edit10")->text(), QStringLiteral("255.255.255.0"));
    QCOMPARE(Edit("Edit12")->text(), QStringLiteral("192.168.1.254"));
    QVERIFY(form->Form().TrafficLogFile().IsOpen());
    // Shutdown writes the card number back unchanged.
    form->Form().FormDestroy();
    QVERIFY(FileText(dir->path() / "VIDideza.ini").find("CardNr=2\r\n") != std::string::npos);
  }

  void choosingACardFillsTheFieldsRebindsAndRestartsPolling() {
    Start("0");
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    Edit("Edit8")->setText(QStringLiteral("198.51.100.10"));
    Edit("Edit11")->setText(QStringLiteral("0"));
    form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    const int portBefore = form->Form().IdUDPServer1().Bindings().front()->Port;
    auto* status = form->findChild<QLabel*>(QStringLiteral("Label22"));
    QTRY_COMPARE(status->text(), QStringLiteral("Wait .."));

    // Leaving the box, or Enter on its text, is no choice: typed fields stay.
    Edit("Edit12")->setText(QStringLiteral("198.51.100.77"));
    Cards()->setFocus();
    QTest::keyClick(Cards(), Qt::Key_Return);
    Edit("Edit9")->setFocus();
    QTRY_VERIFY(!Cards()->hasFocus());
    QCOMPARE(Edit("Edit12")->text(), QStringLiteral("198.51.100.77"));
    QCOMPARE(status->text(), QStringLiteral("Wait .."));

    // The arrow key on the closed box picks the next card.
    Cards()->setFocus();
    QTest::keyClick(Cards(), Qt::Key_Down);
    QCOMPARE(Cards()->currentText(), Items()[1]);
    QCOMPARE(Edit("Edit9")->text(), QStringLiteral("203.0.113.1"));
    QCOMPARE(Edit("Edit12")->text(), QStringLiteral("0.0.0.0"));
    QCOMPARE(status->text(), QStringLiteral("Wait ."));  // polling restarted
    QVERIFY(form->Form().IdUDPServer1().Active());
    QVERIFY(form->Form().IdUDPServer1().Bindings().front()->Port != portBefore);  // bound afresh
    form->Form().FormDestroy();
    QVERIFY(FileText(dir->path() / "VIDideza.ini").find("CardNr=0\r\n") != std::string::npos);
    QVERIFY(shown.empty());
  }

  // Set NET interface with no unit on the network: the setup limit, 20 s, keeps its time.
  void theSetupLimitEndsARunAfter20Seconds() {
    ShowNetPage();
    auto* limit = form->findChild<QTimer*>(QStringLiteral("Timer3"));
    QSignalSpy fired(limit, &QTimer::timeout);
    QElapsedTimer clock;
    QTest::mouseClick(form->findChild<QPushButton*>(QStringLiteral("Button10")), Qt::LeftButton);
    clock.start();
    QVERIFY(fired.wait(25000));
    const qint64 elapsed = clock.elapsed();
    qInfo("setup limit fired after %lld ms", static_cast<long long>(elapsed));
    QVERIFY2(std::abs(elapsed - 20000) <= 50, qPrintable(QString::number(elapsed)));
    QCOMPARE(form->findChild<QLabel*>(QStringLiteral("Label22"))->text(),
             QStringLiteral("Timeout error"));
  }

  void aPickInTheOpenListIsACardChoice() {
    ShowNetPage();
    Cards()->showPopup();
    QAbstractItemView* list = Cards()->view();
    QTRY_VERIFY(list->isVisible());
    const QRect item = list->visualRect(list->model()->index(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(Cards()->currentText(), Items()[1]);
    QCOMPARE(Edit("Edit9")->text(), QStringLiteral("203.0.113.1"));
    QCOMPARE(Edit("Edit12")->text(), QStringLiteral("0.0.0.0"));

    // And with the keyboard in the open list.
    Cards()->showPopup();
    QTRY_VERIFY(list->isVisible());
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    QTRY_VERIFY(!list->isVisible());
    QCOMPARE(Cards()->currentText(), Items()[0]);
    QCOMPARE(Edit("Edit9")->text(), QStringLiteral("198.51.100.1"));
    QVERIFY(shown.empty());
  }
};

QTEST_MAIN(AdapterWindowTest)
#include "adapter_window_test.moc"
