// Another X client that holds a key grab: grab_key <keycode> <modifier mask>.
// Prints "grabbed" or "refused", then keeps the grab until its standard input closes.
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fputs("usage: grab_key <keycode> <modifier mask>\n", stderr);
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("no X display\n", stderr);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const auto keycode = static_cast<xcb_keycode_t>(std::atoi(argv[1]));
    const auto modifiers = static_cast<std::uint16_t>(std::atoi(argv[2]));
    xcb_generic_error_t *error = xcb_request_check(
        connection, xcb_grab_key_checked(connection, 1, root, modifiers, keycode, XCB_GRAB_MODE_ASYNC,
                                         XCB_GRAB_MODE_ASYNC));
    std::puts(error ? "refused" : "grabbed");
    std::fflush(stdout);
    std::free(error);
    while (std::getchar() != EOF) {
    }
    xcb_disconnect(connection);
    return 0;
}
