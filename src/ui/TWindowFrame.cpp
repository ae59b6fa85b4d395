#include "ui/TWindowFrame.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef QUILLSHIFT_WITH_XCB
#include <xcb/xcb.h>

namespace {

// The frame extents the window manager set on `window`, in device pixels, if any.
bool toldByWindowManager(QWindow& window, QMargins& extents) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        return false;
    }
    xcb_connection_t* connection = x11->connection();
    static const xcb_atom_t frameExtents = [connection] {
        constexpr char kName[] = "_NET_FRAME_EXTENTS";
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, sizeof kName - 1, kName), nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return atom;
    }();
    if (frameExtents == XCB_ATOM_NONE) {
        return false;
    }
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, static_cast<xcb_window_t>(window.winId()), frameExtents,
                         XCB_ATOM_CARDINAL, 0, 4),
        nullptr);
    const bool told = reply != nullptr && reply->format == 32 &&
                      xcb_get_property_value_length(reply) == 4 * sizeof(std::uint32_t);
    if (told) {
        std::array<std::uint32_t, 4> values{};  // left, right, top, bottom
        std::memcpy(values.data(), xcb_get_property_value(reply), sizeof values);
        extents = QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]),
                           static_cast<int>(values[1]), static_cast<int>(values[3]));
    }
    std::free(reply);
    return told;
}

}  // namespace
#endif

QMargins TWindowFrame::margins(QWindow& window) {
#ifdef QUILLSHIFT_WITH_XCB
    QMargins extents;
    if (window.handle() != nullptr && toldByWindowManager(window, extents)) {
        const qreal ratio = window.devicePixelRatio();
        return QMargins(qRound(extents.left() / ratio), qRound(extents.top() / ratio),
                        qRound(extents.right() / ratio), qRound(extents.bottom() / ratio));
    }
#endif
    return window.frameMargins();
}

QRect TWindowFrame::outerBounds(const QWidget& window) {
    QWindow* handle = window.windowHandle();
    return handle != nullptr ? window.geometry().marginsAdded(margins(*handle)) : window.geometry();
}
