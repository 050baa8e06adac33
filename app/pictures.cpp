#include "pictures.h"

#include "jpegimage.h"

#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmapCache>
#include <QScreen>
#include <QStringList>
#include <QWidget>
#include <QWindow>

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
    if (box)
        new TLogoOnShow(box);
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

QIcon TwoStatePicture(const QString& resource) {
    const QImage picture(resource);
    if (picture.isNull() || picture.width() < 2)
        return {};
    // The transparent colour is taken from the whole strip's bottom-left pixel, for both halves.
    const QImage strip = WithTransparentBottomLeft(picture);
    const int half = strip.width() / 2;
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(strip.copy(0, 0, half, strip.height())), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(strip.copy(half, 0, half, strip.height())), QIcon::Disabled);
    return icon;
}

QPixmap FlagsPicture() {
    const QImage picture(QStringLiteral(":/pictures/flags.xpm"));
    if (picture.isNull())
        return {};
    return QPixmap::fromImage(WithTransparentBottomLeft(picture));
}

QIcon WindowIcon() {
    const QImage picture(QStringLiteral(":/pictures/icon.xpm"));
    if (picture.isNull())
        return {};
    return QIcon(QPixmap::fromImage(picture));
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
