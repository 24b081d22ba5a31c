#include "DiagramWindow.h"

#include "Appearance.h"
#include "ContinuationCsv.h"
#include "FloatText.h"
#include "Legend.h"
#include "PlotGraph.h"
#include "Series.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStatusBar>
#include <QStringList>
#include <QTimer>
#include <QToolTip>

#include <cmath>
#include <cstdint>
#include <exception>
#include <numbers>
#include <vector>

namespace {

// How far the mouse may move between press and release for a click.
constexpr int kClickSlack = 4;
// How far from a special point's mark the mouse still points at it.
constexpr int kTipReach = 6;

QString Number(double value) {
    return QString::fromStdString(FloatToText(value));
}

// What a tip tells of a special point: its full name and where it lies, and
// at a Hopf point the first Lyapunov coefficient and the period born there.
QString Details(const std::string& name, const TBranchRow& row) {
    QString text = QString::fromLatin1(SpecialLabel(row.label)) + QStringLiteral("\n") +
                   QString::fromStdString(name) + QStringLiteral(" = ") + Number(row.p) +
                   QStringLiteral("\nN1 = ") + Number(row.n1) + QStringLiteral(", N2 = ") +
                   Number(row.n2);
    if (row.label == TSpecialPoint::HopfSupercritical ||
        row.label == TSpecialPoint::HopfSubcritical)
        text += QStringLiteral("\nfirst Lyapunov coefficient ") + Number(row.lyapunov) +
                QStringLiteral("\nperiod ") + Number(2 * std::numbers::pi / row.omega);
    else if (std::isfinite(row.period))
        text += QStringLiteral("\nperiod ") + Number(row.period);
    return text;
}

// The short names diagrams give special points.
QString ShortLabel(TSpecialPoint point) {
    switch (point) {
    case TSpecialPoint::Fold:
        return QStringLiteral("LP");
    case TSpecialPoint::BranchPoint:
        return QStringLiteral("BP");
    case TSpecialPoint::HopfSupercritical:
    case TSpecialPoint::HopfSubcritical:
        return QStringLiteral("H");
    case TSpecialPoint::CycleFold:
        return QStringLiteral("LPC");
    case TSpecialPoint::Homoclinic:
        return QStringLiteral("HOM");
    case TSpecialPoint::None:
        break;
    }
    return {};
}

double Density(const TBranchRow& row, int density) {
    return density == 2 ? row.n2 : row.n1;
}

double Low(const TBranchRow& row, int density) {
    return density == 2 ? row.n2Min : row.n1Min;
}

double High(const TBranchRow& row, int density) {
    return density == 2 ? row.n2Max : row.n1Max;
}

QString DensityName(const TDiagramRequest& request) {
    return request.density == 2 ? QStringLiteral("N2") : QStringLiteral("N1");
}

} // namespace

TDiagramWindow::TDiagramWindow(const TDiagramRequest& request,
                               std::unique_ptr<TCompiledModel> model, const TPlaneRect& box,
                               TColor color, QWidget* parent)
    : TGraphWindow(QStringLiteral("Diagram"),
                   QStringLiteral("Bifurcation diagram of ") + QString::fromStdString(request.name),
                   {600, 440}, QString::fromStdString(request.name),
                   QStringLiteral("Density, ") + DensityName(request),
                   DensityName(request) + QStringLiteral(" at equilibria and on cycles against ") +
                       QString::fromStdString(request.name),
                   parent),
      request_(request), color_(color), box_(box), model_(std::move(model)) {
    PlotGraph1->setToolTip(QStringLiteral("Click to set %1 to the value under the mouse")
                               .arg(QString::fromStdString(request_.name)));
    TAppearance& look = PlotGraph1->Appearance();
    look.SetShowMarks(true);
    // A special point's caption lies on the branches that meet there (the
    // cycles born at a Hopf point): bold and a size up, it stays legible over
    // their points. The title shares the font.
    TGraphFont caption = look.CaptionFont();
    caption.Bold = true;
    caption.Size = 8;
    look.SetCaptionFont(caption);
    PlotGraph1->Legend().setVisible(false);
    PlotGraph1->installEventFilter(this);
    ExportData1->setEnabled(false);

    // Moves of other parameters are taken up at most once per kAgain, the
    // last value of each winning.
    again_ = new QTimer(this);
    again_->setSingleShot(true);
    again_->setInterval(kAgain);
    connect(again_, &QTimer::timeout, this, &TDiagramWindow::Start);
    // A poll rather than a queued call: the workers never need the window,
    // so closing it only has to ask them to stop.
    poll_ = new QTimer(this);
    poll_->setInterval(40);
    connect(poll_, &QTimer::timeout, this, &TDiagramWindow::Poll);

    const int index = model_->ParameterIndex(request_.name);
    if (index < 0) {
        result_.error = "No parameter is named '" + request_.name + "'";
        Draw();
        return;
    }
    index_ = std::size_t(index);
    ShowValue(model_->Parameter(index_));
    Start();
}

TDiagramWindow::~TDiagramWindow() {
    for (const auto& job : jobs_)
        job->cancel = true;
    for (const auto& job : jobs_)
        if (job->thread.joinable()) job->thread.join();
}

bool TDiagramWindow::Done() const {
    return drawn_ && jobs_.empty() && !again_->isActive();
}

// Each start works on a copy of the model as it is now; the work started
// before is asked to stop and its result, should it still come, is dropped.
void TDiagramWindow::Start() {
    for (const auto& job : jobs_)
        job->cancel = true;
    auto job = std::make_unique<TJob>();
    job->model = model_->Clone();
    TContinuationOptions options;
    options.from = request_.from;
    options.to = request_.to;
    options.box = box_;
    options.cancel = &job->cancel;
    TJob* work = job.get();
    work->thread = std::thread([work, options, index = index_] {
        try {
            work->result = Continue(*work->model, index, options);
        } catch (const std::exception& error) {
            work->result.error = error.what();
        }
        work->finished = true;
    });
    jobs_.push_back(std::move(job));
    statusBar()->showMessage(QStringLiteral("Working out the branches\u2026"));
    poll_->start();
}

void TDiagramWindow::Poll() {
    for (std::size_t i = 0; i < jobs_.size();) {
        TJob& job = *jobs_[i];
        if (!job.finished) {
            ++i;
            continue;
        }
        job.thread.join();
        const bool latest = i + 1 == jobs_.size();
        if (latest) result_ = std::move(job.result);
        jobs_.erase(jobs_.begin() + std::ptrdiff_t(i));
        if (latest) Draw();
    }
    if (jobs_.empty()) poll_->stop();
}

void TDiagramWindow::Draw() {
    PlotGraph1->SetPlotting(false);
    PlotGraph1->ClearAllSeries();
    PlotGraph1->ClearMarks();
    ShowValue(value_);
    const int density = request_.density;
    int number = 0;
    const auto newSeries = [&](bool line, bool stable) -> TSeries& {
        TSeries& s = PlotGraph1->GetSeries(++number);
        s.SetPointLimit(0);
        // A branch may turn back in the parameter: its rows are a path.
        s.SetTimeOrder(true);
        s.SetShowLine(line);
        s.SetShowPoints(!line);
        s.SetLineStyle(line && !stable ? 1 : 0);
        s.SetFillPoints(stable);
        s.SetPointShape(sh_Circle);
        s.SetPointSize(4);
        s.SetLineColor(line ? clBlack : color_);
        s.SetPointColor(color_);
        s.SetShowInLegend(0);
        return s;
    };
    std::vector<TMark> marks;
    tips_.clear();
    const auto mark = [&](double y, const TBranchRow& row) {
        const double p = row.p;
        const QString caption = ShortLabel(row.label);
        for (const TMark& m : marks)
            if (m.Caption == caption && std::abs(m.X1Value - p) <= 1e-9 * (1 + std::abs(p))) return;
        TMark m;
        m.ID = kValueMark + 1 + std::int32_t(marks.size());
        m.TypeOfMark = 2;
        m.X1Value = p;
        m.Y1Value = y;
        m.X2Value = 4; // half the square's side, in pixels
        m.Color = clBlue;
        m.Caption = caption;
        m.WhenDrawn = true;
        marks.push_back(m);
        tips_.push_back(Details(request_.name, row));
    };
    for (const TBranch& branch : result_.branches) {
        if (branch.rows.empty()) continue;
        if (branch.object == TBranchObject::Equilibrium) {
            TSeries* run = nullptr;
            const TBranchRow* before = nullptr;
            for (const TBranchRow& row : branch.rows) {
                if (!run || row.stable != before->stable) {
                    // Runs meet where the stability changes, leaving no gap:
                    // at the special point where it changes, else at the
                    // last row before.
                    const TBranchRow* meet = before;
                    if (run && row.label != TSpecialPoint::None) {
                        run->AddPoint(row.p, Density(row, density));
                        meet = nullptr;
                    }
                    run = &newSeries(true, row.stable);
                    if (meet) run->AddPoint(meet->p, Density(*meet, density));
                }
                run->AddPoint(row.p, Density(row, density));
                if (row.label != TSpecialPoint::None) mark(Density(row, density), row);
                before = &row;
            }
        } else {
            TSeries* stable = nullptr;
            TSeries* unstable = nullptr;
            for (const TBranchRow& row : branch.rows) {
                TSeries*& s = row.stable ? stable : unstable;
                if (!s) {
                    s = &newSeries(false, row.stable);
                    s->SetDuplicatesAllowed(true);
                }
                s->AddPoint(row.p, Low(row, density));
                s->AddPoint(row.p, High(row, density));
                if (row.label != TSpecialPoint::None) mark(High(row, density), row);
            }
        }
    }
    for (const TMark& m : marks)
        PlotGraph1->AddMark(m);
    PlotGraph1->SetPlotting(true);

    QStringList status;
    if (!result_.error.empty()) status << QString::fromStdString(result_.error);
    for (const std::string& line : result_.stopped)
        status << QString::fromStdString(line);
    if (result_.cancelled) status << QStringLiteral("Cancelled");
    if (status.isEmpty())
        statusBar()->showMessage(QStringLiteral("%1 branches").arg(result_.branches.size()));
    else
        statusBar()->showMessage(status.join(QStringLiteral("; ")));
    drawn_ = true;
    ExportData1->setEnabled(true);
}

void TDiagramWindow::ShowValue(double value) {
    value_ = value;
    TMark line;
    line.ID = kValueMark;
    line.TypeOfMark = 0;
    line.X1Value = value;
    line.Color = clGray;
    PlotGraph1->AddMark(line);
}

void TDiagramWindow::ParameterMoved(const std::string& name, double value) {
    const int index = model_->ParameterIndex(name);
    if (index < 0) return;
    if (std::size_t(index) == index_) return ShowValue(value);
    model_->SetParameter(std::size_t(index), value);
    if (!again_->isActive()) again_->start();
}

void TDiagramWindow::PickAt(int x) {
    const double value = PlotGraph1->PixelToX(x);
    ShowValue(value);
    if (OnPick) OnPick(request_.name, value);
}

bool TDiagramWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != PlotGraph1) return TGraphWindow::eventFilter(watched, event);
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = TipAt(help->pos());
        if (tip.isEmpty()) return false;
        QToolTip::showText(help->globalPos(), tip, PlotGraph1);
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        pressAt_ = press->position().toPoint();
        pressed_ = press->button() == Qt::LeftButton && press->modifiers() == Qt::NoModifier &&
                   drawn_ && PlotGraph1->MetricsOK() && PlotGraph1->PlotRect().contains(pressAt_);
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* release = static_cast<QMouseEvent*>(event);
        const QPoint at = release->position().toPoint();
        const bool click = pressed_ && release->button() == Qt::LeftButton &&
                           (at - pressAt_).manhattanLength() <= kClickSlack;
        pressed_ = false;
        if (click) PickAt(at.x());
    }
    return false;
}

QString TDiagramWindow::TipAt(QPoint at) const {
    if (!drawn_ || !PlotGraph1->MetricsOK()) return {};
    for (const TMark& m : PlotGraph1->Marks()) {
        const std::size_t tip = std::size_t(m.ID - kValueMark - 1);
        if (m.ID == kValueMark || tip >= tips_.size()) continue;
        const QPoint centre(PlotGraph1->XToPixel(m.X1Value), PlotGraph1->YToPixel(m.Y1Value));
        if ((at - centre).manhattanLength() <= kTipReach) return tips_[tip];
    }
    return {};
}

std::string TDiagramWindow::DataCsv() const {
    return ContinuationCsv(result_, request_.name);
}
