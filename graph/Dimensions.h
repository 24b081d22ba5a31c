#pragma once

#include <QObject>

#include <cstdint>

class TPlotGraph;

// Margins, tick length, label and title gaps (pixels at scale 1) and the
// print placement percentages.
class TDimensions : public QObject {
    Q_OBJECT
    Q_PROPERTY(int LeftMargin READ LeftMargin WRITE SetLeftMargin)
    Q_PROPERTY(int RightMargin READ RightMargin WRITE SetRightMargin)
    Q_PROPERTY(int TopMargin READ TopMargin WRITE SetTopMargin)
    Q_PROPERTY(int BottomMargin READ BottomMargin WRITE SetBottomMargin)
    Q_PROPERTY(int TickLength READ TickLength WRITE SetTickLength)
    Q_PROPERTY(int XAxisTitleOffset READ XAxisTitleOffset WRITE SetXAxisTitleOffset)
    Q_PROPERTY(int YAxisTitleOffset READ YAxisTitleOffset WRITE SetYAxisTitleOffset)
    Q_PROPERTY(int XAxisLabelOffset READ XAxisLabelOffset WRITE SetXAxisLabelOffset)
    Q_PROPERTY(int YAxisLabelOffset READ YAxisLabelOffset WRITE SetYAxisLabelOffset)
    Q_PROPERTY(int GraphTitleOffset READ GraphTitleOffset WRITE SetGraphTitleOffset)
    Q_PROPERTY(int PrintScalePct READ PrintScalePct WRITE SetPrintScalePct)
    Q_PROPERTY(int PrintXOffsetPct READ PrintXOffsetPct WRITE SetPrintXOffsetPct)
    Q_PROPERTY(int PrintYOffsetPct READ PrintYOffsetPct WRITE SetPrintYOffsetPct)

public:
    explicit TDimensions(TPlotGraph* graph);
    void ResetToDefaults();

    int LeftMargin() const { return leftMargin_; }
    void SetLeftMargin(int v);
    int RightMargin() const { return rightMargin_; }
    void SetRightMargin(int v);
    int TopMargin() const { return topMargin_; }
    void SetTopMargin(int v);
    int BottomMargin() const { return bottomMargin_; }
    void SetBottomMargin(int v);
    int TickLength() const { return tickLength_; }
    // 0 also turns the graph's ShowTicks off.
    void SetTickLength(int v);
    int XAxisTitleOffset() const { return xAxisTitleOffset_; }
    void SetXAxisTitleOffset(int v);
    int YAxisTitleOffset() const { return yAxisTitleOffset_; }
    void SetYAxisTitleOffset(int v);
    int XAxisLabelOffset() const { return xAxisLabelOffset_; }
    void SetXAxisLabelOffset(int v);
    int YAxisLabelOffset() const { return yAxisLabelOffset_; }
    void SetYAxisLabelOffset(int v);
    int GraphTitleOffset() const { return graphTitleOffset_; }
    void SetGraphTitleOffset(int v);
    // The print settings never repaint. Scale 20..100, offsets at most 100.
    int PrintScalePct() const { return printScalePct_; }
    void SetPrintScalePct(int v);
    int PrintXOffsetPct() const { return printXOffsetPct_; }
    void SetPrintXOffsetPct(int v);
    int PrintYOffsetPct() const { return printYOffsetPct_; }
    void SetPrintYOffsetPct(int v);

private:
    void SetMargin(std::uint16_t& field, int v);
    void SetOffset(std::int32_t& field, int v);

    TPlotGraph* graph_;
    std::uint16_t leftMargin_, rightMargin_, topMargin_, bottomMargin_, tickLength_;
    std::int32_t xAxisTitleOffset_, yAxisTitleOffset_, xAxisLabelOffset_, yAxisLabelOffset_;
    std::int32_t graphTitleOffset_;
    std::uint16_t printScalePct_, printXOffsetPct_, printYOffsetPct_;
};
