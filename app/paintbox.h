#pragma once

#include "figures/canvas.h"

#include <QFrame>
#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>

namespace mohr {

// A drawing panel. The figures draw on a canvas over a persistent backing image, which the panel
// shows at once. The image follows the device pixel ratio so that lines stay sharp on dense screens,
// while the figures keep drawing in the panel's logical pixels.
//
// A paint only shows the image, except after a refresh: hiding the panel (not a minimise) marks it, and the
// next paint first erases the canvas (white, panel font, white brush), runs the paint handler to replay the
// figures and only then shows the result. The refresh therefore repaints once the handler that asked
// for it has returned to the event loop.
class TPaintBox : public QWidget {
public:
    explicit TPaintBox(QWidget* parent = nullptr);
    ~TPaintBox() override;

    TCanvas& Canvas() { return *canvas_; }
    // The font the canvas gets back at every refresh: the window font, in black.
    const TCanvasFont& PanelFont() const { return panelFont_; }

    // Replays the panel's figures after a refresh.
    std::function<void()> OnPaint;
    // A mouse button pressed on the panel, with the modifiers and the position on the panel.
    std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> OnMouseDown;

    // True between a hide and the repaint that follows it.
    bool RefreshPending() const { return refreshPending_; }
    // The picture in logical pixels, one image pixel per panel pixel.
    QImage LogicalImage() const;

    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    // A fresh white image for the current size and pixel ratio; what it showed is replayed by a refresh.
    void allocateImage(qreal ratio);
    void runRefresh();

    QImage image_;
    std::unique_ptr<TCanvas> canvas_;
    TCanvasFont panelFont_;
    bool refreshPending_ = false;
    bool painting_ = false;
};

// Black ink on a white ground, whatever the desktop's theme, for the white panels and the warning and every
// control on them that does not choose its own colour: a dark theme's light text would vanish there.
void SetBlackOnWhite(QWidget* widget);

// A white panel, black ink, with a 2-pixel raised outer and a 2-pixel lowered inner bevel. While the
// drawing panel inside has the keyboard focus, the inner bevel is drawn in the highlight colour instead:
// the focus is marked around the drawing, never on it.
class TBevelPanel : public QFrame {
public:
    explicit TBevelPanel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace mohr
