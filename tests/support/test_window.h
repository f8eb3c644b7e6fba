#pragma once
// The main window as the window tests open it on Qt's offscreen platform:
// the look its pixel positions were designed in, a fixed moment, its
// messages kept in a log, and a data file of tests/data/records loaded as
// the program loads its default data file at start.
//
// QUILLMERE_TEST_DATA (the tests' data folder) is defined by the test target.

#include <QApplication>
#include <QLocale>
#include <QStyleFactory>
#include <filesystem>
#include <memory>

#include "default_data.h"
#include "font_substitutes.h"
#include "support/message_log.h"
#include "tform1.h"
#include "widget_display.h"

namespace quillmere::testing {

// Once per test program, before the first window: the Fusion style, the
// fonts the form names (or their stand-ins) and the C locale's numbers.
inline void SetUpWindowLook() {
  QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  InstallFontSubstitutes();
  QLocale::setDefault(QLocale::c());
}

// A window whose clock stands at 08:00 UTC on 7 December 2026 and whose
// messages go to `log` (which must outlive it).
inline std::unique_ptr<TForm1> OpenTestWindow(MessageLog& log) {
  auto form = std::make_unique<TForm1>(nullptr, FixedUtcClock({2026, 12, 7, 8, 0, 0, 0}));
  form->SetMessages(&log);
  return form;
}

// Loads the record file `name` of tests/data/records into `form` through
// its controls, its messages into `log`.
inline void LoadTestRecord(TForm1& form, const char* name, MessageLog& log) {
  RecordBuffer buffer;
  LoadDefaults(form.Calc(), form.ComponentDisplay(), buffer,
               std::filesystem::path(QUILLMERE_TEST_DATA) / "records" / name, log);
}

}  // namespace quillmere::testing
