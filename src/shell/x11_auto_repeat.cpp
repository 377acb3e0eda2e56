#include "shell/x11_auto_repeat.h"

#include <QGuiApplication>

#if defined(ZEMBERA_HAVE_XCB_XKB) && defined(QT_FEATURE_xcb) && QT_FEATURE_xcb == 1
#include <cstdlib>
// The header names a field `explicit`, a keyword of C++.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
#define ZEMBERA_USE_XKB 1
#endif

namespace zembera {

bool requestDetectableAutoRepeat() {
#ifdef ZEMBERA_USE_XKB
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return false;
    // The per-client flags belong to a client that uses the extension; Qt's connection does
    // already, and asking again is harmless.
    auto* use = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr);
    const bool supported = use && use->supported;
    std::free(use);
    if (!supported) return false;
    constexpr std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    auto* flags = xcb_xkb_per_client_flags_reply(
        connection,
        xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
        nullptr);
    const bool on = flags && (flags->value & flag) != 0;
    std::free(flags);
    return on;
#else
    return false;
#endif
}

} // namespace zembera
