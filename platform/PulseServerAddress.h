#pragma once

namespace ondrix::platform {

// The server address every sound-server connection is given: null, for the
// client library's own search (PULSE_SERVER, the user's runtime folder, the
// system socket), except where that search would make folders that are not
// ours to make. Without XDG_RUNTIME_DIR the library looks for the user's
// server under $HOME/.config and creates that whole chain when it is missing
// (HOME=/nonexistent/home would grow /nonexistent/...); with no home there
// can be no server there either, so only the system-wide socket is tried.
const char* PulseServerAddress();

} // namespace ondrix::platform
