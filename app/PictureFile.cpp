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

#include <algorithm>
#include <cmath>

const char* const TPictureFile::kFilter = "PNG picture|*.png|SVG picture|*.svg|PDF document|*.pdf";

namespace {

using TGraphs = std::span<TPlotGraph* const>;

void RequireArea(TGraphs graphs) {
    if (graphs.empty()) throw EGraphOutputError("There is no graph to draw");
    for (const TPlotGraph* graph : graphs)
        if (graph->width() <= 0 || graph->height() <= 0)
            throw EGraphOutputError("The graph has no area to draw");
}

// The size of the graphs side by side, in screen pixels.
QSize SideBySide(TGraphs graphs) {
    QSize size(0, 0);
    for (const TPlotGraph* graph : graphs)
        size = QSize(size.width() + graph->width(), std::max(size.height(), graph->height()));
    return size;
}

// Replays the picture onto a device whose units are screen pixels.
void Replay(const QPicture& picture, QPaintDevice& device) {
    QPainter painter(&device);
    if (!painter.isActive()) throw EGraphOutputError("The picture could not be drawn");
    painter.drawPicture(0, 0, picture);
}

QByteArray Encoded(const QImage& image, const QByteArray& format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format.constData()))
        throw EGraphOutputError(
            FormatMessage("The picture could not be encoded as %s", {format.toStdString()}));
    return bytes;
}

QByteArray Pdf(TGraphs graphs) {
    const QPicture picture = TPictureFile::Picture(graphs);
    const QSize size = SideBySide(graphs);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Tarnivell"));
        // One page the size of the graphs, a screen pixel a device unit at 96
        // units an inch: the one-pixel lines are as wide as on the screen.
        const QSizeF points(size.width() * 72.0 / 96.0, size.height() * 72.0 / 96.0);
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

QPicture TPictureFile::Picture(TGraphs graphs) {
    RequireArea(graphs);
    QPicture picture;
    if (graphs.size() == 1) {
        graphs[0]->DrawToMetafile(picture);
        return picture;
    }
    QPainter painter(&picture);
    int left = 0;
    for (TPlotGraph* graph : graphs) {
        QPicture one;
        graph->DrawToMetafile(one);
        painter.drawPicture(left, 0, one);
        left += graph->width();
    }
    painter.end();
    // The bounding box of what was drawn may fall short of the graphs'
    // area (a white margin draws nothing): the picture spans all of it.
    picture.setBoundingRect(QRect(QPoint(0, 0), SideBySide(graphs)));
    return picture;
}

QImage TPictureFile::Image(TGraphs graphs, double scale) {
    if (!(scale > 0 && scale <= 16))
        throw EGraphOutputError(FormatMessage("A picture scale of %s is not between 0 and 16",
                                              {QString::number(scale).toStdString()}));
    RequireArea(graphs);
    const QSize size = SideBySide(graphs);
    QImage image(std::lround(size.width() * scale), std::lround(size.height() * scale),
                 QImage::Format_RGB32);
    if (image.isNull()) throw EGraphOutputError("The picture is too large to draw");
    if (graphs.size() == 1) {
        image.setDevicePixelRatio(scale);
        graphs[0]->DrawToBitmap(image);
        return image;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    int left = 0;
    for (TPlotGraph* graph : graphs) {
        QImage one(std::lround(graph->width() * scale), std::lround(graph->height() * scale),
                   QImage::Format_RGB32);
        if (one.isNull()) throw EGraphOutputError("The picture is too large to draw");
        one.setDevicePixelRatio(scale);
        graph->DrawToBitmap(one);
        painter.drawImage(QPoint(std::lround(left * scale), 0), one);
        left += graph->width();
    }
    return image;
}

QByteArray TPictureFile::Svg(TPlotGraph& graph) {
    TPlotGraph* const one[] = {&graph};
    return Svg(one);
}

QByteArray TPictureFile::Svg(TGraphs graphs) {
    const QPicture picture = Picture(graphs);
    const QSize size = SideBySide(graphs);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(96);
    svg.setTitle(graphs[0]->window()->windowTitle());
    Replay(picture, svg);
    return bytes;
}

void TPictureFile::Write(TPlotGraph& graph, const QString& fileName, double scale) {
    TPlotGraph* const one[] = {&graph};
    Write(one, fileName, scale);
}

void TPictureFile::Write(TGraphs graphs, const QString& fileName, double scale) {
    QByteArray format;
    const TKind kind = KindOf(fileName, format);
    const QByteArray bytes = kind == TKind::Svg   ? Svg(graphs)
                             : kind == TKind::Pdf ? Pdf(graphs)
                                                  : Encoded(Image(graphs, scale), format);
    WriteFileAtomically(fileName.toStdString(), std::string_view(bytes.constData(), bytes.size()));
}
