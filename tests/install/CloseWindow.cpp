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

// Whether `value` is among the 32-bit values of a window's property of `type`.
bool Holds(xcb_window_t window, xcb_atom_t property, xcb_atom_t type, uint32_t value) {
    const auto reply = Wrap(
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, property, type, 0, 32), nullptr));
    if (!reply || reply->format != 32) {
        return false;
    }
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    const auto* end = values + xcb_get_property_value_length(reply.get()) / 4;
    return std::find(values, end, value) != end;
}

} // namespace

int main(int argc, char** argv) {
    connection = xcb_connect(nullptr, nullptr);
    if (argc < 2 || xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "usage: %s <process id> [seconds], on an X display\n", argv[0]);
        return 2;
    }
    const auto pid = static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    // The display's first screen: the install test's Xvfb has no other.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t pidAtom = Atom("_NET_WM_PID"), protocols = Atom("WM_PROTOCOLS"),
                     deleteWindow = Atom("WM_DELETE_WINDOW");

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(argc > 2 ? std::atoi(argv[2]) : 20);
    for (; std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
        const auto tree = Wrap(xcb_query_tree_reply(connection, xcb_query_tree(connection, root), nullptr));
        for (int i = 0; tree && i < xcb_query_tree_children_length(tree.get()); ++i) {
            const xcb_window_t window = xcb_query_tree_children(tree.get())[i];
            const auto attributes = Wrap(
                xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE ||
                !Holds(window, pidAtom, XCB_ATOM_CARDINAL, pid) ||
                !Holds(window, protocols, XCB_ATOM_ATOM, deleteWindow)) {
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
            return confirmed ? 0 : (std::fputs("the X server did not confirm the close\n", stderr), 1);
        }
    }
    xcb_disconnect(connection);
    std::fprintf(stderr, "no window of process %u appeared\n", static_cast<unsigned>(pid));
    return 1;
}
