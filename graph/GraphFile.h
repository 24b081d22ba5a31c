#pragma once

#include <QByteArray>

class TAppearance;
class TAxis;
class TDimensions;
class TGraphReader;
class TGraphWriter;
class TLegend;
class TPlotGraph;
class TSeries;
struct TMark;

// The sections of the graph settings stream. Readers set properties through
// their setters in stream order, skip keys they do not know and stop at key 0.
namespace graphfile {

void WriteAppearance(TGraphWriter& w, const TAppearance& a);
void ReadAppearance(TGraphReader& r, TAppearance& a);
void WriteDimensions(TGraphWriter& w, const TDimensions& d);
void ReadDimensions(TGraphReader& r, TDimensions& d);
void WriteAxis(TGraphWriter& w, const TAxis& axis);
void ReadAxis(TGraphReader& r, TAxis& axis);
void WriteLegend(TGraphWriter& w, const TLegend& legend);
void ReadLegend(TGraphReader& r, TLegend& legend);
// Series section, data section and points block (count 0 without points).
void WriteSeries(TGraphWriter& w, const TSeries& series, bool withPoints);
void ReadSeries(TGraphReader& r, TSeries& series);
void WriteMark(TGraphWriter& w, const TMark& mark);
// Reads into values, which keep what a section leaves out.
void ReadMark(TGraphReader& r, TMark& values);

// A count as the string "I" and an integer, or "S" and its decimal text.
void WriteCount(TGraphWriter& w, int count, bool asText = false);
int ReadCount(TGraphReader& r);

// The form properties "SeriesInfo" (every series, renumbered 1..count when
// read) and "MarksInfo". A count of 0 is an internal filing error.
void WriteSeriesInfo(TGraphWriter& w, const TPlotGraph& graph);
void ReadSeriesInfo(TGraphReader& r, TPlotGraph& graph, int count);
void WriteMarksInfo(TGraphWriter& w, const TPlotGraph& graph);
void ReadMarksInfo(TGraphReader& r, TPlotGraph& graph, int count);

// "SeriesCount", "MarkCount", then "SeriesInfo" and "MarksInfo" when there
// are any: how a window keeps its graph's series settings.
QByteArray SaveFiledSeries(const TPlotGraph& graph);
void LoadFiledSeries(TPlotGraph& graph, const QByteArray& data);

} // namespace graphfile
