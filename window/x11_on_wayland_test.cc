#include "window/x11_on_wayland.h"

#include <QByteArray>
#include <QString>

#include "gtest/gtest.h"

namespace {

TEST(PreferX11OnWaylandTest, ChoosesXcbOnlyInAWaylandSessionWithXWaylandAndNoChoiceMade) {
  struct Case {
    const char* session;
    const char* display;
    const char* chosen;  // QT_QPA_PLATFORM before, or nullptr
    const char* expected;
  };
  const Case cases[] = {
      {"wayland", ":0", nullptr, "xcb"},
      {"wayland", ":0", "wayland", "wayland"},
      {"wayland", "", nullptr, nullptr},
      {"x11", ":0", nullptr, nullptr},
  };
  const QByteArray saved = qgetenv("DISPLAY");
  for (const Case& c : cases) {
    qputenv("XDG_SESSION_TYPE", c.session);
    qputenv("DISPLAY", c.display);
    if (c.chosen) {
      qputenv("QT_QPA_PLATFORM", c.chosen);
    } else {
      qunsetenv("QT_QPA_PLATFORM");
    }
    PreferX11OnWayland();
    if (c.expected) {
      EXPECT_EQ(qEnvironmentVariable("QT_QPA_PLATFORM"), c.expected) << c.session << c.display;
    } else {
      EXPECT_FALSE(qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) << c.session << c.display;
    }
  }
  qputenv("DISPLAY", saved);
  qunsetenv("QT_QPA_PLATFORM");
  qunsetenv("XDG_SESSION_TYPE");
}

}  // namespace
