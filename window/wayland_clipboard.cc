#include "window/wayland_clipboard.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <thread>

#include "window/data_control.h"
#include "window/secret_mark.h"

namespace {

using Clock = std::chrono::steady_clock;

// The text types read, best first. Plain text/plain names no encoding and is read as UTF-8, as
// today's desktops write it.
constexpr std::array<const char*, 3> kTextTypes = {"text/plain;charset=utf-8", "UTF8_STRING",
                                                   "text/plain"};

// What a copy offers, as its offer lists its MIME types.
struct Offered {
  bool secret_mark = false;
  std::size_t text = kTextTypes.size();  // the best of kTextTypes offered, if any
};

// One MIME type read from a copy's owner through a pipe, no further than `limit` bytes.
class Transfer {
 public:
  Transfer() = default;
  ~Transfer() { End(); }
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  // Asks the owner of `offer` for `type`; false when no pipe could be made.
  bool Start(DataControl& control, wl_display* display, wl_proxy* offer, const char* type,
             std::size_t limit) {
    End();
    bytes_.clear();
    whole_ = false;
    limit_ = limit;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    control.Receive(offer, type, ends[1]);
    wl_display_flush(display);
    close(ends[1]);
    // Only this end waits for nothing: the owner writes into a pipe as it finds it.
    fcntl(ends[0], F_SETFL, O_NONBLOCK);
    fd_ = ends[0];
    return true;
  }

  // Reads what has come; true once the transfer is over: at its end (whole), at the limit, or
  // when the pipe fails.
  bool Read() {
    while (bytes_.size() < limit_) {
      std::array<char, 4096> buffer;
      const ssize_t count =
          read(fd_, buffer.data(), std::min(buffer.size(), limit_ - bytes_.size()));
      if (count > 0) {
        bytes_.append(buffer.data(), static_cast<std::size_t>(count));
      } else if (count == 0) {
        whole_ = true;
        return true;
      } else if (errno != EINTR) {
        return errno != EAGAIN;
      }
    }
    return true;
  }

  int fd() const { return fd_; }
  const std::string& bytes() const { return bytes_; }
  bool whole() const { return whole_; }

 private:
  void End() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

  int fd_ = -1;
  std::string bytes_;
  std::size_t limit_ = 0;
  bool whole_ = false;
};

}  // namespace

// The connection, the data device and the thread that runs them. Everything but Stop runs on
// that thread once Start has returned.
class WaylandClipboard::Connection : public DataDeviceEvents {
 public:
  Connection(std::size_t bytes, std::chrono::milliseconds timeout, CopyRead copy_read)
      : bytes_(bytes), timeout_(timeout), copy_read_(std::move(copy_read)) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Connects, binds a data device and starts the thread; false where there is no data control.
  bool Start();

  void Introduced(wl_proxy* offer) override { offers_[offer]; }
  void Offers(wl_proxy* offer, const char* type) override;
  void Selected(wl_proxy* offer) override;
  void Finished() override { finished_ = true; }

 private:
  // The copy being read: its secret mark first, if it offers one, then its text.
  struct Reading {
    wl_proxy* offer;
    std::size_t text;  // index in kTextTypes
    bool mark;
    Clock::time_point deadline;
    Transfer transfer;
  };

  void Run();
  void Continue();  // reads on as far as the pipe has data
  void Tell(std::optional<std::string> text);

  const std::size_t bytes_;
  const std::chrono::milliseconds timeout_;
  const CopyRead copy_read_;
  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  DataControlGlobals globals_;
  wl_seat* seat_ = nullptr;
  std::unique_ptr<DataControl> control_;
  std::map<wl_proxy*, Offered> offers_;  // those not yet destroyed, the selection's among them
  bool watching_ = false;                // past the copy that the clipboard held at the start
  bool finished_ = false;
  std::optional<Reading> reading_;
  int stop_fd_ = -1;
  std::thread thread_;
};

bool WaylandClipboard::Connection::Start() {
  display_ = wl_display_connect(nullptr);
  if (display_ == nullptr) return false;
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &DataControlGlobals::kListener, &globals_);
  if (wl_display_roundtrip(display_) < 0 || globals_.seat == 0) return false;
  seat_ = static_cast<wl_seat*>(wl_registry_bind(registry_, globals_.seat, &wl_seat_interface, 1));
  if (globals_.ext != 0) {
    control_ =
        std::make_unique<DataControlOf<ExtDataControl>>(registry_, globals_.ext, seat_, this);
  } else if (globals_.wlr != 0) {
    control_ =
        std::make_unique<DataControlOf<WlrDataControl>>(registry_, globals_.wlr, seat_, this);
  } else {
    return false;
  }
  // The clipboard's copy arrives within this round trip, and is not read.
  if (wl_display_roundtrip(display_) < 0 || finished_) return false;
  watching_ = true;
  stop_fd_ = eventfd(0, EFD_CLOEXEC);
  if (stop_fd_ < 0) return false;
  thread_ = std::thread(&Connection::Run, this);
  return true;
}

WaylandClipboard::Connection::~Connection() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    if (write(stop_fd_, &one, sizeof one) < 0) std::abort();  // the thread would never end
    thread_.join();
  }
  if (stop_fd_ >= 0) close(stop_fd_);
  reading_.reset();
  if (control_ != nullptr) {
    for (const auto& [offer, offered] : offers_) control_->Destroy(offer);
  }
  control_.reset();
  if (seat_ != nullptr) wl_seat_destroy(seat_);
  if (registry_ != nullptr) wl_registry_destroy(registry_);
  if (display_ != nullptr) wl_display_disconnect(display_);
}

void WaylandClipboard::Connection::Offers(wl_proxy* offer, const char* type) {
  Offered& offered = offers_[offer];
  if (std::strcmp(type, kSecretMarkType) == 0) offered.secret_mark = true;
  for (std::size_t i = 0; i < offered.text; ++i) {
    if (std::strcmp(type, kTextTypes[i]) == 0) offered.text = i;
  }
}

void WaylandClipboard::Connection::Selected(wl_proxy* offer) {
  // A newer copy: the wait for the older one ends, and older offers are done with.
  reading_.reset();
  for (auto other = offers_.begin(); other != offers_.end();) {
    if (other->first == offer) {
      ++other;
      continue;
    }
    control_->Destroy(other->first);
    other = offers_.erase(other);
  }
  if (!watching_) return;
  const auto offered = offers_.find(offer);
  if (offered == offers_.end() || offered->second.text == kTextTypes.size()) {
    Tell(std::nullopt);
    return;
  }
  Reading& reading = reading_.emplace(offer, offered->second.text, offered->second.secret_mark,
                                      Clock::now() + timeout_);
  const bool started =
      reading.mark
          ? reading.transfer.Start(*control_, display_, offer, kSecretMarkType, kSecretMarkBytes)
          : reading.transfer.Start(*control_, display_, offer, kTextTypes[reading.text], bytes_);
  if (!started) Tell(std::nullopt);
}

void WaylandClipboard::Connection::Continue() {
  if (!reading_) return;
  Reading& reading = *reading_;
  if (!reading.transfer.Read() && Clock::now() < reading.deadline) return;
  const Transfer& transfer = reading.transfer;
  if (!reading.mark) {
    // What came of the text before a failure or the deadline is read as its beginning.
    Tell(transfer.whole() || !transfer.bytes().empty() ? std::optional(transfer.bytes())
                                                       : std::nullopt);
  } else if (MarksSecret(transfer.bytes(), transfer.whole())) {
    Tell(std::nullopt);
  } else {
    reading.mark = false;
    if (!reading.transfer.Start(*control_, display_, reading.offer, kTextTypes[reading.text],
                                bytes_)) {
      Tell(std::nullopt);
    }
  }
}

void WaylandClipboard::Connection::Tell(std::optional<std::string> text) {
  reading_.reset();
  copy_read_(std::move(text));
}

void WaylandClipboard::Connection::Run() {
  const int display_fd = wl_display_get_fd(display_);
  while (!finished_) {
    while (wl_display_prepare_read(display_) != 0) {
      if (wl_display_dispatch_pending(display_) < 0) return;
    }
    wl_display_flush(display_);
    std::array<pollfd, 3> fds = {{{display_fd, POLLIN, 0},
                                  {stop_fd_, POLLIN, 0},
                                  {reading_ ? reading_->transfer.fd() : -1, POLLIN, 0}}};
    int wait = -1;  // milliseconds
    if (reading_) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(reading_->deadline - Clock::now());
      wait = static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, left.count()));
    }
    if (poll(fds.data(), fds.size(), wait) < 0 && errno != EINTR) fds[0].revents = POLLERR;
    if ((fds[0].revents & POLLIN) != 0) {
      if (wl_display_read_events(display_) < 0) return;
    } else {
      wl_display_cancel_read(display_);
      if ((fds[0].revents & (POLLERR | POLLHUP)) != 0) return;
    }
    if (fds[1].revents != 0 || wl_display_dispatch_pending(display_) < 0) return;
    Continue();
  }
}

WaylandClipboard::WaylandClipboard(std::unique_ptr<Connection> connection)
    : connection_(std::move(connection)) {}

WaylandClipboard::~WaylandClipboard() = default;

std::unique_ptr<WaylandClipboard> WaylandClipboard::Watch(std::size_t bytes,
                                                          std::chrono::milliseconds timeout,
                                                          CopyRead copy_read) {
  // Without it libwayland would try a compositor of its own choosing.
  if (std::getenv("WAYLAND_DISPLAY") == nullptr) return nullptr;
  auto connection = std::make_unique<Connection>(bytes, timeout, std::move(copy_read));
  if (!connection->Start()) return nullptr;
  return std::unique_ptr<WaylandClipboard>(new WaylandClipboard(std::move(connection)));
}
