// `pixdrift`, the command desktops and users run. A key bound in the desktop runs
// `pixdrift --area` each time: with Pixdrift running, that is one D-Bus call from a process that
// loads the session bus's library and nothing else. The program itself, with Qt and the text
// recognition, takes tens of milliseconds only to load its libraries. Every other command line,
// and any call no running Pixdrift answered, runs the program with the same arguments.
#include <gio/gio.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// The running Pixdrift's method for a command line that only asks it to do something.
const char *methodFor(int argc, char *argv[])
{
    if (argc == 1)
        return "Activate";
    if (argc != 2)
        return nullptr;
    static constexpr std::pair<const char *, const char *> calls[] = {
        {"--area", "CaptureArea"}, {"--full", "CaptureFull"}, {"--window", "CaptureWindow"}, {"--last", "CaptureLast"}};
    for (const auto &[option, method] : calls) {
        if (std::strcmp(argv[1], option) == 0)
            return method;
    }
    return nullptr;
}

bool callRunning(const char *method)
{
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return false;
    GVariant *reply = g_dbus_connection_call_sync(bus, "app.pixdrift.Pixdrift", "/app/pixdrift/Pixdrift",
                                                  "app.pixdrift.Pixdrift", method, nullptr, nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, nullptr);
    g_object_unref(bus);
    if (!reply)
        return false;
    g_variant_unref(reply);
    return true;
}

// The program: beside this command in a build, in its own folder once installed.
std::string program()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = length > 0 ? std::string(self, std::size_t(length)) : std::string();
    folder = folder.substr(0, folder.rfind('/') + 1);
    for (const std::string &candidate : {folder + "pixdrift-app", folder + PIXDRIFT_PROGRAM_FROM_BIN "/pixdrift-app"}) {
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return folder + "pixdrift-app";
}

} // namespace

int main(int argc, char *argv[])
{
    if (const char *method = methodFor(argc, argv); method && callRunning(method))
        return 0;
    const std::string path = program();
    execv(path.c_str(), argv);
    std::fprintf(stderr, "pixdrift: cannot run %s: %s\n", path.c_str(), std::strerror(errno));
    return 127;
}
