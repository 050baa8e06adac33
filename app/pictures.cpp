#include "pictures.h"

#include "jpegimage.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QLabel>
#include <QPainter>
#include <QPixmapCache>
#include <QRect>

#include <functional>
#include <optional>
#include <utility>

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

QImage ReadPicture(const QString& resource) {
    // Left to find the format itself, Qt first offers the file to every image plugin, loading each,
    // which costs more at start-up than all the pictures together.
    QImageReader reader(resource, QFileInfo(resource).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

QIcon PictureIcon(const QString& resource) {
    const QImage picture = ReadPicture(resource);
    return picture.isNull() ? QIcon() : QIcon(QPixmap::fromImage(picture));
}

namespace {

// The looks of a picture at one size; without a disabled look the normal one serves in every mode.
struct TLooks {
    QPixmap Normal;
    QPixmap Disabled;

    const QPixmap& In(QIcon::Mode mode) const {
        return mode == QIcon::Disabled && !Disabled.isNull() ? Disabled : Normal;
    }
};

// An icon with a picture at its own size and one drawn twice as fine, which it reads from its file
// the first time a size beyond the small picture is asked for. A plain QIcon reads every file it is
// given at once, even QIcon::addFile with a size.
class TTwoSizeIconEngine : public QIconEngine {
public:
    TTwoSizeIconEngine(TLooks small, std::function<TLooks()> loadLarge)
        : small_(std::move(small)), loadLarge_(std::move(loadLarge)) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const QPixmap& picture = choose(size, mode);
        // Between the two sizes (150 %, say) the fine drawing is reduced, never the small one enlarged.
        if (picture.width() > size.width() || picture.height() > size.height())
            return picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return picture;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        const QSize own = choose(size, mode).size();
        return own.width() > size.width() || own.height() > size.height()
                   ? own.scaled(size, Qt::KeepAspectRatio)
                   : own;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State) override {
        const QSize own = small_.In(mode).size();
        return {own, own * 2};
    }

    QIconEngine* clone() const override { return new TTwoSizeIconEngine(*this); }

private:
    const QPixmap& choose(const QSize& size, QIcon::Mode mode) {
        const QPixmap& small = small_.In(mode);
        if (size.width() <= small.width() && size.height() <= small.height())
            return small;
        if (!large_)
            large_ = loadLarge_();
        const QPixmap& large = large_->In(mode);
        return large.isNull() ? small : large;
    }

    TLooks small_;
    std::function<TLooks()> loadLarge_;
    std::optional<TLooks> large_;
};

// The file of the fine drawing: "question.xpm" is drawn twice as fine in "question@2x.png".
QString LargeFile(const QString& resource) {
    return resource.left(resource.lastIndexOf(QLatin1Char('.'))) + QStringLiteral("@2x.png");
}

// Both looks of a strip of two (normal left, disabled right), its bottom-left colour transparent.
TLooks StripLooks(const QImage& picture) {
    if (picture.isNull() || picture.width() < 2)
        return {};
    // The transparent colour is taken from the whole strip's bottom-left pixel, for both halves.
    const QImage strip = WithTransparentBottomLeft(picture);
    const int half = strip.width() / 2;
    return {QPixmap::fromImage(strip.copy(0, 0, half, strip.height())),
            QPixmap::fromImage(strip.copy(half, 0, half, strip.height()))};
}

// The whole flags, small or fine, their white transparent.
QImage FlagsImage(bool large) {
    const QString resource = QStringLiteral(":/pictures/flags.png");
    return WithTransparentBottomLeft(ReadPicture(large ? LargeFile(resource) : resource));
}

} // namespace

QIcon TwoStatePicture(const QString& resource) {
    TLooks small = StripLooks(ReadPicture(resource));
    if (small.Normal.isNull())
        return {};
    return QIcon(new TTwoSizeIconEngine(
        std::move(small), [large = LargeFile(resource)] { return StripLooks(ReadPicture(large)); }));
}

QIcon FlagsIcon(QSize shown) {
    const QImage flags = FlagsImage(false);
    if (flags.isNull() || shown.isEmpty())
        return {};
    const QRect cut(QPoint((flags.width() - shown.width()) / 2, (flags.height() - shown.height()) / 2),
                    shown);
    return QIcon(new TTwoSizeIconEngine({QPixmap::fromImage(flags.copy(cut)), {}}, [cut] {
        // Cut from the whole fine flags, so that its edges are those of the small cut.
        const QImage large = FlagsImage(true);
        return TLooks{QPixmap::fromImage(large.copy(QRect(2 * cut.topLeft(), 2 * cut.size()))), {}};
    }));
}

QIcon WindowIcon() {
    const QString resource = QStringLiteral(":/pictures/icon.xpm");
    const QImage picture = ReadPicture(resource);
    if (picture.isNull())
        return {};
    return QIcon(new TTwoSizeIconEngine({QPixmap::fromImage(picture), {}}, [resource] {
        return TLooks{QPixmap::fromImage(ReadPicture(LargeFile(resource))), {}};
    }));
}

} // namespace mohr
