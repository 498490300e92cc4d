// The main window on a real display: caption, size, first frame, resize,
// the failure box and the close paths.
#include "shell/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "ui/key_actions.h"

using mv::MainWindow;

namespace {

void NoBox(QWidget*) {}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void opensWithCaptionSizeAndBlackFrame();
  void resizeFollowsTheOuterSize();
  void failureBoxHasItsTextsAndPlaceholderIsInForce();
  void closeCommandAndWindowCloseDeleteTheContextOnce_data();
  void closeCommandAndWindowCloseDeleteTheContextOnce();
  void tickAdvancesAndRepaints();
  void stillOrHiddenPictureIsNotRepainted();
};

void MainWindowTest::opensWithCaptionSizeAndBlackFrame() {
  QTemporaryDir empty;
  MainWindow w(empty.path().toStdString(), NoBox);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QCOMPARE(w.windowTitle(), QString("Symulacja 3D  - Jaskinia Morvalka Vendra"));
  QCOMPARE(w.OuterSize(), QSize(780, 591));
  QCOMPARE(w.ToolbarStrip()->width(), 772);
  QCOMPARE(w.ToolbarStrip()->height(), 33);
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  // With the placeholder survey every element is a point or empty: the
  // picture is black but for at most a few pixels.
  w.State().view.AxisVisible = w.State().view.ScaleVisible = false;
  w.State().view.WindRoseVisible = w.State().view.EntrancesVisible = false;
  const QImage img = w.View()->grabFramebuffer();
  QVERIFY(!img.isNull());
  int lit = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) > 0) ++lit;
  QVERIFY2(lit <= 4, qPrintable(QString("%1 lit pixels").arg(lit)));
}

void MainWindowTest::resizeFollowsTheOuterSize() {
  QTemporaryDir empty;
  MainWindow w(empty.path().toStdString(), NoBox);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  w.resize(640, 400);
  QTRY_COMPARE(w.OuterSize(), QSize(640, 400));
  QCOMPARE(w.View()->OuterSize(), QSize(640, 400));
  QCOMPARE(w.ToolbarStrip()->width(), 632);
}

void MainWindowTest::failureBoxHasItsTextsAndPlaceholderIsInForce() {
  QTemporaryDir empty;
  QString caption, text;
  bool hasIcon = true;
  qsizetype buttons = 0;
  int stationsWhileShown = -1;
  // Read the box while it is open, then press its OK button.
  QTimer poll;
  poll.setInterval(10);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    poll.stop();
    caption = box->windowTitle();
    text = box->text();
    hasIcon = box->icon() != QMessageBox::NoIcon;
    buttons = box->buttons().size();
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* mw = qobject_cast<MainWindow*>(top))
        stationsWhileShown = mw->State().survey.StationCount();
    box->button(QMessageBox::Ok)->click();
  });
  poll.start();
  MainWindow w(empty.path().toStdString());
  QCOMPARE(caption, QString("Błąd wczytania danych!"));
  QCOMPARE(text, QString("Pliki o złej strukturze!"));
  QVERIFY(!hasIcon);
  QCOMPARE(buttons, qsizetype(1));
  // The placeholder is drawable while the box is open.
  QCOMPARE(stationsWhileShown, 2);
  QCOMPARE(w.State().survey.SurveyLineCount(), 1);
  QVERIFY(!w.State().view.LinesVisible);
  QVERIFY(qAbs(w.State().view.ZoomScale.AsDouble() - 0.12) < 1e-12);
  QVERIFY(!w.isVisible());
}

void MainWindowTest::closeCommandAndWindowCloseDeleteTheContextOnce_data() {
  QTest::addColumn<bool>("viaCommand");
  QTest::newRow("Zamknij") << true;
  QTest::newRow("window frame") << false;
}

void MainWindowTest::closeCommandAndWindowCloseDeleteTheContextOnce() {
  QFETCH(bool, viaCommand);
  QTemporaryDir empty;
  auto* w = new MainWindow(empty.path().toStdString(), NoBox);
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QTRY_VERIFY(w->View()->FramesDrawn() > 0);
  if (viaCommand) {
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier);
  } else {
    w->close();
  }
  QVERIFY(w->View()->ContextReleased());
  QCOMPARE(w->View()->ContextDeletions(), 1);
  QVERIFY(!w->Clock().Running());
  // The window's destruction runs the close path again; it must not delete
  // the context a second time.
  mv::GlView* view = w->View();
  w->FormDestroy();
  QCOMPARE(view->ContextDeletions(), 1);
  delete w;
}

void MainWindowTest::tickAdvancesAndRepaints() {
  // A survey that moves as it spins: a still picture gets no frames.
  MainWindow w(MV_SAMPLE_DIR, NoBox);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  // Past the first frame, which sets up OpenGL and holds up the ticks: the
  // clock has ticked since.
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  const int32_t afterFirstFrame = w.State().view.TickCount;
  QTRY_VERIFY(w.State().view.TickCount > afterFirstFrame);
  const int32_t t0 = w.State().view.TickCount;
  const qint64 f0 = w.View()->FramesDrawn();
  QElapsedTimer elapsed;
  elapsed.start();
  // Half a second's ticks, each followed by a frame; a loaded machine may
  // take much longer.
  constexpr int kTicks = mv::kTicksPerSecond / 2;
  QTRY_VERIFY_WITH_TIMEOUT(w.State().view.TickCount - t0 >= kTicks, 10000);
  QTRY_VERIFY_WITH_TIMEOUT(w.View()->FramesDrawn() - f0 >= kTicks, 10000);
  // Late ticks are dropped, never caught up in a burst, so the count cannot
  // run ahead of the clock however slow the machine.
  const int32_t ticks = w.State().view.TickCount - t0;
  const qint64 due = elapsed.elapsed() * mv::kTicksPerSecond / 1000 + 2;
  QVERIFY2(ticks <= due, qPrintable(QString("%1 ticks, at most %2 due").arg(ticks).arg(due)));
}

void MainWindowTest::stillOrHiddenPictureIsNotRepainted() {
  MainWindow w(MV_SAMPLE_DIR, NoBox);
  w.show();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QTRY_VERIFY(w.View()->FramesDrawn() > 0);
  // Stopped, the spin crawls far less than half a pixel in a second.
  mv::ui::ToggleSpinStop(w.State().view);
  // The frames drawn while the clock ticks `ticks` times.
  const auto framesIn = [&w](int ticks) {
    const int32_t t0 = w.State().view.TickCount;
    const qint64 f0 = w.View()->FramesDrawn();
    QDeadlineTimer patience(20000);
    while (w.State().view.TickCount - t0 < ticks && !patience.hasExpired()) QTest::qWait(5);
    return w.View()->FramesDrawn() - f0;
  };
  framesIn(2);  // the frame of the stop itself
  QCOMPARE(framesIn(mv::kTicksPerSecond), qint64(0));
  // Anything that changes the picture shows at the next tick.
  mv::ui::ZoomIn(w.State().view);
  QVERIFY(framesIn(2) >= 1);
  // Spinning again, and hidden: no frames until it is shown again, and the
  // first one then shows the current tick.
  mv::ui::ToggleSpinStop(w.State().view);
  w.showMinimized();
  QVERIFY(!w.PictureShown());
  QCOMPARE(framesIn(mv::kTicksPerSecond / 2), qint64(0));
  // Meanwhile the clock wakes for a batch of ticks at a time; the count goes
  // on as before, and shown again the clock catches up at once.
  QVERIFY(w.Clock().TicksPerWake() > 1);
  QElapsedTimer hidden;
  hidden.start();
  const int32_t before = w.State().view.TickCount;
  // Hidden, the count still goes on, a batch at a wake.
  const int batch = w.Clock().TicksPerWake();
  QTRY_VERIFY_WITH_TIMEOUT(w.State().view.TickCount - before >= batch, 10000);
  w.showNormal();
  QVERIFY(QTest::qWaitForWindowExposed(&w));
  QCOMPARE(w.Clock().TicksPerWake(), 1);
  const double expected = hidden.elapsed() * mv::kTicksPerSecond / 1000.0;
  QVERIFY(std::abs(w.State().view.TickCount - before - expected) < 20);
  QVERIFY(framesIn(4) >= 1);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
