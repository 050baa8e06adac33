#include "firstpaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>

namespace mohr::bench {

namespace {

class TFirstPaintWatch : public QObject {
public:
    TFirstPaintWatch(QSet<QString> names, int timeoutMs)
        : waiting_(std::move(names)), timeoutMs_(timeoutMs) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The timeout is armed on the first event, when the event loop can run timers.
        if (!armed_) {
            armed_ = true;
            QTimer::singleShot(timeoutMs_, [] {
                std::fputs("first paint: timed out\n", stderr);
                std::_Exit(2);
            });
        }
        if (event->type() == QEvent::Paint && watched->isWidgetType() && !waiting_.isEmpty() &&
            waiting_.remove(watched->objectName()) && waiting_.isEmpty()) {
            // Leave after this paint has finished, its backing store included.
            QTimer::singleShot(0, [] {
                std::fflush(nullptr);
                std::_Exit(0);
            });
        }
        return false;
    }

private:
    QSet<QString> waiting_;
    int timeoutMs_;
    bool armed_ = false;
};

} // namespace

void ExitAfterFirstPaint(QSet<QString> widgetNames, int timeoutMs) {
    auto* app = QCoreApplication::instance();
    auto* watch = new TFirstPaintWatch(std::move(widgetNames), timeoutMs);
    watch->setParent(app);
    app->installEventFilter(watch);
}

} // namespace mohr::bench
