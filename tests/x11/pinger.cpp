// SPDX-License-Identifier: GPL-3.0-or-later
// A window manager's ping in the real-window test: sends _NET_WM_PING to a window every 100 ms,
// as a window manager does to find out whether a program still answers, and times each answer
// (the client sends the message back to the root window). On SIGTERM or SIGINT it prints
//     pings N, answered M, longest answer T ms
// where T counts a ping still unanswered at the end as waiting until then.
// Usage: pinger WINDOW_ID (decimal, or hex with 0x)
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kInterval = std::chrono::milliseconds(100);

volatile std::sig_atomic_t gStop = 0;

void Stop(int) {
    gStop = 1;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(c, 0, std::strlen(name), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

class Pinger {
public:
    Pinger(xcb_connection_t* c, xcb_window_t window)
        : FConnection(c), FWindow(window),
          FRoot(xcb_setup_roots_iterator(xcb_get_setup(c)).data->root),
          FProtocols(Atom(c, "WM_PROTOCOLS")), FPing(Atom(c, "_NET_WM_PING")) {
        // The answers are sent to the root window. Qt sends them to the clients that select
        // StructureNotify there (and to the window manager, which holds SubstructureRedirect),
        // not to those selecting SubstructureNotify only.
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(c, FRoot, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c);
    }

    void ping() {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = FWindow;
        event.type = FProtocols;
        event.data.data32[0] = FPing;
        event.data.data32[1] = uint32_t(FSent.size() + 1); // the "timestamp" the client echoes
        event.data.data32[2] = FWindow;
        xcb_send_event(FConnection, 0, FWindow, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&event));
        xcb_flush(FConnection);
        FSent.push_back(Clock::now());
        FAnswered.push_back(false);
    }

    void readAnswers() {
        while (xcb_generic_event_t* event = xcb_poll_for_event(FConnection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE)
                answer(*reinterpret_cast<const xcb_client_message_event_t*>(event));
            std::free(event);
        }
    }

    void report() const {
        const Clock::time_point now = Clock::now();
        Clock::duration longest{};
        int answered = 0;
        for (std::size_t i = 0; i < FSent.size(); ++i) {
            answered += FAnswered[i];
            longest = std::max(longest, (FAnswered[i] ? FLatency[i] : now - FSent[i]));
        }
        std::printf("pings %zu, answered %d, longest answer %lld ms\n", FSent.size(), answered,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()));
    }

private:
    void answer(const xcb_client_message_event_t& event) {
        if (event.type != FProtocols || event.data.data32[0] != FPing ||
            event.data.data32[2] != FWindow)
            return;
        const std::size_t i = event.data.data32[1] - 1;
        if (i >= FSent.size() || FAnswered[i])
            return;
        FAnswered[i] = true;
        FLatency.resize(FSent.size());
        FLatency[i] = Clock::now() - FSent[i];
    }

    xcb_connection_t* FConnection;
    xcb_window_t FWindow;
    xcb_window_t FRoot;
    xcb_atom_t FProtocols;
    xcb_atom_t FPing;
    std::vector<Clock::time_point> FSent;
    std::vector<bool> FAnswered;
    std::vector<Clock::duration> FLatency;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s WINDOW_ID\n", argv[0]);
        return 2;
    }
    const auto window = xcb_window_t(std::strtoul(argv[1], nullptr, 0));
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "pinger: no X display\n");
        return 1;
    }
    std::signal(SIGTERM, Stop);
    std::signal(SIGINT, Stop);
    Pinger pinger(c, window);
    Clock::time_point next = Clock::now();
    while (!gStop && !xcb_connection_has_error(c)) {
        if (Clock::now() >= next) {
            pinger.ping();
            next += kInterval;
        }
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now());
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&fd, 1, int(std::max<long long>(0, wait.count())));
        pinger.readAnswers();
    }
    pinger.report();
    xcb_disconnect(c);
    return 0;
}
