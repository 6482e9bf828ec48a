#include "window/ModePicture.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor kSpsColor(255, 0, 0);  // the controller side is red everywhere
const QColor kPcColor(0, 0, 0);
const QColor kTapColor(0, 0, 160);

// A tap from a wire at x down to the monitor plug at the bottom.
void DrawTap(QPainter& p, int x, int wireY, int plugX) {
  p.setPen(QPen(kTapColor, 1.5));
  p.setBrush(kTapColor);
  p.drawEllipse(QPointF(x, wireY), 1.8, 1.8);
  QPainterPath path(QPointF(x, wireY));
  path.cubicTo(QPointF(x, 24), QPointF(plugX, 22), QPointF(plugX, 27));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

void DrawPlug(QPainter& p, int x, const QString& name) {
  p.setPen(QPen(kTapColor, 1));
  p.setBrush(QColor(220, 225, 245));
  p.drawRect(QRectF(x - 5, 26.5, 10, 5));
  QFont font = p.font();
  font.setPixelSize(5);
  font.setBold(true);
  p.setFont(font);
  p.setPen(kTapColor);
  p.drawText(QRectF(x - 5, 26.5, 10, 5), Qt::AlignCenter, name);
}

}  // namespace

TModePicture::TModePicture(QWidget* parent) : QWidget(parent) { setFixedSize(64, 32); }

void TModePicture::SetPicture(int picture) {
  if (picture == picture_) return;
  picture_ = picture;
  update();
}

void TModePicture::paintEvent(QPaintEvent*) {
  if (picture_ < 1 || picture_ > 4) return;  // no mode: the background only
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  // The controller stands left, the PC right; the upper wire carries what
  // the controller sends, the lower one what the PC sends.
  p.setPen(QPen(Qt::darkGray, 1));
  p.setBrush(QColor(235, 235, 235));
  p.drawRect(QRectF(0.5, 2.5, 6, 16));
  p.drawRect(QRectF(57.5, 2.5, 6, 16));
  p.setPen(QPen(kSpsColor, 1.5));
  p.drawLine(QPointF(7, 7), QPointF(57, 7));
  p.drawLine(QPointF(53, 5), QPointF(57, 7));  // arrow towards the PC
  p.drawLine(QPointF(53, 9), QPointF(57, 7));
  p.setPen(QPen(kPcColor, 1.5));
  p.drawLine(QPointF(7, 14), QPointF(57, 14));
  p.drawLine(QPointF(11, 12), QPointF(7, 14));  // arrow towards the controller
  p.drawLine(QPointF(11, 16), QPointF(7, 14));
  switch (picture_) {
    case 1:  // both lines into port A
      DrawTap(p, 22, 7, 32);
      DrawTap(p, 42, 14, 32);
      DrawPlug(p, 32, QStringLiteral("A"));
      break;
    case 2:  // the controller's line only
      DrawTap(p, 32, 7, 32);
      DrawPlug(p, 32, QStringLiteral("A"));
      break;
    case 3:  // the PC's line only
      DrawTap(p, 32, 14, 32);
      DrawPlug(p, 32, QStringLiteral("A"));
      break;
    default:  // each line to its own port
      DrawTap(p, 20, 7, 20);
      DrawTap(p, 44, 14, 44);
      DrawPlug(p, 20, QStringLiteral("B"));
      DrawPlug(p, 44, QStringLiteral("A"));
      break;
  }
}

QIcon ApplyGlyph(int glyph) {
  QPixmap pixmap(20, 19);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor body = glyph == 0 ? QColor(0, 128, 0) : QColor(176, 0, 0);
  // A socket on the right, a plug on the left: in it for apply, apart for
  // disconnect.
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(13.5, 4.5, 5, 10));
  const double plugRight = glyph == 0 ? 13.5 : 9.5;
  p.setBrush(body);
  p.drawRect(QRectF(plugRight - 7, 5.5, 7, 8));
  p.setPen(QPen(Qt::black, 1.2));
  p.drawLine(QPointF(plugRight, 7.5), QPointF(plugRight + 3, 7.5));
  p.drawLine(QPointF(plugRight, 11.5), QPointF(plugRight + 3, 11.5));
  p.setPen(QPen(body, 1.5));
  p.drawLine(QPointF(1, 9.5), QPointF(plugRight - 7, 9.5));
  return QIcon(pixmap);
}
