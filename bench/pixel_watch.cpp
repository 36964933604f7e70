// pixel_watch X Y -- COMMAND [ARGS...]
// Starts COMMAND and prints the milliseconds until the root window's pixel at (X, Y) changes:
// the time from an action to its first effect on screen. Exits 1 when nothing changed within
// five seconds.

#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

std::uint32_t pixelAt(xcb_connection_t *connection, xcb_window_t root, int x, int y)
{
    std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
        xcb_get_image_reply(connection,
                            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(x),
                                          std::int16_t(y), 1, 1, ~0u),
                            nullptr),
        &std::free);
    if (!reply || xcb_get_image_data_length(reply.get()) < 4)
        return 0;
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, xcb_get_image_data(reply.get()), 4);
    return pixel & 0xffffff;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 5 || std::strcmp(argv[3], "--") != 0) {
        std::fputs("usage: pixel_watch X Y -- COMMAND [ARGS...]\n", stderr);
        return 2;
    }
    const int x = std::atoi(argv[1]);
    const int y = std::atoi(argv[2]);
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fputs("pixel_watch: cannot open the display\n", stderr);
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const std::uint32_t before = pixelAt(connection, root, x, y);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[4], argv + 4);
        _exit(127);
    }
    int result = 1;
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
        if (pixelAt(connection, root, x, y) != before) {
            const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
            std::printf("%.1f\n", elapsed.count());
            result = 0;
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    waitpid(child, nullptr, 0);
    xcb_disconnect(connection);
    return result;
}
