#include "figures/canvas.h"

#include <QFont>
#include <QFontDatabase>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace mohr {

QRgb ToRgb(Colour c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

int TCanvasFont::Size() const { return (Height * 72 + 48) / 96; }
void TCanvasFont::SetSize(int points) { Height = (points * 96 + 36) / 72; }

namespace {
FontFamilyProvider& provider() {
    static FontFamilyProvider p;
    return p;
}
} // namespace

void SetFontFamilyProvider(FontFamilyProvider p) { provider() = std::move(p); }
QStringList InstalledFontFamilies() { return provider() ? provider()() : QFontDatabase::families(); }

QFont RenderFont(const TCanvasFont& font) {
    QFont f(font.Name);
    f.setPixelSize(font.Height);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

TCanvas::TCanvas(QPaintDevice* device, QSize logicalSize) : device_(device), size_(logicalSize) {}
void TCanvas::SetDevice(QPaintDevice* device, QSize logicalSize) {
    device_ = device;
    size_ = logicalSize;
}
void TCanvas::MoveTo(int x, int y) { pos_ = QPoint(x, y); }
void TCanvas::LineTo(int x, int y) { pos_ = QPoint(x, y); notify(); }
void TCanvas::Ellipse(int, int, int, int) { notify(); }
void TCanvas::Polygon(const std::vector<QPoint>&) { notify(); }
void TCanvas::TextOut(int, int, const QString&) { notify(); }
void TCanvas::EraseForRepaint(const TCanvasFont& panelFont) {
    Font = panelFont;
    Brush.SetColor(colours::White);
    notify();
}
void TCanvas::notify() {
    if (Changed)
        Changed();
}

} // namespace mohr
