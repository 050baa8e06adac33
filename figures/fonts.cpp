#include "figures/fonts.h"
#include "figures/canvas.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPointer>

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace mohr {

namespace {

FontFamilyProvider& provider() {
    static FontFamilyProvider p;
    return p;
}

// Sans families close to the classic dialog font, best first. Liberation Sans keeps the widths of
// the usual Windows sans fonts; the others are there for machines without it.
const QStringList& SansFallbacks() {
    static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                      QStringLiteral("Sans Serif")};
    return families;
}

// The classic font itself tries its successor first, then the fonts of its widths.
const QStringList& ClassicStandIns() {
    static const QStringList families{QStringLiteral("Microsoft Sans Serif"),
                                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")};
    return families;
}

const QString& SymbolFamily() {
    static const QString family = QStringLiteral("Symbol");
    return family;
}

} // namespace

void SetFontFamilyProvider(FontFamilyProvider p) {
    provider() = std::move(p);
}

QStringList InstalledFontFamilies() {
    return provider() ? provider()() : QFontDatabase::families();
}

bool SymbolInstalled() {
    return InstalledFontFamilies().contains(SymbolFamily());
}

void InstallFontSubstitutions() {
    // The process's substitutions are one table without a lock: made once, before any font is looked up.
    static const bool installed = [] {
        QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), ClassicStandIns());
        // Each list is added behind what a family has already, so the classic font keeps its own first.
        for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2"})
            QFont::insertSubstitutions(QString::fromLatin1(family), SansFallbacks());
        return true;
    }();
    (void)installed;
}

QFont RenderFont(const TCanvasFont& font) {
    InstallFontSubstitutions();
    QFont f;
    if (font.Name == SymbolFamily()) {
        // Asked for by name only: the font configuration picks its own stand-in for it.
        f.setFamily(font.Name);
    } else {
        // A family that is not installed falls through to the close sans fonts.
        f.setFamilies(QStringList{font.Name} + SansFallbacks());
    }
    f.setPixelSize(std::max(1, font.Height));
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

namespace {

// The fonts of the texts drawn so far, per name and height. Building a QFont and having the font
// database resolve it costs more than drawing a short label, and the figures use a handful of fonts
// over and over. The cache belongs to the application, so no font outlives it.
class TFontCache : public QObject {
public:
    using QObject::QObject;

    struct TEntry {
        QFont Font;
        // Only for "Symbol": its metrics, to tell which characters it has, and the sans stand-in.
        std::optional<QFontMetrics> Metrics;
        QFont Fallback;
    };

    const TEntry& Get(const TCanvasFont& canvasFont) {
        const auto key = std::make_pair(canvasFont.Name, canvasFont.Height);
        auto found = entries_.find(key);
        if (found != entries_.end())
            return found->second;
        if (entries_.size() >= 64) // a program that makes up fonts as it goes must not grow this
            entries_.clear();
        TEntry entry;
        entry.Font = RenderFont(canvasFont);
        if (canvasFont.Name == SymbolFamily()) {
            entry.Metrics.emplace(entry.Font);
            entry.Fallback = entry.Font;
            entry.Fallback.setFamilies(SansFallbacks());
        }
        return entries_.emplace(key, std::move(entry)).first->second;
    }

    static TFontCache& Instance() {
        static QPointer<TFontCache> cache;
        if (!cache)
            cache = new TFontCache(QCoreApplication::instance());
        return *cache;
    }

private:
    std::map<std::pair<QString, int>, TEntry> entries_;
};

} // namespace

// A font named "Symbol" may be symbol-encoded, with no glyphs at the Unicode code points the figures use
// (the sigma, U+03C3), and the paint engine does not fall back for such fonts.
QFont TextFont(const TCanvasFont& canvasFont, const QString& text) {
    const TFontCache::TEntry& entry = TFontCache::Instance().Get(canvasFont);
    if (!entry.Metrics)
        return entry.Font;
    for (const char32_t c : text.toUcs4()) {
        if (c > U' ' && !entry.Metrics->inFontUcs4(c))
            return entry.Fallback;
    }
    return entry.Font;
}

const QStringList& DocumentFamilies() {
    static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                      QStringLiteral("Helvetica"), QStringLiteral("sans-serif")};
    return families;
}

QFont DocumentFont(const QFont& rasterFont) {
    // An SVG names only a font's first family, so the first is the whole list as a style sheet writes
    // it; no font has that name, so the font database passes on to the families after it, and the PDF
    // writer embeds the one it finds.
    static const QStringList families =
        QStringList{DocumentFamilies().join(QStringLiteral(", "))} + DocumentFamilies();
    QFont font = rasterFont;
    font.setFamilies(families);
    return font;
}

} // namespace mohr
