// The two data-control protocols, ext_data_control_v1 and its forerunner
// zwlr_data_control_manager_v1, which differ in their names only, behind one interface: a data
// device on a seat that tells its events of each copy's offer.

#ifndef PAVREL_WINDOW_DATA_CONTROL_H_
#define PAVREL_WINDOW_DATA_CONTROL_H_

#include <wayland-client.h>

#include <cstdint>
#include <cstring>

#include "ext-data-control-v1-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"

// What a data device tells, in the order the compositor sends it: each offer is introduced, lists
// its MIME types, and is then selected, as the clipboard's new copy. A selection of nullptr clears
// the clipboard. Once finished, the device tells nothing more.
class DataDeviceEvents {
 public:
  virtual void Introduced(wl_proxy* offer) = 0;
  virtual void Offers(wl_proxy* offer, const char* type) = 0;
  virtual void Selected(wl_proxy* offer) = 0;
  virtual void Finished() = 0;

 protected:
  ~DataDeviceEvents() = default;
};

// The globals that data control needs, by their names in the registry (0 for none): a manager of
// either protocol, and the first seat. Collected by kListener with this as its data.
struct DataControlGlobals {
  std::uint32_t ext = 0, wlr = 0, seat = 0;

  static constexpr wl_registry_listener kListener = {
      [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t) {
        DataControlGlobals& globals = *static_cast<DataControlGlobals*>(data);
        if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
          globals.ext = name;
        } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0) {
          globals.wlr = name;
        } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && globals.seat == 0) {
          globals.seat = name;
        }
      },
      [](void*, wl_registry*, std::uint32_t) {},
  };
};

// Bound to one seat; destroying it destroys the device and the manager, not the offers.
class DataControl {
 public:
  virtual ~DataControl() = default;
  // Asks the owner of `offer` to write the copy as `type` into `fd`.
  virtual void Receive(wl_proxy* offer, const char* type, int fd) = 0;
  virtual void Destroy(wl_proxy* offer) = 0;
};

#define PAVREL_DATA_CONTROL_NAMES(Name, prefix)                                     \
  struct Name {                                                                     \
    using Manager = prefix##_manager_v1;                                            \
    using Device = prefix##_device_v1;                                              \
    using Offer = prefix##_offer_v1;                                                \
    using Source = prefix##_source_v1;                                              \
    using DeviceListener = prefix##_device_v1_listener;                             \
    using OfferListener = prefix##_offer_v1_listener;                               \
    using SourceListener = prefix##_source_v1_listener;                             \
    static constexpr const wl_interface* kManager = &prefix##_manager_v1_interface; \
    static constexpr auto GetDevice = prefix##_manager_v1_get_data_device;          \
    static constexpr auto CreateSource = prefix##_manager_v1_create_data_source;    \
    static constexpr auto DestroyManager = prefix##_manager_v1_destroy;             \
    static constexpr auto AddDeviceListener = prefix##_device_v1_add_listener;      \
    static constexpr auto SetSelection = prefix##_device_v1_set_selection;          \
    static constexpr auto DestroyDevice = prefix##_device_v1_destroy;               \
    static constexpr auto AddOfferListener = prefix##_offer_v1_add_listener;        \
    static constexpr auto ReceiveOffer = prefix##_offer_v1_receive;                 \
    static constexpr auto DestroyOffer = prefix##_offer_v1_destroy;                 \
    static constexpr auto AddSourceListener = prefix##_source_v1_add_listener;      \
    static constexpr auto OfferType = prefix##_source_v1_offer;                     \
    static constexpr auto DestroySource = prefix##_source_v1_destroy;               \
  }
PAVREL_DATA_CONTROL_NAMES(ExtDataControl, ext_data_control);
PAVREL_DATA_CONTROL_NAMES(WlrDataControl, zwlr_data_control);
#undef PAVREL_DATA_CONTROL_NAMES

// P is one of the two above; the manager global `name` is bound at version 1, which has no
// primary selection.
template <typename P>
class DataControlOf : public DataControl {
 public:
  DataControlOf(wl_registry* registry, std::uint32_t name, wl_seat* seat, DataDeviceEvents* events)
      : manager_(
            static_cast<typename P::Manager*>(wl_registry_bind(registry, name, P::kManager, 1))),
        device_(P::GetDevice(manager_, seat)) {
    P::AddDeviceListener(device_, &kDeviceListener, events);
  }
  ~DataControlOf() override {
    P::DestroyDevice(device_);
    P::DestroyManager(manager_);
  }
  DataControlOf(const DataControlOf&) = delete;
  DataControlOf& operator=(const DataControlOf&) = delete;

  void Receive(wl_proxy* offer, const char* type, int fd) override {
    P::ReceiveOffer(reinterpret_cast<typename P::Offer*>(offer), type, fd);
  }
  void Destroy(wl_proxy* offer) override {
    P::DestroyOffer(reinterpret_cast<typename P::Offer*>(offer));
  }

 private:
  using Offer = typename P::Offer;
  using Device = typename P::Device;
  static DataDeviceEvents* Of(void* data) { return static_cast<DataDeviceEvents*>(data); }
  static wl_proxy* Proxy(Offer* offer) { return reinterpret_cast<wl_proxy*>(offer); }

  static constexpr typename P::OfferListener kOfferListener = {
      [](void* data, Offer* offer, const char* type) { Of(data)->Offers(Proxy(offer), type); }};
  static constexpr typename P::DeviceListener kDeviceListener = {
      [](void* data, Device*, Offer* offer) {
        P::AddOfferListener(offer, &kOfferListener, data);
        Of(data)->Introduced(Proxy(offer));
      },
      [](void* data, Device*, Offer* offer) { Of(data)->Selected(Proxy(offer)); },
      [](void* data, Device*) { Of(data)->Finished(); },
      [](void*, Device*, Offer*) {},  // the primary selection, not asked for
  };

  typename P::Manager* manager_;
  Device* device_;
};

#endif  // PAVREL_WINDOW_DATA_CONTROL_H_
