#include "ui/key_help.h"

#include <QFrame>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/command_table.h"
#include "ui/commands.h"
#include "ui/panel_parts.h"

namespace mv::ui {

namespace {

// The program's original text of the panel, line by line, blanks included.
const char* const kKeyHelpLines[] = {
    "",
    "    Program wykorzystuje aktywnie 29 klawiszy klawiatury. Większość ma swoje",
    "odpowiedniki w Menu -  dostępne  za  pomocą myszki.  Poniżej   przedstawiam ",
    "funkcje każdego z nich:",
    "______________________________________________________________",
    "                Klawisze sterujące ruchem trójwymiarowego planu jaskini:",
    " - 'A' -  Klawisz  zwiększający stopień  obrotu  w  prawo.  ",
    " - 'Z' - Klawisz zmniejszający stopień obrotu w prawo. ",
    " - SpaceBar - Zatrzymanie obrotu jaskinii. ",
    " - Kursor 'Góra' - Zwiększa pochylenie obiektu wględem poziomu.",
    " - Kursor 'Dół' - Zmniejsza pochylenie obiektu wględem poziomu.",
    " - Kursor 'Lewo' - Obrót w lewo (przy nieruchomym obiekcie - spacebar).",
    " - Kursor 'Prawo' - Obrót w prawo (przy nieruchomym obiekcie - spacebar).",
    " - '-' -  Zmiejszenie obiektu.",
    " - '+' - Powiększenie obiektu.",
    " - '8' na klawiaturze numerycznej - Przesunięcie obrazu do góry.",
    " - '5' na klawiaturze numerycznej - Przesunięcie obrazu w dół.",
    " - '4' na klawiaturze numerycznej - Przesunięcie obrazu w lewo.",
    " - '6' na klawiaturze numerycznej - Przesunięcie obrazu w prawo.",
    " - '1' na klawiaturze numerycznej - Oddalenie obiektu .",
    " - '2' na klawiaturze numerycznej - Przybliżenie obiektu.",
    "______________________________________________________________",
    "                Inne klawisze:",
    " - 'Ctrl'+'Q' - wyjście z programu.",
    " - 'F10' - Wejście do Menu z klawiatury.",
    " - 'Ctrl'+'L' - Włączenie / wyłączenie rysowania linii pomiarowych.",
    " - 'Ctrl'+'D' - Włączenie /wyłączenie rysowania skali jaskini.",
    " - 'Ctrl'+'I' - Włączenie /wyłączenie rysowania osi obrotu.",
    " - 'Ctrl'+'R' - Włączenie /wyłączenie rysowania róży wiatrów.",
    " - 'Ctrl'+'F7' - Włączenie /wyłączenie rysowania podziałki liczbowej.",
    " - 'Ctrl'+'E' - Włączenie /wyłączenie rysowania otworów jaskini.",
    " - 'Ctrl'+'F6' - Włączenie /wyłączenie trybu zmiany położenia osi obrotu.",
    " - 'Ctrl'+'F6'+'Schift' - Zmiana długości osi obrotu.",
    " - 'F5' - Kolor linii pomiarowych.",
    " - 'F6' - Kolor linii osi obrotu.",
    " - 'F7' - Kolor linii skali i podziałki.",
    " - 'Ctrl'+'O' - Otworzenie danych jaskiniowych.",
    "",
    "",
};

// Under a heading of their own after the original text: the keys of the
// commands added since, from the command table, then the mouse.
const char* const kAddedKeysHeading[] = {
    "______________________________________________________________",
    "                Klawisze dodane w nowszych wersjach:",
};
const char* const kMouseLines[] = {
    " - Mysz: lewy przycisk - obrót i pochylenie, prawy - przesunięcie,",
    "   kółko - powiększenie i zmniejszenie.",
    " - Kliknięcie stacji - jej nazwa, położenie i głębokość u dołu obrazu;",
    "   'Shift'+kliknięcie drugiej - odległość między nimi.",
    "",
};

// "'Ctrl'+'O'": the command's key combination, or the key named after the
// tab in its caption, each key in quotes.
QString KeyName(const CommandRow& row) {
  const QString keys = row.key != 0 ? QKeySequence(row.key).toString(QKeySequence::PortableText)
                                    : QString::fromUtf8(row.caption).section('\t', 1);
  QStringList quoted;
  for (const QString& key : keys.split('+')) quoted << "'" + key + "'";
  return quoted.join('+');
}

}  // namespace

QStringList KeyHelpLines() {
  QStringList lines;
  for (const char* line : kKeyHelpLines) lines << QString::fromUtf8(line);
  for (const char* line : kAddedKeysHeading) lines << QString::fromUtf8(line);
  for (const CommandRow& row : AllCommands())
    if (row.keyHelp)
      lines << QString(" - %1 - %2").arg(KeyName(row), QString::fromUtf8(row.keyHelp));
  for (const char* line : kMouseLines) lines << QString::fromUtf8(line);
  return lines;
}

KeyHelpPanel::KeyHelpPanel(QWidget* overlay, QWidget* window) : window_(window) {
  panel21_ = MakePanel(overlay, "Panel21", kPanel21Width, kPanel21Height);
  panel21_->move(144, 512);
  MakeLabel(panel21_, "Label19", "Klawisze funkcyjne programu:", {122, 8, 169, 13}, true);
  MakeSeparator(panel21_, "Panel22", {8, 24, 433, 2});
  memo1_ = MakeMemo(panel21_, "Memo1", {16, 40, 417, 361}, KeyHelpLines());
  MakeSeparator(panel21_, "Panel23", {8, 408, 433, 2});
  QPushButton* ok = MakeBitBtn(panel21_, "BitBtn9", "OK", {288, 416, 137, 25}, Glyph::Ok);
  QObject::connect(ok, &QPushButton::clicked, panel21_, [this] { BitBtn9Click(); });
}

void KeyHelpPanel::Klawiszologiaprogram1Click(int w, int h) {
  ShowPanel(panel21_);
  Place(w, h);
}

void KeyHelpPanel::BitBtn9Click() {
  HidePanel(panel21_, window_);
}

void KeyHelpPanel::Place(int w, int h) {
  if (panel21_->isHidden()) return;
  const PanelPlace p = Panel21At(w, h);
  panel21_->move(p.left, p.top);
}

}  // namespace mv::ui
