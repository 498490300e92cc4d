#include "ui/panel_parts.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTextBlock>
#include <algorithm>

namespace mv::ui {

namespace {

// Refits a text box's font whenever its viewport or its text changes, always
// starting from the font it was made with, so the text can grow back too.
class LineFitter : public QObject {
 public:
  explicit LineFitter(QPlainTextEdit* memo) : QObject(memo), memo_(memo), base_(memo->font()) {
    memo->viewport()->installEventFilter(this);
    connect(memo, &QPlainTextEdit::textChanged, this, [this] { Fit(); });
    Fit();
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Resize) Fit();
    return QObject::eventFilter(watched, e);
  }

 private:
  void Fit() {
    const qreal room =
        memo_->viewport()->width() - 2 * memo_->document()->documentMargin() - memo_->cursorWidth();
    memo_->setFont(FitLinesFont(base_, LinesOf(memo_->document()), room, memo_));
  }

  static QStringList LinesOf(const QTextDocument* doc) {
    QStringList lines;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) lines << b.text();
    return lines;
  }

  QPlainTextEdit* memo_;
  QFont base_;
};

// Pixels of a font whether it was given in pixels or in points.
int PixelSizeOf(const QFont& f, const QPaintDevice* device) {
  if (f.pixelSize() > 0) return f.pixelSize();
  return qRound(f.pointSizeF() * device->logicalDpiY() / 72.0);
}

}  // namespace

qreal WidestLine(const QFont& font, const QStringList& lines, const QPaintDevice* device) {
  const QFontMetricsF metrics(font, device);
  qreal widest = 0;
  for (const QString& line : lines) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

int MinLinePixelSize(const QPaintDevice* device) {
  return qRound(kMinLinePointSize * device->logicalDpiY() / 72.0);
}

QFont FitLinesFont(const QFont& base, const QStringList& lines, qreal room,
                   const QPaintDevice* device) {
  if (room <= 0 || WidestLine(base, lines, device) <= room) return base;
  // Whole pixels: the glyphs are hinted to them, so a size between two
  // draws as one of them anyway.
  const int smallest = std::min(MinLinePixelSize(device), PixelSizeOf(base, device));
  QFont f = base;
  for (int pixels = PixelSizeOf(base, device) - 1; pixels > smallest; --pixels) {
    f.setPixelSize(pixels);
    if (WidestLine(f, lines, device) <= room) return f;
  }
  // The smallest readable size; where even that is too wide, the box scrolls.
  f.setPixelSize(smallest);
  return f;
}

QFont PanelFont(bool bold) {
  QFont f = QApplication::font();
  f.setPixelSize(11);
  f.setBold(bold);
  return f;
}

void UseButtonFace(QWidget* w) {
  // The main window's background is black and its children inherit it;
  // giving the colour explicitly is what makes it stick.
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Window));
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

QFrame* MakePanel(QWidget* parent, const char* name, int width, int height) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  UseButtonFace(panel);
  panel->setFont(PanelFont());
  panel->resize(width, height);
  panel->hide();
  return panel;
}

QFrame* MakeSeparator(QWidget* parent, const char* name, QRect r) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setGeometry(r);
  return line;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, QRect r, bool bold) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  if (bold) label->setFont(PanelFont(true));
  // The desktop's font may run wider than the one the panels were laid out
  // for: let the text have the room it needs.
  label->setGeometry(r.x(), r.y(), std::max(r.width(), label->sizeHint().width()), r.height());
  return label;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, QRect r,
                         std::span<const char* const> lines) {
  QStringList text;
  for (const char* line : lines) text << QString::fromUtf8(line);
  return MakeMemo(parent, name, r, text);
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, QRect r, const QStringList& text) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setGeometry(r);
  memo->setPlainText(text.join('\n'));
  memo->setReadOnly(true);
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // The lines were broken by hand; the box shows each of them whole.
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  new LineFitter(memo);
  QPalette pal = memo->palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::Button));
  memo->setPalette(pal);
  return memo;
}

QPushButton* MakeBitBtn(QWidget* parent, const char* name, const QString& text, QRect r,
                        Glyph glyph) {
  auto* button = new QPushButton(GlyphIcon(glyph, 16), text, parent);
  button->setObjectName(name);
  button->setGeometry(r);
  button->setAutoDefault(true);
  return button;
}

void HidePanel(QWidget* panel, QWidget* window) {
  QWidget* focus = QApplication::focusWidget();
  const bool hadFocus = focus && panel->isAncestorOf(focus);
  panel->hide();
  if (hadFocus) window->setFocus(Qt::OtherFocusReason);
}

void ShowPanel(QWidget* panel) {
  panel->show();
  panel->raise();
}

}  // namespace mv::ui
