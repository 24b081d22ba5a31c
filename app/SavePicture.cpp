#include "SavePicture.h"

#include "AppDialogs.h"
#include "PictureFile.h"
#include "PlotGraph.h"

#include <QStringList>

#include <algorithm>
#include <iterator>

void SavePicture(QWidget* parent, TPlotGraph& graph) {
    TPlotGraph* const one[] = {&graph};
    SavePicture(parent, one);
}

void SavePicture(QWidget* parent, std::span<TPlotGraph* const> graphs) {
    const QString name =
        ChooseFileName(parent, {QStringLiteral("Save Picture"),
                                QLatin1String(TPictureFile::kFilter), "png", true});
    if (name.isEmpty()) return;
    double scale = 1;
    if (TPictureFile::IsRaster(name)) {
        int width = 0, height = 0;
        for (const TPlotGraph* graph : graphs) {
            width += graph->width();
            height = std::max(height, graph->height());
        }
        static constexpr int kScales[] = {1, 2, 4};
        QStringList sizes;
        for (int s : kScales)
            sizes << QString::fromUtf8("%1\u00d7 (%2 \u00d7 %3 pixels)")
                         .arg(s)
                         .arg(width * s)
                         .arg(height * s);
        const int chosen = ChooseItemBox(parent, QStringLiteral("Picture Size"),
                                         QStringLiteral("Size of the picture:"), sizes);
        if (chosen < 0 || chosen >= int(std::size(kScales))) return;
        scale = kScales[chosen];
    }
    TPictureFile::Write(graphs, name, scale);
}
