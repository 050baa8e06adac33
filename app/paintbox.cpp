#include "paintbox.h"

#include <QApplication>
#include <QHideEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QResizeEvent>
#include <qdrawutil.h>

namespace mohr {

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    // The image covers the whole panel, so nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    allocateImage(1.0);
    canvas_ = std::make_unique<TCanvas>(&image_, size());
    canvas_->Pen = TPen{};
    canvas_->Brush.SetStyle(BrushStyle::Solid);
    canvas_->Brush.SetColor(colours::White);
    canvas_->Font = panelFont_;
    canvas_->Changed = [this] {
        // During a paint the image is shown at its end anyway.
        if (!painting_)
            update();
    };
}

TPaintBox::~TPaintBox() = default;

void TPaintBox::allocateImage(qreal ratio) {
    const QSize logical = size().expandedTo(QSize(1, 1));
    image_ = QImage(logical * ratio, QImage::Format_RGB32);
    image_.setDevicePixelRatio(ratio);
    image_.fill(Qt::white);
    if (canvas_)
        canvas_->SetDevice(&image_, logical);
}

QImage TPaintBox::LogicalImage() const {
    if (image_.devicePixelRatio() == 1.0)
        return image_;
    QImage logical = image_.scaled(canvas_->LogicalSize(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    logical.setDevicePixelRatio(1.0);
    return logical;
}

void TPaintBox::setVisible(bool visible) {
    // An explicit hide refreshes even while the window itself is not on screen yet.
    if (!visible)
        refreshPending_ = true;
    QWidget::setVisible(visible);
}

void TPaintBox::hideEvent(QHideEvent* event) {
    // Hidden with its page, the panel is drawn anew when the page comes back. A hide that the window
    // system causes (a minimise) keeps the picture, as being covered by another window does.
    if (!event->spontaneous())
        refreshPending_ = true;
    QWidget::hideEvent(event);
}

void TPaintBox::resizeEvent(QResizeEvent* event) {
    allocateImage(image_.devicePixelRatio());
    refreshPending_ = true;
    QWidget::resizeEvent(event);
}

void TPaintBox::runRefresh() {
    refreshPending_ = false;
    canvas_->EraseForRepaint(panelFont_);
    if (OnPaint)
        OnPaint();
}

void TPaintBox::paintEvent(QPaintEvent* event) {
    painting_ = true;
    const qreal ratio = devicePixelRatioF();
    if (ratio != image_.devicePixelRatio()) {
        allocateImage(ratio);
        refreshPending_ = true;
    }
    if (refreshPending_)
        runRefresh();
    painting_ = false;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.drawImage(QPoint(0, 0), image_);
}

void TPaintBox::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown)
        OnMouseDown(event->button(), event->modifiers(), event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void TPaintBox::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (parentWidget())
        parentWidget()->update(); // its bevel marks the focus
}

void TPaintBox::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (parentWidget())
        parentWidget()->update();
}

bool TPaintBox::focusNextPrevChild(bool next) {
    // Hidden with the focus, for a refresh that shows it again at once: the focus stays, so that a
    // keyboard user is not moved away and a reader does not announce two focus changes.
    if (isHidden())
        return true;
    return QWidget::focusNextPrevChild(next);
}

void SetBlackOnWhite(QWidget* widget) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, Qt::white);
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::WindowText, Qt::black);
    p.setColor(QPalette::Text, Qt::black);
    widget->setPalette(p);
}

TBevelPanel::TBevelPanel(QWidget* parent) : QFrame(parent) {
    SetBlackOnWhite(this);
    setAutoFillBackground(true);
}

void TBevelPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPalette bevel = palette();
    // The classic bevel colours: white highlight, gray shadow.
    bevel.setColor(QPalette::Light, Qt::white);
    bevel.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
    const QRect outer = rect();
    qDrawShadePanel(&painter, outer, bevel, false, 2);
    const QRect inner = outer.adjusted(2, 2, -2, -2);
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->parentWidget() == this) {
        const QColor mark = palette().color(QPalette::Active, QPalette::Highlight);
        painter.fillRect(inner, mark);
        painter.fillRect(inner.adjusted(2, 2, -2, -2), Qt::white);
    } else {
        qDrawShadePanel(&painter, inner, bevel, true, 2);
    }
}

} // namespace mohr
