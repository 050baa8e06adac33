#include "placement.h"

#include "platform.h"

#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace mohr {

namespace {

constexpr int WatchInterval = 50;
constexpr int WatchTicks = 200;

} // namespace

QPoint CentredTopLeft(const QRect& area, QSize outer) {
    return QPoint(std::max(area.left(), area.x() + (area.width() - outer.width()) / 2),
                  std::max(area.top(), area.y() + (area.height() - outer.height()) / 2));
}

TPlacement::TPlacement(QWidget* window, TOuterSize rule, QSize outerSize, TPlatform* platform)
    : QObject(window), window_(window), rule_(rule), outerSize_(outerSize),
      ownPlatform_(platform ? nullptr : std::make_unique<TPlatform>()),
      platform_(platform ? *platform : *ownPlatform_), watch_(new QTimer(this)) {
    watch_->setObjectName(QStringLiteral("FrameWatch"));
    watch_->setInterval(WatchInterval);
    connect(watch_, &QTimer::timeout, this, [this] {
        notice();
        if (++ticks_ >= WatchTicks)
            watch_->stop();
    });
    window->installEventFilter(this);
}

TPlacement::~TPlacement() = default;

bool TPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        switch (event->type()) {
        case QEvent::Show:
            if (!event->spontaneous())
                shown();
            break;
        case QEvent::Hide:
            hidden(!event->spontaneous());
            break;
        case QEvent::Move:
        case QEvent::WindowStateChange:
        case QEvent::ActivationChange:
            notice();
            break;
        default:
            break;
        }
    } else if (watched == watchedHandle_ && event->type() == QEvent::Expose) {
        notice();
    }
    return false;
}

void TPlacement::shown() {
    // The native window exists by now but is not mapped yet: placed before it appears.
    if (QWindow* handle = window_->windowHandle(); handle && handle != watchedHandle_) {
        handle->installEventFilter(this);
        connect(handle, &QWindow::screenChanged, this, &TPlacement::notice);
        watchedHandle_ = handle;
    }
    place();
    awaitingScreen_ = true;
    awaitingFrame_ = true;
    ticks_ = 0;
    watch_->start();
}

void TPlacement::hidden(bool byTheProgram) {
    awaitingScreen_ = false;
    awaitingFrame_ = false;
    watch_->stop();
    if (byTheProgram)
        firstShowing_ = false;
}

void TPlacement::notice() {
    if (!window_->isVisible())
        return;
    fitOuterSize();
    const QWindow* handle = window_->windowHandle();
    if (!handle || !handle->isExposed())
        return;
    const bool framed = !platform_.FrameMargins(window_).isNull();
    if (!awaitingScreen_ && !(awaitingFrame_ && framed))
        return;
    awaitingScreen_ = false;
    if (framed) {
        awaitingFrame_ = false;
        watch_->stop();
    }
    place();
}

void TPlacement::fitOuterSize() {
    if (rule_ != TOuterSize::Fixed)
        return;
    const QSize client = outerSize_.shrunkBy(platform_.FrameMargins(window_));
    if (client.isValid() && (window_->minimumSize() != client || window_->maximumSize() != client))
        window_->setFixedSize(client);
}

void TPlacement::place() {
    const QMargins frame = platform_.FrameMargins(window_);
    const bool sized = rule_ == TOuterSize::Fixed || (rule_ == TOuterSize::AtFirstShowing && firstShowing_);
    if (rule_ == TOuterSize::Fixed)
        fitOuterSize();
    else if (sized)
        window_->resize(outerSize_.shrunkBy(frame));
    const QSize outer = sized ? outerSize_ : window_->size().grownBy(frame);
    const QRect area = platform_.AvailableGeometry(window_);
    if (!area.isValid())
        return;
    const QPoint outerTopLeft = CentredTopLeft(area, outer);
    // The client area is placed inside the frame as the native window knows it: the widget's own copy
    // of the frame may lag behind, and a window manager may take a frame position for the client's.
    if (QWindow* handle = window_->windowHandle())
        handle->setPosition(outerTopLeft + QPoint(frame.left(), frame.top()));
    else
        window_->move(outerTopLeft);
}

} // namespace mohr
