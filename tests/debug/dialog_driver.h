// Helpers that drive an open debug window as a user would: click its controls and read
// their texts by control ID.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <string>

#include "shell/debug/debug_dialog_window.h"

inline QAbstractButton* ButtonOf(shell::CDebugDialog& dialog, int id) {
  return qobject_cast<QAbstractButton*>(dialog.Control(id));
}

inline void Click(shell::CDebugDialog& dialog, int id) {
  QAbstractButton* button = ButtonOf(dialog, id);
  ASSERT_NE(button, nullptr) << "no button " << id;
  QTest::mouseClick(button, Qt::LeftButton);
}

inline std::string TextOf(const shell::CDebugDialog& dialog, int id) {
  return dialog.ControlText(id).toStdString();
}

inline void TypeStepCount(shell::CDebugDialog& dialog, const QString& text) {
  auto* box = qobject_cast<QLineEdit*>(dialog.Control(1023));
  ASSERT_NE(box, nullptr);
  box->selectAll();
  QTest::keyClicks(box, text);
  ASSERT_EQ(box->text(), text);
}
