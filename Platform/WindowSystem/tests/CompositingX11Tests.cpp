// Run under Xvfb (CTest's WindowTransparencyOnX11): a real X server, without a compositing manager
// until the test stands in for one.
#include "Platform/WindowSystem/WindowTransparency.h"

#include <QApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace platform {
namespace {

// Owns _NET_WM_CM_S<screen> through a window of a connection of its own, as a compositing manager does.
class StandInCompositingManager {
public:
    StandInCompositingManager() {
        int screenNumber = 0;
        connection_ = xcb_connect(nullptr, &screenNumber);
        xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
        for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
        const xcb_window_t window = xcb_generate_id(connection_);
        xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window, screens.data->root, 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        const std::string name = "_NET_WM_CM_S" + std::to_string(screenNumber);
        xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, std::uint16_t(name.size()), name.c_str()), nullptr);
        xcb_set_selection_owner(connection_, window, atom->atom, XCB_CURRENT_TIME);
        std::free(atom);
        std::free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));  // a round trip
    }
    ~StandInCompositingManager() { xcb_disconnect(connection_); }

private:
    xcb_connection_t* connection_;
};

TEST(CompositingOnX11, AWindowIsSeeThroughOnlyWhileACompositingManagerRuns) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    int argc = 1;
    char program[] = "PlatformWindowSystemX11Tests";
    char* argv[] = {program, nullptr};
    QApplication application(argc, argv);

    EXPECT_FALSE(compositorAvailable());
    QWidget opaque;
    makeWindowTransparent(&opaque, std::nullopt);
    EXPECT_FALSE(isWindowTranslucent(&opaque));

    const StandInCompositingManager manager;
    EXPECT_TRUE(compositorAvailable());
    QWidget seeThrough;
    makeWindowTransparent(&seeThrough, std::nullopt);
    EXPECT_TRUE(isWindowTranslucent(&seeThrough));
}

}  // namespace
}  // namespace platform
