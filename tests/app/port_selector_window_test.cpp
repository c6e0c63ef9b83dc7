// The port selector of the real window, with a /dev of the test's own (scripts/with-private-dev):
// adapters plugged in while the window runs are offered the next time the list opens.
#include <termios.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "app/qt/display_text.h"
#include "serial/posix_tty_records.h"
#include "test_temp_dir.h"

#include "window_fixture.h"
#include "window_test_support.h"

using namespace vidideza;

class PortSelectorWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  QComboBox* Ports() { return Find<QComboBox>(form.get(), "ComboBox3"); }

  QStringList Items() {
    QStringList items;
    for (int i = 0; i < Ports()->count(); ++i) {
      items << Ports()->itemText(i);
    }
    return items;
  }

  // A tooltip's text as it is shown: rendered, where Qt takes it for markup.
  static QString Shown(const QString& tip) {
    QTextDocument shown;
    if (Qt::mightBeRichText(tip)) {
      shown.setHtml(tip);
    } else {
      shown.setPlainText(tip);
    }
    return shown.toPlainText();
  }

  static void Plug(const std::string& name, const std::string& target) {
    const std::filesystem::path node = "/dev/" + name;
    std::filesystem::create_directories(node.parent_path());
    std::filesystem::create_symlink(target, node);
  }

 private slots:
  void initTestCase() {
    if (std::getenv("VIDIDEZA_PRIVATE_DEV") == nullptr) {
      QSKIP("needs a /dev of its own: run under scripts/with-private-dev");
    }
  }
  void init() { BeginTest(); }
  void cleanup() {
    EndTest();
    std::error_code ignored;
    for (const char* name : {"ttyUSB2", "ttyUSB10", "ttyACM0"}) {
      std::filesystem::remove(std::string("/dev/") + name, ignored);
    }
    std::filesystem::remove_all("/dev/serial", ignored);
  }

  void anAdapterPluggedInAfterStartIsOfferedWhenTheListOpens() {
    WriteSettings(pty->path());
    CreateWindow();
    ShowWindow();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    const QStringList designed{"COM1", "COM2", "COM3", "COM4", "COM5",
                               "COM6", "COM7", "COM8", "COM9"};
    QCOMPARE(Items(), designed);  // nothing serial in this /dev yet

    PseudoTerminal adapter;
    PseudoTerminal other;
    QVERIFY(adapter.ok() && other.ok());
    Plug("ttyUSB10", adapter.path());
    Plug("ttyUSB2", other.path());
    Plug("serial/by-id/usb-QVX_Adapter_QX1-if00-port0", "../../ttyUSB10");
    // Before it opens, the list is as it was.
    QCOMPARE(Items(), designed);

    Ports()->showPopup();
    QTRY_VERIFY(Ports()->view()->isVisible());
    const QStringList plugged{"ttyUSB2", "ttyUSB10",
                              "/dev/serial/by-id/usb-QVX_Adapter_QX1-if00-port0"};
    QCOMPARE(Items(), designed + plugged);
    QCOMPARE(Shown(Ports()->itemData(11, Qt::ToolTipRole).toString()),
             QStringLiteral("-> ttyUSB10"));
    // Filling the list changed neither the text nor the port: no handler ran.
    QCOMPARE(Ports()->currentText(), QString::fromStdString(pty->path()));
    QCOMPARE(form->Form().ComPort1().DeviceName(), pty->path());
    QVERIFY(form->Form().ComPort1().Active());
    QVERIFY(shown.empty());

    // A click on the new adapter opens it, set up as the unit needs it. (An open list takes no
    // click within a double-click time of opening.)
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    QAbstractItemView* list = Ports()->view();
    const QModelIndex ttyUsb10 = list->model()->index(10, 0);
    list->scrollTo(ttyUsb10);  // the list shows ten items at a time
    const QRect item = list->visualRect(ttyUsb10);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QTRY_VERIFY(!list->isVisible());
    QTRY_COMPARE(form->Form().ComPort1().DeviceName(), std::string("ttyUSB10"));
    QVERIFY(form->Form().ComPort1().Active());
    QCOMPARE(Ports()->currentText(), QStringLiteral("ttyUSB10"));
    termios line{};
    QCOMPARE(::tcgetattr(adapter.master(), &line), 0);
    QCOMPARE(::cfgetospeed(&line), speed_t{B9600});
    QVERIFY(shown.empty());
  }

  // The adapter gone between two openings of the list is no longer offered; typed text stays.
  void anAdapterUnpluggedLeavesTheListAndTheTypedTextStays() {
    PseudoTerminal adapter;
    QVERIFY(adapter.ok());
    Plug("ttyACM0", adapter.path());
    WriteSettings(pty->path());
    CreateWindow();
    ShowWindow();
    QVERIFY(Items().contains(QStringLiteral("ttyACM0")));
    std::filesystem::remove("/dev/ttyACM0");
    Ports()->lineEdit()->setText(QStringLiteral("ttyACM"));
    Ports()->showPopup();
    QTRY_VERIFY(Ports()->view()->isVisible());
    QVERIFY(!Items().contains(QStringLiteral("ttyACM0")));
    QCOMPARE(Ports()->currentText(), QStringLiteral("ttyACM"));
    Ports()->hidePopup();
  }

  // A stable name in the settings opens the adapter it points to, and after a replug under
  // another number the port comes back by itself through the same name.
  void aSavedStableNameFollowsTheAdapterAcrossAReplug() {
    auto adapter = std::make_unique<PseudoTerminal>();
    QVERIFY(adapter->ok());
    const std::string stable = "/dev/serial/by-id/usb-QVX_Adapter_QX1-if00-port0";
    Plug("ttyUSB2", adapter->path());
    Plug("serial/by-id/usb-QVX_Adapter_QX1-if00-port0", "../../ttyUSB2");
    WriteSettings(stable);
    CreateWindow();
    ShowWindow();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    QCOMPARE(form->Form().ComPort1().DeviceName(), stable);

    std::filesystem::remove(stable);
    std::filesystem::remove("/dev/ttyUSB2");
    adapter->Vanish();
    QTRY_COMPARE(shown, std::vector<std::string>{"error: Input/output error."});

    PseudoTerminal back;
    QVERIFY(back.ok());
    Plug("ttyUSB10", back.path());
    Plug("serial/by-id/usb-QVX_Adapter_QX1-if00-port0", "../../ttyUSB10");
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          termios line{};
          return ::tcgetattr(back.master(), &line) == 0 && ::cfgetospeed(&line) == B9600;
        }(),
        2000);
    back.Send("A000A,ON,OK\n");
    QTRY_VERIFY(MemoLines(form.get()).contains(QStringLiteral("RCV: A000A,ON,OK")));
    QCOMPARE(shown.size(), std::size_t{1});
  }
  // A USB device names its own manufacturer: a hostile one, read from a made-up sysfs tree,
  // shows as the text it is, control bytes as the response window shows them, and hovering
  // loads nothing it names (a FIFO it names is never opened).
  void aDevicesOwnNameIsShownAsPlainTextAndLoadsNothing() {
    const CurrentTempDir trees;
    const auto fifo = trees.path() / "fifo";
    QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string hostile =
        "<img src=\"" + fifo.string() + "\"><b>Trusted</b>\x1b[2J\x07" + std::string(4096, 'M');
    const auto sys = trees.path() / "sys";
    const auto usb = sys / "devices" / "usb1" / "1-1";
    const auto tty = usb / "1-1:1.0" / "ttyUSB0";
    std::filesystem::create_directories(tty);
    std::filesystem::create_directories(sys / "class" / "tty" / "ttyUSB0");
    WriteFileText(usb / "idVendor", "0403\n");
    WriteFileText(usb / "idProduct", "6001\n");
    WriteFileText(usb / "manufacturer", hostile + "\n");
    std::filesystem::create_symlink(tty, sys / "class" / "tty" / "ttyUSB0" / "device");
    std::filesystem::create_directories(trees.path() / "dev");
    std::filesystem::create_symlink("/dev/null", trees.path() / "dev" / "ttyUSB0");
    const std::vector<PortListing> listed =
        ReadTtyPorts(trees.path() / "dev", sys,
                     [](const std::string&) { return std::map<std::string, std::string>(); });
    QCOMPARE(listed.size(), std::size_t{1});
    QVERIFY(listed[0].identity.find(hostile) != std::string::npos);

    // Whoever opens the FIFO for reading lets this writer through.
    std::atomic<bool> opened{false};
    std::thread watcher([&] {
      const int fd = ::open(fifo.c_str(), O_WRONLY);
      opened = fd >= 0 && !std::filesystem::exists(trees.path() / "released");
      ::close(fd);
    });

    WriteSettings(pty->path());
    CreateWindow();
    ShowWindow();
    Ports()->showPopup();
    QTRY_VERIFY(Ports()->view()->isVisible());
    form->SetItems("ComboBox3", {"COM1", "ttyUSB0"});
    form->SetItemHints("ComboBox3", {"", listed[0].identity});
    QAbstractItemView* list = Ports()->view();
    const QRect item = list->visualRect(list->model()->index(1, 0));
    QHelpEvent hover(QEvent::ToolTip, item.center(), list->viewport()->mapToGlobal(item.center()));
    QApplication::sendEvent(list->viewport(), &hover);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(Shown(QToolTip::text()), DisplayLine(listed[0].identity));
    QVERIFY(Shown(QToolTip::text()).contains(QStringLiteral("<b>Trusted</b>\u241b[2J\u2407MMM")));
    QTest::qWait(200);
    Ports()->hidePopup();

    WriteFileText(trees.path() / "released", "");
    const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    watcher.join();
    ::close(release);
    QVERIFY2(!opened, "hovering opened the file the name points to");
  }
};

QTEST_MAIN(PortSelectorWindowTest)
#include "port_selector_window_test.moc"
