#include "ui/controls.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QColorDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "ui/about_box.h"
#include "ui/axis_panels.h"
#include "ui/key_actions.h"
#include "ui/key_help.h"
#include "ui/station_finder.h"

namespace mv::ui {

namespace {

std::optional<int32_t> AskForStation(const SurveyModel& m, QWidget* parent) {
  FindStationDialog dialog(m, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Found();
}

std::optional<QColor> SystemColourChooser(const QColor& preset, QWidget* parent) {
  const QColor c = QColorDialog::getColor(preset, parent, "Kolor");
  if (!c.isValid()) return std::nullopt;
  return c;
}

// Whether the widget with the focus takes typed characters; a read-only text
// box does too, it only ignores them.
bool TakesText(const QWidget* w) {
  return qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QLineEdit*>(w) ||
         qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w);
}

int VirtualKeyOf(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Left:
      return kVkLeft;
    case Qt::Key_Up:
      return kVkUp;
    case Qt::Key_Right:
      return kVkRight;
    case Qt::Key_Down:
      return kVkDown;
    default:
      return 0;
  }
}

}  // namespace

struct Controls::Impl {
  Impl(Controls& owner, Host& h)
      : host(h),
        menu(h.Window(), h.ToolbarStrip(), [&owner](Command c) { owner.Run(c); }),
        axis(h),
        keyHelp(h.Overlay(), h.Window()) {}

  ViewState& View() { return host.State().view; }

  void ChooseColour(ColourDialog& dialog, Rgb& target) {
    const std::optional<QColor> c =
        chooser(QColor(QRgb(Rgb24(SplitColour(dialog.selection)))), host.Window());
    std::optional<ColourValue> chosen;
    if (c && c->isValid()) chosen = JoinColour({c->red(), c->green(), c->blue()});
    ApplyColourChoice(dialog, target, chosen);
  }

  // Enter presses the default button, Escape the cancel button, of the first
  // shown panel that has one.
  bool DialogKey(bool escape) {
    const bool lengthShown = !axis.Panel4()->isHidden();
    const bool positionShown = !axis.Panel8()->isHidden();
    const bool helpShown = !keyHelp.Panel21()->isHidden();
    if (lengthShown) {
      escape ? axis.BitBtn2Click() : axis.BitBtn1Click();
    } else if (positionShown) {
      escape ? axis.BitBtn4Click() : axis.BitBtn3Click();
    } else if (helpShown && !escape) {
      keyHelp.BitBtn9Click();
    } else {
      return false;
    }
    return true;
  }

  Host& host;
  MenuToolbar menu;
  AxisPanels axis;
  KeyHelpPanel keyHelp;
  AboutBox about;
  ColourDialogs dialogs;
  ColourChooser chooser = SystemColourChooser;
  StationAsker asker = AskForStation;
  CommandScope scope{host,
                     axis,
                     keyHelp,
                     about,
                     dialogs,
                     [this](ColourDialog& dialog, Rgb& target) { ChooseColour(dialog, target); },
                     [this](const SurveyModel& m, QWidget* parent) { return asker(m, parent); }};
};

Controls::Controls(Host& host) : d_(std::make_unique<Impl>(*this, host)) {
  // F10 enters the menu bar from the keyboard, wherever the focus is.
  auto* menuKey = new QAction(host.Window());
  menuKey->setObjectName("MenuKey");
  menuKey->setShortcut(QKeySequence(Qt::Key_F10));
  host.Window()->addAction(menuKey);
  QObject::connect(menuKey, &QAction::triggered, menuKey, [this] {
    d_->host.Window()->menuBar()->setActiveAction(d_->menu.FileMenu()->menuAction());
  });
  SyncTexts();
}

Controls::~Controls() = default;

void Controls::SyncTexts() {
  const ControlTexts& t = d_->host.State().texts;
  for (const CommandRow& row : AllCommands()) {
    if (!row.toggle) continue;
    const ToggleTexts& texts = t[*row.toggle];
    d_->menu.SetTexts(row.id, QString::fromStdString(texts.caption),
                      QString::fromStdString(texts.hint), texts.enabled, texts.checked);
  }
  const ViewState& v = d_->host.State().view;
  for (const CommandRow& row : AllCommands())
    if (const std::optional<LegChoice> choice = LegChoiceOf(row.id))
      d_->menu.Action(row.id)->setChecked(v.*choice->kind == choice->show);
}

void Controls::PlacePanels(int w, int h) {
  d_->axis.Place(w, h);
  d_->keyHelp.Place(w, h);
}

bool Controls::KeyPress(QKeyEvent* e) {
  QWidget* window = d_->host.Window();
  QWidget* focus = QApplication::focusWidget();
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  const int key = e->key();

  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape)
    return mods == Qt::NoModifier && d_->DialogKey(key == Qt::Key_Escape);

  // The A of "&Anuluj" on the axis-position panel, typed where no text goes.
  if (key == Qt::Key_A && !(mods & ~(Qt::ShiftModifier | Qt::AltModifier)) &&
      !d_->axis.Panel8()->isHidden() && !TakesText(focus)) {
    d_->axis.BitBtn4Click();
    return true;
  }

  // While a control of a panel has the focus, the keys are its own.
  if (focus && focus != window && window->isAncestorOf(focus)) return false;

  if (const int vk = VirtualKeyOf(key)) return FormKeyDown(d_->View(), vk);

  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  const QString text = e->text();
  if (text.size() != 1 || text[0].unicode() >= 0x80) return false;
  return FormKeyPress(d_->View(), static_cast<char>(text[0].unicode()));
}

void Controls::Run(Command c) {
  const CommandRow& row = CommandRowOf(c);
  if (row.toggle) {
    ClickToggle(*row.toggle, d_->View(), d_->host.State().texts);
    SyncTexts();
    return;
  }
  row.action(d_->scope);
  // The checked items of the splays and the surface legs follow their states.
  if (LegChoiceOf(c) || c == Command::CycleSplays || c == Command::CycleSurfaceLegs) SyncTexts();
}

void Controls::SetStationAsker(StationAsker asker) {
  d_->asker = std::move(asker);
}

void Controls::SetColourChooser(ColourChooser chooser) {
  d_->chooser = std::move(chooser);
}
const ColourDialogs& Controls::Dialogs() const {
  return d_->dialogs;
}
MenuToolbar& Controls::Menu() {
  return d_->menu;
}
AxisPanels& Controls::Axis() {
  return d_->axis;
}
KeyHelpPanel& Controls::KeyHelp() {
  return d_->keyHelp;
}
AboutBox& Controls::About() {
  return d_->about;
}

}  // namespace mv::ui
