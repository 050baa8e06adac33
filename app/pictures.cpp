#include "pictures.h"

#include "jpegimage.h"

#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmapCache>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace mohr {

QImage LogoImage(int scaleDenominator) {
    QFile file(QStringLiteral(":/logo.jpg"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return DecodeJpeg(file.readAll(), scaleDenominator);
}

QPixmap LogoPixmap() {
    // The pixmap cache is emptied with the application, so the shared picture never outlives it.
    static const QString key = QStringLiteral("mohrwalk:logo");
    QPixmap logo;
    if (QPixmapCache::find(key, &logo))
        return logo;
    logo = QPixmap::fromImage(LogoImage(2));
    if (!logo.isNull())
        QPixmapCache::insert(key, logo);
    return logo;
}

namespace {

class TLogoOnShow : public QObject {
public:
    explicit TLogoOnShow(QLabel* box) : QObject(box), box_(box) { box->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == box_ && event->type() == QEvent::Show) {
            box_->removeEventFilter(this);
            const QPixmap logo = LogoPixmap();
            if (!logo.isNull())
                box_->setPixmap(logo);
            deleteLater();
        }
        return false;
    }

private:
    QLabel* box_;
};

} // namespace

void ShowLogoWhenShown(QLabel* box) {
    if (!box)
        return;
    new TLogoOnShow(box);
    // Readers name the picture; the dialogs, like their texts, are in Dutch only.
    if (box->accessibleName().isEmpty())
        box->setAccessibleName(QStringLiteral("Logo van de maker"));
}

QImage WithTransparentBottomLeft(const QImage& picture) {
    if (picture.isNull())
        return {};
    QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

QImage DoubledPicture(const QImage& picture) {
    if (picture.isNull())
        return {};
    const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
    const int w = source.width(), h = source.height();
    QImage doubled(2 * w, 2 * h, QImage::Format_ARGB32);
    // Outside the picture a pixel counts as its own neighbour.
    const auto at = [&](int x, int y) {
        return source.pixel(std::clamp(x, 0, w - 1), std::clamp(y, 0, h - 1));
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = source.pixel(x, y);
            const QRgb up = at(x, y - 1), right = at(x + 1, y), left = at(x - 1, y), down = at(x, y + 1);
            doubled.setPixel(2 * x, 2 * y, left == up && left != down && up != right ? up : p);
            doubled.setPixel(2 * x + 1, 2 * y, up == right && up != left && right != down ? right : p);
            doubled.setPixel(2 * x, 2 * y + 1, down == left && down != right && left != up ? left : p);
            doubled.setPixel(2 * x + 1, 2 * y + 1, right == down && right != up && down != left ? down : p);
        }
    return doubled;
}

namespace {

// Adds the picture to the icon at its own size and doubled for dense screens.
void AddWithDoubled(QIcon& icon, const QImage& picture, QIcon::Mode mode = QIcon::Normal) {
    icon.addPixmap(QPixmap::fromImage(picture), mode);
    QPixmap doubled = QPixmap::fromImage(DoubledPicture(picture));
    doubled.setDevicePixelRatio(2.0);
    icon.addPixmap(doubled, mode);
}

} // namespace

QIcon TwoStatePicture(const QString& resource) {
    const QImage picture(resource);
    if (picture.isNull() || picture.width() < 2)
        return {};
    // The transparent colour is taken from the whole strip's bottom-left pixel, for both halves.
    const QImage strip = WithTransparentBottomLeft(picture);
    const int half = strip.width() / 2;
    QIcon icon;
    AddWithDoubled(icon, strip.copy(0, 0, half, strip.height()), QIcon::Normal);
    AddWithDoubled(icon, strip.copy(half, 0, half, strip.height()), QIcon::Disabled);
    return icon;
}

QPixmap FlagsPicture() {
    const QImage picture(QStringLiteral(":/pictures/flags.xpm"));
    if (picture.isNull())
        return {};
    return QPixmap::fromImage(WithTransparentBottomLeft(picture));
}

QIcon FlagsIcon(QSize shown) {
    const QImage flags = FlagsPicture().toImage();
    if (flags.isNull() || shown.isEmpty())
        return {};
    const QRect cut(QPoint((flags.width() - shown.width()) / 2, (flags.height() - shown.height()) / 2),
                    shown);
    QIcon icon(QPixmap::fromImage(flags.copy(cut)));
    // Cut from the doubled picture, so that its edges are those of the whole flags.
    QPixmap doubled =
        QPixmap::fromImage(DoubledPicture(flags).copy(QRect(2 * cut.topLeft(), 2 * cut.size())));
    doubled.setDevicePixelRatio(2.0);
    icon.addPixmap(doubled);
    return icon;
}

QIcon WindowIcon() {
    const QImage picture(QStringLiteral(":/pictures/icon.xpm"));
    if (picture.isNull())
        return {};
    QIcon icon;
    AddWithDoubled(icon, picture);
    return icon;
}

void CentreOnDesktop(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // Before the first showing the frame is not known yet: then the client area is centred.
    const QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    const QSize outer = window->size().grownBy(frame);
    const QRect desktop = screen->availableGeometry();
    const QPoint topLeft(desktop.x() + (desktop.width() - outer.width()) / 2,
                         desktop.y() + (desktop.height() - outer.height()) / 2);
    window->move(topLeft); // QWidget::move places the frame's outer top-left corner
}

namespace {

class TCentredPlacement : public QObject {
public:
    TCentredPlacement(QWidget* window, std::function<void()> beforeCentring)
        : QObject(window), window_(window), beforeCentring_(std::move(beforeCentring)) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Placed when the program shows it, not when it is restored from minimised: the user's size
        // and place stay.
        if (watched == window_ && event->type() == QEvent::Show && !event->spontaneous()) {
            // The native window exists by now but is not mapped yet: place it before it appears.
            QWindow* handle = window_->windowHandle();
            if (handle && handle != watchedHandle_) {
                handle->installEventFilter(this);
                watchedHandle_ = handle;
            }
            place();
            pending_ = true;
        } else if (watched == window_ && event->type() == QEvent::Hide) {
            pending_ = false;
        } else if (watched == watchedHandle_ && event->type() == QEvent::Expose && pending_ &&
                   watchedHandle_->isExposed()) {
            pending_ = false;
            place();
        }
        return false;
    }

private:
    void place() {
        if (beforeCentring_)
            beforeCentring_();
        CentreOnDesktop(window_);
    }

    QWidget* window_;
    QWindow* watchedHandle_ = nullptr;
    std::function<void()> beforeCentring_;
    bool pending_ = false;
};

} // namespace

void KeepCentredWhenShown(QWidget* window, std::function<void()> beforeCentring) {
    new TCentredPlacement(window, std::move(beforeCentring));
}

QFont DialogFont(int pixelHeight, bool bold) {
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families();
        for (const char* candidate : {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial",
                                      "Nimbus Sans", "DejaVu Sans"}) {
            const QString name = QString::fromLatin1(candidate);
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

} // namespace mohr
