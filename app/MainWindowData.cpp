// The main window's observed data: File > Open data..., File > Close data,
// their drawing and their link in the model file.
#include "MainWindow.h"

#include "AppDialogs.h"
#include "Application.h"
#include "Axis.h"
#include "DataColumnsDialog.h"
#include "DataFile.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "ErrorText.h"
#include "FloatText.h"
#include "PhasePlaneGraph.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace {

const TFileDialogRequest kDataFileDialog{
    QStringLiteral("Open Data"),
    QStringLiteral("Data tables|*.csv;*.txt;*.tsv;*.dat|All Files|*.*"), QStringLiteral("csv"),
    false};

// The time axis says from when the model's time counts.
QString TimeTitle(const std::string& timeColumn, double origin) {
    std::string lower = timeColumn;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    const QString from = QString::fromStdString(FloatToText(origin));
    return lower == "year" ? QStringLiteral("Years since %1").arg(from)
                           : QStringLiteral("Time since %1").arg(from);
}

} // namespace

double TForm1::DataTimeOrigin() const {
    return observedData_ && !observedData_->t.empty() ? observedData_->t.front() : 0;
}

void TForm1::OpenData1Click() {
    const QString name = ChooseFileName(this, kDataFileDialog);
    if (name.isEmpty()) return;
    if (LoadData(name, {})) MarkModelChanged();
}

void TForm1::CloseData1Click() {
    if (!dataLink_) return;
    dataLink_.reset();
    observedData_.reset();
    ShowObservedData("");
    MarkModelChanged();
}

bool TForm1::LoadData(const QString& fileName, const TDataColumns& columns) {
    const std::string path = QFileInfo(fileName).absoluteFilePath().toStdString();
    const TDataFile table = TDataFile::Read(fileName.toStdString());
    TDataColumns chosen = columns;
    const bool named = !columns.t.empty() || !columns.n1.empty() || !columns.n2.empty();
    if (!named && !DefaultColumnsMatch(table.Header()) &&
        !AskDataColumns(this, table.Header(), chosen))
        return false;
    observedData_ = table.Data(chosen);
    dataLink_ = TDataLink{path, chosen.t, chosen.n1, chosen.n2};
    ShowObservedData(TimeColumnName(table.Header(), chosen));
    return true;
}

void TForm1::LoadModelData(const QString& modelFile, const std::optional<TDataLink>& link) {
    observedData_.reset();
    dataLink_.reset();
    ShowObservedData("");
    if (!link) return;
    const QString file = QDir(QFileInfo(modelFile).absolutePath())
                             .absoluteFilePath(QString::fromStdString(link->file));
    try {
        LoadData(file, {link->t, link->n1, link->n2});
    } catch (const std::exception& error) {
        // The model is there without its data; a save keeps the link.
        dataLink_ = TDataLink{file.toStdString(), link->t, link->n1, link->n2};
        QTimer::singleShot(
            0, this, [this, message = ErrorMessage(error)] { ShowErrorDisplay(message, this); });
    }
}

void TForm1::ShowObservedData(const std::string& timeColumn) {
    const double origin = DataTimeOrigin();
    const struct {
        int number;
        const std::vector<double>* counts;
        TDropColorButton* color;
        const char* name;
    } species[] = {{kObservedSeries1, observedData_ ? &observedData_->n1 : nullptr, ColorButton1,
                    "N1 observed"},
                   {kObservedSeries2, observedData_ ? &observedData_->n2 : nullptr, ColorButton2,
                    "N2 observed"}};
    for (const auto& s : species) {
        TSeries& series = PlotGraph1->GetSeries(s.number);
        series.Clear();
        series.SetPointLimit(0);
        series.SetSeriesName(QLatin1String(s.name));
        series.SetShowLine(false);
        series.SetShowPoints(true);
        series.SetFillPoints(true);
        series.SetPointShape(sh_Diamond);
        series.SetPointSize(5);
        series.SetLineColor(s.color->Color());
        series.SetPointColor(s.color->Color());
        const bool any = s.counts && std::any_of(s.counts->begin(), s.counts->end(),
                                                 [](double n) { return !std::isnan(n); });
        series.SetShowInLegend(any ? le_NameSymbol : le_None);
        for (std::size_t i = 0; s.counts && i < s.counts->size(); ++i)
            if (!std::isnan((*s.counts)[i]))
                series.AddPoint(observedData_->t[i] - origin, (*s.counts)[i]);
    }
    std::vector<std::pair<double, double>> states;
    for (std::size_t i = 0; observedData_ && i < observedData_->Rows(); ++i)
        if (!std::isnan(observedData_->n1[i]) && !std::isnan(observedData_->n2[i]))
            states.emplace_back(observedData_->n1[i], observedData_->n2[i]);
    PlotGraph2->SetObserved(states, clBlack);
    PlotGraph1->XAxis().SetTitle(observedData_ ? TimeTitle(timeColumn, origin)
                                               : QStringLiteral("Time"));
    CloseData1->setEnabled(dataLink_.has_value());
}
