// Shared by the window tests: the application object, a window fixture and
// a wait that keeps the event loop running.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string_view>

#include "window/FMain.h"
#include "window/TracePane.h"

// Runs the event loop until the condition holds (or a generous deadline
// passes, which only a broken build reaches); returns the condition.
bool WaitFor(const std::function<bool()>& condition);

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override { frm.reset(); }

  TTracePane* Pane() const { return frm->TracePane(); }
  void Append(std::string_view text, TColor color = clBlack) { frm->AppendText(Pane(), text, color); }
  template <class T>
  T* Find(const char* name) const {
    return frm->findChild<T*>(QLatin1String(name));
  }
  QCheckBox* Check(const char* name) const { return Find<QCheckBox>(name); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  void Key(int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

  std::unique_ptr<TFrmMain> frm;
};
