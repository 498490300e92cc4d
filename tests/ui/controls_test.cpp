// The menus, toolbar, panels, key help and about box on the real main window.
#include <QAction>
#include <QApplication>
#include <QCompleter>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QToolButton>
#include <QtTest>
#include <array>
#include <cmath>
#include <functional>
#include <map>

#include "data/reader_table.h"
#include "shell/main_window.h"
#include "shown_window.h"
#include "ui/about_box.h"
#include "ui/axis_panels.h"
#include "ui/key_help.h"
#include "ui/panel_parts.h"
#include "ui/station_finder.h"

using mv::MainWindow;

namespace {

using mv::test::NoBox;
using mv::test::Show;

template <typename T>
T* Find(MainWindow& w, const char* name) {
  return w.findChild<T*>(name);
}

QWidget* Panel(MainWindow& w, const char* name) {
  return Find<QFrame>(w, name);
}

// Six-byte reals that went through different roundings.
bool Near(long double a, long double b) {
  return std::fabs(a - b) < 1e-9L;
}

QLineEdit* SpinText(MainWindow& w) {
  return w.ControlsOf().Axis().SpinEdit1()->findChild<QLineEdit*>();
}

// A chooser that answers `answer` and remembers what it was shown.
struct FakeChooser {
  std::optional<QColor> answer;
  QColor preset;
  int runs = 0;
  void Install(MainWindow& w) {
    w.ControlsOf().SetColourChooser([this](const QColor& p, QWidget*) {
      preset = p;
      ++runs;
      return answer;
    });
  }
};

// The display flags, in one comparable row.
std::array<bool, 6> Flags(const mv::ViewState& v) {
  return {v.LinesVisible,      v.AxisVisible,     v.ScaleVisible,
          v.GraduationVisible, v.WindRoseVisible, v.EntrancesVisible};
}

constexpr mv::ToggleTexts mv::ControlTexts::*kToggleTexts[] = {
    &mv::ControlTexts::axis, &mv::ControlTexts::entrances, &mv::ControlTexts::windRose,
    &mv::ControlTexts::scale, &mv::ControlTexts::graduation};

}  // namespace

class ControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void everyShortcutReachesItsCommand_data();
  void everyShortcutReachesItsCommand();
  void f10EntersTheMenuBar();
  void togglesByMenuAndToolbar_data();
  void togglesByMenuAndToolbar();
  void scaleToggleDisablesTheGraduationControls();
  void wallsToggleWithCtrlWAndACheckMark();
  void colourChooserConfirmAndCancel();
  void panelsOpenAndFollowTheWindow();
  void enterAndEscapeActOnTheFirstShownPanel();
  void typedTextOfTheLengthFieldIsReadRaw();
  void keysSteerTheModelOnlyFromTheWindow();
  void aWithThePositionPanelCancelsTheMode();
  void startParametersWithThePositionPanelOpen();
  void splaysAndSurfaceLegsByMenuAndKeys();
  void keyHelpIsReadOnlyWithUnwrappedLinesAndTheNewKeys();
  void aboutBoxKeepsItsPage();
  void findDialogEnterFindsAtOnceOrOffersAChoice_data();
  void findDialogEnterFindsAtOnceOrOffersAChoice();

 private:
  QTemporaryDir empty_;
};

void ControlsTest::everyShortcutReachesItsCommand_data() {
  QTest::addColumn<QKeySequence>("keys");
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("caption");

  auto row = [](const char* item, QKeySequence keys, const char* caption,
                const char* tag = nullptr) {
    QTest::newRow(tag ? tag : item) << keys << QString(item) << QString::fromUtf8(caption);
  };
  row("Rysujliniepomiarowe1", QKeySequence(Qt::CTRL | Qt::Key_L), "Nie rysuj linii pomiarowych");
  row("Kolorliniipomiarowych1", QKeySequence(Qt::Key_F5), "Kolor linii pomiarowych");
  row("Zaznaczotworyobiektu1", QKeySequence(Qt::CTRL | Qt::Key_E), "Nie pokazuj otworów obiektów");
  row("Powrtdoparametrwstartowych1", QKeySequence(Qt::CTRL | Qt::Key_S),
      "Powrót do parametrów startowych");
  row("Rysujoobrotu1", QKeySequence(Qt::CTRL | Qt::Key_I), "Nie rysuj osi obrotu");
  row("Kolorosiobrotu1", QKeySequence(Qt::Key_F6), "Kolor osi obrotu");
  row("Dugoosiobrotu1", QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F6), "Długość osi obrotu");
  row("Zmianapooeniaosiobrotu1", QKeySequence(Qt::SHIFT | Qt::Key_F6),
      "Zmiana położenia osi obrotu");
  // The key the key help names.
  row("Zmianapooeniaosiobrotu1", QKeySequence(Qt::CTRL | Qt::Key_F6), "Zmiana położenia osi obrotu",
      "Zmianapooeniaosiobrotu1 by Ctrl+F6");
  row("Nierysujskalisymulacji1", QKeySequence(Qt::CTRL | Qt::Key_D), "Nie rysuj skali symulacji");
  row("Kolorskalisymulacji1", QKeySequence(Qt::Key_F7), "Kolor skali symulacji");
  row("Nierysujpodziaki1", QKeySequence(Qt::CTRL | Qt::Key_F7), "Nie rysuj podziałki");
  row("Rawiatrw1", QKeySequence(Qt::CTRL | Qt::Key_R), "Róża wiatrów");
  row("Zamknij1", QKeySequence(Qt::CTRL | Qt::Key_Q), "&Zamknij");
}

void ControlsTest::everyShortcutReachesItsCommand() {
  QFETCH(QKeySequence, keys);
  QFETCH(QString, item);
  QFETCH(QString, caption);

  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  FakeChooser chooser;
  chooser.answer = QColor(1, 2, 3);
  chooser.Install(w);
  mv::ViewState& v = w.State().view;
  v.EyeX = 99;

  auto* action = Find<QAction>(w, item.toLatin1().constData());
  QVERIFY(action);
  QCOMPARE(action->text(), caption);
  QVERIFY(action->shortcuts().contains(keys));

  const mv::ViewState before = v;
  QTest::keySequence(&w, keys);

  const std::map<QString, std::function<bool()>> effect = {
      {"Rysujliniepomiarowe1", [&] { return v.LinesVisible != before.LinesVisible; }},
      {"Kolorliniipomiarowych1",
       [&] {
         return v.LineColor == mv::Rgb{1, 2, 3};
       }},
      {"Zaznaczotworyobiektu1", [&] { return !v.EntrancesVisible; }},
      {"Powrtdoparametrwstartowych1", [&] { return v.EyeX == 65; }},
      {"Rysujoobrotu1", [&] { return !v.AxisVisible; }},
      {"Kolorosiobrotu1",
       [&] {
         return v.AxisColor == mv::Rgb{1, 2, 3};
       }},
      {"Dugoosiobrotu1", [&] { return !Panel(w, "Panel4")->isHidden(); }},
      {"Zmianapooeniaosiobrotu1",
       [&] { return v.AxisMoveMode && !Panel(w, "Panel8")->isHidden(); }},
      {"Nierysujskalisymulacji1", [&] { return !v.ScaleVisible; }},
      {"Kolorskalisymulacji1",
       [&] {
         return v.ScaleColor == mv::Rgb{1, 2, 3};
       }},
      {"Nierysujpodziaki1", [&] { return !v.GraduationVisible; }},
      {"Rawiatrw1", [&] { return !v.WindRoseVisible; }},
      {"Zamknij1", [&] { return w.View()->ContextReleased(); }},
  };
  QVERIFY(effect.at(item)());
  // Nothing else ran: no other colour was asked for, the eye moved only
  // with the start parameters.
  QCOMPARE(chooser.runs, item.startsWith("Kolor") ? 1 : 0);
  if (item != "Powrtdoparametrwstartowych1") QCOMPARE(v.EyeX, 99);
}

void ControlsTest::splaysAndSurfaceLegsByMenuAndKeys() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ViewState& v = w.State().view;
  QMenu* lines = Find<QMenu>(w, "Liniepomiarowe1");
  QVERIFY(lines && lines->parent() == w.ControlsOf().Menu().ObjectMenu());
  using enum mv::LegShow;
  struct Kind {
    const char* menu;
    const char* caption;
    QStringList items;
    QKeySequence key;
    mv::LegShow mv::ViewState::*show;
  };
  const Kind kinds[] = {
      {"Odnogi1",
       "Odnogi",
       {"Pokaż odnogi", "Przyciemnij odnogi", "Ukryj odnogi"},
       QKeySequence(Qt::CTRL | Qt::Key_J),
       &mv::ViewState::Splays},
      {"Nogipowierzchniowe1",
       "Nogi powierzchniowe",
       {"Pokaż nogi powierzchniowe", "Przyciemnij nogi powierzchniowe",
        "Ukryj nogi powierzchniowe"},
       QKeySequence(Qt::CTRL | Qt::Key_K),
       &mv::ViewState::SurfaceLegs},
  };
  const mv::LegShow states[] = {Shown, Faded, Hidden};
  for (const Kind& k : kinds) {
    QMenu* menu = Find<QMenu>(w, k.menu);
    QVERIFY(menu && menu->parent() == lines);
    QCOMPARE(menu->title(), QString::fromUtf8(k.caption));
    const QList<QAction*> items = menu->actions();
    QCOMPARE(items.size(), 3);
    // The checked item follows the state, however it was set.
    const auto checkedIs = [&](mv::LegShow s) {
      for (int i = 0; i < 3; ++i)
        if (items[i]->isChecked() != (states[i] == s)) return false;
      return v.*k.show == s;
    };
    for (int i = 0; i < 3; ++i) {
      QCOMPARE(items[i]->text(), QString::fromUtf8(k.items[i].toUtf8()));
      QVERIFY(items[i]->isCheckable());
      items[i]->trigger();
      QVERIFY(checkedIs(states[i]));
    }
    // The key steps on from hidden: shown, faded, hidden.
    for (const mv::LegShow next : {Shown, Faded, Hidden, Shown}) {
      QTest::keySequence(&w, k.key);
      QVERIFY(checkedIs(next));
    }
  }
  // The other kind was left as it was.
  QCOMPARE(v.Splays, Shown);
}

void ControlsTest::f10EntersTheMenuBar() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  QTest::keyClick(&w, Qt::Key_F10);
  QMenu* file = w.ControlsOf().Menu().FileMenu();
  QCOMPARE(w.menuBar()->activeAction(), file->menuAction());
  QTRY_VERIFY(file->isVisible());
  const qsizetype n4 = file->actions().indexOf(file->findChild<QAction*>("N4"));
  QCOMPARE(file->actions().at(n4)->text(), QString(" "));
  QVERIFY(file->actions().at(n4 + 1)->isSeparator());
  file->hide();
}

void ControlsTest::togglesByMenuAndToolbar_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("button");
  QTest::addColumn<int>("texts");  // index into kToggleTexts
  QTest::newRow("axis") << "Rysujoobrotu1"
                        << "SpeedButton4" << 0;
  QTest::newRow("entrances") << "Zaznaczotworyobiektu1"
                             << "SpeedButton12" << 1;
  QTest::newRow("wind rose") << "Rawiatrw1"
                             << "SpeedButton10" << 2;
  QTest::newRow("scale") << "Nierysujskalisymulacji1"
                         << "SpeedButton6" << 3;
  QTest::newRow("graduation") << "Nierysujpodziaki1"
                              << "SpeedButton11" << 4;
}

void ControlsTest::togglesByMenuAndToolbar() {
  QFETCH(QString, item);
  QFETCH(QString, button);
  QFETCH(int, texts);
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  auto* action = Find<QAction>(w, item.toLatin1().constData());
  auto* tool = Find<QToolButton>(w, button.toLatin1().constData());
  QVERIFY(action && tool);
  QVERIFY(!tool->isCheckable());
  QCOMPARE(tool->size(), QSize(25, 25));
  const QString startHint = tool->toolTip();
  const auto start = Flags(w.State().view);
  const mv::ToggleTexts& written = w.State().texts.*kToggleTexts[texts];

  // Button and menu item run one command; the widgets show what it wrote.
  for (QAction* first : {static_cast<QAction*>(nullptr), action}) {
    first ? action->trigger() : tool->click();
    QVERIFY(Flags(w.State().view) != start);
    QCOMPARE(action->text(), QString::fromStdString(written.caption));
    QCOMPARE(tool->toolTip(), QString::fromStdString(written.hint));
    first ? tool->click() : action->trigger();
    QCOMPARE(Flags(w.State().view), start);
    QCOMPARE(tool->toolTip(), startHint);
  }
}

void ControlsTest::scaleToggleDisablesTheGraduationControls() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  auto* graduation = Find<QAction>(w, "Nierysujpodziaki1");
  auto* graduationButton = Find<QToolButton>(w, "SpeedButton11");
  QTest::keyClick(&w, Qt::Key_D, Qt::ControlModifier);
  QVERIFY(!graduation->isEnabled());
  QVERIFY(!graduationButton->isEnabled());
  // A disabled command does not run from its shortcut either.
  QTest::keyClick(&w, Qt::Key_F7, Qt::ControlModifier);
  QVERIFY(w.State().view.GraduationVisible);
  Find<QToolButton>(w, "SpeedButton6")->click();
  QVERIFY(graduation->isEnabled());
  QVERIFY(graduationButton->isEnabled());
}

void ControlsTest::wallsToggleWithCtrlWAndACheckMark() {
  // A survey with passage sizes opens with its walls shown and the item
  // checked; Ctrl+W hides and shows them. Without sizes the item is off.
  MainWindow w(std::string(MV_SURVEX_DIR) + "/../walls/walls.3d", NoBox);
  QVERIFY(Show(w));
  auto* walls = Find<QAction>(w, "ScianyKorytarzy");
  QVERIFY(walls);
  QCOMPARE(walls->text(), QString::fromUtf8("Ściany korytarzy"));
  QVERIFY(walls->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_W)));
  QVERIFY(w.ControlsOf().Menu().ObjectMenu()->actions().contains(walls));
  QVERIFY(walls->isCheckable() && walls->isChecked() && walls->isEnabled());
  QVERIFY(w.State().view.WallsVisible);
  for (const bool shown : {false, true}) {
    QTest::keySequence(&w, QKeySequence(Qt::CTRL | Qt::Key_W));
    QCOMPARE(w.State().view.WallsVisible, shown);
    QCOMPARE(walls->isChecked(), shown);
    QCOMPARE(walls->text(), QString::fromUtf8("Ściany korytarzy"));
  }
  walls->trigger();
  QVERIFY(!w.State().view.WallsVisible && !walls->isChecked());

  MainWindow none(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(none));
  auto* off = Find<QAction>(none, "ScianyKorytarzy");
  QVERIFY(!off->isEnabled() && !off->isChecked() && !none.State().view.WallsVisible);
}

void ControlsTest::colourChooserConfirmAndCancel() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  FakeChooser chooser;
  chooser.answer = QColor(0, 0, 255);
  chooser.Install(w);
  mv::ViewState& v = w.State().view;

  // The scale dialog opens on dark green, although the scale is drawn green.
  Find<QToolButton>(w, "SpeedButton7")->click();
  QCOMPARE(chooser.preset, QColor(0, 128, 0));
  QCOMPARE(v.ScaleColor, (mv::Rgb{0, 0, 255}));

  chooser.answer = std::nullopt;
  QTest::keyClick(&w, Qt::Key_F7);
  QCOMPARE(chooser.preset, QColor(0, 0, 255));  // the last confirmed colour
  QCOMPARE(v.ScaleColor, (mv::Rgb{0, 0, 255}));
  QTest::keyClick(&w, Qt::Key_F7);
  QCOMPARE(chooser.preset, QColor(0, 0, 255));  // a cancel forgets nothing

  // Each dialog keeps its own selection.
  Find<QAction>(w, "Kolorliniipomiarowych1")->trigger();
  QCOMPARE(chooser.preset, QColor(255, 0, 0));
  Find<QToolButton>(w, "SpeedButton5")->click();
  QCOMPARE(chooser.preset, QColor(0, 0, 255));
  QCOMPARE(v.LineColor, (mv::Rgb{255, 0, 0}));
  QCOMPARE(v.AxisColor, (mv::Rgb{0, 0, 255}));
  QCOMPARE(chooser.runs, 5);
}

void ControlsTest::panelsOpenAndFollowTheWindow() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  QCOMPARE(w.OuterSize(), QSize(780, 591));
  QWidget* p4 = Panel(w, "Panel4");
  QWidget* p8 = Panel(w, "Panel8");
  QWidget* p21 = Panel(w, "Panel21");
  QVERIFY(p4->isHidden() && p8->isHidden() && p21->isHidden());

  Find<QToolButton>(w, "SpeedButton8")->click();
  Find<QToolButton>(w, "SpeedButton9")->click();
  Find<QAction>(w, "Klawiszologiaprogram1")->trigger();
  QCOMPARE(p4->geometry(), QRect(282, 207, 217, 137));
  QCOMPARE(p8->geometry(), QRect(590, 451, 153, 65));
  QCOMPARE(p21->geometry(), QRect(166, 41, 449, 449));
  QCOMPARE(p4->parentWidget(), w.Overlay());

  // A short window: 38 from the top after a resize, 40 when opened.
  w.resize(700, 240);
  QTRY_COMPARE(w.OuterSize(), QSize(700, 240));
  QCOMPARE(p4->pos(), QPoint(242, 38));
  QCOMPARE(p8->pos(), QPoint(510, 100));
  QCOMPARE(p21->pos(), QPoint(126, -134));
  Find<QAction>(w, "Dugoosiobrotu1")->trigger();
  QCOMPARE(p4->pos(), QPoint(242, 40));

  // Hidden panels stay where they were.
  Find<QPushButton>(w, "BitBtn9")->click();
  w.resize(780, 591);
  QTRY_COMPARE(w.OuterSize(), QSize(780, 591));
  QCOMPARE(p21->pos(), QPoint(126, -134));
  QCOMPARE(p4->pos(), QPoint(282, 207));
}

void ControlsTest::enterAndEscapeActOnTheFirstShownPanel() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ViewState& v = w.State().view;
  QWidget* p4 = Panel(w, "Panel4");
  QWidget* p8 = Panel(w, "Panel8");
  auto open = [&](const char* item) { Find<QAction>(w, item)->trigger(); };

  open("Zmianapooeniaosiobrotu1");
  open("Dugoosiobrotu1");
  SpinText(w)->setText("200");
  QTest::keyClick(&w, Qt::Key_Return);
  QCOMPARE(v.AxisLengthPercent, 200);
  QVERIFY(p4->isHidden());
  QVERIFY(!p8->isHidden());

  open("Dugoosiobrotu1");
  SpinText(w)->setText("50");
  QTest::keyClick(&w, Qt::Key_Escape);
  QCOMPARE(v.AxisLengthPercent, 200);
  QCOMPARE(SpinText(w)->text(), QString("200"));
  QVERIFY(p4->isHidden());
  QVERIFY(!p8->isHidden());
  QVERIFY(v.AxisMoveMode);

  // Then the position panel; with only the key help left, Escape does nothing
  // and Enter closes it.
  open("Klawiszologiaprogram1");
  QTest::keyClick(&w, Qt::Key_Escape);
  QVERIFY(p8->isHidden());
  QVERIFY(!v.AxisMoveMode);
  QWidget* p21 = Panel(w, "Panel21");
  QTest::keyClick(&w, Qt::Key_Escape);
  QVERIFY(!p21->isHidden());
  QTest::keyClick(&w, Qt::Key_Enter, Qt::KeypadModifier);
  QVERIFY(p21->isHidden());
}

void ControlsTest::typedTextOfTheLengthFieldIsReadRaw() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ViewState& v = w.State().view;
  auto* spin = w.ControlsOf().Axis().SpinEdit1();

  // Empty text, Enter in the field: 15.
  Find<QAction>(w, "Dugoosiobrotu1")->trigger();
  spin->setFocus();
  QTRY_VERIFY(spin->hasFocus());
  QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(spin, Qt::Key_Backspace);
  QCOMPARE(SpinText(w)->text(), QString());
  QTest::keyClick(spin, Qt::Key_Return);
  QCOMPARE(v.AxisLengthPercent, 15);
  QVERIFY(Panel(w, "Panel4")->isHidden());
  QVERIFY(w.hasFocus());  // the keys steer the model again

  // A below-range number clicked with the mouse: the focus leaving the field
  // does not correct it first.
  Find<QAction>(w, "Dugoosiobrotu1")->trigger();
  spin->setFocus();
  QTRY_VERIFY(spin->hasFocus());
  QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(spin, "7");
  QTest::mouseClick(Find<QPushButton>(w, "BitBtn1"), Qt::LeftButton);
  QCOMPARE(v.AxisLengthPercent, 15);

  // After the start parameters the field still shows the last accepted value.
  v.AxisLengthPercent = 250;
  Find<QPushButton>(w, "BitBtn2")->click();
  QCOMPARE(SpinText(w)->text(), QString("250"));
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QCOMPARE(v.AxisLengthPercent, 120);
  Find<QAction>(w, "Dugoosiobrotu1")->trigger();
  QCOMPARE(SpinText(w)->text(), QString("250"));
  Find<QPushButton>(w, "BitBtn1")->click();
  QCOMPARE(v.AxisLengthPercent, 250);
}

void ControlsTest::keysSteerTheModelOnlyFromTheWindow() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ViewState& v = w.State().view;
  const double tilt = v.TiltAngle;

  // Modifiers do not change an arrow; the keypad's digits are characters.
  QTest::keyClick(&w, Qt::Key_Down, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(&w, Qt::Key_Down, Qt::AltModifier);
  QVERIFY(Near(v.TiltAngle, tilt + 1.0L));
  QTest::keyClick(&w, Qt::Key_1, Qt::KeypadModifier);
  QCOMPARE(v.EyeX, 66);
  QTest::keyClick(&w, Qt::Key_Z, Qt::ShiftModifier);
  QTest::keyClick(&w, Qt::Key_Underscore, Qt::ShiftModifier);
  QVERIFY(Near(v.SpinStep, 0.81L));

  // While a control of a panel has the focus the keys are its own.
  Find<QAction>(w, "Klawiszologiaprogram1")->trigger();
  QPlainTextEdit* memo = w.ControlsOf().KeyHelp().Memo1();
  memo->setFocus();
  QTRY_VERIFY(memo->hasFocus());
  QTest::keyClick(memo, Qt::Key_Z);
  QTest::keyClick(memo, Qt::Key_Down);
  QVERIFY(Near(v.SpinStep, 0.81L));
  QVERIFY(Near(v.TiltAngle, tilt + 1.0L));
}

void ControlsTest::aWithThePositionPanelCancelsTheMode() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ViewState& v = w.State().view;
  v.Box = {-100.0L, 100.0L, -100.0L, 100.0L, 0.0L, 10.0L};
  v.CentreX = 5.0L;
  v.CentreY = 6.0L;

  QTest::keyClick(&w, Qt::Key_F6, Qt::ShiftModifier);
  QVERIFY(v.AxisMoveMode);
  QTest::keyClick(&w, Qt::Key_Down);
  QTest::keyClick(&w, Qt::Key_Left);
  QCOMPARE(v.CentreX, mv::Real48(7.0L));
  QCOMPARE(v.CentreY, mv::Real48(4.0L));
  QTest::keyClick(&w, Qt::Key_Z);  // "z" still works
  QVERIFY(Near(v.SpinStep, 0.81L));

  // With the focus in the length field, "a" is typed text, not the button.
  Find<QAction>(w, "Dugoosiobrotu1")->trigger();
  auto* spin = w.ControlsOf().Axis().SpinEdit1();
  spin->setFocus();
  QTRY_VERIFY(spin->hasFocus());
  QTest::keyClick(spin, Qt::Key_A);
  QVERIFY(v.AxisMoveMode);
  Find<QPushButton>(w, "BitBtn2")->click();
  QTRY_VERIFY(w.hasFocus());

  QTest::keyClick(&w, Qt::Key_A, Qt::ShiftModifier);
  QVERIFY(!v.AxisMoveMode);
  QVERIFY(Panel(w, "Panel8")->isHidden());
  QCOMPARE(v.CentreX, mv::Real48(5.0L));
  QCOMPARE(v.CentreY, mv::Real48(6.0L));
  QVERIFY(Near(v.SpinStep, 0.81L));

  // With the panel gone, "a" speeds the spin up again.
  QTest::keyClick(&w, Qt::Key_A);
  QVERIFY(Near(v.SpinStep, 1.0L));

  // Alt+A presses the button like a plain A (the button animates its press).
  QTest::keyClick(&w, Qt::Key_F6, Qt::ShiftModifier);
  QTest::keyClick(&w, Qt::Key_A, Qt::AltModifier);
  QTRY_VERIFY(!v.AxisMoveMode);
  QTRY_VERIFY(w.hasFocus());
  QVERIFY(Near(v.SpinStep, 1.0L));
}

void ControlsTest::startParametersWithThePositionPanelOpen() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ViewState& v = w.State().view;
  v.CentreX = 5.0L;
  v.CentreY = 6.0L;
  Find<QAction>(w, "Zmianapooeniaosiobrotu1")->trigger();
  Find<QAction>(w, "Rysujoobrotu1")->trigger();
  QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
  QWidget* p8 = Panel(w, "Panel8");
  QVERIFY(!p8->isHidden());
  QVERIFY(!v.AxisMoveMode);
  // Nothing else in the controls changes.
  QCOMPARE(Find<QAction>(w, "Rysujoobrotu1")->text(), QString::fromUtf8("Rysuj oś obrotu"));
  Find<QPushButton>(w, "BitBtn4")->click();
  QVERIFY(p8->isHidden());
  QCOMPARE(v.CentreX, mv::Real48(0.0L));
  QCOMPARE(v.CentreY, mv::Real48(0.0L));
}

namespace {

QStringList Lines(const QTextDocument* doc) {
  QStringList lines;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines << b.text();
  return lines;
}

// Whether every line of the box is one visual line that fits its width.
QString WrapFault(QPlainTextEdit* memo) {
  const QTextDocument* doc = memo->document();
  if (doc->lineCount() != doc->blockCount())
    return QString("%1 visual lines for %2 lines").arg(doc->lineCount()).arg(doc->blockCount());
  const qreal room = memo->viewport()->width() - 2 * doc->documentMargin();
  const qreal widest = mv::ui::WidestLine(memo->font(), Lines(doc), memo);
  if (widest > room) return QString("the widest line takes %1 px of %2").arg(widest).arg(room);
  return {};
}

}  // namespace

void ControlsTest::keyHelpIsReadOnlyWithUnwrappedLinesAndTheNewKeys() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  Find<QAction>(w, "Klawiszologiaprogram1")->trigger();
  QPlainTextEdit* memo = w.ControlsOf().KeyHelp().Memo1();
  QVERIFY(memo->isVisible());
  QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  // Empty lines at both ends and every blank inside the lines are kept; the
  // keys added since follow under their own heading.
  QTextDocument* doc = memo->document();
  QCOMPARE(doc->blockCount(), mv::ui::KeyHelpLines().size());
  QCOMPARE(doc->findBlockByNumber(2).text(),
           QString::fromUtf8("odpowiedniki w Menu -  dostępne  za  pomocą myszki.  Poniżej   "
                             "przedstawiam "));
  QCOMPARE(doc->findBlockByNumber(38).text(), QString());
  QCOMPARE(doc->findBlockByNumber(40).text().trimmed(),
           QString::fromUtf8("Klawisze dodane w nowszych wersjach:"));

  // Each line is shown whole, in the panel's fixed size, set smaller where
  // the desktop's font runs wide.
  QCOMPARE(memo->geometry(), QRect(16, 40, 417, 361));
  const QString fault = WrapFault(memo);
  QVERIFY2(fault.isEmpty(), qPrintable(fault));
  QVERIFY(!memo->horizontalScrollBar()->isVisible());
  QVERIFY(QFontInfo(memo->font()).pixelSize() >= mv::ui::MinLinePixelSize(memo));
  const QFont fitted = memo->font();
  // Lines added later are fitted too; one too long for any readable size
  // scrolls, and the size comes back when it is gone.
  const QString text = memo->toPlainText();
  memo->appendPlainText(" - 'Ctrl'+'F8' - Nowy klawisz.");
  QCOMPARE(WrapFault(memo), QString());
  memo->appendPlainText(QString("x").repeated(400));
  QCOMPARE(QFontInfo(memo->font()).pixelSize(), mv::ui::MinLinePixelSize(memo));
  QTRY_VERIFY(memo->horizontalScrollBar()->isVisible());
  QCOMPARE(doc->lineCount(), doc->blockCount());
  memo->setPlainText(text);
  QCOMPARE(memo->font(), fitted);
  QTRY_VERIFY(!memo->horizontalScrollBar()->isVisible());

  memo->setFocus();
  QTRY_VERIFY(memo->hasFocus());
  QTest::keyClicks(memo, "xyz");
  QTest::keyClick(memo, Qt::Key_Delete);
  QCOMPARE(memo->toPlainText(), text);
  Find<QPushButton>(w, "BitBtn9")->click();
  QVERIFY(Panel(w, "Panel21")->isHidden());
}

void ControlsTest::aboutBoxKeepsItsPage() {
  MainWindow w(empty_.path().toStdString(), NoBox);
  QVERIFY(Show(w));
  mv::ui::AboutBox& about = w.ControlsOf().About();
  QVERIFY(about.isHidden());
  Find<QAction>(w, "Oprogramie1")->trigger();
  QVERIFY(QTest::qWaitForWindowExposed(&about));
  QCOMPARE(about.size(), QSize(415, 289));
  QVERIFY(!about.isModal());
  QVERIFY(about.DetailsPage()->isHidden());

  about.findChild<QPushButton*>("BitBtn2")->click();
  QVERIFY(!about.DetailsPage()->isHidden());
  about.close();  // as by the close box
  QVERIFY(about.isHidden());
  Find<QAction>(w, "Oprogramie1")->trigger();
  QVERIFY(QTest::qWaitForWindowExposed(&about));
  QVERIFY(!about.DetailsPage()->isHidden());
  QTRY_VERIFY(about.isActiveWindow());

  // Choosing it again while open changes nothing but the stacking.
  w.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&w));
  Find<QAction>(w, "Oprogramie1")->trigger();
  QTRY_VERIFY(about.isActiveWindow());
  QVERIFY(!about.DetailsPage()->isHidden());

  about.findChild<QPushButton*>("BitBtn1")->click();
  QVERIFY(about.isHidden());

  // Escape closes it as OK does, as it closes the other boxes.
  Find<QAction>(w, "Oprogramie1")->trigger();
  QTRY_VERIFY(about.isActiveWindow());
  QTest::keyClick(&about, Qt::Key_Escape);
  QVERIFY(about.isHidden());
}

void ControlsTest::findDialogEnterFindsAtOnceOrOffersAChoice_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<QString>("found");    // one of its names; empty: the dialog stays open
  QTest::addColumn<QString>("message");  // non-empty: several match, the second is chosen
  QTest::newRow("a whole name, the completion list open") << "zimna.glowny.c40"
                                                          << "zimna.glowny.c40"
                                                          << "";
  QTest::newRow("an entrance's name for a station of another") << "zimna.glowny.c1"
                                                               << "otwor_zimna_polnocny"
                                                               << "";
  QTest::newRow("the last part of two") << "c130"
                                        << "czarna.glowny.c130"
                                        << "Pasujące stacje: 2";
  QTest::newRow("no such name") << "zzz"
                                << ""
                                << "Nie ma stacji „zzz”.";
}

void ControlsTest::findDialogEnterFindsAtOnceOrOffersAChoice() {
  QFETCH(QString, typed);
  QFETCH(QString, found);
  QFETCH(QString, message);
  const mv::LoadResult load =
      mv::LoadSurveySource(std::filesystem::path(MV_SURVEX_DIR) / "jaskinie_all.3d");
  mv::ui::FindStationDialog dialog(load.model);
  dialog.show();
  dialog.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&dialog));
  // The completion list shows whole names, the longest too.
  QWidget* popup = dialog.Field()->completer()->popup();
  QVERIFY(popup->minimumWidth() >=
          popup->fontMetrics().horizontalAdvance("mietusia_wyznia.problem_speleoklubu.13"));
  QTest::keyClicks(dialog.Field(), typed);
  if (dialog.Field()->completer()->completionCount() > 0) QTRY_VERIFY(popup->isVisible());
  // One Enter, to the list of names where it is open.
  QTest::keyClick(popup->isVisible() ? popup : dialog.Field(), Qt::Key_Return);
  QCOMPARE(dialog.Message()->text().left(message.size()), message);
  if (!message.isEmpty() && !found.isEmpty()) {
    QCOMPARE(dialog.Choices()->count(), 2);
    QTest::keyClick(dialog.Choices(), Qt::Key_Down);
    QTest::keyClick(dialog.Choices(), Qt::Key_Return);
  }
  QCOMPARE(dialog.isHidden(), !found.isEmpty());
  if (found.isEmpty()) return;
  const auto names = mv::ui::NamesOfStation(load.model, dialog.Found());
  QVERIFY(std::find(names.begin(), names.end(), found.toStdString()) != names.end());
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
