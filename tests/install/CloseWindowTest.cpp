// Checks that parcelo-close-window does not end before the X server has acted on its
// close request. The helper talks to a private Xvfb through a relay that behaves like a
// busy server: it passes on what the helper writes only after a pause, and drops what it
// has not passed on yet when the helper hangs up, as an X server does when it sees the
// hang-up before it has read the request. A helper that hangs up straight after writing
// the close loses it here every time.
// Usage: parcelo-close-window-test <parcelo-close-window>
// Exit status 77 (skipped) without Xvfb.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kRelayPause = std::chrono::milliseconds(40);
constexpr auto kTimeLimit = std::chrono::seconds(20);
// The window waiting for the close carries this process id, as the program's window does.
const uint32_t kPid = 4242;

struct Server {
    pid_t pid = -1;
    int display = -1;
};

// A private Xvfb on a display number of its own choosing.
Server StartXvfb() {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        const std::string fd = std::to_string(pipeFds[1]);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp",
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string number;
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    ::close(pipeFds[0]);
    if (pid < 0 || number.empty()) {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
        return {};
    }
    return {pid, std::atoi(number.c_str())};
}

sockaddr_un DisplayAddress(int display, bool abstract) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = "/tmp/.X11-unix/X" + std::to_string(display);
    std::memcpy(address.sun_path + (abstract ? 1 : 0), path.c_str(), path.size());
    return address;
}

socklen_t AbstractLength(int display) {
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 +
                                  std::string("/tmp/.X11-unix/X" + std::to_string(display)).size());
}

// Listens on the abstract socket of an unused display number, which xcb tries first.
int ListenOnFreeDisplay(int& display) {
    for (display = 200; display < 400; ++display) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_un address = DisplayAddress(display, true);
        if (::access(("/tmp/.X11-unix/X" + std::to_string(display)).c_str(), F_OK) != 0 &&
            ::bind(fd, reinterpret_cast<const sockaddr*>(&address), AbstractLength(display)) == 0 &&
            ::listen(fd, 1) == 0) {
            return fd;
        }
        ::close(fd);
    }
    return -1;
}

int ConnectToDisplay(int display) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = DisplayAddress(display, false);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written <= 0) {
            return false;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

// Relays one connection between the helper and the server until the helper hangs up.
void Relay(int listenFd, int serverDisplay, Clock::time_point deadline) {
    pollfd accepting{listenFd, POLLIN, 0};
    if (::poll(&accepting, 1, 10000) != 1) {
        return;
    }
    const int helperFd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    const int serverFd = ConnectToDisplay(serverDisplay);
    std::vector<char> held;
    Clock::time_point heldSince{};
    char buffer[65536];
    while (helperFd >= 0 && serverFd >= 0 && Clock::now() < deadline) {
        if (!held.empty() && Clock::now() - heldSince >= kRelayPause) {
            WriteAll(serverFd, held.data(), held.size());
            held.clear();
        }
        pollfd fds[2] = {{helperFd, POLLIN, 0}, {serverFd, POLLIN, 0}};
        if (::poll(fds, 2, 5) < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents != 0) {
            const ssize_t size = ::read(helperFd, buffer, sizeof buffer);
            if (size <= 0) {
                break; // hung up: what is still held is dropped unread
            }
            if (held.empty()) {
                heldSince = Clock::now();
            }
            held.insert(held.end(), buffer, buffer + size);
        }
        if (fds[1].revents != 0) {
            const ssize_t size = ::read(serverFd, buffer, sizeof buffer);
            if (size <= 0 || !WriteAll(helperFd, buffer, static_cast<size_t>(size))) {
                break;
            }
        }
    }
    ::close(helperFd);
    ::close(serverFd);
}

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection,
                              xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// A mapped top-level window that, like the program's, carries its process id and accepts
// WM_DELETE_WINDOW.
xcb_window_t CreateClosableWindow(xcb_connection_t* connection, xcb_atom_t protocols, xcb_atom_t deleteWindow) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const xcb_window_t window = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, "_NET_WM_PID"), XCB_ATOM_CARDINAL,
                        32, 1, &kPid);
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, protocols, XCB_ATOM_ATOM, 32, 1, &deleteWindow);
    xcb_map_window(connection, window);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    return window;
}

bool ReceivedDelete(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t protocols, xcb_atom_t deleteWindow) {
    // The helper has ended; anything it achieved is on its way by now.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
        const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
            const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
            if (message->window == window && message->type == protocols && message->data.data32[0] == deleteWindow) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <parcelo-close-window>\n", argv[0]);
        return 2;
    }
    const Server server = StartXvfb();
    if (server.pid < 0) {
        std::fprintf(stderr, "Xvfb is not available\n");
        return 77;
    }
    const auto finish = [&server](int status) {
        ::kill(server.pid, SIGTERM);
        ::waitpid(server.pid, nullptr, 0);
        return status;
    };

    const std::string serverName = ":" + std::to_string(server.display);
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(serverName.c_str(), nullptr), &xcb_disconnect);
    if (xcb_connection_has_error(connection.get()) != 0) {
        std::fprintf(stderr, "cannot connect to Xvfb on %s\n", serverName.c_str());
        return finish(1);
    }
    const xcb_atom_t protocols = Atom(connection.get(), "WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = Atom(connection.get(), "WM_DELETE_WINDOW");
    const xcb_window_t window = CreateClosableWindow(connection.get(), protocols, deleteWindow);

    int relayDisplay = -1;
    const int listenFd = ListenOnFreeDisplay(relayDisplay);
    if (listenFd < 0) {
        std::fprintf(stderr, "no free display number for the relay\n");
        return finish(1);
    }
    const pid_t helper = ::fork();
    if (helper == 0) {
        const std::string display = ":" + std::to_string(relayDisplay);
        ::setenv("DISPLAY", display.c_str(), 1);
        const std::string pid = std::to_string(kPid);
        ::execl(argv[1], argv[1], pid.c_str(), "10", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    Relay(listenFd, server.display, Clock::now() + kTimeLimit);
    ::close(listenFd);
    int status = 0;
    ::waitpid(helper, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "parcelo-close-window failed (status %d)\n", status);
        return finish(1);
    }
    if (!ReceivedDelete(connection.get(), window, protocols, deleteWindow)) {
        std::fprintf(stderr, "parcelo-close-window ended before its close request reached the window\n");
        return finish(1);
    }
    std::printf("the close request reached the window\n");
    return finish(0);
}
