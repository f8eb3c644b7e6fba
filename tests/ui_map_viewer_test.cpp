// The cloud-map viewer: chosen from the notes panel, shown instead of the
// main window, and closed back to it.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "radio_group.h"
#include "support/message_log.h"
#include "support/test_window.h"
#include "tform1.h"
#include "tform2.h"
#include "ui_tform1.h"

using quillmere::TForm1;

namespace {

using quillmere::testing::MessageLog;

}  // namespace

class MapViewerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    quillmere::testing::SetUpWindowLook();
    original_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir_.path()));
    QImage map(1100, 800, QImage::Format_RGB888);  // larger than the picture box
    map.fill(QColor(20, 90, 200));
    QVERIFY(map.save(QStringLiteral("Fig2 LiquidWater 0.1%.jpg"), "JPEG"));
    // A map in the current folder comes first; this one is damaged.
    QFile bad(QStringLiteral("Fig3 LiquidWater 0.5%.jpg"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write("\xff\xd8\xff not a picture");
  }
  void cleanupTestCase() { QDir::setCurrent(original_); }

  void aChosenMapReplacesTheMainWindowUntilClose() {
    TForm1 form;
    MessageLog log;
    form.SetMessages(&log);
    form.show();
    Ui::TForm1& c = form.Components();
    emit c.Button1->clicked();
    QVERIFY(!c.Panel42->isHidden());

    c.PercentageDisplay->setItemIndex(0);
    QVERIFY(!form.isVisible());
    QVERIFY(form.Form2().isVisible());
    QCOMPARE(form.Form2().windowTitle(), QStringLiteral("Cloud Water Density"));
    QCOMPARE(form.Form2().Image1()->geometry(), QRect(1, 1, 1024, 768));
    QVERIFY(!form.Form2().Image1()->pixmap().isNull());
    QCOMPARE(form.Form2().Image1()->pixmap().width(), 1100);  // not scaled, cut by the box
    QVERIFY(log.lines.empty());

    form.Form2().Button1Click();
    QVERIFY(!form.Form2().isVisible());
    QVERIFY(form.isVisible());
    QVERIFY(c.Panel42->isHidden());

    // The same percentage again does nothing until another is chosen.
    emit c.Button1->clicked();
    c.PercentageDisplay->setItemIndex(0);
    QVERIFY(form.isVisible());
    QVERIFY(!form.Form2().isVisible());

    // Another opens it; its file is damaged: a message, an empty picture,
    // and Close still returns.
    c.PercentageDisplay->setItemIndex(1);
    QVERIFY(form.Form2().isVisible());
    QCOMPARE(log.lines.size(), std::size_t{1});
    QVERIFY(log.lines[0].rfind("error: The map \"", 0) == 0);
    QVERIFY(log.lines[0].find("/Fig3 LiquidWater 0.5%.jpg\"") != std::string::npos);
    QVERIFY(form.Form2().Image1()->pixmap().isNull());
    emit form.Form2().Button1()->clicked();
    QVERIFY(form.isVisible());
  }

 private:
  QTemporaryDir dir_;
  QString original_;
};

QTEST_MAIN(MapViewerTest)
#include "ui_map_viewer_test.moc"
