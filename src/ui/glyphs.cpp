#include "ui/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace mv::ui {

namespace {

// Every glyph is drawn on a 20 x 20 grid and scaled to the size asked for.
constexpr qreal kGrid = 20.0;

const QColor kLineRed(220, 0, 0);
const QColor kAxisBlue(0, 0, 220);
const QColor kScaleGreen(0, 150, 0);
const QColor kInk(40, 40, 40);

QPen Pen(const QColor& c, qreal w = 1.6) {
  return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void ArrowHead(QPainter& p, QPointF tip, QPointF from, qreal len, const QColor& c) {
  QLineF back(tip, from);
  back.setLength(len);
  QLineF left = back;
  left.setAngle(back.angle() + 28);
  QLineF right = back;
  right.setAngle(back.angle() - 28);
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(QPolygonF({tip, left.p2(), right.p2()}));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c, qreal head = 4.5) {
  p.setPen(Pen(c));
  QLineF shaft(from, to);
  shaft.setLength(shaft.length() - head * 0.6);
  p.drawLine(shaft);
  ArrowHead(p, to, from, head, c);
}

void SurveyLine(QPainter& p, const QColor& c) {
  const QPolygonF shots({{2, 15}, {6, 8}, {10, 12}, {14, 4}, {18, 9}});
  p.setPen(Pen(c));
  p.drawPolyline(shots);
  p.setPen(Qt::NoPen);
  p.setBrush(kInk);
  for (const QPointF& s : shots) p.drawEllipse(s, 1.1, 1.1);
}

// A painter's palette.
void Palette(QPainter& p) {
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(QColor(235, 215, 170));
  QPainterPath board;
  board.addEllipse(QRectF(1, 3, 18, 14));
  board.addEllipse(QRectF(11.5, 11, 4, 3.5));
  board.setFillRule(Qt::OddEvenFill);
  p.drawPath(board);
  const QColor dabs[] = {Qt::red, Qt::yellow, QColor(0, 170, 0), Qt::blue};
  const QPointF at[] = {{5, 7}, {9, 5.5}, {13.5, 6.5}, {5, 12}};
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 4; ++i) {
    p.setBrush(dabs[i]);
    p.drawEllipse(at[i], 1.8, 1.8);
  }
}

void ColourSample(QPainter& p, const QColor& c) {
  p.setPen(Pen(c, 2.4));
  p.drawLine(QPointF(3, 18.5), QPointF(17, 18.5));
}

void Axes(QPainter& p, const QColor& c) {
  const QPointF corner(4, 15);
  Arrow(p, corner, {18, 15}, c, 4);
  Arrow(p, corner, {4, 1.5}, c, 4);
  Arrow(p, corner, {13, 7}, c, 4);
}

// A red sphere on a survey line.
void Entrance(QPainter& p) {
  p.setPen(Pen(kLineRed, 1.2));
  p.drawPolyline(QPolygonF({{1, 17}, {7, 12}, {13, 15}, {19, 10}}));
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(QColor(230, 30, 30));
  p.drawEllipse(QPointF(10, 7), 5.5, 5.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 170, 170));
  p.drawEllipse(QPointF(8.3, 5.3), 1.6, 1.6);
}

// The vertical axis over a dotted horizon.
void RotationAxis(QPainter& p) {
  Arrow(p, {10, 19}, {10, 1}, kAxisBlue, 6);
  p.setPen(QPen(kInk, 0.8, Qt::DotLine));
  p.drawLine(QPointF(3, 14), QPointF(17, 14));
}

// The axis with a double-headed measure beside it.
void AxisLength(QPainter& p) {
  Arrow(p, {7, 19}, {7, 1}, kAxisBlue, 5);
  Arrow(p, {15, 10}, {15, 2}, kInk, 3.5);
  Arrow(p, {15, 10}, {15, 18}, kInk, 3.5);
}

// The axis's foot with arrows to the four sides.
void AxisPosition(QPainter& p) {
  for (const QPointF to : {QPointF(10, 1), QPointF(10, 19), QPointF(1, 10), QPointF(19, 10)})
    Arrow(p, {10, 10}, to, kInk, 3.5);
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(kAxisBlue);
  p.drawEllipse(QPointF(10, 10), 3, 3);
}

// A ruler with ticks and the 0 over its left end.
void Graduation(QPainter& p) {
  p.setPen(Pen(kScaleGreen, 1.4));
  p.drawLine(QPointF(2, 14), QPointF(18, 14));
  for (int i = 0; i <= 4; ++i) {
    const qreal x = 2 + 4 * i;
    p.drawLine(QPointF(x, 14), QPointF(x, (i == 0 || i == 4) ? 7 : 10));
  }
  p.setPen(QPen(kScaleGreen, 1.1));
  p.drawRect(QRectF(3, 2, 2.5, 3.5));
}

// A north arrow and the letter N.
void WindRose(QPainter& p) {
  p.setPen(QPen(kScaleGreen, 0.8));
  p.setBrush(kScaleGreen);
  p.drawPolygon(QPolygonF({{6, 19}, {6, 12}, {3, 12}, {6, 6}, {9, 12}, {6, 12}}));
  p.setPen(Pen(kScaleGreen, 1.6));
  p.drawPolyline(QPolygonF({{12, 12}, {12, 3}, {18, 12}, {18, 3}}));
}

void Tick(QPainter& p) {
  p.setPen(Pen(QColor(0, 140, 0), 2.6));
  p.drawPolyline(QPolygonF({{3, 10}, {8, 15}, {17, 4}}));
}

void NoEntry(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(210, 0, 0));
  p.drawEllipse(QPointF(10, 10), 8, 8);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 8.5, 11, 3));
}

// An "i" in a circle.
void Information(QPainter& p) {
  p.setPen(QPen(kAxisBlue, 1.4));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(10, 10), 8, 8);
  p.setPen(Pen(kAxisBlue, 2.2));
  p.drawLine(QPointF(10, 9), QPointF(10, 15));
  p.drawPoint(QPointF(10, 5.5));
}

// The program's icon: a cave model spinning about its axis.
void ProgramIcon(QPainter& p) {
  p.setPen(QPen(kInk, 0.6));
  p.setBrush(QColor(20, 20, 60));
  p.drawRoundedRect(QRectF(0.5, 0.5, 19, 19), 3, 3);
  p.setPen(Pen(QColor(90, 90, 255), 0.9));
  p.drawLine(QPointF(10, 2), QPointF(10, 17));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRectF(4, 14, 12, 4), 200 * 16, 300 * 16);
  p.setPen(Pen(QColor(255, 60, 60), 1.3));
  p.drawPolyline(QPolygonF({{3, 12}, {7, 6}, {10, 10}, {13, 4}, {17, 9}}));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 220, 60));
  p.drawPolygon(QPolygonF({{16.5, 19}, {15, 15.5}, {18, 15.5}}));
}

// A palette with a sample of the element's colour under it.
void ColourChoice(QPainter& p, const QColor& c) {
  Palette(p);
  ColourSample(p, c);
}

void Draw(QPainter& p, Glyph g) {
  switch (g) {
    case Glyph::Lines:
      return SurveyLine(p, kLineRed);
    case Glyph::Entrances:
      return Entrance(p);
    case Glyph::LineColour:
      return ColourChoice(p, kLineRed);
    case Glyph::Axis:
      return RotationAxis(p);
    case Glyph::AxisColour:
      return ColourChoice(p, kAxisBlue);
    case Glyph::AxisLength:
      return AxisLength(p);
    case Glyph::AxisPosition:
      return AxisPosition(p);
    case Glyph::Scale:
      return Axes(p, kScaleGreen);
    case Glyph::Graduation:
      return Graduation(p);
    case Glyph::ScaleColour:
      return ColourChoice(p, kScaleGreen);
    case Glyph::WindRose:
      return WindRose(p);
    case Glyph::Ok:
      return Tick(p);
    case Glyph::Cancel:
      return NoEntry(p);
    case Glyph::More:
      return Information(p);
    case Glyph::AboutIcon:
      return ProgramIcon(p);
  }
}

}  // namespace

QPixmap DrawGlyph(Glyph g, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / kGrid, size / kGrid);
  Draw(p, g);
  return pm;
}

QIcon GlyphIcon(Glyph g, int size) {
  return QIcon(DrawGlyph(g, size));
}

}  // namespace mv::ui
