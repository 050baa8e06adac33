#include "fonts.h"

#include "figures/fonts.h"

#include <QFontDatabase>
#include <QStringList>

namespace mohr {

QFont WindowFont() {
    InstallFontSubstitutions();
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(10);
    return font;
}

QFont DialogFont(int pixelHeight, bool bold) {
    // The dialogs name one family outright: looked up once, as listing the installed families is slow.
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
