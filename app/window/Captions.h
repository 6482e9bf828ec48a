// Captions and hints of controls of every kind, and the numbered texts as
// Qt strings. A control's caption is what it shows as its name: a button's
// or label's text, a group box's title, a page's tab text, an action's text,
// a dialog's title. Its hint is the tooltip and, so the status bar can show
// it, the status tip.
#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QWidget;

// GetText of the program's language as a Qt string.
QString GetQText(int id, bool useLanguage = true);

// The offset of the selected language's block (0 for German), as texts are
// applied with it.
int LanguageOffset();

// A file filter text "description|pattern|description|pattern…" as the
// name filters of a file dialog ("*.*" there matches every file).
QStringList NameFiltersFromText(const QString& filter);

// The text id a control carries in its dynamic property "tag"; 0 without one.
int TagOf(const QObject* object);

QString CaptionOf(const QObject* object);
void SetCaption(QObject* object, const QString& caption);
// False for controls that show no caption of their own (edits, lists, panes).
bool HasCaption(const QObject* object);

void SetHint(QObject* object, const QString& hint);
QString HintOfControl(const QObject* object);

// The caption as it is read: mnemonic ampersands removed ("&&" stays "&").
QString ReadableCaption(const QString& caption);
