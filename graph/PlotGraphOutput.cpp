// The graph off the screen: the printed page, the clipboard copy and the
// bitmap file, each the one drawing routine pointed at another surface.
#include "Appearance.h"
#include "Dimensions.h"
#include "GraphCanvas.h"
#include "GraphMath.h"
#include "GraphOutputError.h"
#include "PlotGraph.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPicture>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

using graphmath::Round;

const char* const TPlotGraph::kClipboardFormat = "Internal PlotGraph Format";
const char* const TPlotGraph::kPictureFormat = "image/x-qt-picture";

namespace {

// Without a printer the page goes to a PDF file the user names.
bool DefaultPrinterSetup(QPrinter& printer, QWidget* parent) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) return true;
    QString name = QFileDialog::getSaveFileName(parent, QStringLiteral("Print to PDF file"),
                                                QString(), QStringLiteral("PDF files (*.pdf)"));
    if (name.isEmpty()) return false;
    if (QFileInfo(name).suffix().isEmpty()) name += QStringLiteral(".pdf");
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(name);
    return true;
}

// Everything a print page changes and puts back.
struct TPrintState {
    int Margins[10];
    bool ShowTicks;
};

TPrintState Remember(const TDimensions& d, const TAppearance& a) {
    return {{d.LeftMargin(), d.RightMargin(), d.TopMargin(), d.BottomMargin(), d.TickLength(),
             d.XAxisLabelOffset(), d.YAxisLabelOffset(), d.XAxisTitleOffset(), d.YAxisTitleOffset(),
             d.GraphTitleOffset()},
            a.ShowTicks()};
}

void Apply(TDimensions& d, const int (&m)[10]) {
    d.SetLeftMargin(m[0]);
    d.SetRightMargin(m[1]);
    d.SetTopMargin(m[2]);
    d.SetBottomMargin(m[3]);
    d.SetTickLength(m[4]);
    d.SetXAxisLabelOffset(m[5]);
    d.SetYAxisLabelOffset(m[6]);
    d.SetXAxisTitleOffset(m[7]);
    d.SetYAxisTitleOffset(m[8]);
    d.SetGraphTitleOffset(m[9]);
}

} // namespace

void TPlotGraph::SetTextScale(double scale) {
    scale = std::clamp(scale, 0.5, 4.0);
    if (scale == textScale_) return;
    textScale_ = scale;
    RequestRepaint(TRepaintKind::Full);
}

bool TPlotGraph::SetUpPrinter(QPrinter& printer) {
    return PrinterSetup ? PrinterSetup(printer) : DefaultPrinterSetup(printer, this);
}

void TPlotGraph::Print() {
    QPrinter printer(QPrinter::HighResolution);
    if (!SetUpPrinter(printer)) return;
    PrintPage(printer);
}

void TPlotGraph::PrintPage(QPaintDevice& page) {
    if (width() <= 0 || height() <= 0) throw EGraphOutputError("The graph has no area to print");
    const TPrintState saved = Remember(*dimensions_, *appearance_);
    printing_ = true;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    struct TRestore {
        TPlotGraph& G;
        const TPrintState& Saved;
        ~TRestore() {
            G.drawScale_ = 1.0;
            G.xOffset_ = G.yOffset_ = 0;
            G.fontFactor_ = 1.0;
            G.fontPpi_ = 0;
            G.canvasPenWidth_ = 1;
            G.canvas_ = nullptr;
            Apply(*G.dimensions_, Saved.Margins);
            G.appearance_->SetShowTicks(Saved.ShowTicks);
            QGuiApplication::restoreOverrideCursor();
            G.printing_ = false;
            // The axes were scaled for the page: scale them for the screen
            // again, so that later incremental draws and zooms fit it.
            try {
                G.RequestRepaint(TRepaintKind::Full);
            } catch (...) {
            }
        }
    } restore{*this, saved};

    const double pageWidth = page.width(), pageHeight = page.height();
    const double rx = pageWidth / width(), ry = pageHeight / height();
    const int p = dimensions_->PrintScalePct();
    int ox = dimensions_->PrintXOffsetPct(), oy = dimensions_->PrintYOffsetPct();
    if (rx >= ry) {
        drawScale_ = ry * p * 0.01;
        if (p + oy > 100) oy = (100 - p) / 2;
        if (p + ox > 100 * rx / ry) ox = (Round(100 * rx / ry) - p) / 2;
    } else {
        drawScale_ = rx * p * 0.01;
        if (p + ox > 100) ox = (100 - p) / 2;
        if (p + oy > 100 * ry / rx) oy = (Round(100 * ry / rx) - p) / 2;
    }
    dimensions_->SetPrintXOffsetPct(ox);
    dimensions_->SetPrintYOffsetPct(oy);
    xOffset_ = Round(pageWidth * 0.01 * dimensions_->PrintXOffsetPct());
    yOffset_ = Round(pageHeight * 0.01 * dimensions_->PrintYOffsetPct());
    surfaceWidth_ = Round(width() * drawScale_);
    surfaceHeight_ = Round(height() * drawScale_);
    int scaled[10];
    for (int i = 0; i < 10; ++i)
        scaled[i] = Round(saved.Margins[i] * drawScale_);
    Apply(*dimensions_, scaled);
    appearance_->SetShowTicks(saved.ShowTicks);

    const int pageDpi = page.logicalDpiY() > 0 ? page.logicalDpiY() : 96;
    fontFactor_ = drawScale_ / pageDpi * logicalDpiY();
    fontPpi_ = pageDpi;
    canvasPenWidth_ = std::max(1, Round(drawScale_));
    TGraphCanvas canvas(page, nullptr, true);
    if (!canvas.IsActive()) throw EGraphOutputError("The printer could not start the page");
    canvas.SetClip(QRect(0, 0, page.width(), page.height()));
    DrawOn(canvas, surfaceWidth_, surfaceHeight_);
}

void TPlotGraph::DrawOn(TGraphCanvas& canvas, int width, int height) {
    canvas_ = &canvas;
    struct TBack {
        TPlotGraph& G;
        ~TBack() { G.canvas_ = nullptr; }
    } back{*this};
    surfaceWidth_ = width;
    surfaceHeight_ = height;
    DrawGraph();
    RaisePaintEnd(canvas.Painter(), true);
}

void TPlotGraph::DrawToMetafile(QPicture& dest) {
    QPicture picture;
    picture.setBoundingRect(QRect(0, 0, width(), height()));
    {
        TGraphCanvas canvas(picture, this, false);
        // Vectors keep a hundredth of a pixel (SVG and PDF write no finer).
        canvas.SetExact(true, 0.01);
        DrawOn(canvas, width(), height());
    }
    surfaceWidth_ = width();
    surfaceHeight_ = height();
    dest = picture;
}

void TPlotGraph::DrawToBitmap(QImage& dest) {
    if (dest.isNull()) throw EGraphOutputError("The graph has no area to draw");
    // A device pixel ratio above 1 draws the picture of that logical size
    // enlarged, text and lines alike.
    const qreal ratio = dest.devicePixelRatio();
    QImage work(dest.size(), QImage::Format_RGB32);
    work.setDevicePixelRatio(ratio);
    struct TSize {
        TPlotGraph& G;
        ~TSize() {
            G.surfaceWidth_ = G.width();
            G.surfaceHeight_ = G.height();
        }
    } size{*this};
    {
        TGraphCanvas canvas(work, &work, false);
        canvas.SetPenScale(ratio);
        if (ratio > 1) canvas.SetExact(true, 0.25 / ratio);
        const QSize logical = work.deviceIndependentSize().toSize();
        DrawOn(canvas, logical.width(), logical.height());
    }
    dest = work;
}

void TPlotGraph::CopyToClipboard() {
    QGuiApplication::clipboard()->setMimeData(ClipboardData());
}

QMimeData* TPlotGraph::ClipboardData() {
    if (width() <= 0 || height() <= 0) throw EGraphOutputError("The graph has no area to draw");
    QPicture picture;
    DrawToMetafile(picture);
    QImage bitmap(width(), height(), QImage::Format_RGB32);
    DrawToBitmap(bitmap);
    QBuffer stream;
    stream.open(QIODevice::WriteOnly);
    SaveToStream(stream, true);
    QByteArray pictureBytes;
    {
        QBuffer b(&pictureBytes);
        b.open(QIODevice::WriteOnly);
        picture.save(&b);
    }
    auto* mime = new QMimeData;
    mime->setData(QString::fromLatin1(kClipboardFormat), stream.data());
    mime->setImageData(bitmap);
    mime->setData(QString::fromLatin1(kPictureFormat), pictureBytes);
    return mime;
}

void TPlotGraph::SaveBitmap(const QString& fileName) {
    if (width() <= 0 || height() <= 0) throw EGraphOutputError("The graph has no area to draw");
    QImage bitmap(width(), height(), QImage::Format_RGB32);
    DrawToBitmap(bitmap);
    if (!bitmap.save(fileName, "BMP"))
        throw EGraphOutputError(
            FormatMessage("Cannot write the bitmap file %s", {fileName.toStdString()}));
}
