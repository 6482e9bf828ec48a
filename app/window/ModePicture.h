// The small pictures of the interface page, drawn rather than stored: the
// spy-cable arrangement of the selected mode (64 × 32) and the glyphs of the
// apply/disconnect button (20 × 19).
#pragma once

#include <QIcon>
#include <QWidget>

class TModePicture : public QWidget {
  Q_OBJECT
 public:
  explicit TModePicture(QWidget* parent = nullptr);
  // 0 nothing, 1 both lines to port A, 2 the controller's line, 3 the PC's
  // line, 4 each line to its own port.
  void SetPicture(int picture);
  int Picture() const { return picture_; }
  QSize sizeHint() const override { return {64, 32}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int picture_ = 0;
};

// Glyph 0: apply (a plug going in), glyph 1: disconnect (the plug pulled).
QIcon ApplyGlyph(int glyph);
