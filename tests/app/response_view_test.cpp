// The response window as the technician uses it: following the end, scrolling, selecting,
// copying, typing, and its repaints under a flood of lines.
#include "app/qt/response_view.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QtTest>
#include <string>

#include "app/qt/display_text.h"

namespace vidideza {

class ResponseViewTest : public QObject {
  Q_OBJECT

  // The response window at its design size, shown and focused.
  std::unique_ptr<TResponseView> Shown() {
    auto view = std::make_unique<TResponseView>();
    view->resize(385, 337);
    view->show();
    view->activateWindow();
    view->setFocus();
    if (!QTest::qWaitForWindowExposed(view.get())) {
      return nullptr;
    }
    return view;
  }

  static void AddLines(TResponseView& view, int count, const std::string& prefix = "RCV: ") {
    for (int i = 0; i < count; ++i) {
      view.AddLine(prefix + std::to_string(i));
    }
  }

 private slots:
  void longLinesWrapAtTheWindowsWidth() {
    auto view = Shown();
    QVERIFY(view);
    view->AddLine("RCV: short");
    view->AddLine("RCV: " + std::string(2000, 'x'));
    std::string words;
    for (int i = 0; i < 100; ++i) {
      words += "word" + std::to_string(i) + " ";
    }
    view->AddLine(words);
    QCOMPARE(view->RowsOf(0), 1);
    QVERIFY(view->RowsOf(1) > 10);
    QVERIFY(view->RowsOf(2) > 5);
    const int wide = view->RowsOf(1);
    view->resize(770, 337);
    QTRY_VERIFY(view->RowsOf(1) < wide);
  }

  void followsNewLinesAtTheEndAndStaysPutWhenScrolledUp() {
    auto view = Shown();
    QVERIFY(view);
    AddLines(*view, 1000);
    QTRY_VERIFY(view->TopLine() > 900);
    QVERIFY(view->FollowsEnd());

    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QTest::keyClick(view.get(), Qt::Key_PageUp);
    QVERIFY(!view->FollowsEnd());
    const std::size_t top = view->TopLine();
    AddLines(*view, 500, "more ");
    QTest::qWait(50);
    QCOMPARE(view->TopLine(), top);

    QWheelEvent wheel(QPointF(50, 50), view->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QCOMPARE(view->TopLine(), top - 3);

    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
    QVERIFY(view->FollowsEnd());
    AddLines(*view, 100, "last ");
    QTRY_VERIFY(view->TopLine() > 1500);
    QVERIFY(view->FollowsEnd());

    view->Clear();
    QCOMPARE(view->Lines().LineCount(), std::size_t{0});
    QCOMPARE(view->TopLine(), std::size_t{0});
    QVERIFY(view->FollowsEnd());
  }

  void aSelectionSpanningWrappedLinesIsCopiedExactly() {
    auto view = Shown();
    QVERIFY(view);
    std::string words;
    for (int i = 0; i < 60; ++i) {
      words += "word" + std::to_string(i) + " ";
    }
    const std::vector<std::string> lines = {"SND: A000A,ON", "RCV: " + words,
                                            std::string("RCV: \x01\x7f\xe9 end\r", 12)};
    for (const std::string& line : lines) {
      view->AddLine(line);
    }
    QVERIFY(view->RowsOf(1) > 2);  // the middle line wraps
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    const QString all =
        DisplayLine(lines[0]) + "\n" + DisplayLine(lines[1]) + "\n" + DisplayLine(lines[2]);
    QCOMPARE(view->SelectedText(), all);
    QTest::keyClick(view.get(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), all);

    // From the fifth character of the first line to two characters into the last, by keys.
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < 5; ++i) {
      QTest::keyClick(view.get(), Qt::Key_Right);
    }
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
    for (int i = 0; i < 10; ++i) {
      QTest::keyClick(view.get(), Qt::Key_Left, Qt::ShiftModifier);
    }
    QCOMPARE(view->SelectedText(), DisplayLine(lines[0].substr(5)) + "\n" + DisplayLine(lines[1]) +
                                       "\n" + DisplayLine(lines[2].substr(0, 2)));

    // With the mouse: from the top left corner down to below the text.
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QMouseEvent drag(QEvent::MouseMove, QPointF(380, 300),
                     view->viewport()->mapToGlobal(QPointF(380, 300)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drag);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(380, 300));
    QVERIFY(view->SelectedText().startsWith(QStringLiteral("SND: A000A,ON\nRCV: word0 ")));
  }

  void typedKeysGoNowhere() {
    auto view = Shown();
    QVERIFY(view);
    view->AddLine("RCV: A000A,ON,OK");
    QTest::keyClicks(view.get(), QStringLiteral("typed text"));
    QTest::keyClick(view.get(), Qt::Key_Return);
    QTest::keyClick(view.get(), Qt::Key_Backspace);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    QTest::keyClick(view.get(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(view->Lines().LineCount(), std::size_t{1});
    QCOMPARE(view->Lines().Line(0), std::string_view("RCV: A000A,ON,OK"));
  }

  // However fast lines come, the window is painted at most once a screen frame.
  void aFloodOfLinesIsPaintedAtMostOnceAFrame() {
    auto view = Shown();
    QVERIFY(view);
    struct PaintCounter : QObject {
      int paints = 0;
      bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
      }
    } counter;
    view->viewport()->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    for (int burst = 0; burst < 100; ++burst) {
      AddLines(*view, 500);
      QCoreApplication::processEvents();
      QTest::qWait(2);
    }
    QTest::qWait(40);
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(view->Lines().LineCount(), std::size_t{50000});
    QVERIFY(counter.paints >= 1);
    QVERIFY2(counter.paints <= elapsed / 16 + 2,
             qPrintable(QStringLiteral("%1 paints in %2 ms").arg(counter.paints).arg(elapsed)));
    QVERIFY(view->TopLine() > 49900);
  }

  void jumpingToTheFirstAndTheLastOfAMillionLinesIsImmediate() {
    auto view = Shown();
    QVERIFY(view);
    AddLines(*view, 1000000);
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ControlModifier);
    view->viewport()->repaint();
    const qint64 toFirst = clock.restart();
    QCOMPARE(view->TopLine(), std::size_t{0});
    QTest::keyClick(view.get(), Qt::Key_End, Qt::ControlModifier);
    view->viewport()->repaint();
    const qint64 toLast = clock.elapsed();
    QVERIFY(view->TopLine() > 999000);
    QVERIFY2(toFirst < 100 && toLast < 100,
             qPrintable(QStringLiteral("%1 ms and %2 ms").arg(toFirst).arg(toLast)));
  }
};

}  // namespace vidideza

QTEST_MAIN(vidideza::ResponseViewTest)
#include "response_view_test.moc"
