// overlay_floor KEYCODE MODIFIERS
// The least any program can do from a hot key to a dimmed, frozen screen on X11, for the
// benchmark to measure Pixdrift against: everything is made in advance (the window, both
// shared-memory buffers with every page touched on both sides), and a press of the grabbed key
// only reads the screen into one buffer, dims it into the other, maps the window and puts the
// buffer on it. Escape (while the window shows) takes it down again. Runs until killed.

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace {

struct Buffer
{
    xcb_shm_seg_t seg = 0;
    std::uint32_t *pixels = nullptr;
};

Buffer makeBuffer(xcb_connection_t *c, std::size_t bytes)
{
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    Buffer buffer;
    buffer.pixels = static_cast<std::uint32_t *>(shmat(id, nullptr, 0));
    buffer.seg = xcb_generate_id(c);
    xcb_shm_attach(c, buffer.seg, std::uint32_t(id), 0);
    // A round trip: the attach has happened before the segment is marked for removal.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    shmctl(id, IPC_RMID, nullptr);
    std::memset(buffer.pixels, 0, bytes);
    return buffer;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: overlay_floor KEYCODE MODIFIERS\n", stderr);
        return 2;
    }
    const auto key = xcb_keycode_t(std::atoi(argv[1]));
    const auto modifiers = std::uint16_t(std::strtoul(argv[2], nullptr, 0));
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const std::uint16_t w = screen->width_in_pixels, h = screen->height_in_pixels;
    const std::size_t count = std::size_t(w) * h, bytes = count * 4;

    const Buffer frozen = makeBuffer(c, bytes);
    const Buffer shown = makeBuffer(c, bytes);
    const xcb_gcontext_t gc = xcb_generate_id(c);
    xcb_create_gc(c, gc, screen->root, 0, nullptr);
    // The server touches both buffers once, so that neither side faults on a press.
    const xcb_pixmap_t scratch = xcb_generate_id(c);
    xcb_create_pixmap(c, screen->root_depth, scratch, screen->root, w, h);
    free(xcb_shm_get_image_reply(c, xcb_shm_get_image(c, screen->root, 0, 0, w, h, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, frozen.seg, 0), nullptr));
    xcb_shm_put_image(c, scratch, gc, w, h, 0, 0, w, h, 0, 0, screen->root_depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, shown.seg, 0);

    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t values[] = {1, XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_KEY_PRESS};
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, w, h, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
    xcb_grab_key(c, 1, screen->root, modifiers, key, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    xcb_flush(c);

    bool up = false;
    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        const auto type = event->response_type & 0x7f;
        if (type == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<xcb_key_press_event_t *>(event);
            if (!up && press->detail == key) {
                free(xcb_shm_get_image_reply(c, xcb_shm_get_image(c, screen->root, 0, 0, w, h, ~0u, XCB_IMAGE_FORMAT_Z_PIXMAP, frozen.seg, 0), nullptr));
                for (std::size_t i = 0; i < count; ++i) {
                    const std::uint32_t p = frozen.pixels[i];
                    shown.pixels[i] = ((p >> 1) & 0x7f7f7f) + ((p >> 3) & 0x1f1f1f);
                }
                xcb_map_window(c, window);
                xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
                up = true;
            } else if (up) {
                xcb_unmap_window(c, window);
                up = false;
            }
            xcb_flush(c);
        } else if (type == XCB_EXPOSE && up) {
            xcb_shm_put_image(c, window, gc, w, h, 0, 0, w, h, 0, 0, screen->root_depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                              shown.seg, 0);
            xcb_flush(c);
        }
        free(event);
    }
    return 0;
}
