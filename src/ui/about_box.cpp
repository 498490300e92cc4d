#include "ui/about_box.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include "mv_version.h"
#include "ui/panel_parts.h"

namespace mv::ui {

namespace {

constexpr int kClientWidth = 415;
constexpr int kClientHeight = 289;

const char* const kDetailsLines[] = {
    "Program powstał z myślą o grotołazach, którzy chcą",
    "obejrzeć plan jaskini jako obracający się model.",
    "Został napisany w wolnych chwilach jako pomoc przy",
    "opracowywaniu wyników pomiarów.",
    "Kod źródłowy programu można przekazywać dalej,",
    "aby wprowadzać własne poprawki i dostosowywać go",
    "do innych jaskiń.",
    "Dane pomiarowe pochodzą z kilkuletnich wypraw",
    "do jaskini Morvalka Vendra.",
    "",
    "Pytania i uwagi prosimy kierować do autora,",
    "na adres podany w dokumentacji programu.",
    "Życzymy przyjemnego korzystania z programu!",
};

// A serif title face: Times New Roman, or a face cut to the same widths.
QFont TitleFont(int pixels) {
  QFont f;
  f.setFamilies(
      {"Times New Roman", "Liberation Serif", "Tinos", "Nimbus Roman", "DejaVu Serif Condensed"});
  f.setStyleHint(QFont::Serif);
  f.setPixelSize(pixels);
  f.setBold(true);
  return f;
}

// A title label in its place. Where the face found runs wider than Times New
// Roman, the text is set a little smaller so the lines keep clear of each other.
QLabel* TitleLabel(QWidget* parent, const char* name, const QString& text, QRect r, int pixels) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  QFont f = TitleFont(pixels);
  while (pixels > 8 && QFontMetrics(f).horizontalAdvance(text) > r.width()) {
    f.setPixelSize(--pixels);
  }
  label->setFont(f);
  label->setGeometry(r);
  return label;
}

}  // namespace

AboutBox::AboutBox() : QDialog(nullptr) {
  setObjectName("Form2");
  setWindowTitle("O programie ....");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
  setFont(PanelFont());
  setFixedSize(kClientWidth, kClientHeight);

  auto* image1 = new QLabel(this);
  image1->setObjectName("Image1");
  image1->setGeometry(32, 36, 41, 37);
  image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image1->setPixmap(DrawGlyph(Glyph::AboutIcon, 32));

  TitleLabel(this, "Label1", "Jaskinia ", {88, 16, 133, 40}, 35);
  TitleLabel(this, "Label5", "Morvalka", {88, 56, 259, 40}, 35);
  TitleLabel(this, "Label8", "Vendra", {88, 96, 89, 40}, 35);
  TitleLabel(this, "Label2", "- Symulacja 3D", {194, 104, 179, 31}, 27);
  TitleLabel(this, "Label6", QString("Wersja %1").arg(kVersion), {88, 144, 72, 19}, 16);
  TitleLabel(this, "Label7", "Opracowanie: zespół autorów", {88, 168, 212, 19}, 16);
  MakeSeparator(this, "Panel1", {8, 200, 393, 2});
  TitleLabel(this, "Label3", "", {24, 208, 363, 15}, 13);

  QPushButton* more = MakeBitBtn(this, "BitBtn2", "Więcej ", {176, 240, 99, 25}, Glyph::More);
  QPushButton* ok = MakeBitBtn(this, "BitBtn1", "OK", {296, 240, 105, 25}, Glyph::Ok);
  ok->setDefault(true);
  connect(more, &QPushButton::clicked, this, &AboutBox::BitBtn2Click);
  connect(ok, &QPushButton::clicked, this, &AboutBox::BitBtn1Click);

  panel2_ = new QFrame(this);
  panel2_->setObjectName("Panel2");
  panel2_->setGeometry(6, 8, 409, 281);
  panel2_->setAutoFillBackground(true);
  MakeLabel(panel2_, "Label4", "Dodatkowe informacje o programie:", {24, 8, 201, 13}, true);
  memo1_ = MakeMemo(panel2_, "Memo1", {8, 26, 393, 215}, kDetailsLines);
  QPushButton* back = MakeBitBtn(panel2_, "BitBtn3", "OK", {300, 248, 99, 25}, Glyph::Ok);
  connect(back, &QPushButton::clicked, this, &AboutBox::BitBtn3Click);
  panel2_->hide();
}

void AboutBox::Oprogramie1Click() {
  if (!placed_) {
    placed_ = true;
    if (QScreen* screen = QGuiApplication::primaryScreen())
      move(screen->availableGeometry().center() - rect().center());
  }
  show();
  raise();
  activateWindow();
}

void AboutBox::BitBtn1Click() {
  close();
}

void AboutBox::BitBtn2Click() {
  panel2_->show();
  panel2_->raise();
}

void AboutBox::BitBtn3Click() {
  panel2_->hide();
}

}  // namespace mv::ui
