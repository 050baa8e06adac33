#include "exporter/handout.h"

#include "figures/fonts.h"

#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QMarginsF>
#include <QPageSize>
#include <QPen>
#include <QRectF>

#include <algorithm>
#include <cctype>

namespace mohr {

namespace {

// The page is laid out in points (1/72 inch); the writer's own units are much finer, so that text is
// laid out and placed precisely.
constexpr int Resolution = 1200;
constexpr double Unit = Resolution / 72.0;
// The block of text and figures, centred on the page: the diagram's width sets it.
constexpr double BlockWidth = 466;
constexpr double Top = 30;
constexpr double Bottom = 800;
constexpr double Gap = 20;
constexpr double CaptionHeight = 16;
// Points per pixel of the element panel; the diagram takes the rest of the page.
constexpr double ElementScale = 0.75;
const QColor Quiet(0x60, 0x60, 0x60);

QRectF Device(const QRectF& points) {
    return QRectF(points.topLeft() * Unit, points.size() * Unit);
}

QFont PageFont(double points, bool bold = false) {
    QFont font;
    font.setFamilies(DocumentFamilies());
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Text wrapped from the top of `area` (points); returns where it ends, in points.
double Paragraph(QPainter& painter, const QRectF& area, const QString& text, const QFont& font,
                 const QColor& colour, int alignment = Qt::AlignLeft) {
    painter.setFont(font);
    painter.setPen(colour);
    QRectF used;
    painter.drawText(Device(area), alignment | Qt::AlignTop | Qt::TextWordWrap, text, &used);
    return used.isEmpty() ? area.y() : used.bottom() / Unit;
}

// One panel in `frame` (points) with its caption above it and a thin frame around it.
void Panel(QPainter& painter, const TPanelsState& state, bool element, const QString& caption,
           const QRectF& frame) {
    const QSize size = element ? state.Element.Size : state.Diagram.Size;
    Paragraph(painter, QRectF(frame.x(), frame.y() - CaptionHeight, frame.width(), CaptionHeight), caption,
              PageFont(9), Quiet);

    painter.save();
    painter.translate(frame.topLeft() * Unit);
    painter.scale(frame.width() * Unit / size.width(), frame.height() * Unit / size.height());
    painter.setClipRect(QRect(QPoint(0, 0), size));
    {
        TCanvas canvas(painter, size);
        DrawPanels(state, element ? &canvas : nullptr, element ? nullptr : &canvas);
    }
    painter.restore();

    painter.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 0.5 * Unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(Device(frame));
}

} // namespace

THandout::THandout(const QString& title, const QString& pageOf)
    : buffer_(&bytes_), writer_(&buffer_), title_(title), pageOf_(pageOf) {
    buffer_.open(QIODevice::WriteOnly);
    writer_.setPageSize(QPageSize(QPageSize::A4));
    writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer_.setResolution(Resolution);
    writer_.setTitle(title);
    writer_.setCreator(QStringLiteral("mohrwalk-figures"));
}

THandout::~THandout() {
    if (painter_.isActive())
        painter_.end();
}

void THandout::AddPage(const TStepFigures& step) {
    if (failed_)
        return;
    const bool ready = painter_.isActive() ? writer_.newPage() : painter_.begin(&writer_);
    if (!ready) {
        failed_ = true;
        return;
    }
    const double left = (writer_.width() / Unit - BlockWidth) / 2;
    const double right = left + BlockWidth;

    // Running head: the document and where the page stands in the walk.
    const QFont head = PageFont(8.5);
    Paragraph(painter_, QRectF(left, Top, BlockWidth, 14), title_, head, Quiet);
    Paragraph(painter_, QRectF(left, Top, BlockWidth, 14), pageOf_.arg(step.Index + 1).arg(step.StepCount),
              head, Quiet, Qt::AlignRight);
    painter_.setPen(QPen(QColor(0xC0, 0xC0, 0xC0), 0.5 * Unit));
    painter_.drawLine(QPointF(left, Top + 16) * Unit, QPointF(right, Top + 16) * Unit);

    const double titleEnd = Paragraph(painter_, QRectF(left, Top + 28, BlockWidth, 100), step.Path,
                                      PageFont(15, true), Qt::black);

    // The explanation beside the element panel, the diagram below both, as large as the page allows.
    const QSizeF element = QSizeF(step.Panels.Element.Size) * ElementScale;
    const double rowTop = std::max(Top + 80, titleEnd + 8) + CaptionHeight;
    const QRectF elementFrame(QPointF(right - element.width(), rowTop), element);
    const double textEnd = Paragraph(painter_, QRectF(left, rowTop, BlockWidth - element.width() - Gap, 400),
                                     step.Explanation, PageFont(11), Qt::black);
    Panel(painter_, step.Panels, true, step.Captions.Element, elementFrame);

    const QSizeF diagramSize = step.Panels.Diagram.Size;
    const double diagramTop = std::max(elementFrame.bottom(), textEnd) + Gap / 2 + CaptionHeight;
    const double scale =
        std::min(BlockWidth / diagramSize.width(), (Bottom - diagramTop) / diagramSize.height());
    Panel(painter_, step.Panels, false, step.Captions.Diagram,
          QRectF(QPointF(left, diagramTop), diagramSize * scale));
}

QByteArray THandout::Finish() {
    if (painter_.isActive() && !painter_.end())
        failed_ = true;
    buffer_.close();
    if (failed_)
        return {};
    StampSourceDate(bytes_);
    return bytes_;
}

void StampSourceDate(QByteArray& pdf) {
    // The PDF writer dates a document with the clock and offers no way to say otherwise. Reproducible
    // builds give the date to use in SOURCE_DATE_EPOCH: it replaces the clock's date, which has the
    // same length, so that no offset in the document moves.
    bool valid = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&valid);
    if (!valid || epoch < 0)
        return;
    static const QByteArray key = "/CreationDate (D:";
    const qsizetype at = pdf.indexOf(key);
    const QByteArray date =
        QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC).toString(u"yyyyMMddHHmmss").toLatin1();
    const qsizetype start = at + key.size();
    if (at < 0 || pdf.mid(start + date.size(), 2) != "Z)")
        return;
    for (qsizetype i = start; i < start + date.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(pdf[i])))
            return;
    pdf.replace(start, date.size(), date);
}

} // namespace mohr
