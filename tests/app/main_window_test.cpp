#include <QtTest>
class Placeholder : public QObject { Q_OBJECT private slots: void nothing() {} };
QTEST_MAIN(Placeholder)
#include "main_window_test.moc"
