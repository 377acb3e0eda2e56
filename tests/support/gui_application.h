#pragma once
// Text drawing needs a QGuiApplication for its fonts; tests that print make one on first use.

#include <QGuiApplication>

namespace zembera::test {

inline void ensureGuiApplication() {
    if (QGuiApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "zembera_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
}

} // namespace zembera::test
