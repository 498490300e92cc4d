#include "ui/menu_toolbar.h"

#include <QAction>
#include <QFrame>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>

#include "ui/glyphs.h"
#include "ui/panel_parts.h"

namespace mv::ui {

namespace {

constexpr int kButtonSize = 25;
constexpr int kGlyphSize = 20;

struct GroupRow {
  const char* name;
  int left;
  int width;
};

// Sunken groups on the toolbar strip, 29 high at top 2.
constexpr GroupRow kGroups[] = {{"Panel2", 136, 81}, {"Panel3", 225, 114}, {"Panel7", 346, 115}};

struct ButtonRow {
  int group;  // index into kGroups
  const char* name;
  int left;
  Command command;
  Glyph glyph;
  const char* hint;  // the start hint
};

constexpr ButtonRow kButtons[] = {
    {0, "SpeedButton2", 2, Command::Rysujliniepomiarowe1, Glyph::Lines,
     "Nie rysuj linii pomiarowych"},
    {0, "SpeedButton12", 28, Command::Zaznaczotworyobiektu1, Glyph::Entrances,
     "Nie pokazuj otworów obiektu"},
    {0, "SpeedButton3", 54, Command::Kolorliniipomiarowych1, Glyph::LineColour,
     "Kolor linii pomiarowych"},
    {1, "SpeedButton4", 2, Command::Rysujoobrotu1, Glyph::Axis, "Nie rysuj osi obrotu"},
    {1, "SpeedButton5", 30, Command::Kolorosiobrotu1, Glyph::AxisColour, "Kolor osi obrotu"},
    {1, "SpeedButton8", 58, Command::Dugoosiobrotu1, Glyph::AxisLength, "Długość osi"},
    {1, "SpeedButton9", 86, Command::Zmianapooeniaosiobrotu1, Glyph::AxisPosition,
     "Zmiana położenia osi"},
    {2, "SpeedButton6", 2, Command::Nierysujskalisymulacji1, Glyph::Scale,
     "Nie rysuj skali symulacji"},
    {2, "SpeedButton11", 30, Command::Nierysujpodziaki1, Glyph::Graduation, "Nie rysuj podziałki"},
    {2, "SpeedButton7", 58, Command::Kolorskalisymulacji1, Glyph::ScaleColour,
     "Kolor skali symulacji"},
    {2, "SpeedButton10", 86, Command::Rawiatrw1, Glyph::WindRose, "Nie rysuj róży wiatrów"},
};

// A menu of the menu bar or a submenu; the menu and its item share the name.
template <typename Parent>
QMenu* NamedMenu(Parent* parent, const char* name, const QString& caption) {
  QMenu* menu = parent->addMenu(caption);
  menu->setObjectName(name);
  menu->menuAction()->setObjectName(name);
  return menu;
}

void Separator(QMenu* menu, const char* name) {
  menu->addSeparator()->setObjectName(name);
}

}  // namespace

MenuToolbar::MenuToolbar(QMainWindow* window, QWidget* strip, Runner run) : run_(std::move(run)) {
  QMenuBar* bar = window->menuBar();
  bar->setObjectName("MainMenu1");

  file_ = NamedMenu(bar, "Plik1", "&Plik");
  n4_ = file_->addAction(" ");  // an empty entry that does nothing
  n4_->setObjectName("N4");
  Separator(file_, "N1");
  Item(file_, Command::Zamknij1, "Zamknij1", "&Zamknij", QKeySequence(Qt::CTRL | Qt::Key_Q));

  object_ = NamedMenu(bar, "Obiekt1", "&Obiekt");
  QMenu* lines = NamedMenu(object_, "Liniepomiarowe1", "Linie pomiarowe");
  Item(lines, Command::Rysujliniepomiarowe1, "Rysujliniepomiarowe1", "Nie rysuj linii pomiarowych",
       QKeySequence(Qt::CTRL | Qt::Key_L));
  Item(lines, Command::Kolorliniipomiarowych1, "Kolorliniipomiarowych1", "Kolor linii pomiarowych",
       QKeySequence(Qt::Key_F5));
  Item(object_, Command::Zaznaczotworyobiektu1, "Zaznaczotworyobiektu1",
       "Nie pokazuj otworów obiektów", QKeySequence(Qt::CTRL | Qt::Key_E));
  Separator(object_, "N3");
  Item(object_, Command::Powrtdoparametrwstartowych1, "Powrtdoparametrwstartowych1",
       "Powrót do parametrów startowych", QKeySequence(Qt::CTRL | Qt::Key_S));

  QMenu* extras = NamedMenu(bar, "Dodatki1", "&Dodatki");
  QMenu* axis = NamedMenu(extras, "Oobrotu1", "Oś obrotu");
  Item(axis, Command::Rysujoobrotu1, "Rysujoobrotu1", "Nie rysuj osi obrotu",
       QKeySequence(Qt::CTRL | Qt::Key_I));
  Item(axis, Command::Kolorosiobrotu1, "Kolorosiobrotu1", "Kolor osi obrotu",
       QKeySequence(Qt::Key_F6));
  Item(axis, Command::Dugoosiobrotu1, "Dugoosiobrotu1", "Długość osi obrotu",
       QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F6));
  Item(axis, Command::Zmianapooeniaosiobrotu1, "Zmianapooeniaosiobrotu1",
       "Zmiana położenia osi obrotu", QKeySequence(Qt::SHIFT | Qt::Key_F6));
  QMenu* scale = NamedMenu(extras, "Skalasymulacji1", "Skala symulacji");
  Item(scale, Command::Nierysujskalisymulacji1, "Nierysujskalisymulacji1",
       "Nie rysuj skali symulacji", QKeySequence(Qt::CTRL | Qt::Key_D));
  Item(scale, Command::Kolorskalisymulacji1, "Kolorskalisymulacji1", "Kolor skali symulacji",
       QKeySequence(Qt::Key_F7));
  Separator(scale, "N2");
  Item(scale, Command::Nierysujpodziaki1, "Nierysujpodziaki1", "Nie rysuj podziałki",
       QKeySequence(Qt::CTRL | Qt::Key_F7));
  Item(extras, Command::Rawiatrw1, "Rawiatrw1", "Róża wiatrów", QKeySequence(Qt::CTRL | Qt::Key_R));

  QMenu* help = NamedMenu(bar, "Pomoc1", "Pomoc");
  Item(help, Command::Klawiszologiaprogram1, "Klawiszologiaprogram1", "Klawiszologia programu",
       QKeySequence());
  Separator(help, "N5");
  Item(help, Command::Oprogramie1, "Oprogramie1", "O programie", QKeySequence());

  BuildToolbar(strip);
}

QAction* MenuToolbar::Item(QMenu* menu, Command c, const char* name, const QString& caption,
                           const QKeySequence& shortcut) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(shortcut);
  QObject::connect(action, &QAction::triggered, action, [this, c] { run_(c); });
  actions_[Index(c)] = action;
  return action;
}

void MenuToolbar::BuildToolbar(QWidget* strip) {
  UseButtonFace(strip);
  QFrame* groups[std::size(kGroups)];
  for (size_t i = 0; i < std::size(kGroups); ++i) {
    auto* group = new QFrame(strip);
    group->setObjectName(kGroups[i].name);
    group->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    group->setGeometry(kGroups[i].left, 2, kGroups[i].width, 29);
    groups[i] = group;
  }
  for (const ButtonRow& row : kButtons) {
    auto* button = new QToolButton(groups[row.group]);
    button->setObjectName(row.name);
    button->setGeometry(row.left, 2, kButtonSize, kButtonSize);
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    button->setIcon(GlyphIcon(row.glyph, kGlyphSize));
    button->setToolTip(row.hint);
    // The keys belong to the model, not to the buttons.
    button->setFocusPolicy(Qt::NoFocus);
    const Command c = row.command;
    QObject::connect(button, &QToolButton::clicked, button, [this, c] { run_(c); });
    buttons_[Index(c)] = button;
  }
}

void MenuToolbar::SetTexts(Command c, const QString& caption, const QString& hint, bool enabled) {
  if (QAction* a = Action(c)) {
    a->setText(caption);
    a->setEnabled(enabled);
  }
  if (QToolButton* b = Button(c)) {
    b->setToolTip(hint);
    b->setEnabled(enabled);
  }
}

}  // namespace mv::ui
