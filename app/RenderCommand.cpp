#include "RenderCommand.h"

#include "AnimTimer.h"
#include "Application.h"
#include "CommandArgs.h"
#include "CurveDecimator.h"
#include "ErrorText.h"
#include "Exception.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "PathThinner.h"
#include "PhasePlaneGraph.h"
#include "PictureFile.h"
#include "Series.h"
#include "Simulation.h"
#include "TFormStorage.h"

#include <QComboBox>
#include <QSlider>

#include <memory>
#include <optional>
#include <ostream>

namespace {

const std::string kUsage = std::string("usage: tarnivell ") + kRenderUsage;
// A picture larger than this each way is no picture a window shows.
constexpr int kMaxSide = 10000;
// Below this the window's parts (title, axes, margins) would not fit and the
// picture would come out larger than asked.
constexpr int kMinSide = 80;

struct TRenderOptions {
    std::string model;
    std::string out;
    TGraphViews::TView view = TGraphViews::vw_TimePlot;
    long long steps = 1000;
    QSize size{625, 300};
    TSolverOptions solver;
};

QSize ReadSize(const std::string& text) {
    const QString t = QString::fromStdString(text);
    const QStringList parts = t.split(QLatin1Char('x'), Qt::KeepEmptyParts, Qt::CaseInsensitive);
    bool w = false, h = false;
    const QSize size = parts.size() == 2 ? QSize(parts[0].toInt(&w), parts[1].toInt(&h)) : QSize();
    if (!w || !h || size.width() < kMinSide || size.height() < kMinSide ||
        size.width() > kMaxSide || size.height() > kMaxSide)
        throw Exception(FormatMessage("'%s' is not a size WxH of %s to %s pixels each way",
                                      {text, std::to_string(kMinSide), std::to_string(kMaxSide)}));
    return size;
}

TGraphViews::TView ReadView(const std::string& text) {
    if (text == "time") return TGraphViews::vw_TimePlot;
    if (text == "phase") return TGraphViews::vw_PhasePlane;
    throw Exception(FormatMessage("'%s' is not a view: time or phase", {text}));
}

TRenderOptions ReadOptions(const std::vector<std::string>& args) {
    TRenderOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        if (o.solver.Take(args, i)) continue;
        const std::string& arg = args[i];
        const bool valued = i + 1 < args.size();
        if (arg == "--out" && valued)
            o.out = args[++i];
        else if (arg == "--view" && valued)
            o.view = ReadView(args[++i]);
        else if (arg == "--steps" && valued)
            o.steps = ReadCount(arg, args[++i], 0);
        else if (arg == "--size" && valued)
            o.size = ReadSize(args[++i]);
        else if (o.model.empty() && !arg.starts_with("--"))
            o.model = arg;
        else
            RefuseArgument(arg, kUsage, {"--out", "--view", "--steps", "--size"}, true);
    }
    if (o.model.empty() || o.out.empty()) throw Exception(kUsage);
    return o;
}

// The picture of `graph` at the requested size, written by the graph's
// picture file.
void Write(TPlotGraph& graph, const TRenderOptions& o) {
    graph.resize(o.size);
    TPictureFile::Write(graph, QString::fromStdString(o.out));
}

// A QApplication for the run when the program has none yet: on Qt's
// offscreen platform, whatever the environment says, so that no display is
// needed or used.
std::unique_ptr<QApplication> OffscreenApplication() {
    if (QApplication::instance()) return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt warns that it has no runtime folder of the user's (none is set
    // where no one is logged in); a picture written needs none, and the
    // warning would read as a fault of the run.
    static const QtMessageHandler next = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: "))) return;
            if (next) next(type, context, text);
        });
    static int argc = 1;
    static char name[] = "tarnivell";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

} // namespace

int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return RunHeadless(out, err, [&] {
        const TRenderOptions o = ReadOptions(args);
        TPictureFile::RequireFormat(QString::fromStdString(o.out));
        {
            // The model's faults are told here, before any window exists.
            TModel model = LoadRequiredModel(o.model, err);
            o.solver.ApplyTo(model.solver);
            TSimulation probe;
            BindModel(probe, model);
        }
        const std::unique_ptr<QApplication> app = OffscreenApplication();
        TForm1 form(QString::fromStdString(o.model));
        form.FormStorage1->SetActive(false);
        if (o.solver.method) form.MethodBox->setCurrentIndex(int(*o.solver.method));
        if (o.solver.relTol) form.Sim.Settings.RelTol = *o.solver.relTol;
        if (o.solver.absTol) form.Sim.Settings.AbsTol = *o.solver.absTol;
        form.Views1->SetView(o.view);
        // The steps are taken here one after the other, not paced by the
        // timer, and drawn once at the end, as the window draws at top speed.
        // Of a long run only what the picture shows is kept, so memory does
        // not grow with the steps.
        form.Timer1->SetOnTimer({});
        form.TrackBar1->setValue(form.TrackBar1->maximum());
        form.PlotGraph1->GetSeries(1).SetPointLimit(0);
        form.PlotGraph1->GetSeries(2).SetPointLimit(0);
        form.ButtonStartPauseClick();
        TCurveDecimator curves[2]; // N1 and N2 against time
        TPathThinner path;         // N2 against N1
        std::string fault;
        try {
            for (long long step = 0; step < o.steps; ++step) {
                form.Sim.Step();
                curves[0].Add(form.Sim.t, form.Sim.N1);
                curves[1].Add(form.Sim.t, form.Sim.N2);
                path.Add(form.Sim.N1, form.Sim.N2);
            }
        } catch (const std::exception& e) {
            fault = e.what();
        }
        for (int c = 0; c < 2; ++c)
            for (const auto& [x, y] : curves[c].Points())
                form.PlotGraph1->GetSeries(c + 1).AddPoint(x, y);
        // The first piece goes on from the start state the run began with;
        // the plane is drawn once, with all of them.
        form.PlotGraph2->SetPlotting(false);
        const std::vector<TPathThinner::TPiece> pieces = path.Pieces();
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            TSeries& piece =
                k == 0 ? form.PlotGraph2->Trajectory() : form.PlotGraph2->StartTrajectory();
            for (const auto& [x, y] : pieces[k])
                piece.AddPoint(x, y);
        }
        form.PlotGraph2->SetPlotting(true);
        if (form.Running()) form.ButtonStartPauseClick();
        Write(form.Views1->Current(), o);
        out.flush();
        if (fault.empty()) return 0;
        err << ErrorDisplayText(fault) << '\n';
        return 1;
    });
}
