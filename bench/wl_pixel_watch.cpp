// Watches one pixel of a wlroots compositor's first output through wlr-screencopy until it has
// clearly darkened, for timing a key to the overlay on screen:
//
//     wl_pixel_watch X Y
//
// prints "ready" once it knows the pixel's brightness, then, when the pixel is below 70 % of it,
// the time the compositor presented that frame on CLOCK_MONOTONIC in milliseconds (the clock
// Python's time.monotonic() reads). Each look copies that single pixel, so it costs the
// compositor next to nothing. Exits 1 after 20 s without a change.
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

wl_shm *shm;
wl_output *output;
zwlr_screencopy_manager_v1 *manager;
std::uint32_t managerVersion;

void global(void *, wl_registry *registry, std::uint32_t name, const char *interface, std::uint32_t version)
{
    if (std::strcmp(interface, wl_shm_interface.name) == 0)
        shm = static_cast<wl_shm *>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, wl_output_interface.name) == 0 && !output)
        output = static_cast<wl_output *>(wl_registry_bind(registry, name, &wl_output_interface, 1));
    else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
        managerVersion = version < 3 ? version : 3;
        manager = static_cast<zwlr_screencopy_manager_v1 *>(
            wl_registry_bind(registry, name, &zwlr_screencopy_manager_v1_interface, managerVersion));
    }
}
void globalRemove(void *, wl_registry *, std::uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

// One look: the buffer made once, then reused by every copy.
struct Look
{
    zwlr_screencopy_frame_v1 *frame = nullptr;
    std::uint32_t format = 0, width = 0, height = 0, stride = 0;
    bool done = false, failed = false;
    double presented = 0;
};
wl_buffer *buffer;
unsigned char *pixels;

void copy(Look *look)
{
    if (!buffer) {
        const std::size_t size = std::size_t(look->stride) * look->height;
        const int fd = memfd_create("wl_pixel_watch", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(size)) != 0)
            std::exit(2);
        pixels = static_cast<unsigned char *>(mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
        wl_shm_pool *pool = wl_shm_create_pool(shm, fd, int(size));
        buffer = wl_shm_pool_create_buffer(pool, 0, int(look->width), int(look->height), int(look->stride), look->format);
        wl_shm_pool_destroy(pool);
        close(fd);
    }
    zwlr_screencopy_frame_v1_copy(look->frame, buffer);
}
void onBuffer(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t format, std::uint32_t width, std::uint32_t height,
              std::uint32_t stride)
{
    auto *look = static_cast<Look *>(data);
    look->format = format, look->width = width, look->height = height, look->stride = stride;
    if (managerVersion < 3)
        copy(look);
}
void onFlags(void *, zwlr_screencopy_frame_v1 *, std::uint32_t) {}
void onReady(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t secondsHigh, std::uint32_t secondsLow,
             std::uint32_t nanoseconds)
{
    auto *look = static_cast<Look *>(data);
    look->done = true;
    look->presented = (double((std::uint64_t(secondsHigh) << 32) | secondsLow) * 1e3) + nanoseconds / 1e6;
}
void onFailed(void *data, zwlr_screencopy_frame_v1 *) { static_cast<Look *>(data)->done = static_cast<Look *>(data)->failed = true; }
void onDamage(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void onDmabuf(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t) {}
void onBufferDone(void *data, zwlr_screencopy_frame_v1 *) { copy(static_cast<Look *>(data)); }
const zwlr_screencopy_frame_v1_listener frameListener{onBuffer, onFlags, onReady, onFailed, onDamage, onDmabuf, onBufferDone};

double nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: wl_pixel_watch X Y\n");
        return 2;
    }
    const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return 2;
    wl_registry_add_listener(wl_display_get_registry(display), &registryListener, nullptr);
    wl_display_roundtrip(display);
    if (!shm || !output || !manager) {
        std::fprintf(stderr, "wl_pixel_watch: the compositor offers no wlr-screencopy\n");
        return 2;
    }
    // The brightness of one look at the pixel, and when the compositor presented it.
    auto look = [&](double &presented) {
        Look current;
        current.frame = zwlr_screencopy_manager_v1_capture_output_region(manager, 0, output, x, y, 1, 1);
        zwlr_screencopy_frame_v1_add_listener(current.frame, &frameListener, &current);
        while (!current.done) {
            if (wl_display_dispatch(display) < 0)
                std::exit(2);
        }
        zwlr_screencopy_frame_v1_destroy(current.frame);
        if (current.failed)
            std::exit(2);
        presented = current.presented;
        return int(pixels[0]) + int(pixels[1]) + int(pixels[2]);
    };
    double presented = 0;
    const int normal = look(presented);
    std::printf("ready\n");
    std::fflush(stdout);
    const double end = nowMs() + 20000;
    while (nowMs() < end) {
        const double seen = nowMs();
        if (look(presented) * 10 < normal * 7) {
            // The compositor's clock, where it is the monotonic one; else when the look came back.
            std::printf("%.3f\n", presented > seen - 1000 && presented <= nowMs() ? presented : nowMs());
            return 0;
        }
    }
    return 1;
}
