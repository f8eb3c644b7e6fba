#pragma once
// A line-oriented byte stream that never waits: the one thing Hamlib's
// daemons are reached through. The clients above it are state machines that
// call Pump() whenever they like (a timer, a poll loop, a socket notifier);
// a test or a benchmark can stand in for the network with its own.

#include <optional>
#include <string>
#include <string_view>

namespace quillmere {

class LineTransport {
 public:
  enum class Status {
    kClosed,      // nothing open, nothing asked
    kConnecting,  // the connection is being made
    kOpen,        // lines go out and come in
    kBroken,      // refused, reset or closed by the other end: Close() and try again
  };

  virtual ~LineTransport() = default;

  // Starts connecting to `host` (a numeric address or a name) at `port`.
  // Returns at once; false, with `error` set, when it cannot even start.
  virtual bool Connect(const std::string& host, int port, std::string& error) = 0;
  virtual void Close() = 0;
  // Moves things on without waiting: finishes a connect, writes what is
  // queued, reads what has arrived. The status after it, and on kBroken the
  // reason in `error`.
  virtual Status Pump(std::string& error) = 0;
  // Queues `line` and a newline for sending.
  virtual void Write(std::string_view line) = 0;
  // The next whole line received, without its newline.
  virtual std::optional<std::string> TakeLine() = 0;
  // The descriptor to watch, -1 when there is none, and whether the
  // transport waits to write (a connect in progress or bytes queued).
  virtual int Descriptor() const { return -1; }
  virtual bool WantsWrite() const { return false; }
};

}  // namespace quillmere
