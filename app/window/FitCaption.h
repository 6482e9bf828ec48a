// Long captions in narrow controls: a caption that is wider than the room it
// has is drawn in a narrow font (and not bold, if even that is too wide); the
// control's hint then shows the whole caption. A caption that fits gets the
// control's own font back.
#pragma once

class QFont;
class QWidget;

void FitCaption(QWidget* control, int width);

// The room for the caption in a control of fixed width: that width less what
// the control draws beside its text (check mark, frame, margins). −1 for a
// control whose width follows its caption.
int CaptionRoom(const QWidget* control);

// The narrow version of font: "Arial Narrow" or the closest narrow family
// installed, else the font itself condensed.
QFont NarrowFont(const QFont& font);
