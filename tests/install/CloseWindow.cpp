// Asks the X11 window of a process to close, as a window manager's close button
// does: a WM_DELETE_WINDOW message to the mapped top-level window that carries
// the process id. The install test uses it to end the installed program the way
// a user would.
// Usage: parcelo-close-window <process id> [seconds to wait for the window]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>
#include <xcb/xcb.h>

namespace {

xcb_connection_t* connection = nullptr;

template <typename T> std::unique_ptr<T, decltype(&std::free)> Wrap(T* reply) {
    return {reply, &std::free};
}

xcb_atom_t Atom(const char* name) {
    const auto reply = Wrap(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The 32-bit values of a window's property of `type`.
std::vector<uint32_t> Values(xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    const auto reply = Wrap(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 32), nullptr));
    const auto* values =
        reply && reply->format == 32 ? static_cast<const uint32_t*>(xcb_get_property_value(reply.get())) : nullptr;
    return values ? std::vector<uint32_t>(values, values + xcb_get_property_value_length(reply.get()) / 4)
                  : std::vector<uint32_t>();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <process id> [seconds]\n", argv[0]);
        return 2;
    }
    const auto pid = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    int screenNumber = 0;
    connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "cannot connect to the X display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber; ++i) {
        xcb_screen_next(&screens);
    }
    const xcb_atom_t pidAtom = Atom("_NET_WM_PID"), protocols = Atom("WM_PROTOCOLS"),
                     deleteWindow = Atom("WM_DELETE_WINDOW");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(argc > 2 ? std::atoi(argv[2]) : 20);
    for (; std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        const auto tree =
            Wrap(xcb_query_tree_reply(connection, xcb_query_tree(connection, screens.data->root), nullptr));
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t window = xcb_query_tree_children(tree.get())[i];
            const std::vector<uint32_t> offered = Values(window, protocols, XCB_ATOM_ATOM);
            const auto attributes = Wrap(
                xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
                Values(window, pidAtom, XCB_ATOM_CARDINAL) != std::vector<uint32_t>{pid} ||
                std::find(offered.begin(), offered.end(), deleteWindow) == offered.end()) {
                continue;
            }
            const xcb_client_message_event_t event{
                XCB_CLIENT_MESSAGE, 32, 0, window, protocols, {.data32 = {deleteWindow, XCB_CURRENT_TIME}}};
            xcb_send_event(connection, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
            // Wait until the server has carried the request out. Hanging up right after writing
            // it can lose it: an X server that sees the hang-up before it has read the request
            // closes the connection without reading on, which happens readily on a busy machine.
            const bool confirmed =
                Wrap(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr)) != nullptr;
            xcb_disconnect(connection);
            if (!confirmed) {
                std::fprintf(stderr, "the X server did not confirm the close\n");
            }
            return confirmed ? 0 : 1;
        }
    }
    xcb_disconnect(connection);
    std::fprintf(stderr, "no window of process %u appeared\n", static_cast<unsigned>(pid));
    return 1;
}
