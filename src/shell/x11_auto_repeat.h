#pragma once
// Detectable auto-repeat on X11: asks the X server to repeat a held key by presses alone,
// without the release before each press, so that no false release reaches the key hook.

namespace zembera {

// True when the server agreed; false on other platforms, without XKB, or when the program was
// built without the xcb-xkb headers. The key hook copes either way.
bool requestDetectableAutoRepeat();

} // namespace zembera
