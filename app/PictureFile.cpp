#include "PictureFile.h"

#include "AtomicFile.h"
#include "GraphOutputError.h"
#include "PlotGraph.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <QSvgGenerator>

#include <cmath>

const char* const TPictureFile::kFilter = "PNG picture|*.png|SVG picture|*.svg|PDF document|*.pdf";

namespace {

void RequireArea(const TPlotGraph& graph) {
    if (graph.width() <= 0 || graph.height() <= 0)
        throw EGraphOutputError("The graph has no area to draw");
}

// The vector picture of a full draw, at the graph's size on screen.
QPicture DrawnPicture(TPlotGraph& graph) {
    RequireArea(graph);
    QPicture picture;
    graph.DrawToMetafile(picture);
    return picture;
}

// Replays the picture onto a device whose units are screen pixels.
void Replay(const QPicture& picture, QPaintDevice& device) {
    QPainter painter(&device);
    if (!painter.isActive()) throw EGraphOutputError("The picture could not be drawn");
    painter.drawPicture(0, 0, picture);
}

QByteArray Raster(TPlotGraph& graph, const QByteArray& format, double scale) {
    if (!(scale > 0 && scale <= 16))
        throw EGraphOutputError(FormatMessage("A picture scale of %s is not between 0 and 16",
                                              {QString::number(scale).toStdString()}));
    RequireArea(graph);
    QImage image(std::lround(graph.width() * scale), std::lround(graph.height() * scale),
                 QImage::Format_RGB32);
    if (image.isNull()) throw EGraphOutputError("The picture is too large to draw");
    image.setDevicePixelRatio(scale);
    graph.DrawToBitmap(image);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format.constData()))
        throw EGraphOutputError(
            FormatMessage("The picture could not be encoded as %s", {format.toStdString()}));
    return bytes;
}

QByteArray Pdf(TPlotGraph& graph) {
    const QPicture picture = DrawnPicture(graph);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Tarnivell"));
        // One page the size of the graph, a screen pixel a device unit at 96
        // units an inch: the one-pixel lines are as wide as on the screen.
        const QSizeF points(graph.width() * 72.0 / 96.0, graph.height() * 72.0 / 96.0);
        pdf.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setResolution(96);
        Replay(picture, pdf);
    }
    return bytes;
}

enum class TKind { Raster, Svg, Pdf };

TKind KindOf(const QString& fileName, QByteArray& format) {
    format = QFileInfo(fileName).suffix().toLower().toLatin1();
    if (format == "svg") return TKind::Svg;
    if (format == "pdf") return TKind::Pdf;
    if (!format.isEmpty() && QImageWriter::supportedImageFormats().contains(format))
        return TKind::Raster;
    throw EGraphOutputError(
        FormatMessage("Cannot save a picture as '%s': the name must end in .png, .svg or .pdf",
                      {QFileInfo(fileName).fileName().toStdString()}));
}

} // namespace

void TPictureFile::RequireFormat(const QString& fileName) {
    QByteArray format;
    KindOf(fileName, format);
}

bool TPictureFile::IsRaster(const QString& fileName) {
    QByteArray format;
    try {
        return KindOf(fileName, format) == TKind::Raster;
    } catch (const EGraphOutputError&) {
        return false;
    }
}

QByteArray TPictureFile::Svg(TPlotGraph& graph) {
    const QPicture picture = DrawnPicture(graph);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(graph.width(), graph.height()));
    svg.setViewBox(QRect(0, 0, graph.width(), graph.height()));
    svg.setResolution(96);
    svg.setTitle(graph.window()->windowTitle());
    Replay(picture, svg);
    return bytes;
}

void TPictureFile::Write(TPlotGraph& graph, const QString& fileName, double scale) {
    QByteArray format;
    const TKind kind = KindOf(fileName, format);
    const QByteArray bytes = kind == TKind::Svg   ? Svg(graph)
                             : kind == TKind::Pdf ? Pdf(graph)
                                                  : Raster(graph, format, scale);
    WriteFileAtomically(fileName.toStdString(), std::string_view(bytes.constData(), bytes.size()));
}
