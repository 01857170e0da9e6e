#include "ui/CloseRequestWatch.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

#if ENVIO_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace envio {

namespace {

#if ENVIO_HAVE_XCB
unsigned internAtom(xcb_connection_t* connection, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return 0;
    const unsigned atom = reply->atom;
    std::free(reply);
    return atom;
}
#endif

} // namespace

CloseRequestWatch::CloseRequestWatch(const QWidget& window, std::function<void()> onRequest)
    : window_(window), onRequest_(std::move(onRequest)) {
    QCoreApplication::instance()->installNativeEventFilter(this);
}

CloseRequestWatch::~CloseRequestWatch() {
    if (QCoreApplication* app = QCoreApplication::instance())
        app->removeNativeEventFilter(this);
}

bool CloseRequestWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (isCloseRequest(eventType, message))
        onRequest_();
    return false;
}

bool CloseRequestWatch::isCloseRequest(const QByteArray& eventType, void* message) {
    if (!window_.testAttribute(Qt::WA_WState_Created))
        return false;
#if ENVIO_HAVE_XCB
    if (eventType == "xcb_generic_event_t") {
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
            return false;
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->window != window_.winId() || client->format != 32)
            return false;
        if (!protocolsAtom_) {
            auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
            if (!x11)
                return false;
            protocolsAtom_ = internAtom(x11->connection(), "WM_PROTOCOLS");
            deleteAtom_ = internAtom(x11->connection(), "WM_DELETE_WINDOW");
        }
        return client->type == protocolsAtom_ && client->data.data32[0] == deleteAtom_;
    }
#endif
#ifdef Q_OS_WIN
    if (eventType == "windows_generic_MSG") {
        const auto* msg = static_cast<const MSG*>(message);
        return msg->message == WM_CLOSE && msg->hwnd == reinterpret_cast<HWND>(window_.winId());
    }
#endif
    (void)eventType;
    (void)message;
    return false;
}

} // namespace envio
