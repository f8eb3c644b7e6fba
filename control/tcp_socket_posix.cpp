// The socket calls of the line transport: a non-blocking connect finished
// by poll, reads and writes that take what the kernel has room for now.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

#include "tcp_socket.h"

namespace quillmere {
namespace {

class TcpTransport final : public LineTransport {
 public:
  ~TcpTransport() override { Close(); }

  bool Connect(const std::string& host, int port, std::string& error) override {
    Close();
    if (port < 1 || port > 65535) {
      error = "bad port " + std::to_string(port);
      return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    // A numeric address never waits on a name server; a name does, once per
    // connection attempt (the daemons usually run on this machine or the LAN).
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0) {
      error = "cannot resolve " + host + ": " + gai_strerror(rc);
      return false;
    }
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
      const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      if (fd < 0) continue;
      if (connect(fd, a->ai_addr, a->ai_addrlen) == 0 || errno == EINPROGRESS) {
        fd_ = fd;
        connecting_ = true;
        break;
      }
      error = std::strerror(errno);
      ::close(fd);
    }
    freeaddrinfo(found);
    if (fd_ < 0) {
      if (error.empty()) error = "cannot open a socket";
      return false;
    }
    // Commands are a few bytes each and wait for their answer: send at once.
    const int one = 1;
    setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return true;
  }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    connecting_ = false;
    broken_ = false;
    out_.clear();
    in_.clear();
    lines_.clear();
  }

  Status Pump(std::string& error) override {
    if (fd_ < 0) return Status::kClosed;
    if (broken_) {
      error = reason_;
      return Status::kBroken;
    }
    if (connecting_) {
      pollfd p{fd_, POLLOUT, 0};
      if (poll(&p, 1, 0) <= 0) return Status::kConnecting;
      int so_error = 0;
      socklen_t len = sizeof so_error;
      getsockopt(fd_, SOL_SOCKET, SO_ERROR, &so_error, &len);
      if (so_error != 0) return Break(std::strerror(so_error), error);
      connecting_ = false;
    }
    while (!out_.empty()) {
      const ssize_t n = send(fd_, out_.data(), out_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) break;
        return Break(std::strerror(errno), error);
      }
      out_.erase(0, static_cast<std::size_t>(n));
    }
    char buffer[4096];
    for (;;) {
      const ssize_t n = recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n == 0) return Break("closed by the daemon", error);
      if (n < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK) break;
        if (errno == EINTR) continue;
        return Break(std::strerror(errno), error);
      }
      for (ssize_t i = 0; i < n; ++i) {
        if (buffer[i] == '\n') {
          if (!in_.empty() && in_.back() == '\r') in_.pop_back();
          lines_.push_back(std::move(in_));
          in_.clear();
        } else if (in_.size() >= kMaxReplyLine) {
          return Break("a line of over 4096 bytes", error);
        } else {
          in_.push_back(buffer[i]);
        }
      }
    }
    return Status::kOpen;
  }

  void Write(std::string_view line) override {
    out_.append(line);
    out_.push_back('\n');
  }

  std::optional<std::string> TakeLine() override {
    if (lines_.empty()) return std::nullopt;
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    return line;
  }

  int Descriptor() const override { return fd_; }
  bool WantsWrite() const override { return connecting_ || !out_.empty(); }

 private:
  Status Break(const std::string& why, std::string& error) {
    broken_ = true;
    reason_ = why;
    error = why;
    return Status::kBroken;
  }

  int fd_ = -1;
  bool connecting_ = false;
  bool broken_ = false;
  std::string reason_;
  std::string out_, in_;
  std::deque<std::string> lines_;
};

}  // namespace

std::unique_ptr<LineTransport> MakeTcpTransport() {
  return std::make_unique<TcpTransport>();
}

void WaitForTransports(LineTransport* const* transports, int count, int timeout_ms) {
  std::vector<pollfd> fds;
  for (int i = 0; i < count; ++i) {
    const int fd = transports[i] ? transports[i]->Descriptor() : -1;
    if (fd < 0) continue;
    fds.push_back(
        {fd, static_cast<short>(POLLIN | (transports[i]->WantsWrite() ? POLLOUT : 0)), 0});
  }
  // Interrupted by a signal, it returns early: the caller checks its flags.
  poll(fds.data(), fds.size(), timeout_ms);
}

}  // namespace quillmere
