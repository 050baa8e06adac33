#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <memory>

class QTimer;
class QWidget;
class QWindow;

namespace mohr {

class TPlatform;

// The outer top-left corner that centres a window of the given outer size in the area. On a desktop
// smaller than the window the title bar must stay on it, or the window could never be moved back: the
// corner never goes above or left of the area.
QPoint CentredTopLeft(const QRect& area, QSize outer);

// What the outer size of a placed window (its frame included) is held to.
enum class TOuterSize {
    // The window's own size; the frame comes on top.
    Own,
    // The given size, always: the client area is fitted to whatever frame the window manager gives.
    Fixed,
    // The given size when first shown; after that, what the user makes of it.
    AtFirstShowing,
};

// How every window of the program is placed: each time the program shows it (not when the user restores
// it from minimised), its outer frame is centred on the available desktop of its screen. A window manager
// may move the window as it maps it, and tells the size of its frame only some time later and without an
// event of its own; so after each showing the window is placed again when it is first found on screen, and
// once more when it is first found with a frame, however late. It is looked for on its expose, move,
// change of state or activation and change of screen, and every 50 ms for 10 seconds (a busy machine may
// take seconds). The outer size is fitted to the frame at each of these. Owned by the window.
class TPlacement : public QObject {
public:
    // `platform` answers the desktop area and the frame; the real desktop does when it is null. Given,
    // it must outlive the window.
    TPlacement(QWidget* window, TOuterSize rule, QSize outerSize = {}, TPlatform* platform = nullptr);
    ~TPlacement() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void shown();
    void hidden(bool byTheProgram);
    // Anything that may come with news of the window's mapping or frame.
    void notice();
    void fitOuterSize();
    void place();

    QWidget* window_;
    TOuterSize rule_;
    QSize outerSize_;
    std::unique_ptr<TPlatform> ownPlatform_;
    TPlatform& platform_;
    QPointer<QWindow> watchedHandle_;
    QTimer* watch_;
    int ticks_ = 0;
    bool awaitingScreen_ = false;
    bool awaitingFrame_ = false;
    bool firstShowing_ = true;
};

} // namespace mohr
