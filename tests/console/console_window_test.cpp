// The command console in the real window: stamping, sending over the serial link, the setup
// commands, reply lines, and the whole exchange with the simulated QVX-RS unit.
#include <malloc.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>

#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "app/qt/qt_form1.h"
#include "app/qt/response_view.h"
#include "app/qt/spin_edit.h"
#include "app/recording_dialogs.h"
#include "app/shown_line.h"
#include "app/window_fixture.h"
#include "app/window_test_support.h"
#include "base/large_buffer.h"
#include "serial/pseudo_terminal.h"
#include "test_temp_dir.h"

using namespace vidideza;

namespace {

// The window's answer may come this much late; the sanitizers' builds run several times slower.
// Their allocators keep freed memory in quarantine, so memory is measured in the plain build only.
#ifdef VIDIDEZA_SANITIZED
constexpr long long kMostTimerLateMs = 500;
constexpr bool kMeasuresMemory = false;
#else
constexpr long long kMostTimerLateMs = 100;
constexpr bool kMeasuresMemory = true;
#endif

// What the machine itself costs for the least any window must do with a line of that many bytes
// the moment it ends: copy it into fresh memory (the window's copy, and the line handed on) and
// write it to a file in `folder` (the log). On a virtual machine whose host backs guest memory
// only when it is first touched, that alone takes tens of milliseconds for 20 MB.
long long MachineCostMs(std::size_t bytes, const std::filesystem::path& folder) {
  const std::string line(bytes, 'c');
  QElapsedTimer clock;
  clock.start();
  {
    const LargeString shown(line.data(), line.size());
    const LargeBlock kept(line.size());
    std::memcpy(kept.get(), shown.data(), shown.size());
    std::ofstream(folder / "cost.bin", std::ios::binary) << shown;
  }
  const qint64 cost = clock.elapsed();
  std::filesystem::remove(folder / "cost.bin");
  return cost;
}

}  // namespace

class ConsoleWindowTest : public QObject, protected WindowFixture {
  Q_OBJECT

 private:
  void Start(const std::string& port) {
    WriteSettings(port);
    CreateWindow();
    ShowWindow();
  }
  void StartOnPty() {
    Start(pty->path());
    QTRY_VERIFY(form->Form().ComPort1().Active());
  }
  QPushButton* Button(const char* name) { return Find<QPushButton>(form.get(), name); }
  QLineEdit* Edit(const char* name) { return Find<QLineEdit>(form.get(), name); }
  QStringList MemoLines() { return vidideza::MemoLines(form.get()); }
  std::string LogText() { return FileText(dir->path() / "Test.log"); }
  // Switching pages in a test: the network page must only ever reach this machine.
  void ShowPage(int index) {
    Edit("Edit8")->setText(QStringLiteral("127.0.0.1"));
    Edit("Edit11")->setText(QStringLiteral("0"));
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(index);
  }

  // Resident and peak resident memory of this process, in bytes; the peak can be reset.
  static std::size_t StatusBytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind(field, 0) == 0) {
        return std::stoull(line.substr(std::strlen(field))) * 1024;
      }
    }
    return 0;
  }
  static void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }
  // Runs the event loop as the program does (the test library's waits sleep between rounds)
  // until done() holds or the time is up.
  static bool RunUntil(const std::function<bool()>& done, int limitMs) {
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
      if (done()) {
        loop.quit();
      }
    });
    check.start(5);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
  }

 private slots:
  void init() { BeginTest(); }
  void cleanup() { EndTest(); }

  // Under a burst of 10,000 lines the window and the log never differ by a line at any moment
  // the event loop sees: each line is shown, then logged, in one handler.
  void aBurstIsShownThenLoggedLineByLine() {
    StartOnPty();
    auto* memo = Find<TResponseView>(form.get(), "Memo1");
    int checks = 0;
    int differences = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
      const std::string log = LogText();
      const auto logged = static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
      differences += logged == memo->Lines().LineCount() ? 0 : 1;
      ++checks;
    });
    watch.start(1);
    std::string burst;
    for (int i = 0; i < 10000; ++i) {
      burst += "A000A,ST,T" + std::to_string(i) + "\n";
    }
    // Written from a thread of its own: the line's buffer fills faster than the window reads.
    std::thread unit([&] { pty->Send(burst); });
    QTRY_COMPARE_WITH_TIMEOUT(memo->Lines().LineCount(), std::size_t{10000}, 20000);
    unit.join();
    watch.stop();
    QVERIFY(checks > 0);
    QCOMPARE(differences, 0);
    QCOMPARE(memo->Lines().Line(9999), std::string_view("RCV: A000A,ST,T9999"));
    const std::string log = LogText();
    QCOMPARE(std::count(log.begin(), log.end(), '\n'), 10000L);
  }

  void stampingFollowsTheAddressControls() {
    StartOnPty();
    auto* spin = Find<TAdvSpinEdit>(form.get(), "AdvSpinEdit1");
    QCOMPARE(Find<QLabel>(form.get(), "Label11")->text(), QStringLiteral("Hex: "));
    spin->setText(QStringLiteral("18"));
    QCOMPARE(Find<QLabel>(form.get(), "Label11")->text(), QStringLiteral("Hex: 12"));
    auto* port = Find<QComboBox>(form.get(), "ComboBox2");
    port->lineEdit()->selectAll();
    QTest::keyClicks(port->lineEdit(), QStringLiteral("7"));
    QTest::mouseClick(Find<QRadioButton>(form.get(), "AdvOfficeRadioButton3"), Qt::LeftButton);
    QCOMPARE(Edit("Edit1")->text(), QStringLiteral("A127C,ON"));
    QCOMPARE(Edit("Edit4")->text(), QStringLiteral("A127C,MC,T18,FL"));
    QCOMPARE(Edit("Edit7")->text(), QStringLiteral("A127C,SF"));

    // A head typed by hand stays until the address controls change again.
    Edit("Edit3")->setText(QStringLiteral("hand"));
    QTest::mouseClick(Find<QRadioButton>(form.get(), "AdvOfficeRadioButton3"), Qt::LeftButton);
    QCOMPARE(Edit("Edit3")->text(), QStringLiteral("hand"));
    // An empty port selector keeps each line's own port character.
    port->lineEdit()->selectAll();
    QTest::keyClick(port->lineEdit(), Qt::Key_Delete);
    QCOMPARE(Edit("Edit1")->text(), QStringLiteral("A127C,ON"));
    QCOMPARE(Edit("Edit3")->text(), QStringLiteral("A12dC,"));
    spin->clear();
    QCOMPARE(Find<QLabel>(form.get(), "Label11")->text(), QStringLiteral("Hex: 00"));
    QCOMPARE(Edit("Edit1")->text(), QStringLiteral("A007C,ON"));
  }

  void sendWritesLogShowsAndSendsTheLine() {
    StartOnPty();
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QTest::mouseClick(Button("Button3"), Qt::LeftButton);
    Edit("Edit7")->clear();
    QTest::mouseClick(Button("Button7"), Qt::LeftButton);
    QCOMPARE(pty->Receive(19), std::string("A000A,ON\nA000A,OF\n\n"));
    QCOMPARE(MemoLines(), QStringList({"SND: A000A,ON", "SND: A000A,OF", "SND: "}));
    QCOMPARE(LogText(), std::string("SND: A000A,ON\r\nSND: A000A,OF\r\nSND: \r\n"));
    QVERIFY(shown.empty());
  }

  void typedTextBecomesLatin1Bytes() {
    StartOnPty();
    Edit("Edit1")->setText(QString::fromUtf8("A000A,\xC3\xA9\xE2\x82\xAC"));  // é and €
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QCOMPARE(pty->Receive(9), std::string("A000A,\xE9?\n"));
    QCOMPARE(LogText(), std::string("SND: A000A,\xE9?\r\n"));
  }

  void sendWithTheLogClosedSendsNothing() {
    StartOnPty();
    std::vector<std::string> secondShown;
    TQtForm1 second(std::make_unique<RecordingDialogs>(secondShown));
    second.Form().FormCreate();  // a second copy: its log cannot open
    QCOMPARE(secondShown, std::vector<std::string>{"error: I/O error 32."});
    QTest::mouseClick(second.findChild<QPushButton*>(QStringLiteral("Button1")), Qt::LeftButton);
    QCOMPARE(secondShown.back(), std::string("error: I/O error 105."));
    QVERIFY(vidideza::MemoLines(&second).isEmpty());
  }

  void sendOnAClosedPortLogsFirstThenFails() {
    Start("/dev/no-such-port");
    QTRY_COMPARE(shown.size(), size_t(1));
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QCOMPARE(shown.back(), std::string("error: Can't perform this operation on a closed port."));
    QCOMPARE(MemoLines(), QStringList({"SND: A000A,ON"}));
    QCOMPARE(LogText(), std::string("SND: A000A,ON\r\n"));
  }

  void setupCommandsAfterYesOnly_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes") << true;
    QTest::newRow("No") << false;
  }
  void setupCommandsAfterYesOnly() {
    QFETCH(bool, yes);
    answerYes = yes;
    StartOnPty();
    Find<TAdvSpinEdit>(form.get(), "AdvSpinEdit1")->setText(QStringLiteral("18"));
    Find<QComboBox>(form.get(), "ComboBox1")->setEditText(QStringLiteral("7"));
    Find<QComboBox>(form.get(), "ComboBox2")->setEditText(QStringLiteral("3"));
    QTest::mouseClick(Find<QRadioButton>(form.get(), "AdvOfficeRadioButton3"), Qt::LeftButton);
    QTest::mouseClick(Button("Button9"), Qt::LeftButton);
    QTest::mouseClick(Button("Button8"), Qt::LeftButton);
    QCOMPARE(shown, (std::vector<std::string>{
                        "confirm: Do you want to set control unit parameters ?",
                        "confirm: Do you want to set interface port parameters ? It is possible "
                        "when ONLY ONE INTERFACE PORT is connected !!!"}));
    QCOMPARE(pty->Receive(24, std::chrono::milliseconds(yes ? 3000 : 300)),
             yes ? std::string("PSCU=127\nALLLA,PSIP=A3C\n") : std::string());
    // Setup commands are neither shown nor logged.
    QVERIFY(MemoLines().isEmpty());
    QCOMPARE(LogText(), std::string());
  }

  void setupWithAnEmptySelectorSendsNothingAndSaysWhy() {
    StartOnPty();
    Find<QComboBox>(form.get(), "ComboBox1")->setEditText(QString());
    Find<QComboBox>(form.get(), "ComboBox2")->setEditText(QString());
    QTest::mouseClick(Button("Button9"), Qt::LeftButton);
    QTest::mouseClick(Button("Button8"), Qt::LeftButton);
    QCOMPARE(shown.size(), size_t(4));
    QVERIFY(shown[1].rfind("notice: \"Last address of int. port\" is empty", 0) == 0);
    QVERIFY(shown[3].rfind("notice: \"Interface port address\" is empty", 0) == 0);
    QCOMPARE(pty->Receive(1, std::chrono::milliseconds(300)), std::string());
  }

  void repliesBecomeRcvLinesAcrossEventsAndReopens() {
    StartOnPty();
    pty->Send("A000A,ON,");
    QTest::qWait(150);
    pty->Send("OK\r\nA000A,OF\n\n\nparti");
    QTRY_COMPARE(MemoLines(),
                 QStringList({QString::fromUtf8("RCV: A000A,ON,OK\xE2\x90\x8D"), "RCV: A000A,OF"}));
    QTest::qWait(150);
    // The partial line survives closing and reopening the port.
    ShowPage(1);
    QVERIFY(!form->Form().ComPort1().Active());
    ShowPage(0);
    QVERIFY(form->Form().ComPort1().Active());
    QTest::mouseClick(Button("Button2"), Qt::LeftButton);  // Clear leaves the buffer alone
    QVERIFY(MemoLines().isEmpty());
    pty->Send("al\n");
    QTRY_COMPARE(MemoLines(), QStringList({"RCV: partial"}));
    QCOMPARE(LogText(), std::string("RCV: A000A,ON,OK\r\r\nRCV: A000A,OF\r\nRCV: partial\r\n"));
  }

  void controlBytesAreDrawnVisiblyAndLoggedAsTheyAre() {
    StartOnPty();
    pty->Send(std::string("a\0b\x1b\x7F\xE9\n", 7));
    QTRY_COMPARE(MemoLines(),
                 QStringList({QString::fromUtf8("RCV: a\xE2\x90\x80"
                                                "b\xE2\x90\x9B\xE2\x90\xA1\xC3\xA9")}));
    QCOMPARE(LogText(), std::string("RCV: a\0b\x1b\x7F\xE9\r\n", 13));
  }

  // An unplugged adapter: one error, no spinning, the port reopens and the partial line stays.
  void vanishedDeviceIsReportedOnceAndItsBytesStay() {
    StartOnPty();
    pty->Send("A000A,ON");
    QTest::qWait(150);
    pty->Vanish();
    timespec before{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    QTest::qWait(1000);
    timespec after{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    const double cpu =
        double(after.tv_sec - before.tv_sec) + double(after.tv_nsec - before.tv_nsec) / 1e9;
    QVERIFY2(cpu < 0.2, "busy while the device is gone");
    QCOMPARE(shown, std::vector<std::string>{"error: Input/output error."});

    // The technician plugs in another adapter and picks it.
    PseudoTerminal replacement;
    auto* ports = Find<QComboBox>(form.get(), "ComboBox3");
    ports->setEditText(QString::fromStdString(replacement.path()));
    emit ports->textActivated(ports->currentText());
    QVERIFY(form->Form().ComPort1().Active());
    replacement.Send(",OK\n");
    QTRY_COMPARE(MemoLines(), QStringList({"RCV: A000A,ON,OK"}));
    QCOMPARE(shown.size(), size_t(1));
  }

  // The whole exchange with the simulated unit, and a flood of replies.
  void simulatedUnitAnswersEveryLine() {
    QProcess unit;
    unit.setWorkingDirectory(QString::fromStdString(dir->path().string()));
    unit.start(PathFromEnvironment("VIDIDEZA_TEST_UNIT_SIM"), {"--log", "unit.log"});
    QVERIFY(unit.waitForStarted());
    QVERIFY(unit.waitForReadyRead(5000));
    const std::string link = (dir->path() / "qvx-rs.tty").string();
    Start(link);
    QTRY_VERIFY(form->Form().ComPort1().Active());

    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QTRY_COMPARE(MemoLines(), QStringList({"SND: A000A,ON", "RCV: A000A,ON,OK"}));
    QTRY_VERIFY(FileText(dir->path() / "unit.log").find("received: A000A,ON\n") !=
                std::string::npos);
    QCOMPARE(LogText(), std::string("SND: A000A,ON\r\nRCV: A000A,ON,OK\r\n"));

    const int flood = 10000;
    Edit("Edit6")->setText(QStringLiteral("A000A,DUMP,%1").arg(flood));
    QTest::mouseClick(Button("Button6"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(MemoLines().size(), flood + 3, 60000);
    std::string expected = "SND: A000A,ON\r\nRCV: A000A,ON,OK\r\nSND: A000A,DUMP,10000\r\n";
    for (int i = 1; i <= flood; ++i) {
      expected += "RCV: A000A,DUMP," + std::to_string(i) + "\r\n";
    }
    QCOMPARE(LogText(), expected);
    QCOMPARE(MemoLines().back(), QStringLiteral("RCV: A000A,DUMP,10000"));
    QVERIFY(shown.empty());
    unit.terminate();
    QVERIFY(unit.waitForFinished(5000));
  }
  // A unit that sends one huge line does not hold the window: a 1 MB and a 20 MB line arrive
  // while a 20 ms timer keeps time (late by no more than 100 ms beyond what the machine itself
  // costs for such a line), the window shows the head of each and its length, answers Send A at
  // once, copies every byte, and the log holds both lines exactly.
  void hugeLinesDoNotHoldTheWindow() {
    StartOnPty();
    auto* memo = Find<TResponseView>(form.get(), "Memo1");
    const std::string small(1 << 20, 'a');
    std::string huge(20 << 20, 'b');
    for (std::size_t i = 2047; i < huge.size(); i += 4096) {
      huge[i] = ' ';  // words, as a text would have them: the wrap breaks anywhere otherwise
    }
    const std::string sent = small + "\n" + huge + "\n";
    const long long machineCost = MachineCostMs(huge.size(), dir->path());
    const std::size_t residentBefore = StatusBytes("VmRSS:");
    ResetPeakMemory();
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    connect(&ticker, &QTimer::timeout, this, [&] {
      const qint64 now = clock.elapsed();
      worst = std::max(worst, now - last - 20);
      last = now;
    });
    clock.start();
    ticker.start(20);
    // The unit writes as fast as the line takes it, waiting (not spinning) while it is full.
    std::thread unit([&] {
      for (std::size_t done = 0; done < sent.size();) {
        pollfd writable{pty->master(), POLLOUT, 0};
        ::poll(&writable, 1, 100);
        const ssize_t n = ::write(pty->master(), sent.data() + done, sent.size() - done);
        done += n > 0 ? static_cast<std::size_t>(n) : 0;
      }
    });
    const bool arrived = RunUntil([&] { return memo->Lines().LineCount() == 2; }, 60000);
    const qint64 arrivedAfter = clock.elapsed();
    unit.join();
    QVERIFY(arrived);
    RunUntil([] { return false; }, 300);  // the window draws the end of the huge line meanwhile
    const auto start = std::chrono::steady_clock::now();
    QTest::mouseClick(Button("Button1"), Qt::LeftButton);
    QCOMPARE(pty->Receive(9, std::chrono::milliseconds(2000)), std::string("A000A,ON\n"));
    const auto answered = std::chrono::steady_clock::now() - start;
    RunUntil([] { return false; }, 100);
    ticker.stop();
    const std::size_t peak = StatusBytes("VmHWM:");
    ::malloc_trim(0);  // what the allocator keeps for reuse is not held by the window
    const std::size_t residentAfter = StatusBytes("VmRSS:");
    qInfo(
        "lines in after %lld ms; worst timer lateness %lld ms (the machine's own cost %lld ms); "
        "Send A answered in %lld ms; memory %zu MB before, peak %zu MB, %zu MB after",
        static_cast<long long>(arrivedAfter), static_cast<long long>(worst), machineCost,
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(answered).count()),
        residentBefore >> 20, peak >> 20, residentAfter >> 20);
    QCOMPARE(memo->Lines().LineCount(), std::size_t{3});
    QVERIFY2(worst <= kMostTimerLateMs + machineCost, qPrintable(QString::number(worst)));
    QVERIFY(answered < std::chrono::milliseconds(kMostTimerLateMs));
    // The window holds each line once; while a line is taken, the reply buffer and the line
    // handed to the window and the log hold it too: three times at most, never its layout.
    const std::size_t lineBytes = small.size() + huge.size();
    if (kMeasuresMemory) {
      QVERIFY2(peak - residentBefore <= 3 * lineBytes + (8 << 20),
               qPrintable(QString::number((peak - residentBefore) >> 20)));
      QVERIFY2(residentAfter - residentBefore <= 2 * lineBytes,
               qPrintable(QString::number((residentAfter - residentBefore) >> 20)));
    }
    QCOMPARE(memo->ShownLength(1),
             int(kMostShownBytes + std::string(" [... 20971525 bytes in all]").size()));

    // Select the huge line's head and into its marker: the copy is the whole line.
    memo->setFocus();
    memo->ScrollToLine(1);
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(6, 6));
    QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier | Qt::ControlModifier);
    QTest::keyClick(memo, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(memo, Qt::Key_End, Qt::ShiftModifier);
    const QString copied = memo->SelectedText();
    QCOMPARE(copied.size(), qsizetype(5 + huge.size()));
    QVERIFY(copied.startsWith(QStringLiteral("RCV: bbbb")));
    QVERIFY(copied.endsWith(QStringLiteral("bbbb")));

    QCOMPARE(LogText(), "RCV: " + small + "\r\nRCV: " + huge + "\r\nSND: A000A,ON\r\n");
    QVERIFY(shown.empty());
  }
};

QTEST_MAIN(ConsoleWindowTest)
#include "console_window_test.moc"
