#pragma once

#include "Color.h"
#include "GraphFont.h"

#include <QObject>
#include <QString>

#include <cstdint>

class TPlotGraph;

// How the graph looks as a whole: ticks, grid, cross at zero, colours, titles,
// fonts and the step limits of automatic scaling. Every setter repaints when
// the graph is plotting (exceptions noted at the setters).
class TAppearance : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool ShowTicks READ ShowTicks WRITE SetShowTicks)
    Q_PROPERTY(bool ShowMarks READ ShowMarks WRITE SetShowMarks)
    Q_PROPERTY(bool CrossAtZero READ CrossAtZero WRITE SetCrossAtZero)
    Q_PROPERTY(bool PrintLineStyle READ PrintLineStyle WRITE SetPrintLineStyle)
    Q_PROPERTY(bool PlotOffGraph READ PlotOffGraph WRITE SetPlotOffGraph)
    Q_PROPERTY(bool AllowDuplicates READ AllowDuplicates WRITE SetAllowDuplicates)
    Q_PROPERTY(bool PreventFlicker READ PreventFlicker WRITE SetPreventFlicker)
    Q_PROPERTY(bool ShowGraphLabels READ ShowGraphLabels WRITE SetShowGraphLabels)
    Q_PROPERTY(int GridColor READ GridColor WRITE SetGridColor)
    Q_PROPERTY(int AxesColor READ AxesColor WRITE SetAxesColor)
    Q_PROPERTY(int BackgroundColor READ BackgroundColor WRITE SetBackgroundColor)
    Q_PROPERTY(int MarginColor READ MarginColor WRITE SetMarginColor)
    Q_PROPERTY(int CrossColor READ CrossColor WRITE SetCrossColor)
    Q_PROPERTY(int GridStyle READ GridStyle WRITE SetGridStyle)
    Q_PROPERTY(bool PrintBkgndColor READ PrintBkgndColor WRITE SetPrintBkgndColor)
    Q_PROPERTY(QString ErrorCaption READ ErrorCaption WRITE SetErrorCaption)
    Q_PROPERTY(QString GraphTitle READ GraphTitle WRITE SetGraphTitle)
    Q_PROPERTY(int MinSteps READ MinSteps WRITE SetMinSteps)
    Q_PROPERTY(int MaxSteps READ MaxSteps WRITE SetMaxSteps)
    Q_PROPERTY(int Crosslength READ Crosslength WRITE SetCrosslength)

public:
    explicit TAppearance(TPlotGraph* graph);
    void ResetToDefaults();

    bool ShowTicks() const { return showTicks_; }
    void SetShowTicks(bool v);
    bool ShowMarks() const { return showMarks_; }
    void SetShowMarks(bool v); // no-op when unchanged
    bool CrossAtZero() const { return crossAtZero_; }
    void SetCrossAtZero(bool v); // no-op when unchanged
    bool PrintLineStyle() const { return printLineStyle_; }
    void SetPrintLineStyle(bool v);
    bool PlotOffGraph() const { return plotOffGraph_; }
    void SetPlotOffGraph(bool v);
    bool AllowDuplicates() const { return allowDuplicates_; }
    // Applies the flag to every series and repaints even while not plotting.
    void SetAllowDuplicates(bool v);
    bool PreventFlicker() const { return preventFlicker_; }
    void SetPreventFlicker(bool v);
    bool ShowGraphLabels() const { return showGraphLabels_; }
    void SetShowGraphLabels(bool v);
    TColor GridColor() const { return gridColor_; }
    void SetGridColor(TColor v);
    TColor AxesColor() const { return axesColor_; }
    void SetAxesColor(TColor v);
    TColor BackgroundColor() const { return backgroundColor_; }
    void SetBackgroundColor(TColor v);
    TColor MarginColor() const { return marginColor_; }
    void SetMarginColor(TColor v);
    TColor CrossColor() const { return crossColor_; }
    void SetCrossColor(TColor v); // no-op when unchanged
    int GridStyle() const { return gridStyle_; }
    void SetGridStyle(int v);
    bool PrintBkgndColor() const { return printBkgndColor_; }
    void SetPrintBkgndColor(bool v);
    QString ErrorCaption() const { return errorCaption_; }
    void SetErrorCaption(const QString& v); // repaints only while an axis is invalid
    QString GraphTitle() const { return graphTitle_; }
    void SetGraphTitle(const QString& v);
    int MinSteps() const { return minSteps_; }
    // Accepted only when not 0 and below 0.4 * MaxSteps.
    void SetMinSteps(int v);
    int MaxSteps() const { return maxSteps_; }
    // Accepted only when above 2.5 * MinSteps and at most 90.
    void SetMaxSteps(int v);
    int Crosslength() const { return crosslength_; }
    void SetCrosslength(int v); // no-op when unchanged

    const TGraphFont& TitleFont() const { return titleFont_; }
    void SetTitleFont(const TGraphFont& v);
    const TGraphFont& CaptionFont() const { return captionFont_; }
    void SetCaptionFont(const TGraphFont& v);
    const TGraphFont& LabelFont() const { return labelFont_; }
    void SetLabelFont(const TGraphFont& v);

private:
    void Repaint();
    template <typename T> void Store(T& field, const T& v);
    template <typename T> void StoreIfChanged(T& field, const T& v);

    TPlotGraph* graph_;
    bool showTicks_, showMarks_, crossAtZero_, printLineStyle_, plotOffGraph_;
    bool allowDuplicates_, preventFlicker_, showGraphLabels_, printBkgndColor_;
    TColor gridColor_, axesColor_, backgroundColor_, marginColor_, crossColor_;
    std::uint8_t gridStyle_;
    QString errorCaption_, graphTitle_;
    std::uint16_t minSteps_, maxSteps_, crosslength_;
    TGraphFont titleFont_, captionFont_, labelFont_;
};
