#include "window/ApplyTexts.h"

#include <QGroupBox>
#include <QRadioButton>

#include "core/TextIds.h"
#include "window/Captions.h"

namespace {

constexpr int kFirstTranslatedTag = 1001;

QString Text(int id, int offset) { return GetQText(id + offset, false); }

// Radio buttons of a group that take their captions from the group's id.
QList<QRadioButton*> RadioGroupItems(QGroupBox* group) {
  QList<QRadioButton*> items;
  for (QRadioButton* button : group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) {
    if (TagOf(button) >= kFirstTranslatedTag) return {};  // a group box holding controls of its own
    items.append(button);
  }
  return items;
}

}  // namespace

void ApplyTextsTo(QObject* object, int offset) {
  // A control without a caption of its own may still carry a hint.
  if (const int hint = object->property("hint").toInt(); hint >= kFirstTranslatedTag)
    SetHint(object, Text(hint, offset));
  const int tag = TagOf(object);
  if (tag < kFirstTranslatedTag) return;

  SetHint(object, Text(HintOf(tag), offset));
  if (!HasCaption(object)) return;
  QString caption = Text(tag, offset);
  if (tag == TextId::tabZeit) caption += Text(TextId::tabZeitPlugInSuffix, offset);
  SetCaption(object, caption);

  auto* group = qobject_cast<QGroupBox*>(object);
  if (!group || tag % 10 != 0) return;
  int item = 0;
  for (QRadioButton* button : RadioGroupItems(group)) button->setText(Text(tag + ++item, offset));
}

void ApplyTexts(QObject* root, int offset) {
  ApplyTextsTo(root, offset);
  for (QObject* object : root->findChildren<QObject*>()) ApplyTextsTo(object, offset);
}
