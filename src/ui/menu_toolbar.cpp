#include "ui/menu_toolbar.h"

#include <QAction>
#include <QActionGroup>
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

// Sunken groups on the toolbar strip, 29 high at top 2; a button's group
// number counts from 1.
constexpr GroupRow kGroups[] = {{"Panel2", 136, 81}, {"Panel3", 225, 114}, {"Panel7", 346, 115}};

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
  Item(file_, Command::OpenSurvey);
  Item(file_, Command::SavePicture);
  Item(file_, Command::SaveAnimation);
  Item(file_, Command::SaveDrawing);
  // Filled by the window with the surveys opened last.
  recent_ = NamedMenu(file_, "Ostatniootwierane1", "Ostatnio otwierane");
  file_->addAction(" ")->setObjectName("N4");  // an empty entry that does nothing
  Separator(file_, "N1");
  Item(file_, Command::Zamknij1);

  object_ = NamedMenu(bar, "Obiekt1", "&Obiekt");
  QMenu* lines = NamedMenu(object_, "Liniepomiarowe1", "Linie pomiarowe");
  Item(lines, Command::Rysujliniepomiarowe1);
  Item(lines, Command::Kolorliniipomiarowych1);
  Item(lines, Command::DepthColours);
  // Each kind of leg is shown, faded or hidden: one checked item of three.
  QMenu* splays = NamedMenu(lines, "Odnogi1", "Odnogi");
  Choice(splays, {Command::SplaysShown, Command::SplaysFaded, Command::SplaysHidden});
  QMenu* surface = NamedMenu(lines, "Nogipowierzchniowe1", "Nogi powierzchniowe");
  Choice(surface,
         {Command::SurfaceLegsShown, Command::SurfaceLegsFaded, Command::SurfaceLegsHidden});
  Item(object_, Command::Zaznaczotworyobiektu1);
  Item(object_, Command::MapOverlays);
  Item(object_, Command::Walls);
  Item(object_, Command::SurveyTree);
  object_->addSeparator();
  Item(object_, Command::FitView);
  Item(object_, Command::ShowPlan);
  Item(object_, Command::ShowElevation);
  object_->addSeparator();
  Item(object_, Command::StationNames);
  Item(object_, Command::FindStation);
  Item(object_, Command::CopyPick);
  Separator(object_, "N3");
  Item(object_, Command::Powrtdoparametrwstartowych1);

  QMenu* extras = NamedMenu(bar, "Dodatki1", "&Dodatki");
  QMenu* axis = NamedMenu(extras, "Oobrotu1", "Oś obrotu");
  Item(axis, Command::Rysujoobrotu1);
  Item(axis, Command::Kolorosiobrotu1);
  Item(axis, Command::Dugoosiobrotu1);
  Item(axis, Command::Zmianapooeniaosiobrotu1);
  QMenu* scale = NamedMenu(extras, "Skalasymulacji1", "Skala symulacji");
  Item(scale, Command::Nierysujskalisymulacji1);
  Item(scale, Command::Kolorskalisymulacji1);
  Separator(scale, "N2");
  Item(scale, Command::Nierysujpodziaki1);
  Item(extras, Command::Rawiatrw1);
  extras->addSeparator();
  Item(extras, Command::Statistics);
  Item(extras, Command::Connections);

  QMenu* help = NamedMenu(bar, "Pomoc1", "Pomoc");
  Item(help, Command::Klawiszologiaprogram1);
  Separator(help, "N5");
  Item(help, Command::Oprogramie1);

  // Keys without a menu item.
  Item(nullptr, Command::FullScreen, window);
  Item(nullptr, Command::CycleSplays, window);
  Item(nullptr, Command::CycleSurfaceLegs, window);

  BuildToolbar(strip);
}

QAction* MenuToolbar::Item(QMenu* menu, Command c, QWidget* window) {
  const CommandRow& row = CommandRowOf(c);
  const char* caption = row.toggle ? ToggleRowOf(*row.toggle).startCaption : row.caption;
  QAction* action = nullptr;
  if (menu) {
    action = menu->addAction(QString::fromUtf8(caption));
  } else {
    action = new QAction(window);
    window->addAction(action);
  }
  action->setObjectName(row.objectName);
  if (row.toggle && ToggleRowOf(*row.toggle).checkmark) action->setCheckable(true);
  QList<QKeySequence> keys;
  for (const int key : {row.key, SecondKeyOf(c)})
    if (key) keys << QKeySequence(key);
  action->setShortcuts(keys);
  QObject::connect(action, &QAction::triggered, action, [this, c] { run_(c); });
  actions_[Index(c)] = action;
  return action;
}

void MenuToolbar::Choice(QMenu* menu, std::initializer_list<Command> items) {
  auto* group = new QActionGroup(menu);
  group->setExclusive(true);
  for (const Command c : items) {
    QAction* action = Item(menu, c);
    action->setCheckable(true);
    group->addAction(action);
  }
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
  for (const CommandRow& row : AllCommands()) {
    const ToolbarSlot& slot = row.button;
    if (slot.group == 0) continue;
    auto* button = new QToolButton(groups[slot.group - 1]);
    button->setObjectName(slot.name);
    button->setGeometry(slot.left, 2, kButtonSize, kButtonSize);
    button->setIconSize(QSize(kGlyphSize, kGlyphSize));
    button->setIcon(GlyphIcon(slot.glyph, kGlyphSize));
    button->setToolTip(
        QString::fromUtf8(row.toggle ? ToggleRowOf(*row.toggle).startHint : slot.hint));
    // The keys belong to the model, not to the buttons.
    button->setFocusPolicy(Qt::NoFocus);
    const Command c = row.id;
    QObject::connect(button, &QToolButton::clicked, button, [this, c] { run_(c); });
    buttons_[Index(c)] = button;
  }
}

void MenuToolbar::SetTexts(Command c, const QString& caption, const QString& hint, bool enabled,
                           bool checked) {
  if (QAction* a = Action(c)) {
    a->setText(caption);
    a->setEnabled(enabled);
    if (a->isCheckable()) a->setChecked(checked);
  }
  if (QToolButton* b = Button(c)) {
    b->setToolTip(hint);
    b->setEnabled(enabled);
  }
}

}  // namespace mv::ui
