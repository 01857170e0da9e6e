#pragma once

#include <QAbstractNativeEventFilter>
#include <functional>

class QWidget;

namespace envio {

// Sees the window system ask a window to close (the title bar's close button, the window manager's close)
// even while a modal box blocks that window, when the toolkit drops the request before the window sees it.
// `onRequest` runs on the GUI thread; the request then goes on as usual. Watches for its lifetime.
class CloseRequestWatch : public QAbstractNativeEventFilter {
public:
    CloseRequestWatch(const QWidget& window, std::function<void()> onRequest);
    ~CloseRequestWatch() override;
    CloseRequestWatch(const CloseRequestWatch&) = delete;
    CloseRequestWatch& operator=(const CloseRequestWatch&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool isCloseRequest(const QByteArray& eventType, void* message);

    const QWidget& window_;
    std::function<void()> onRequest_;
    unsigned protocolsAtom_ = 0;
    unsigned deleteAtom_ = 0;
};

} // namespace envio
