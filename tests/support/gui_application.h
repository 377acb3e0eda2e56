#pragma once
// Text drawing needs a QGuiApplication for its fonts, widgets a QApplication: made on first use.

#include <QGuiApplication>

namespace zembera::test {

template <typename Application = QGuiApplication> void ensureGuiApplication() {
    static int argc = 1;
    static char name[] = "zembera_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: a QApplication torn down after main crashes the window tests.
    if (QCoreApplication::instance() == nullptr) new Application(argc, argv);
}

} // namespace zembera::test
