#include "window/x11_clipboard.h"

#include <poll.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "window/secret_mark.h"

namespace {

using Clock = std::chrono::steady_clock;

// A value read from the window's property: its type, its bytes, and whether they are all of it.
struct PropertyValue {
  xcb_atom_t type = XCB_NONE;
  std::string bytes;
  bool whole = false;
};

// One read of the selection: a connection, a hidden window whose properties receive the owner's
// answers, and a time limit that every wait shares. Once a wait fails, every later step fails.
class SelectionRead {
 public:
  SelectionRead(Clock::time_point deadline, const std::function<bool()>& stop)
      : connection_(xcb_connect(nullptr, nullptr)), deadline_(deadline), stop_(stop) {
    if (xcb_connection_has_error(connection_)) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    window_ = xcb_generate_id(connection_);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, screen->root_visual, XCB_CW_EVENT_MASK, &events);
    clipboard_ = Atom("CLIPBOARD");
    incr_ = Atom("INCR");
    failed_ = incr_ == XCB_NONE;
  }
  ~SelectionRead() { xcb_disconnect(connection_); }
  SelectionRead(const SelectionRead&) = delete;
  SelectionRead& operator=(const SelectionRead&) = delete;

  bool failed() const { return failed_; }

  xcb_atom_t Atom(const char* name) {
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name),
                              nullptr),
        &std::free);
    return reply != nullptr ? reply->atom : XCB_NONE;
  }

  // The owner's answer to `target`, sent at once or in increments, read no further than `bytes`:
  // nothing, and not whole, when it refuses or does not answer in time.
  PropertyValue Answer(xcb_atom_t target, std::size_t bytes) {
    if (!Convert(target)) return {};
    const PropertyValue answer = Property(bytes);
    return answer.type == incr_ ? Increments(bytes) : answer;
  }

 private:
  // Asks the owner for `target`; true when it answered with it in the property. Each target has
  // a property of its own, named after it, so that the rest of an answer left unread (in
  // increments) cannot be taken for the next.
  bool Convert(xcb_atom_t target) {
    if (failed_) return false;
    property_ = target;
    // The answer to an earlier request, should its owner send it again, is not read as this one.
    xcb_delete_property(connection_, window_, property_);
    xcb_convert_selection(connection_, window_, clipboard_, target, property_, XCB_CURRENT_TIME);
    bool answered = false;
    WaitFor([&](const xcb_generic_event_t* event) {
      const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(event);
      if ((event->response_type & 0x7F) != XCB_SELECTION_NOTIFY || notify->requestor != window_ ||
          notify->target != target) {
        return false;
      }
      answered = notify->property == property_;
      return true;
    });
    return answered;
  }

  // The property's type and its first `bytes` bytes. `take` deletes it once read to its end,
  // which asks an owner sending increments for the next one.
  PropertyValue Property(std::size_t bytes, bool take = false) {
    if (failed_) return {};
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, take, window_, property_,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, (bytes + 3) / 4),
                               nullptr),
        &std::free);
    if (reply == nullptr) return {};
    const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    return {reply->type, std::string(value, std::min(length, bytes)),
            reply->bytes_after == 0 && length <= bytes};
  }

  // Reads an answer sent in increments: each one arrives as a new value of the property, and
  // taking it asks for the next. Stops once `bytes` have come, without waiting for the rest;
  // whole when the owner's closing empty increment came before.
  PropertyValue Increments(std::size_t bytes) {
    PropertyValue answer;
    std::string& text = answer.bytes;
    xcb_delete_property(connection_, window_, property_);
    while (text.size() < bytes && WaitFor([&](const xcb_generic_event_t* event) {
             const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
             return (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                    notify->atom == property_ && notify->state == XCB_PROPERTY_NEW_VALUE;
           })) {
      const PropertyValue increment = Property(bytes - text.size(), true);
      if (increment.bytes.empty()) {  // the last increment is empty
        answer.whole = true;
        break;
      }
      answer.type = increment.type;
      text += increment.bytes;
    }
    return answer;
  }

  // Handles events until `match` accepts one; fails at the deadline, when told to stop or when
  // the connection breaks. Returns whether one was accepted.
  template <typename Match>
  bool WaitFor(const Match& match) {
    xcb_flush(connection_);
    while (!failed_) {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const bool matched = match(event);
        std::free(event);
        if (matched) return true;
      }
      failed_ = xcb_connection_has_error(connection_) || stop_() || Clock::now() >= deadline_;
      pollfd socket{xcb_get_file_descriptor(connection_), POLLIN, 0};
      if (!failed_) poll(&socket, 1, 20);  // short, so that `stop` is heard soon
    }
    return false;
  }

  xcb_connection_t* connection_;
  Clock::time_point deadline_;
  const std::function<bool()>& stop_;
  xcb_window_t window_ = XCB_NONE;
  xcb_atom_t clipboard_ = XCB_NONE, incr_ = XCB_NONE;
  xcb_atom_t property_ = XCB_NONE;  // where the answer being read arrives
  bool failed_ = true;
};

// The most of a TARGETS list that is read: far more than any owner offers.
constexpr std::size_t kTargetsBytes = 65536 * sizeof(xcb_atom_t);

// The targets the owner offers: none when it lists none (it may still convert to text), nothing
// when the list cannot be read whole, so that a mark it may hold cannot be told.
std::optional<std::vector<xcb_atom_t>> ReadTargets(SelectionRead& read) {
  std::vector<xcb_atom_t> targets;
  const PropertyValue list = read.Answer(read.Atom("TARGETS"), kTargetsBytes);
  if (list.type != XCB_ATOM_ATOM) return targets;
  if (!list.whole) return std::nullopt;
  targets.resize(list.bytes.size() / sizeof(xcb_atom_t));
  std::copy(list.bytes.begin(), list.bytes.begin() + targets.size() * sizeof(xcb_atom_t),
            reinterpret_cast<char*>(targets.data()));
  return targets;
}

}  // namespace

std::optional<std::string> ReadClipboardBeginning(std::size_t bytes,
                                                  std::chrono::milliseconds timeout,
                                                  const std::function<bool()>& stop) {
  SelectionRead read(Clock::now() + timeout, stop);
  if (read.failed()) return std::nullopt;
  const std::optional<std::vector<xcb_atom_t>> targets = ReadTargets(read);
  if (!targets) return std::nullopt;
  const auto offered = [&targets](xcb_atom_t target) {
    return std::find(targets->begin(), targets->end(), target) != targets->end();
  };
  if (const xcb_atom_t hint = read.Atom(kSecretMarkType); offered(hint)) {
    const PropertyValue mark = read.Answer(hint, kSecretMarkBytes);
    if (MarksSecret(mark.bytes, mark.whole)) return std::nullopt;
  }
  // The text, best first: some programs offer only the MIME types. Plain text/plain names no
  // encoding and is read as UTF-8, as today's desktops write it; text in another encoding is
  // seldom valid UTF-8, and invalid UTF-8 looks nothing up (lookup/copied_text.h). An owner that
  // lists none of them may still give UTF8_STRING.
  const std::array<xcb_atom_t, 3> texts = {
      read.Atom("UTF8_STRING"), read.Atom("text/plain;charset=utf-8"), read.Atom("text/plain")};
  const auto listed = std::find_if(texts.begin(), texts.end(), offered);
  const PropertyValue answer = read.Answer(listed != texts.end() ? *listed : texts[0], bytes);
  if (std::find(texts.begin(), texts.end(), answer.type) == texts.end() ||
      (read.failed() && answer.bytes.empty())) {
    return std::nullopt;
  }
  return answer.bytes;
}
