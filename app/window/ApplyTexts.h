// Puts the numbered texts of one language block onto a window's controls.
// Every object under root (root included) whose tag T is above 1000 gets its
// caption from text T + offset and its hint from text T + 500 + offset.
// The page with tag 1013 shows text 1013 followed by text 1014. A group box
// whose tag is a multiple of 10 and whose radio buttons carry no text id of
// their own is a radio group: item i (1, 2, …) shows text T + i.
#pragma once

class QObject;

void ApplyTexts(QObject* root, int offset);

// The caption and hint of one object by the rule above; nothing for tag ≤ 1000.
void ApplyTextsTo(QObject* object, int offset);
