#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

class QLabel;

namespace mohr {

// The maker's logo (":/logo.jpg", 768 x 300), decoded with libjpeg, at full size or reduced by
// libjpeg (see DecodeJpeg); a null image when it is missing or unreadable.
QImage LogoImage(int scaleDenominator = 1);

// The logo as the picture boxes show it: decoded once at half size (384 x 150, still more than twice
// the largest box, 128 x 49) and shared by every box. Null when the logo cannot be read, so that the
// boxes simply stay empty.
QPixmap LogoPixmap();

// Gives the picture box the shared logo when it is first shown, not before: the logo sits on the
// page and the dialogs that a student may never open, and start-up need not decode it. A box without
// an accessible name is named after the logo.
void ShowLogoWhenShown(QLabel* box);

// One of the program's pictures, read in the format its file name gives; null when it is missing.
QImage ReadPicture(const QString& resource);

// A picture of one look and size as an icon (the dialogs' stock buttons); null when it is missing.
QIcon PictureIcon(const QString& resource);

// The tool-button pictures, the flags and the icon are drawn twice: at their own size and, for screens
// of twice the density, twice as fine in the file of the same name ending in "@2x.png". The fine
// drawing is read the first time a size beyond the small one is asked for (by such a screen, or by the
// window system for the larger window icon), never before.

// A tool-button picture stored as two 16 x 16 looks side by side (normal left, disabled right). The
// colour of the bottom-left pixel is transparent. The icon carries both looks as QIcon::Normal and
// QIcon::Disabled, each also at 32 x 32; a missing resource gives a null icon.
QIcon TwoStatePicture(const QString& resource);

// The language button's icon: the 38 x 54 flags picture (a Dutch flag above a UK flag, white, its
// bottom-left pixel colour, transparent) cut to `shown` around its centre, for the flags are larger
// than the button; and the fine flags cut to twice that around the same centre.
QIcon FlagsIcon(QSize shown);

// The 32 x 32, 16-colour program icon, a safety helmet above a rolled drawing, also at 64 x 64.
QIcon WindowIcon();

// Makes a copy of the picture in which every pixel of the colour of its bottom-left pixel is
// transparent.
QImage WithTransparentBottomLeft(const QImage& picture);


} // namespace mohr
