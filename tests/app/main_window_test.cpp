// The main window on the offscreen platform: its controls as designed, start-up and shutdown,
// page switching and the serial link, the message boxes.
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "app/accessible_names.h"
#include "app/form1_design.h"
#include "app/qt/message_boxes.h"
#include "app/qt/qt_form1.h"
#include "app/qt/spin_edit.h"
#include "app/qt/termination_signals.h"
#include "app/window_fixture.h"
#include "app/window_test_support.h"
#include "recording_dialogs.h"
#include "serial/pseudo_terminal.h"
#include "serial/rival_reader.h"
#include "test_temp_dir.h"

using namespace vidideza;

namespace {

QString Caption(QWidget* w) {
  if (auto* b = qobject_cast<QAbstractButton*>(w))
    return b->text();
  if (auto* l = qobject_cast<QLabel*>(w))
    return l->text();
  if (auto* e = qobject_cast<QLineEdit*>(w))
    return e->text();
  if (auto* c = qobject_cast<QComboBox*>(w))
    return c->currentText();
  if (auto* g = qobject_cast<QGroupBox*>(w))
    return g->title();
  if (qobject_cast<TResponseView*>(w) != nullptr)
    return MemoLines(w->window()).join(QLatin1Char('\n'));
  return {};
}

}  // namespace

class MainWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  // A window started as the program starts it, in a fresh directory whose settings name a
  // pseudo-terminal as the serial port.
  void Start(const std::string& extraSettings = "") {
    WriteSettings(pty->path(), extraSettings);
    CreateWindow();
    ShowWindow();
  }

 private slots:
  void init() { BeginTest(); }
  void cleanup() { EndTest(); }

  void controlsAsDesigned_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("design");  // a zero size: a label, sized to its text
    const auto row = [](const char* name, const char* caption, QRect design) {
      QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(caption) << design;
    };
    row("Label1", "Command A", {8, 16, 0, 0});
    row("Label2", "Command B", {8, 48, 0, 0});
    row("Label4", "Command C", {8, 80, 0, 0});
    row("Label5", "Command D", {8, 112, 0, 0});
    row("Label6", "Command E", {8, 144, 0, 0});
    row("Label7", "Command F", {8, 176, 0, 0});
    row("Edit1", "A000A,ON", {80, 16, 313, 21});
    row("Edit3", "A000A,OF", {80, 48, 313, 21});
    row("Edit4", "A000A,MC,T18,FL", {80, 80, 313, 21});
    row("Edit5", "A000A,MH,T24,FM", {80, 112, 313, 21});
    row("Edit6", "A000A,SV", {80, 144, 313, 21});
    row("Edit7", "A000A,SF", {80, 176, 313, 21});
    row("Button1", "Send A", {400, 16, 65, 25});
    row("Button3", "Send B", {400, 48, 65, 25});
    row("Button4", "Send C", {400, 80, 65, 25});
    row("Button5", "Send D", {400, 112, 65, 25});
    row("Button6", "Send E", {400, 144, 65, 25});
    row("Button7", "Send F", {400, 176, 65, 25});
    row("Label3", "Response", {8, 208, 0, 0});
    row("Memo1", "", {80, 208, 385, 337});
    row("Button2", "Clear", {8, 232, 57, 25});
    row("GroupBox2", "Control unit setup", {472, 208, 129, 337});
    row("Label8", "QVX-RS or QVX-NET", {8, 16, 0, 0});
    row("AdvSpinEdit1", "0", {8, 56, 113, 42});
    row("Label11", "Hex: ", {8, 104, 0, 0});
    row("Label10", "Last address of int. port", {8, 152, 0, 0});
    row("Label12", "(Number of int. ports - 1)", {8, 168, 0, 0});
    row("ComboBox1", "0", {8, 188, 113, 40});
    row("Button9", "Set control unit", {8, 288, 113, 41});
    row("GroupBox1", "Interface port setup", {608, 208, 161, 337});
    row("Label9", "QVX-IR or QVX-WIRE", {8, 16, 0, 0});
    row("Label13", "Interface port address", {8, 40, 0, 0});
    row("ComboBox2", "0", {8, 55, 145, 40});
    row("AdvOfficeRadioGroup1", "IR code (WIRE protocol)", {8, 96, 145, 185});
    row("AdvOfficeRadioButton1", "A (Master RIZ-IDU)", {16, 112, 129, 20});
    row("AdvOfficeRadioButton2", "B (Slave RIZ-IDU)", {16, 136, 129, 20});
    row("AdvOfficeRadioButton3", "C (Master VEZ-UZIR)", {16, 168, 129, 20});
    row("AdvOfficeRadioButton4", "D (Slave VEZ-UZIR)", {16, 192, 129, 20});
    row("AdvOfficeRadioButton5", "E (Master ZIR-ARU)", {16, 232, 129, 20});
    row("AdvOfficeRadioButton6", "F (Slave ZIR-ARU)", {16, 256, 129, 20});
    row("Button8", "Set interface port", {8, 288, 145, 41});
    row("PageControl1", "", {472, 8, 297, 193});
    row("Label18", "QVX-RS only", {8, 0, 0, 0});
    row("Label23", "Serial port", {8, 40, 0, 0});
    row("ComboBox3", "COM1", {8, 55, 145, 40});
    row("Label14", "QVX-NET only", {8, 0, 0, 0});
    row("Label24", "Local network interface", {168, 2, 0, 0});
    row("ComboBox4", "", {8, 16, 273, 21});
    row("Label15", "MAC addr.(00-20-4A-xx-xx-xx): ", {8, 40, 0, 0});
    row("Edit2", "00-20-4A-E0-2C-BE", {8, 54, 137, 21});
    row("Label17", "IP address (x.x.x.x): ", {152, 40, 0, 0});
    row("Edit8", "192.168.1.10", {152, 54, 129, 21});
    row("Label19", "Server IP", {8, 74, 0, 0});
    row("Edit9", "192.168.1.100", {8, 87, 137, 21});
    row("Label16", "Mask (x.x.x.x): ", {152, 74, 0, 0});
    row("Edit10", "255.255.255.0", {152, 87, 129, 21});
    row("Label21", "Server port", {8, 106, 0, 0});
    row("Edit11", "10100", {8, 120, 137, 21});
    row("Label20", "Gateway address (x.x.x.x): ", {152, 106, 0, 0});
    row("Edit12", "192.168.1.254", {152, 120, 129, 21});
    row("Button10", "Set NET interface", {8, 143, 137, 22});
    row("Label22", ".", {152, 146, 0, 0});
  }

  void controlsAsDesigned() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, design);
    // As built, before start-up changes anything.
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    auto* w = built.findChild<QWidget*>(name);
    QVERIFY2(w != nullptr, qPrintable(name));
    QCOMPARE(Caption(w), caption);
    const double s = built.DesignScale();
    QCOMPARE(w->pos(), QPoint(qRound(design.x() * s), qRound(design.y() * s)));
    if (design.width() > 0) {
      QCOMPARE(w->size(), QSize(qRound(design.width() * s), qRound(design.height() * s)));
    }
  }

  void windowAndComponentsAsBuilt() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    QCOMPARE(built.windowTitle(), QStringLiteral("QVX service tool for QVX-RS     V2.4"));
    QCOMPARE(Find<QPushButton>(&built, "Button2")->toolTip(),
             QStringLiteral("Clear response window"));
    QVERIFY(Find<QRadioButton>(&built, "AdvOfficeRadioButton1")->isChecked());
    auto* page = Find<QTabWidget>(&built, "PageControl1");
    QCOMPARE(page->currentIndex(), 0);
    QCOMPARE(page->tabText(0), QStringLiteral("QVX-RS"));
    QCOMPARE(page->tabText(1), QStringLiteral("QVX-NET"));
    const QStringList hex = {"0", "1", "2", "3", "4", "5", "6", "7",
                             "8", "9", "A", "B", "C", "D", "E", "F"};
    for (const char* name : {"ComboBox1", "ComboBox2"}) {
      auto* combo = Find<QComboBox>(&built, name);
      QStringList items;
      for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
      QCOMPARE(items, hex);
    }
    auto* ports = Find<QComboBox>(&built, "ComboBox3");
    QVERIFY(ports->count() >= 9);
    for (int i = 0; i < 9; ++i)
      QCOMPARE(ports->itemText(i), QStringLiteral("COM%1").arg(i + 1));
    QCOMPARE(Find<QComboBox>(&built, "ComboBox4")->count(), 0);
    // Word wrap and typing that goes nowhere: the response view's own tests.
    auto* memo = Find<TResponseView>(&built, "Memo1");
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->focusPolicy(), Qt::StrongFocus);
    const struct {
      const char* name;
      int interval;
    } timers[] = {{"Timer1", 10000}, {"Timer2", 1000}, {"Timer3", 20000}};
    for (const auto& t : timers) {
      auto* timer = built.findChild<QTimer*>(QLatin1String(t.name));
      QVERIFY(timer != nullptr);
      QCOMPARE(timer->interval(), t.interval);
      // A coarse timer may fire a 20 s period a third of a second early or late.
      QCOMPARE(timer->timerType(), Qt::PreciseTimer);
      QVERIFY(!timer->isActive());
    }
    QVERIFY(!built.Form().ComPort1().Active());
    QCOMPARE(built.Form().ComPort1().DeviceName(), std::string("COM1"));
    // The spin box's own caption sits above its left edge, 4 pixels away.
    auto* spin = Find(&built, "AdvSpinEdit1");
    auto* spinCaption = Find<QLabel>(&built, "AdvSpinEdit1Caption");
    QCOMPARE(spinCaption->text(), QStringLiteral("Address of control unit"));
    QCOMPARE(spinCaption->x(), spin->x());
    QCOMPARE(spin->y() - spinCaption->geometry().bottom() - 1, qRound(4 * built.DesignScale()));
  }

  // What a screen reader hears: each control's name from the design, and the response window's
  // text, every line as shown.
  void everyControlHasItsAccessibleNameAndTheResponseWindowItsText() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    for (const ControlDesign& design : Form1Design()) {
      if (design.kind == ControlKind::kTimer || design.kind == ControlKind::kForm) {
        continue;
      }
      auto* w = Find(&built, std::string(design.name).c_str());
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(w);
      QVERIFY(accessible != nullptr);
      const QString name = QString::fromLatin1(AccessibleName(design.name));
      // The toolkit names a selector by its text on this platform, and tells its label by a
      // relation; every other control bears its name.
      if (design.kind == ControlKind::kComboBox) {
        bool labelled = false;
        for (const auto& [other, relation] : accessible->relations(QAccessible::Label)) {
          labelled = labelled || other->text(QAccessible::Name).trimmed() == name;
        }
        QVERIFY2(labelled, design.name.data());
      } else {
        QCOMPARE(accessible->text(QAccessible::Name).trimmed(), name);
      }
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(&built)->text(QAccessible::Name),
             QStringLiteral("QVX service tool for QVX-RS     V2.4"));
    auto* memo = Find<TResponseView>(&built, "Memo1");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(memo);
    QAccessibleTextInterface* text = accessible->textInterface();
    QVERIFY(text != nullptr);
    QVERIFY(accessible->state().readOnly);
    QCOMPARE(text->characterCount(), 0);
    memo->AddLine("SND: A000A,ON");
    memo->AddLine(std::string("RCV: A\r\x1b\xe9", 9));
    QCOMPARE(text->text(0, -1), QStringLiteral("SND: A000A,ON\nRCV: A\u240D\u241B\u00E9"));
    const std::string longLine(5000, 'x');
    memo->AddLine(longLine);
    const QString whole = text->text(0, text->characterCount());
    QVERIFY(whole.endsWith(memo->ShownLineText(2)));
    QVERIFY(memo->ShownLineText(2).size() < 5000);  // the head and the marker, as shown
    memo->Clear();
    memo->AddLine("RCV: again");
    QCOMPARE(text->text(0, text->characterCount()), QStringLiteral("RCV: again"));
  }

  void tabOrderAsDesigned() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    const QStringList expected = {
        "Edit1",        "Button1",   "Button2", "Edit3",        "Button3",
        "Edit4",        "Edit5",     "Edit6",   "Edit7",        "Button4",
        "Button5",      "Button6",   "Button7", "Memo1",        "AdvOfficeRadioButton1",
        "Button8",      "ComboBox2", "Button9", "AdvSpinEdit1", "ComboBox1",
        "PageControl1", "Edit2",     "Edit8",   "Button10",     "Edit9",
        "Edit10",       "Edit11",    "Edit12",  "ComboBox4"};
    QStringList chain;
    QWidget* w = Find(&built, "Edit1");
    for (int steps = 0; steps < 500 && chain.size() < expected.size(); ++steps) {
      if (expected.contains(w->objectName()) && !chain.contains(w->objectName())) {
        chain << w->objectName();
      }
      w = w->nextInFocusChain();
    }
    QCOMPARE(chain, expected);
  }

  void resizingMovesNoControl() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    const QRect memo = Find(&built, "Memo1")->geometry();
    const QRect page = Find(&built, "PageControl1")->geometry();
    built.resize(built.width() + 300, built.height() + 200);
    QCOMPARE(Find(&built, "Memo1")->geometry(), memo);
    QCOMPARE(Find(&built, "PageControl1")->geometry(), page);
  }

  void startOpensTheSavedPortAt9600EightNoneTwo() {
    Start();
    QCOMPARE(Find<QComboBox>(form.get(), "ComboBox3")->currentText(),
             QString::fromStdString(pty->path()));
    QTRY_VERIFY(form->Form().ComPort1().Active());
    QCOMPARE(form->Form().ComPort1().DeviceName(), pty->path());
    termios t{};
    QCOMPARE(::tcgetattr(pty->master(), &t), 0);
    QCOMPARE(::cfgetospeed(&t), speed_t(B9600));
    QVERIFY((t.c_cflag & CSTOPB) != 0);
    QVERIFY((t.c_cflag & CRTSCTS) == 0);
    QVERIFY((t.c_iflag & (IXON | IXOFF)) == 0);
    QVERIFY(shown.empty());
  }

  void pageSwitchingClosesAndReopensTheSerialPort() {
    Start();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    // The network page polls its unit address: keep everything on this machine.
    Find<QLineEdit>(form.get(), "Edit8")->setText(QStringLiteral("127.0.0.1"));
    Find<QLineEdit>(form.get(), "Edit11")->setText(QStringLiteral("0"));
    auto* page = Find<QTabWidget>(form.get(), "PageControl1");
    page->setCurrentIndex(1);
    QVERIFY(!form->Form().ComPort1().Active());
    QVERIFY(form->Form().IdUDPServer1().Active());
    page->setCurrentIndex(0);
    QVERIFY(form->Form().ComPort1().Active());
    QVERIFY(!form->Form().IdUDPServer1().Active());
    page->setCurrentIndex(0);  // the page already active: nothing happens
    QVERIFY(form->Form().ComPort1().Active());
    QVERIFY(shown.empty());
  }

  void portThatCannotOpenShowsTheErrorBox() {
    WriteFileText(dir->path() / "VIDideza.ini", "[Serial]\nCOMPort=/dev/no-such-port\n");
    form = std::make_unique<TQtForm1>(std::make_unique<RecordingDialogs>(shown));
    form->Form().FormCreate();
    form->show();
    QTRY_COMPARE(shown, std::vector<std::string>{"error: No such file or directory."});
    QVERIFY(!form->Form().ComPort1().Active());
  }

  void selectorRunsItsHandlerOnlyForTheUsersChanges() {
    Start();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    auto* ports = Find<QComboBox>(form.get(), "ComboBox3");
    // Text set by the program: no handler, the port keeps its name and stays open.
    ports->setEditText(QStringLiteral("COM7"));
    QCOMPARE(form->Form().ComPort1().DeviceName(), pty->path());
    QVERIFY(form->Form().ComPort1().Active());
    // Typed by the user: each intermediate text is tried.
    PseudoTerminal other;
    ports->lineEdit()->clear();
    QTest::keyClicks(ports->lineEdit(), QString::fromStdString(other.path()));
    QCOMPARE(form->Form().ComPort1().DeviceName(), other.path());
    QVERIFY(form->Form().ComPort1().Active());
    QVERIFY(!shown.empty());  // the partial names failed to open, each in an error box
  }

  // Another program reading the same line takes some of the replies: the window never waits
  // for them, and once the port is reopened the line is refused while that program holds it.
  void aSecondReaderNeitherFreezesTheWindowNorGetsTheLineAgain() {
    Start();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    RivalReader rival(pty->slave());
    QVERIFY(rival.running());
    std::atomic<bool> done{false};
    std::thread unit([&] {
      while (!done) {
        pty->Send("A000A,ST,T21.5\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
      }
    });
    // How late the window answers a timer of 20 ms, at its worst.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 worstGap = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
      worstGap = std::max(worstGap, clock.elapsed() - last);
      last = clock.elapsed();
    });
    tick.start(20);
    QTest::qWait(2500);
    tick.stop();
    done = true;
    unit.join();
    QVERIFY2(worstGap < 1000, qPrintable(QStringLiteral("window froze %1 ms").arg(worstGap)));

    // Leave the page and come back: the port reopens, and is refused.
    Find<QLineEdit>(form.get(), "Edit8")->setText(QStringLiteral("127.0.0.1"));
    Find<QLineEdit>(form.get(), "Edit11")->setText(QStringLiteral("0"));
    auto* page = Find<QTabWidget>(form.get(), "PageControl1");
    page->setCurrentIndex(1);
    page->setCurrentIndex(0);
    QVERIFY(!form->Form().ComPort1().Active());
    QCOMPARE(shown, std::vector<std::string>{"error: Device or resource busy."});
  }

  // An adapter unplugged and plugged back: one box, then the port is back by itself.
  void unpluggedPortComesBackAndItsRepliesReachTheWindowAndTheLog() {
    const auto link = dir->path() / "ttyUSB0";
    std::filesystem::create_symlink(pty->path(), link);
    WriteSettings(link.string());
    CreateWindow();
    ShowWindow();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    pty->Send("A000A,ST,");  // a partial line, kept across the unplug
    QTest::qWait(100);
    std::filesystem::remove(link);
    pty->Vanish();
    QTRY_COMPARE(shown, std::vector<std::string>{"error: Input/output error."});

    PseudoTerminal back;
    QVERIFY(back.ok());
    std::filesystem::create_symlink(back.path(), link);
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          termios t{};
          return ::tcgetattr(back.master(), &t) == 0 && ::cfgetospeed(&t) == B9600 &&
                 (t.c_cflag & CSTOPB) != 0;
        }(),
        1000);
    back.Send("T21.5\n");
    QTRY_VERIFY(MemoLines(form.get()).contains(QStringLiteral("RCV: A000A,ST,T21.5")));
    QCOMPARE(shown.size(), std::size_t{1});
    form->close();
    form->Form().FormDestroy();
    QCOMPARE(FileText(dir->path() / "Test.log"), std::string("RCV: A000A,ST,T21.5\r\n"));
  }

  // Typed letter by letter, "tty" names the terminal the program was started from: it is
  // refused and left as it was.
  void typingTtyLeavesTheStartingTerminalAlone() {
    PseudoTerminal own;
    QVERIFY(own.ok());
    const UniqueFd savedInput(::dup(STDIN_FILENO));
    QVERIFY(::dup2(own.slave(), STDIN_FILENO) != -1);
    termios before{};
    QCOMPARE(::tcgetattr(own.slave(), &before), 0);
    Start();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    auto* ports = Find<QComboBox>(form.get(), "ComboBox3");
    ports->lineEdit()->clear();
    QTest::keyClicks(ports->lineEdit(), QString::fromStdString(own.path()));
    ::dup2(savedInput.get(), STDIN_FILENO);
    QVERIFY(!form->Form().ComPort1().Active());
    QCOMPARE(shown.back(), std::string("error: Device or resource busy."));
    ports->lineEdit()->clear();
    QTest::keyClicks(ports->lineEdit(), QStringLiteral("tty"));
    QVERIFY(!form->Form().ComPort1().Active());
    QCOMPARE(shown.back(), std::string("error: Device or resource busy."));
    termios after{};
    QCOMPARE(::tcgetattr(own.slave(), &after), 0);
    QCOMPARE(after.c_lflag, before.c_lflag);
    QCOMPARE(::cfgetospeed(&after), ::cfgetospeed(&before));
  }

  // The real message boxes: captioned "Vidideza" whatever the window's title, owned by the
  // main window.
  void messageBoxesAreOwnedByTheWindowAndCaptionedWithTheApplicationTitle() {
    QWidget owner;
    owner.setWindowTitle(QStringLiteral("QVX service tool for QVX-RS     V2.4"));
    owner.show();
    QtDialogs boxes(QStringLiteral("Vidideza"));
    boxes.SetOwner(&owner);
    QWidget* parent = nullptr;
    QString caption;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      parent = box->parentWidget();
      caption = box->windowTitle();
      box->button(QMessageBox::Ok)->click();
    });
    boxes.Error("Input/output error.");
    QCOMPARE(parent, &owner);
    QCOMPARE(caption, QStringLiteral("Vidideza"));
  }

  void spinEditKeysAndLimits() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    built.show();
    built.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&built));
    auto* spin = Find<TAdvSpinEdit>(&built, "AdvSpinEdit1");
    QSignalSpy changes(spin, &QLineEdit::textChanged);
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_Up);
    QCOMPARE(spin->text(), QStringLiteral("1"));
    QTest::keyClick(spin, Qt::Key_PageUp);
    QCOMPARE(spin->text(), QStringLiteral("11"));
    QTest::keyClick(spin, Qt::Key_PageDown);
    QTest::keyClick(spin, Qt::Key_PageDown);
    QCOMPARE(spin->text(), QStringLiteral("0"));
    QTest::keyClick(spin, Qt::Key_Down);
    QCOMPARE(spin->text(), QStringLiteral("0"));
    QCOMPARE(changes.count(), 4);  // the step that stayed at 0 changed nothing

    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("3a0.0"));  // letters and dots are refused
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->text(), QStringLiteral("300"));
    QCOMPARE(spin->Value(), 300);
    Find(&built, "Edit1")->setFocus();
    QCOMPARE(spin->text(), QStringLiteral("255"));
    spin->setText(QStringLiteral("-5"));
    QCOMPARE(spin->Value(), -5);
    spin->setFocus();
    Find(&built, "Edit1")->setFocus();
    QCOMPARE(spin->text(), QStringLiteral("0"));
    spin->clear();
    QCOMPARE(spin->Value(), 0);
    QTest::keyClick(spin, Qt::Key_PageUp);
    QCOMPARE(spin->text(), QStringLiteral("10"));

    // Pasted text obeys the typing filter; a number of any length is pulled to a limit.
    spin->setFocus();
    spin->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    QTest::keySequence(spin, QKeySequence::Paste);
    QCOMPARE(spin->text(), QStringLiteral("10"));
    QApplication::clipboard()->setText(QStringLiteral("99999999999"));
    QTest::keySequence(spin, QKeySequence::Paste);
    QCOMPARE(spin->text(), QStringLiteral("99999999999"));
    Find(&built, "Edit1")->setFocus();
    QCOMPARE(spin->text(), QStringLiteral("255"));
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("-99999999999"));
    Find(&built, "Edit1")->setFocus();
    QCOMPARE(spin->text(), QStringLiteral("0"));
  }

  // Only the selected radio button is a Tab stop, from the start; the arrow keys move the
  // choice, and the Tab stop with it.
  // On the fonts the install command installs: every caption fits the room the design gives
  // it, and no two captions run into each other.
  void everyCaptionFitsItsRoom() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    built.show();
    QVERIFY(QTest::qWaitForWindowExposed(&built));
    // The network page polls its unit address: keep everything on this machine.
    Find<QLineEdit>(&built, "Edit8")->setText(QStringLiteral("127.0.0.1"));
    Find<QLineEdit>(&built, "Edit9")->setText(QStringLiteral("127.0.0.1"));
    Find<QLineEdit>(&built, "Edit11")->setText(QStringLiteral("0"));
    auto* page = Find<QTabWidget>(&built, "PageControl1");
    for (int tab = 0; tab < page->count(); ++tab) {
      page->setCurrentIndex(tab);
      for (QWidget* w : built.findChildren<QWidget*>()) {
        if (!w->isVisible()) {
          continue;
        }
        QWidget* room = w->parentWidget();
        const QRect box = w->geometry();
        if (auto* label = qobject_cast<QLabel*>(w)) {
          const int needed = label->fontMetrics().horizontalAdvance(label->text());
          QVERIFY2(needed <= box.width(), qPrintable(label->objectName() + " is clipped"));
          QVERIFY2(room->rect().contains(box),
                   qPrintable(label->objectName() + " runs out of " + room->objectName() +
                              QStringLiteral(" %1,%2 %3x%4 in %5x%6")
                                  .arg(box.x())
                                  .arg(box.y())
                                  .arg(box.width())
                                  .arg(box.height())
                                  .arg(room->width())
                                  .arg(room->height())));
          for (QLabel* other : room->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
            const QRect text(box.topLeft(), QSize(needed, box.height()));
            const QRect otherText(
                other->geometry().topLeft(),
                QSize(other->fontMetrics().horizontalAdvance(other->text()), other->height()));
            QVERIFY2(other == label || !other->isVisible() || !text.intersects(otherText),
                     qPrintable(label->objectName() + " runs into " + other->objectName()));
          }
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
          if (button->text().isEmpty()) {
            continue;
          }
          int needed = button->fontMetrics().horizontalAdvance(button->text().remove('&'));
          if (qobject_cast<QRadioButton*>(button) != nullptr) {
            needed += button->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                      button->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing);
          } else {
            needed += 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin);
          }
          QVERIFY2(needed <= box.width(),
                   qPrintable(button->objectName() + " is clipped: needs " +
                              QString::number(needed) + ", has " + QString::number(box.width())));
        }
      }
    }
  }

  // A group frame's top line, as drawn, runs through none of its controls.
  void groupFramesClearTheirControls() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    built.show();
    QVERIFY(QTest::qWaitForWindowExposed(&built));
    for (QGroupBox* group : built.findChildren<QGroupBox*>()) {
      QImage drawn(group->size(), QImage::Format_RGB32);
      drawn.fill(Qt::white);
      group->render(&drawn, QPoint(), QRegion(), QWidget::DrawWindowBackground);
      // The top line: the first row that is not background, near the right edge, where no
      // title and no control are drawn.
      const int column = group->width() - 4;
      const QRgb background = drawn.pixel(column, group->height() / 2);
      int line = -1;
      for (int y = 0; y < group->height() / 2 && line < 0; ++y) {
        if (qGray(drawn.pixel(column, y)) <
            std::min(qGray(background), qGray(drawn.pixel(column, 0))) - 12) {
          line = y;
        }
      }
      QVERIFY2(line >= 0, qPrintable(group->objectName() + " has no top line"));
      for (QWidget* child : group->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        // The frame's drawing leaves the fonts of its controls as they were.
        if (auto* selector = qobject_cast<QComboBox*>(child)) {
          QCOMPARE(selector->lineEdit()->font().pixelSize(), 27);
        } else if (child->objectName().startsWith(QStringLiteral("Label"))) {
          QCOMPARE(child->font(), built.font());
        }
        const QRect box = child->geometry();
        QVERIFY2(
            box.top() > line || box.bottom() < line,
            qPrintable(group->objectName() + "'s top line runs through " + child->objectName() +
                       QStringLiteral(" (line %1, control %2 to %3)")
                           .arg(line)
                           .arg(box.top())
                           .arg(box.bottom())));
      }
    }
  }

  void onlyTheSelectedRadioButtonIsATabStop() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    built.show();
    built.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&built));
    auto radio = [&](int i) {
      return Find<QRadioButton>(&built,
                                qPrintable(QStringLiteral("AdvOfficeRadioButton%1").arg(i)));
    };
    auto* after = Find<QPushButton>(&built, "Button8");
    after->setFocus();
    QTest::keyClick(after, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), radio(1));
    QTest::keyClick(radio(1), Qt::Key_Down);
    QTRY_COMPARE(QApplication::focusWidget(), radio(2));
    QVERIFY(radio(2)->isChecked());
    QTest::keyClick(radio(2), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), after);
    QTest::keyClick(after, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), radio(2));
    QTest::keyClick(radio(2), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), Find(&built, "Memo1"));
  }

  void oneRadioButtonIsAlwaysSelected() {
    TQtForm1 built(std::make_unique<RecordingDialogs>(shown));
    built.show();
    auto* c = Find<QRadioButton>(&built, "AdvOfficeRadioButton3");
    QTest::mouseClick(c, Qt::LeftButton);
    int checked = 0;
    for (int i = 1; i <= 6; ++i) {
      checked +=
          Find<QRadioButton>(&built, qPrintable(QStringLiteral("AdvOfficeRadioButton%1").arg(i)))
              ->isChecked();
    }
    QCOMPARE(checked, 1);
    QVERIFY(c->isChecked());
  }

  void shutdownWritesSettingsAndClosesTheLog() {
    Start("; kept\r\n[Network]\r\nCardNr=$0\r\n");
    QTRY_VERIFY(form->Form().ComPort1().Active());
    form->close();
    form->Form().FormDestroy();
    QVERIFY(!form->Form().ComPort1().Active());
    QVERIFY(!form->Form().TrafficLogFile().IsOpen());
    QCOMPARE(FileText(dir->path() / "VIDideza.ini"),
             "[Serial]\r\nCOMPort=" + pty->path() + "\r\n; kept\r\n[Network]\r\nCardNr=0\r\n");
    QVERIFY(shown.empty());
  }

  void secondCopyShowsIoError32AtStartUp() {
    Start();
    std::vector<std::string> secondShown;
    TQtForm1 second(std::make_unique<RecordingDialogs>(secondShown));
    second.Form().FormCreate();
    QCOMPARE(secondShown, std::vector<std::string>{"error: I/O error 32."});
    QVERIFY(!second.Form().TrafficLogFile().IsOpen());
  }

  void refusedSettingsWriteStillClosesTheLog_data() {
    QTest::addColumn<bool>("folder");
    QTest::newRow("read-only file") << false;
    QTest::newRow("read-only folder") << true;
  }
  void refusedSettingsWriteStillClosesTheLog() {
    QFETCH(bool, folder);
    Start();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button1"), Qt::LeftButton);
    form->close();
    const auto path = dir->path() / "VIDideza.ini";
    ::chmod(folder ? dir->path().c_str() : path.c_str(), folder ? 0555 : 0444);
    form->Form().FormDestroy();
    ::chmod(dir->path().c_str(), 0755);
    QCOMPARE(shown, std::vector<std::string>{"error: Unable to write to " + path.string() + "."});
    QVERIFY(!form->Form().TrafficLogFile().IsOpen());
    QCOMPARE(FileText(dir->path() / "Test.log"), std::string("SND: A000A,ON\r\n"));
  }

  // FIFOs named like the program's files: nothing waits on them, the log gives its error and
  // the window comes up; the settings are read as empty and not written into the FIFO.
  void fifoLogAndSettingsFileGiveTheirErrorsAndTheWindowComesUp() {
    const auto ini = dir->path() / "VIDideza.ini";
    QCOMPARE(::mkfifo(ini.c_str(), 0666), 0);
    QCOMPARE(::mkfifo((dir->path() / "Test.log").c_str(), 0666), 0);
    CreateWindow();
    ShowWindow();
    QCOMPARE(shown, std::vector<std::string>{"error: File access denied."});
    QVERIFY(form->isVisible());
    QCOMPARE(Find<QComboBox>(form.get(), "ComboBox3")->currentText(), QStringLiteral("COM1"));
    shown.clear();
    form->close();
    form->Form().FormDestroy();
    // The log that never opened cannot be closed either.
    QCOMPARE(shown, (std::vector<std::string>{"error: Unable to write to " + ini.string() + ".",
                                              "error: I/O error 103."}));
    QVERIFY(std::filesystem::is_fifo(ini));
  }

  // The log removed while the program runs is made again, with no line lost; once the whole
  // folder is gone the log says so, and the shutdown names the settings file where it was.
  void removedLogIsMadeAgainAndARemovedFolderIsNamed() {
    const auto site = dir->path() / "site";
    std::filesystem::create_directory(site);
    std::filesystem::current_path(site);
    Start();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    auto* send = Find<QPushButton>(form.get(), "Button1");
    QTest::mouseClick(send, Qt::LeftButton);
    std::filesystem::remove(site / "Test.log");
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button3"), Qt::LeftButton);
    QCOMPARE(FileText(site / "Test.log"), std::string("SND: A000A,OF\r\n"));
    QVERIFY(shown.empty());

    std::filesystem::remove_all(site);
    QTest::mouseClick(send, Qt::LeftButton);
    QCOMPARE(shown, std::vector<std::string>{"error: Invalid filename."});
    shown.clear();
    form->close();
    form->Form().FormDestroy();
    QCOMPARE(shown, std::vector<std::string>{"error: Unable to write to " +
                                             (site / "VIDideza.ini").string() + "."});
    std::filesystem::current_path(dir->path());
  }

  // A termination signal while a confirmation box is open: the box ends as if answered "No",
  // so nothing is sent, and a box that comes after it is written out instead of waiting.
  void terminationSignalDismissesAnOpenBoxAndLaterOnesDoNotWait() {
    WriteSettings(pty->path());
    std::ostringstream log;
    auto dialogs = std::make_unique<QtDialogs>(QStringLiteral("Window_tests"), &log);
    QtDialogs& boxes = *dialogs;
    form = std::make_unique<TQtForm1>(std::move(dialogs));
    boxes.SetOwner(form.get());
    form->Form().FormCreate();
    ShowWindow();
    QTRY_VERIFY(form->Form().ComPort1().Active());
    int requests = 0;
    TerminationSignals endFromOutside([&] {
      ++requests;
      boxes.EndWithoutWaiting();
      form->close();
    });
    QTimer::singleShot(300, [] { ::raise(SIGTERM); });  // while the box waits for an answer
    const auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(Find<QPushButton>(form.get(), "Button9"), Qt::LeftButton);
    QVERIFY(std::chrono::steady_clock::now() - start < std::chrono::seconds(5));
    QCOMPARE(requests, 1);
    QVERIFY(!form->isVisible());
    QCOMPARE(pty->Receive(1, std::chrono::milliseconds(300)), std::string());
    QCOMPARE(
        log.str(),
        std::string("Window_tests: question: Do you want to set control unit parameters ? (No)\n"));

    // A burst of signals is one request, and a box after it goes to the log at once.
    for (int i = 0; i < 2000; ++i)
      ::raise(SIGHUP);
    QTRY_COMPARE(requests, 2);
    QTest::qWait(100);
    QCOMPARE(requests, 2);
    boxes.Error("Unable to write to /site/VIDideza.ini.");
    QVERIFY(log.str().find("Window_tests: error: Unable to write to /site/VIDideza.ini.\n") !=
            std::string::npos);
  }

  // The program itself, ended from outside: it shuts down as by the close box.
  void programEndedBySignalStillWritesItsFiles_data() {
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
    QTest::newRow("SIGHUP") << int(SIGHUP);
  }
  void programEndedBySignalStillWritesItsFiles() {
    QFETCH(int, signal);
    const std::string foreign = "; site notes\r\n[Tool]\r\nOperator=J. Novak\r\n";
    WriteFileText(dir->path() / "VIDideza.ini",
                  foreign + "[Serial]\r\nCOMPort=" + pty->path() + "\r\n");
    WriteFileText(dir->path() / "Test.log", "SND: earlier run\r\n");
    QProcess program;
    StartProgram(program);
    WaitUntilTheSerialLineIsSet();
    ::kill(static_cast<pid_t>(program.processId()), signal);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(FileText(dir->path() / "VIDideza.ini"),
             foreign + "[Serial]\r\nCOMPort=" + pty->path() + "\r\n[Network]\r\nCardNr=0\r\n");
    QCOMPARE(FileText(dir->path() / "Test.log"), std::string("SND: earlier run\r\n"));
  }

  void programEndsUnderABurstOfSignals() {
    WriteSettings(pty->path());
    QProcess program;
    StartProgram(program);
    WaitUntilTheSerialLineIsSet();
    const auto pid = static_cast<pid_t>(program.processId());
    for (int i = 0; i < 20000 && ::kill(pid, SIGHUP) == 0; ++i) {
    }
    QVERIFY(program.waitForFinished(15000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(FileText(dir->path() / "VIDideza.ini"),
             "[Serial]\r\nCOMPort=" + pty->path() + "\r\n[Network]\r\nCardNr=0\r\n");
  }

  // An error box at start-up (the log is a FIFO) and SIGTERM: the box does not wait for a
  // click, the program ends with its settings written, and the boxes go to standard error.
  void programWithAnErrorBoxOpenAtStartUpEndsOnSignal() {
    WriteSettings(pty->path());
    QCOMPARE(::mkfifo((dir->path() / "Test.log").c_str(), 0666), 0);
    QProcess program;
    StartProgram(program);
    const auto pid = static_cast<pid_t>(program.processId());
    QTRY_VERIFY_WITH_TIMEOUT(Catches(pid, SIGTERM), 10000);
    QTest::qWait(500);  // the box is up by now, or the request is waiting for its loop
    ::kill(pid, SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    const QString errors = QString::fromLatin1(program.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("Vidideza: error: File access denied.\n")),
             qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("Vidideza: error: I/O error 103.\n")),
             qPrintable(errors));
    QCOMPARE(FileText(dir->path() / "VIDideza.ini"),
             "[Serial]\r\nCOMPort=" + pty->path() + "\r\n[Network]\r\nCardNr=0\r\n");
  }

 private:
  void StartProgram(QProcess& program) {
    pty->ReleaseSlave();
    program.setWorkingDirectory(QString::fromStdString(dir->path().string()));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(env);
    program.start(PathFromEnvironment("VIDIDEZA_TEST_PROGRAM"), {});
    QVERIFY(program.waitForStarted());
  }
  // Started when it has taken the serial line to 9600 baud, two stop bits.
  void WaitUntilTheSerialLineIsSet() {
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          termios t{};
          return ::tcgetattr(pty->master(), &t) == 0 && ::cfgetospeed(&t) == B9600 &&
                 (t.c_cflag & CSTOPB) != 0;
        }(),
        10000);
  }
  // Whether the process has a handler for the signal (the SigCgt mask of its status).
  static bool Catches(pid_t pid, int signal) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("SigCgt:", 0) == 0) {
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return ((mask >> (signal - 1)) & 1ULL) != 0;
      }
    }
    return false;
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
