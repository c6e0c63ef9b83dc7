// The program's icon as the window gets it: every size the desktop asks for comes from the one
// drawing, and the 32 x 32 image keeps to the 16 colours of the classic palette.
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QtTest>

#include "app/qt/program_icon.h"

class ProgramIconTest : public QObject {
  Q_OBJECT

 private slots:
  void everySizeIsTheRenderedDrawing_data() {
    QTest::addColumn<int>("size");
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
      QTest::addRow("%d px", size) << size;
    }
  }

  void everySizeIsTheRenderedDrawing() {
    QFETCH(int, size);
    const QIcon icon = vidideza::ProgramIcon();
    QVERIFY(icon.availableSizes().contains(QSize(size, size)));
    const QImage shown =
        icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage file =
        QImage((QString::fromLocal8Bit(qgetenv("VIDIDEZA_TEST_ICON_DIR")) + "/vidideza-%1.png")
                   .arg(size))
            .convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!file.isNull());
    QCOMPARE(shown.size(), QSize(size, size));
    QVERIFY(shown == file);
  }

  void windowIconKeepsToTheClassicPalette() {
    const QImage image = vidideza::ProgramIcon()
                             .pixmap(QSize(32, 32))
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32);
    const QSet<QRgb> palette = {0xff000000, 0xff800000, 0xff008000, 0xff808000,
                                0xff000080, 0xff800080, 0xff008080, 0xffc0c0c0,
                                0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00,
                                0xff0000ff, 0xffff00ff, 0xff00ffff, 0xffffffff};
    QSet<QRgb> used;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        if (qAlpha(pixel) == 0) {
          continue;  // the transparent ground around the unit
        }
        QVERIFY2(palette.contains(pixel), qPrintable(QStringLiteral("pixel %1,%2 is %3")
                                                         .arg(x)
                                                         .arg(y)
                                                         .arg(pixel, 8, 16, QLatin1Char('0'))));
        used.insert(pixel);
      }
    }
    // The box, the panel, the lettering, the plug and the status light.
    QCOMPARE(used.size(), 5);
    QCOMPARE(image.pixel(4, 7), QRgb(0xff808080));
    QCOMPARE(image.pixel(6, 9), QRgb(0xff008080));
    QCOMPARE(image.pixel(23, 23), QRgb(0xff00ff00));
  }
};

int main(int argc, char* argv[]) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  ProgramIconTest test;
  return QTest::qExec(&test, argc, argv);
}
#include "program_icon_test.moc"
