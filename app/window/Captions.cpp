#include "window/Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabWidget>

#include "core/Language.h"
#include "core/TextTable.h"

namespace {

// A page of a page control: the page control and the page's index there.
std::pair<QTabWidget*, int> TabOf(const QObject* object) {
  const auto* widget = qobject_cast<const QWidget*>(object);
  if (!widget || !qobject_cast<QStackedWidget*>(widget->parentWidget())) return {nullptr, -1};
  auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget());
  if (!tabs) return {nullptr, -1};
  const int index = tabs->indexOf(const_cast<QWidget*>(widget));
  return {index >= 0 ? tabs : nullptr, index};
}

}  // namespace

QString GetQText(int id, bool useLanguage) { return QString::fromStdString(GetText(id, useLanguage)); }

int LanguageOffset() {
  const int index = ProgramLanguage().ItemIndex();
  return index > 0 ? index * TextBlockSize : 0;
}

QStringList NameFiltersFromText(const QString& filter) {
  static const QRegularExpression shownPattern(QStringLiteral("\\s*\\([^)]*\\)\\s*$"));
  const QStringList parts = filter.split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    description.remove(shownPattern);
    QString pattern = parts[i + 1].trimmed();
    pattern.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    filters.append(description + QStringLiteral(" (") + pattern + u')');
  }
  return filters;
}

int TagOf(const QObject* object) { return object ? object->property("tag").toInt() : 0; }

bool HasCaption(const QObject* object) {
  return TabOf(object).first || qobject_cast<const QAbstractButton*>(object) || qobject_cast<const QLabel*>(object) ||
         qobject_cast<const QGroupBox*>(object) || qobject_cast<const QAction*>(object) ||
         qobject_cast<const QMenu*>(object) || qobject_cast<const QDialog*>(object);
}

QString CaptionOf(const QObject* object) {
  if (const auto [tabs, index] = TabOf(object); tabs) return tabs->tabText(index);
  if (const auto* button = qobject_cast<const QAbstractButton*>(object)) return button->text();
  if (const auto* label = qobject_cast<const QLabel*>(object)) return label->text();
  if (const auto* group = qobject_cast<const QGroupBox*>(object)) return group->title();
  if (const auto* action = qobject_cast<const QAction*>(object)) return action->text();
  if (const auto* menu = qobject_cast<const QMenu*>(object)) return menu->title();
  if (const auto* dialog = qobject_cast<const QDialog*>(object)) return dialog->windowTitle();
  return {};
}

void SetCaption(QObject* object, const QString& caption) {
  if (const auto [tabs, index] = TabOf(object); tabs) {
    tabs->setTabText(index, caption);
    static_cast<QWidget*>(object)->setWindowTitle(caption);
  } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
    button->setText(caption);
  } else if (auto* label = qobject_cast<QLabel*>(object)) {
    label->setText(caption);
  } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
    group->setTitle(caption);
  } else if (auto* action = qobject_cast<QAction*>(object)) {
    action->setText(caption);
  } else if (auto* menu = qobject_cast<QMenu*>(object)) {
    menu->setTitle(caption);
  } else if (auto* dialog = qobject_cast<QDialog*>(object)) {
    dialog->setWindowTitle(caption);
  }
}

// A page's hint belongs on its tab: over the page itself it would cover
// every control that has none.
void SetHint(QObject* object, const QString& hint) {
  if (const auto [tabs, index] = TabOf(object); tabs) {
    tabs->setTabToolTip(index, hint);
  } else if (auto* action = qobject_cast<QAction*>(object)) {
    action->setToolTip(hint);
    action->setStatusTip(hint);
  } else if (auto* widget = qobject_cast<QWidget*>(object)) {
    widget->setToolTip(hint);
    widget->setStatusTip(hint);
  }
}

QString HintOfControl(const QObject* object) {
  if (const auto [tabs, index] = TabOf(object); tabs) return tabs->tabToolTip(index);
  if (const auto* action = qobject_cast<const QAction*>(object)) return action->statusTip();
  if (const auto* widget = qobject_cast<const QWidget*>(object)) return widget->toolTip();
  return {};
}

QString ReadableCaption(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
    else if (caption[i] == u'&') continue;
    out.append(caption[i]);
  }
  return out;
}
