#include "ui/controls.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
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
#include "view/picking.h"

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

// The decimal mark of the user's locale, which their spreadsheet reads
// (QLocale's default is the system's); a dot where the mark is not one
// ASCII character.
char SpreadsheetDecimalPoint() {
  const QString mark = QLocale().decimalPoint();
  return mark.size() == 1 && mark[0].unicode() < 0x80 ? static_cast<char>(mark[0].unicode()) : '.';
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
    const Rgb preset = SplitColour(dialog.selection);
    const std::optional<QColor> c = chooser(QColor(preset.r, preset.g, preset.b), host.Window());
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
                      QString::fromStdString(texts.hint), texts.enabled);
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
  Impl& d = *d_;
  ViewState& v = d.View();
  ControlTexts& t = d.host.State().texts;
  const QSize outer = d.host.OuterSize();
  if (const std::optional<Toggle> toggle = CommandRowOf(c).toggle) {
    ClickToggle(*toggle, v, t);
    SyncTexts();
    return;
  }
  if (const std::optional<LegChoice> choice = LegChoiceOf(c)) {
    v.*choice->kind = choice->show;
    SyncTexts();
    return;
  }
  switch (c) {
    case Command::Zamknij1:
      d.host.Close();
      return;
    case Command::Kolorliniipomiarowych1:
      d.ChooseColour(d.dialogs.ColorDialog1, v.LineColor);
      return;
    case Command::Kolorosiobrotu1:
      d.ChooseColour(d.dialogs.ColorDialog2, v.AxisColor);
      return;
    case Command::Kolorskalisymulacji1:
      d.ChooseColour(d.dialogs.ColorDialog3, v.ScaleColor);
      return;
    case Command::Powrtdoparametrwstartowych1:
      // The loader writes the survey-lines texts and shows them itself.
      Powrtdoparametrwstartowych1Click(v, [&d] { d.host.Reload(); });
      return;
    case Command::Dugoosiobrotu1:
      d.axis.Dugoosiobrotu1Click();
      return;
    case Command::Zmianapooeniaosiobrotu1:
      d.axis.Zmianapooeniaosiobrotu1Click();
      return;
    case Command::Klawiszologiaprogram1:
      d.keyHelp.Klawiszologiaprogram1Click(outer.width(), outer.height());
      return;
    case Command::Oprogramie1:
      d.about.Oprogramie1Click();
      return;
    case Command::OpenSurvey:
      d.host.OpenSurvey();
      return;
    case Command::SavePicture:
      d.host.SavePicture();
      return;
    case Command::SaveAnimation:
      d.host.SaveAnimation();
      return;
    case Command::SaveDrawing:
      d.host.SaveDrawing();
      return;
    case Command::FullScreen:
      d.host.ToggleFullScreen();
      return;
    case Command::FitView:
      d.host.FitView();
      return;
    case Command::ShowPlan:
      ShowPlan(v);
      return;
    case Command::CycleSplays:
      CycleSplays(v);
      SyncTexts();
      return;
    case Command::CycleSurfaceLegs:
      CycleSurfaceLegs(v);
      SyncTexts();
      return;
    case Command::ShowElevation:
      ShowElevation(v);
      return;
    case Command::FindStation:
      if (const std::optional<int32_t> row = d.asker(d.host.State().survey, d.host.Window())) {
        // Picked as a click would, and the model spins about it.
        const SurveyModel& m = d.host.State().survey;
        PickStation(v, *row, false);
        v.CentreX = m.X(*row);
        v.CentreY = m.Y(*row);
      }
      return;
    case Command::CopyPick: {
      const std::string text = PickClipboardText(d.host.State().survey, v.PickedFirst,
                                                 v.PickedSecond, SpreadsheetDecimalPoint());
      if (text.empty()) {
        d.host.ShowNote("Nie wskazano stacji do skopiowania: najpierw kliknij stację na rysunku.");
        return;
      }
      QGuiApplication::clipboard()->setText(QString::fromStdString(text));
      return;
    }
    default:  // the toggles, above
      return;
  }
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
