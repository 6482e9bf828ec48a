// In a byte monitor a drawn gap reads as a received blank: where a colour run
// or the selection begins must not move a single glyph.
#include <QImage>

#include "WindowTestSupport.h"

namespace {

// Per column of the first row: whether any pixel there is glyph, i.e.
// neither of the solid fills (background, selection).
std::vector<bool> InkColumns(TTracePane* pane) {
  pane->viewport()->repaint();
  const QImage image = pane->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QRgb background = pane->Background().rgb();
  const QRgb highlight = pane->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  const int rows = pane->fontMetrics().height();
  std::vector<bool> ink(static_cast<std::size_t>(image.width()), false);
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < rows && y < image.height(); ++y) {
      const QRgb pixel = image.pixel(x, y) | 0xFF000000u;
      if (pixel != (background | 0xFF000000u) && pixel != (highlight | 0xFF000000u)) ink[static_cast<std::size_t>(x)] = true;
    }
  return ink;
}

// Columns where two pictures of the same text disagree.
int Differences(const std::vector<bool>& a, const std::vector<bool>& b) {
  int n = 0;
  for (std::size_t x = 0; x < std::min(a.size(), b.size()); ++x) n += a[x] != b[x] ? 1 : 0;
  return n;
}

class TraceGlyphTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Pane()->clearFocus();  // no caret in the pictures
  }
  std::vector<bool> Picture(const std::vector<std::pair<std::string, TColor>>& runs) {
    Pane()->Clear();
    for (const auto& [text, color] : runs) Append(text, color);
    Pane()->SetCaret(0);
    return InkColumns(Pane());
  }
};

TEST_F(TraceGlyphTest, AColourRunStartsWhereTheTextGoesOn) {
  const std::string prefix = "12:03:07.125.000 > von PC : ";
  const auto whole = Picture({{prefix + "[STX]AB[ETX]", clBlack}});
  const auto split = Picture({{prefix, clBlack}, {"[STX]AB[ETX]", clBlack + 1}});
  EXPECT_LE(Differences(whole, split), 2);
}

TEST_F(TraceGlyphTest, TheSelectionMovesNoGlyph) {
  const std::string text = "[STX][NAK]NAK[ ]03 more text after the selection";
  const auto plain = Picture({{text, clBlack}});
  Pane()->SetSelection(10, 13);
  const auto selected = InkColumns(Pane());
  // The selected glyphs themselves are drawn in another colour; what matters
  // is that nothing after them moves.
  const int charWidth = Pane()->fontMetrics().horizontalAdvance(QLatin1Char('M'));
  std::vector<bool> tailPlain(plain.begin() + 14 * charWidth, plain.end());
  std::vector<bool> tailSelected(selected.begin() + 14 * charWidth, selected.end());
  EXPECT_LE(Differences(tailPlain, tailSelected), 2);
}

}  // namespace
