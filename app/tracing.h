#pragma once

namespace vtx::app {

// Switches on every vtx.* logging category at debug level, with one plain line per message on standard
// error: "vtx.transfer: OUT pipe 03: 01 9E 81 [status &H0 (...)]".
void enableTracing();

} // namespace vtx::app
