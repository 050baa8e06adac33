// The reference for the start-up benchmark: the least a Qt Widgets program of the same size does
// before its first picture. It ends itself after that first paint. Built a second time with
// BENCH_WITH_TEXT, it also draws one line of text, which costs the font database's start-up: that
// shows how much of the program's lead over the bare window any window with text pays.
#include "firstpaint.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class TBareWindow : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
#ifdef BENCH_WITH_TEXT
        painter.drawText(QPoint(20, 30), QStringLiteral("Tensorkring"));
#endif
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    mohr::bench::ExitAfterFirstPaint({QStringLiteral("BareWindow")});
    TBareWindow window;
    window.setObjectName(QStringLiteral("BareWindow"));
    window.setFixedSize(800, 600);
    window.show();
    return app.exec();
}
