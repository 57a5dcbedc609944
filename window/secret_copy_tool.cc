// For the compositor test: copies the text given to it as a password manager copies a password,
// offering the text with the mark x-kde-passwordManagerHint = secret, through the compositor's
// data control, which needs no window. Prints "copied" once the copy is made, and serves it until
// another replaces it. Exits 77 where no compositor offers data control.

#include <unistd.h>
#include <wayland-client.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "window/data_control.h"
#include "window/secret_mark.h"

namespace {

struct Copy {
  std::string text;
  bool replaced = false;
};

template <typename P>
int Serve(wl_display* display, wl_registry* registry, std::uint32_t name, wl_seat* seat,
          Copy& copy) {
  auto* manager =
      static_cast<typename P::Manager*>(wl_registry_bind(registry, name, P::kManager, 1));
  auto* device = P::GetDevice(manager, seat);
  auto* source = P::CreateSource(manager);
  static constexpr typename P::SourceListener kListener = {
      [](void* data, typename P::Source*, const char* type, int fd) {
        const std::string& text = static_cast<Copy*>(data)->text;
        const std::string value = std::strcmp(type, kSecretMarkType) == 0 ? "secret" : text;
        if (write(fd, value.data(), value.size()) < 0) {
        }
        close(fd);
      },
      [](void* data, typename P::Source*) { static_cast<Copy*>(data)->replaced = true; },
  };
  P::AddSourceListener(source, &kListener, &copy);
  // The device tells of every copy, this one too: its offers are not read, only let go.
  static constexpr typename P::DeviceListener kDeviceListener = {
      .data_offer = [](void*, typename P::Device*,
                       typename P::Offer* offer) { P::DestroyOffer(offer); },
      .selection = [](void*, typename P::Device*, typename P::Offer*) {},
      .finished = [](void*, typename P::Device*) {},
      .primary_selection = [](void*, typename P::Device*, typename P::Offer*) {},
  };
  P::AddDeviceListener(device, &kDeviceListener, nullptr);
  P::OfferType(source, kSecretMarkType);
  P::OfferType(source, "text/plain;charset=utf-8");
  P::SetSelection(device, source);
  int status = 1;
  if (wl_display_roundtrip(display) >= 0) {
    std::puts("copied");
    std::fflush(stdout);
    while (!copy.replaced && wl_display_dispatch(display) >= 0) {
    }
    wl_display_dispatch_pending(display);  // the replacing copy's offer, let go
    status = 0;
  }
  P::DestroySource(source);
  P::DestroyDevice(device);
  P::DestroyManager(manager);
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) return 2;
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return 77;
  DataControlGlobals globals;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &DataControlGlobals::kListener, &globals);
  wl_display_roundtrip(display);
  int status = 77;
  if (globals.seat != 0 && (globals.ext != 0 || globals.wlr != 0)) {
    auto* seat =
        static_cast<wl_seat*>(wl_registry_bind(registry, globals.seat, &wl_seat_interface, 1));
    Copy copy{argv[1]};
    status = globals.ext != 0 ? Serve<ExtDataControl>(display, registry, globals.ext, seat, copy)
                              : Serve<WlrDataControl>(display, registry, globals.wlr, seat, copy);
    wl_seat_destroy(seat);
  }
  // Everything freed, so that the tool passes under the leak checker too.
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  return status;
}
