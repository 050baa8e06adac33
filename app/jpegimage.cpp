#include "jpegimage.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

// jpeglib.h needs FILE and size_t declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace mohr {

namespace {

// Pictures larger than this are refused before any pixel memory is taken: a corrupt header must not
// make the program allocate gigabytes.
constexpr long long MaxPixels = 8192LL * 8192LL;

struct TErrorManager {
    jpeg_error_mgr Base;
    std::jmp_buf Escape;
    bool Truncated;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    std::longjmp(err->Escape, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
    auto* err = reinterpret_cast<TErrorManager*>(cinfo->err);
    if (level < 0) {
        err->Base.num_warnings++;
        if (err->Base.msg_code == JWRN_JPEG_EOF)
            err->Truncated = true;
    }
}

void OutputMessage(j_common_ptr) {}

struct TDecodeTarget {
    QImage Image;
    std::vector<JSAMPLE> Row;
};

// Everything between setjmp and a possible longjmp lives behind pointers, so the jump skips no
// destructor and leaves no local in an indeterminate state.
bool DecodeInto(jpeg_decompress_struct* cinfo, TErrorManager* err, const QByteArray* data,
                int scaleDenominator, TDecodeTarget* target) {
    if (setjmp(err->Escape) != 0)
        return false;

    jpeg_mem_src(cinfo, reinterpret_cast<const unsigned char*>(data->constData()),
                 static_cast<unsigned long>(data->size()));
    if (jpeg_read_header(cinfo, TRUE) != JPEG_HEADER_OK)
        return false;

    const bool gray = cinfo->jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = gray ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_RGB);
    if (scaleDenominator == 2 || scaleDenominator == 4 || scaleDenominator == 8) {
        cinfo->scale_num = 1;
        cinfo->scale_denom = static_cast<unsigned int>(scaleDenominator);
    }

    jpeg_calc_output_dimensions(cinfo);
    const long long pixels = static_cast<long long>(cinfo->output_width) * cinfo->output_height;
    if (pixels <= 0 || pixels > MaxPixels)
        return false;

    jpeg_start_decompress(cinfo);
    const int width = static_cast<int>(cinfo->output_width);
    const int height = static_cast<int>(cinfo->output_height);
    const int components = cinfo->output_components;
    if ((gray && components != 1) || (cmyk && components != 4) || (!gray && !cmyk && components != 3))
        return false;

    target->Image = QImage(width, height, gray ? QImage::Format_RGB32 : QImage::Format_RGB888);
    if (target->Image.isNull())
        return false;
    target->Row.assign(static_cast<size_t>(width) * static_cast<size_t>(components), 0);
    // Adobe writes CMYK inverted; its marker tells us so.
    const bool inverted = cmyk && cinfo->saw_Adobe_marker;

    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        JSAMPROW row = target->Row.data();
        if (jpeg_read_scanlines(cinfo, &row, 1) != 1)
            return false;
        if (err->Truncated)
            return false;
        const JSAMPLE* in = target->Row.data();
        if (gray) {
            auto* out = reinterpret_cast<QRgb*>(target->Image.scanLine(y));
            for (int x = 0; x < width; ++x)
                out[x] = qRgb(in[x], in[x], in[x]);
        } else if (cmyk) {
            uchar* out = target->Image.scanLine(y);
            for (int x = 0; x < width; ++x, in += 4, out += 3) {
                int c = in[0], m = in[1], ye = in[2], k = in[3];
                if (!inverted) {
                    c = 255 - c;
                    m = 255 - m;
                    ye = 255 - ye;
                    k = 255 - k;
                }
                out[0] = static_cast<uchar>(c * k / 255);
                out[1] = static_cast<uchar>(m * k / 255);
                out[2] = static_cast<uchar>(ye * k / 255);
            }
        } else {
            uchar* out = target->Image.scanLine(y);
            std::copy(in, in + static_cast<size_t>(width) * 3, out);
        }
    }
    jpeg_finish_decompress(cinfo);
    return !err->Truncated;
}

} // namespace

QImage DecodeJpeg(const QByteArray& data, int scaleDenominator) {
    if (data.isEmpty())
        return {};

    jpeg_decompress_struct cinfo{};
    TErrorManager err{};
    cinfo.err = jpeg_std_error(&err.Base);
    err.Base.error_exit = ErrorExit;
    err.Base.emit_message = EmitMessage;
    err.Base.output_message = OutputMessage;
    err.Truncated = false;

    TDecodeTarget target;
    // jpeg_create_decompress itself can fail (out of memory, library version mismatch).
    if (setjmp(err.Escape) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return {};
    }
    jpeg_create_decompress(&cinfo);
    const bool ok = DecodeInto(&cinfo, &err, &data, scaleDenominator, &target);
    jpeg_destroy_decompress(&cinfo);
    if (!ok)
        return {};
    return target.Image;
}

} // namespace mohr
