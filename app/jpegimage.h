#pragma once

#include <QByteArray>
#include <QImage>

namespace mohr {

// Decodes a JPEG stream with libjpeg. Colour pictures come back as Format_RGB888, grayscale ones as
// Format_RGB32 (gray spread over the three channels); CMYK/YCCK pictures are converted to RGB888.
//
// Never exits and never throws: an empty, corrupt or unsupported stream gives a null QImage. A stream
// that ends before the last scanline (a truncated file) also gives a null QImage: libjpeg would pad
// the missing rows with grey and only warn, and half a logo is worse than none. Harmless warnings on
// otherwise complete data (stray bytes between markers and the like) are tolerated.
//
// `scaleDenominator` 2, 4 or 8 has libjpeg itself decode the picture at 1/2, 1/4 or 1/8 of its size
// (rounded up), which costs a fraction of the full decode and its memory; any other value decodes
// at full size.
QImage DecodeJpeg(const QByteArray& data, int scaleDenominator = 1);

} // namespace mohr
