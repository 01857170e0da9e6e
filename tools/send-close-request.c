// Asks an X11 window to close as a window manager does (WM_PROTOCOLS / WM_DELETE_WINDOW), for checks of the
// windows under Xvfb, where no window manager runs. Built by scripts/check-close-during-run:
//   gcc tools/send-close-request.c -o /tmp/send-close-request -lxcb
//   /tmp/send-close-request WINDOW_ID
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <xcb/xcb.h>

static xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, (uint16_t)strlen(name), name), NULL);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t found = reply->atom;
    free(reply);
    return found;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: send-close-request WINDOW_ID\n");
        return 64;
    }
    xcb_connection_t* connection = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(connection)) {
        fprintf(stderr, "send-close-request: no X display\n");
        return 1;
    }
    xcb_client_message_event_t request;
    memset(&request, 0, sizeof request);
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = (xcb_window_t)strtoul(argv[1], NULL, 0);
    request.type = atom(connection, "WM_PROTOCOLS");
    request.data.data32[0] = atom(connection, "WM_DELETE_WINDOW");
    request.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, request.window, XCB_EVENT_MASK_NO_EVENT, (const char*)&request);
    xcb_flush(connection);
    xcb_disconnect(connection);
    return 0;
}
