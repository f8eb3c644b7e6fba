#pragma once
// The line transport over TCP, non-blocking throughout (the one file with
// the socket calls is tcp_socket_posix.cpp).

#include <memory>
#include <string>

#include "line_transport.h"

namespace quillmere {

// A line longer than this from a daemon is not one of its replies: the
// connection is dropped rather than buffered without end.
inline constexpr std::size_t kMaxReplyLine = 4096;

std::unique_ptr<LineTransport> MakeTcpTransport();

// Waits at most `timeout_ms` for `transport` to be ready to read (or to
// write, when it wants to): the headless loop's only wait.
void WaitForTransports(LineTransport* const* transports, int count, int timeout_ms);

}  // namespace quillmere
