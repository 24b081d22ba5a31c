#include "MainWindow.h"

#include "AnimTimer.h"
#include "AppDialogs.h"
#include "Appearance.h"
#include "Application.h"
#include "Axis.h"
#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "ErrorText.h"
#include "Exception.h"
#include "FixLabelAutoSize.h"
#include "FloatEdit.h"
#include "FloatText.h"
#include "GraphOutputError.h"
#include "GraphViews.h"
#include "Legend.h"
#include "ModelFile.h"
#include "ModelFormats.h"
#include "PanelScrollArea.h"
#include "ParameterPanel.h"
#include "PhasePlaneGraph.h"
#include "PictureFile.h"
#include "PlaneController.h"
#include "PlotGraph.h"
#include "RateFault.h"
#include "RateLawHelp.h"
#include "SavePicture.h"
#include "Series.h"
#include "TFormStorage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPushButton>
#include <QSlider>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <tuple>
#include <utility>

namespace {

// The largest density the edits take: eight digits before the point, one after.
constexpr double kDensityMax = 99999999.9;
// The window's designed sizes: the graph takes what the fixed panel leaves.
constexpr QSize kWindowSize(625, 503);
constexpr int kPanelHeight = 281;
constexpr int kPagesHeight = 240;
// The speed slider's widest: its eleven ticks stay easy to tell apart.
constexpr int kTrackBarMaxWidth = 320;
constexpr int kNumberEditWidth = 110;
constexpr char kShownTextProperty[] = "shownText";

const char* const kTooManyPointsText = "A great deal of data has accumulated.  To avoid an error "
                                       "and improve performance, clear the data now?";
const char* const kSettingsFilter = "Configuration Settings|*.ini|All Files|*.*";
// Loading also takes XPPAUT's and SBML files.
const char* const kLoadFilter =
    "Model files|*.ini;*.ode;*.xml;*.sbml|Configuration Settings|*.ini|XPPAUT files|*.ode|"
    "SBML files|*.xml;*.sbml|All Files|*.*";

QString Title() {
    return QString::fromLatin1(kApplicationTitle);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

TFloatEdit* MakeNumberEdit(QWidget* parent, const char* name, int digits, const char* hint) {
    auto* edit = new TFloatEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->SetDigits(digits);
    edit->SetMin(0);
    edit->SetMax(kDensityMax);
    if (hint) edit->setToolTip(QLatin1String(hint));
    return edit;
}

// A drop-down that lists full captions but shows a short one when closed, so
// that it fits the panel's first row beside the speed slider.
class TCompactComboBox : public QComboBox {
public:
    TCompactComboBox(const QStringList& captions, QStringList shortCaptions, QWidget* parent)
        : QComboBox(parent), short_(std::move(shortCaptions)) {
        addItems(captions);
        view()->setMinimumWidth(view()->sizeHintForColumn(0) + 2 * view()->frameWidth() + 8);
    }

    QSize sizeHint() const override { return minimumSizeHint(); }
    QSize minimumSizeHint() const override {
        QStyleOptionComboBox option;
        initStyleOption(&option);
        int text = 0;
        for (const QString& caption : short_)
            text = std::max(text, fontMetrics().horizontalAdvance(caption));
        return style()->sizeFromContents(QStyle::CT_ComboBox, &option,
                                         QSize(text + 4, fontMetrics().height()), this);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        const int index = currentIndex();
        if (index >= 0 && index < short_.size()) option.currentText = short_[index];
        painter.drawComplexControl(QStyle::CC_ComboBox, option);
        painter.drawControl(QStyle::CE_ComboBoxLabel, option);
    }

private:
    QStringList short_;
};

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const char* caption, bool checked) {
    auto* box = new QCheckBox(QLatin1String(caption), parent);
    box->setObjectName(QLatin1String(name));
    box->setChecked(checked);
    return box;
}

} // namespace

const QString TForm1::kStartCaption = QStringLiteral("&Start");
const QString TForm1::kPauseCaption = QStringLiteral("&Pause");
const QString TForm1::kContinueCaption = QStringLiteral("&Continue");
const QStringList TForm1::kMethodCaptions = {
    QStringLiteral("Euler"), QString::fromUtf8("Runge\u2013Kutta 4"),
    QString::fromUtf8("Adaptive (Dormand\u2013Prince)"), QStringLiteral("Stiff (BDF)")};
const QString TForm1::kEulerHint = QString::fromLatin1(TEulerStepWarning::kText);

unsigned TForm1::IntervalOfPosition(int position) {
    return 1000u >> std::clamp(position, 0, 31);
}

TForm1::TForm1(const QString& modelFile, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    SetMainForm(this);
    move(5, 5);
    resize(kWindowSize);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    BuildGraph();
    BuildPhasePlane();
    Views1 = new TGraphViews(*PlotGraph1, *PlotGraph2, central);
    column->addWidget(Views1->Splitter(), 1);
    column->addWidget(new TPanelScrollArea(BuildPanel(), central));
    setCentralWidget(central);
    statusBar()->setObjectName(QStringLiteral("StatusBar1"));

    BuildMenus();
    BuildComponents();
    WireHandlers();
    FollowDesktopFont();
    FormCreate(modelFile);
}

TForm1::~TForm1() {
    // Focus moves while the controls are torn down; this window no longer answers.
    disconnect(qApp, nullptr, this, nullptr);
    // The worker must not hand over another tick while the window goes.
    Timer1->SetEnabled(false);
    Timer2->stop();
}

// --- building the window -------------------------------------------------

void TForm1::StyleGraph(TPlotGraph& graph, TAxisStyle x, TAxisStyle y) {
    for (auto [axis, style] : {std::pair{&graph.XAxis(), x}, std::pair{&graph.YAxis(), y}}) {
        axis->SetTitle(QLatin1String(style.title));
        axis->SetGridlines(style.gridlines);
        axis->SetShowAxis(true);
        axis->SetAutoSizing(true);
        axis->SetAutoStepping(true);
    }
    graph.YAxis_Second().SetShowAxis(false);

    TAppearance& look = graph.Appearance();
    look.SetBackgroundColor(clWhite);
    look.SetMarginColor(clWhite);
    look.SetPreventFlicker(true);
    // Densities and times of any size keep their labels inside the window.
    graph.SetFitMarginsToLabels(true);

    TLegend& legend = graph.Legend();
    legend.setLeft(5);
    legend.setTop(5);
    legend.setWidth(180);
    legend.setBorderStyle(1);
    legend.setVisible(false);
}

void TForm1::BuildGraph() {
    PlotGraph1 = new TPlotGraph(this);
    PlotGraph1->setObjectName(QStringLiteral("PlotGraph1"));
    PlotGraph1->setToolTip(QStringLiteral("Population density time evolution of both species"));
    PlotGraph1->setMinimumHeight(80);

    // Grid lines from the density axis only.
    StyleGraph(*PlotGraph1, {"Time", false}, {"Density", true});
    PlotGraph1->Appearance().SetCrossAtZero(true);
    PlotGraph1->SetPlotting(true);

    // The two stored series; their colours and Line/Points switches are
    // replaced at start-up by those of the colour buttons and check boxes.
    const struct {
        int shape;
        int legend;
        TColor color;
    } stored[2] = {{sh_Square, le_NameLineSymbol, clGreen}, {sh_Circle, le_None, clBlue}};
    for (int i = 0; i < 2; ++i) {
        TSeries& s = PlotGraph1->GetSeries(i + 1);
        s.SetVisible(true);
        s.SetFirstAxis(true);
        s.SetLineStyle(0);
        s.SetFillPoints(true);
        s.SetPointSize(4);
        s.SetPointShape(stored[i].shape);
        s.SetShowInLegend(stored[i].legend);
        s.SetLineColor(stored[i].color);
        s.SetPointColor(stored[i].color);
    }
}

QWidget* TForm1::BuildPanel() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kPanelHeight);
    auto* column = new QVBoxLayout(Panel1);
    column->setContentsMargins(8, 6, 8, 6);
    column->setSpacing(6);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Time Step:"), Panel1));
    dtEdit = MakeNumberEdit(Panel1, "dtEdit", 15, nullptr);
    dtEdit->setFixedWidth(kNumberEditWidth);
    row->addWidget(dtEdit);
    row->addSpacing(10);
    row->addWidget(new QLabel(QStringLiteral("Method:"), Panel1));
    MethodBox = new TCompactComboBox(kMethodCaptions,
                                     {QStringLiteral("Euler"), QStringLiteral("RK4"),
                                      QStringLiteral("RK45"), QStringLiteral("BDF")},
                                     Panel1);
    MethodBox->setObjectName(QStringLiteral("MethodBox"));
    MethodBox->setToolTip(QStringLiteral("Integration method"));
    row->addWidget(MethodBox);
    // The speed and Start keep to the right; beyond a sensible width the
    // slider does not grow, and the room goes between the groups.
    row->addStretch(1);
    row->addSpacing(16);
    row->addWidget(new QLabel(QStringLiteral("Slow"), Panel1));
    TrackBar1 = new QSlider(Qt::Horizontal, Panel1);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 10);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setTickInterval(1);
    TrackBar1->setValue(5);
    TrackBar1->setToolTip(QStringLiteral("Simulation speed"));
    TrackBar1->setMaximumWidth(kTrackBarMaxWidth);
    row->addWidget(TrackBar1, 4);
    row->addWidget(new QLabel(QStringLiteral("Fast"), Panel1));
    row->addSpacing(16);
    ButtonStartPause = new QPushButton(kStartCaption, Panel1);
    ButtonStartPause->setObjectName(QStringLiteral("ButtonStartPause"));
    ButtonStartPause->setMinimumWidth(90);
    row->addWidget(ButtonStartPause);
    column->addLayout(row);

    PageControl1 = new QTabWidget(Panel1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setFixedHeight(kPagesHeight);
    PageControl1->addTab(BuildSpeciesTab(), QStringLiteral("Species"));
    ParameterPanel1 = new TParameterPanel;
    PageControl1->addTab(ParameterPanel1, QStringLiteral("Parameters"));
    column->addWidget(PageControl1);
    return Panel1;
}

QWidget* TForm1::BuildSpeciesTab() {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(6, 6, 6, 6);

    auto species = [&](int n, TFloatEdit*& density, QLineEdit*& rate, TDropColorButton*& color,
                       QCheckBox*& line, QCheckBox*& points, TColor initial) {
        const QString num = QString::number(n);
        auto* group = new QGroupBox(QStringLiteral("Species ") + num, page);
        SpeciesBox[n - 1] = group;
        auto* grid = new QGridLayout(group);
        grid->addWidget(new QLabel(QStringLiteral("Density, N%1:").arg(n), group), 0, 0);
        density = MakeNumberEdit(group, n == 1 ? "N1Edit" : "N2Edit", 6, n == 1 ? "N1" : "N2");
        density->setFixedWidth(kNumberEditWidth);
        grid->addWidget(density, 0, 1, Qt::AlignLeft);
        color = new TDropColorButton(group);
        color->setObjectName(QStringLiteral("ColorButton") + num);
        color->SetColor(initial);
        auto* switches = new QHBoxLayout;
        switches->addWidget(color);
        switches->addSpacing(8);
        switches->addWidget(line);
        switches->addWidget(points);
        switches->addStretch(1);
        grid->addLayout(switches, 0, 2);
        grid->addWidget(new QLabel(QStringLiteral("Rate:"), group), 1, 0);
        rate = new QLineEdit(QStringLiteral("0"), group);
        rate->setObjectName(QStringLiteral("Rate") + num);
        rate->setToolTip(QStringLiteral("dN%1 / dt\n").arg(n) + RateLawTip());
        rate->setMinimumWidth(417);
        grid->addWidget(rate, 1, 1, 1, 2);
        grid->setColumnStretch(2, 1);
        column->addWidget(group);
    };
    CheckBox1 = MakeCheckBox(page, "CheckBox1", "Line", true);
    CheckBox3 = MakeCheckBox(page, "CheckBox3", "Points", false);
    CheckBox2 = MakeCheckBox(page, "CheckBox2", "Line", true);
    CheckBox4 = MakeCheckBox(page, "CheckBox4", "Points", false);
    species(1, N1Edit, Rate1, ColorButton1, CheckBox1, CheckBox3, clRed);
    species(2, N2Edit, Rate2, ColorButton2, CheckBox2, CheckBox4, clGreen);
    column->addStretch(1);
    return page;
}

void TForm1::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    Load1 = file->addAction(QStringLiteral("Load"));
    Examples1 = file->addMenu(QStringLiteral("Examples"));
    Examples1->setObjectName(QStringLiteral("Examples1"));
    Save1 = file->addAction(QStringLiteral("Save"));
    ExportModel1 = file->addAction(QString::fromUtf8("Export &model\u2026"));
    OpenData1 = file->addAction(QString::fromUtf8("Open &data\u2026"));
    CloseData1 = file->addAction(QStringLiteral("Close data"));
    CloseData1->setEnabled(false);
    ExportData1 = file->addAction(QString::fromUtf8("Export data\u2026"));
    Exit1 = file->addAction(QStringLiteral("Exit"));
    QMenu* run = menuBar()->addMenu(QStringLiteral("Run"));
    Start1 = run->addAction(kStartCaption);
    Reset1 = run->addAction(QStringLiteral("Reset"));
    Solver1 = run->addAction(QString::fromUtf8("Solver\u2026"));
    Sweep1 = run->addAction(QString::fromUtf8("Sweep\u2026"));
    Diagram1 = run->addAction(QString::fromUtf8("Bifurcation diagram\u2026"));
    Fit1 = run->addAction(QString::fromUtf8("&Fit\u2026"));
    QMenu* graph = menuBar()->addMenu(QStringLiteral("Graph"));
    Copy1 = graph->addAction(QStringLiteral("&Copy to clipboard"));
    Print2 = graph->addAction(QStringLiteral("&Print"));
    Bitmap2 = graph->addAction(QStringLiteral("&Save as bitmap"));
    SavePicture1 = graph->addAction(QString::fromUtf8("Save pictu&re\u2026"));
    BuildRunExtras(run, graph);
    BuildViewMenu();
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    RateLaws1 = help->addAction(QString::fromUtf8("&Rate laws\u2026"));
    AboutModel1 = help->addAction(QString::fromUtf8("About this &model\u2026"));
    help->addSeparator();
    About2 = help->addAction(QStringLiteral("About"));

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Running1 = PopupMenu1->addAction(QStringLiteral("Running"));
    Running1->setCheckable(true);
    QFont bold = Running1->font();
    bold.setBold(true);
    Running1->setFont(bold);
    PopupMenu1->setDefaultAction(Running1);
    Clip1 = PopupMenu1->addAction(QStringLiteral("Copy"));
    Print1 = PopupMenu1->addAction(QStringLiteral("Print"));
    Bitmap1 = PopupMenu1->addAction(QStringLiteral("Save as Bitmap"));
    Clear1 = PopupMenu1->addAction(QStringLiteral("Reset"));
}

void TForm1::BuildComponents() {
    Timer1 = new TAnimTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->SetEnabled(false);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(50);
    PlaneController1 = new TPlaneController(*PlotGraph2, this);

    FixLabelAutoSize1 = new TFixLabelAutoSize(this);
    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName(QStringLiteral("FormStorage1"));
    FormStorage1->SetIniFileName(QStringLiteral(".\\Tarnivell.ini"));
    FormStorage1->SetStoredProps({"ColorButton1.Color", "ColorButton2.Color", "CheckBox1.Checked",
                                  "CheckBox2.Checked", "CheckBox3.Checked", "CheckBox4.Checked",
                                  "Views1.View"});
    FormStorage1->OnError = [](const std::exception& error) { ShowErrorDisplay(error); };
}

void TForm1::WireHandlers() {
    Timer1->SetOnTimer([this](QObject*) { Timer1Timer(); });
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(ButtonStartPause, &QPushButton::clicked, this, &TForm1::ButtonStartPauseClick);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);
    connect(MethodBox, &QComboBox::currentIndexChanged, this, &TForm1::MethodBoxChange);
    // A choice made without the focus (the wheel) pauses as entering does.
    connect(MethodBox, &QComboBox::activated, this, &TForm1::Pause);
    dtEdit->OnExit = [this](QObject*) { dtEditExit(); };
    N1Edit->OnExit = [this](QObject*) { N1EditExit(); };
    N2Edit->OnExit = [this](QObject*) { N2EditExit(); };
    connect(qApp, &QApplication::focusChanged, this, &TForm1::FocusChanged);

    ColorButton1->OnColorChange = [this](QObject*) { ColorButton1ColorChange(); };
    ColorButton2->OnColorChange = [this](QObject*) { ColorButton2ColorChange(); };
    // Toggled, not clicked: a value restored from the settings file must
    // reach the graph as a click does.
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::toggled, this, &TForm1::CheckBox2Click);
    connect(CheckBox3, &QCheckBox::toggled, this, &TForm1::CheckBox3Click);
    connect(CheckBox4, &QCheckBox::toggled, this, &TForm1::CheckBox4Click);

    PlotGraph1->OnTooManyPoints = [this](QObject*, int index) { PlotGraph1TooManyPoints(index); };
    PlotGraph1->SetPopupMenu(PopupMenu1);
    PlotGraph1->OnDblClick = [this](QObject*) { ButtonStartPauseClick(); };
    PlotGraph2->SetPopupMenu(PopupMenu1);
    PlotGraph2->OnPlaneClick = [this](double n1, double n2) { PlotGraph2Click(n1, n2); };
    // A plane that never had a model takes the one on screen, quietly, since
    // nobody asked for it and a drag goes on; during a run that would let in
    // texts the run does not have.
    PlaneController1->OnModelWanted = [this]() -> std::optional<TModel> {
        if (Running()) return std::nullopt;
        return PlaneModel();
    };
    connect(Field1, &QAction::triggered, this, &TForm1::Field1Click);
    connect(Refresh1, &QAction::triggered, this, &TForm1::Refresh1Click);
    connect(Equilibria1, &QAction::triggered, this, &TForm1::Equilibria1Click);
    connect(Cycles1, &QAction::triggered, this, &TForm1::Cycles1Click);
    connect(LimitCycles1, &QAction::triggered, this, &TForm1::LimitCycles1Click);

    connect(Load1, &QAction::triggered, this, &TForm1::SpeedButton1Click);
    for (const TExample& example : Examples.Examples()) {
        QAction* item = Examples1->addAction(QString(example.title).replace('&', "&&"));
        connect(item, &QAction::triggered, this,
                [this, path = example.path] { ExampleClick(path); });
    }
    Examples1->setEnabled(!Examples1->isEmpty());
    connect(Save1, &QAction::triggered, this, &TForm1::SpeedButton2Click);
    connect(ExportModel1, &QAction::triggered, this, &TForm1::ExportModel1Click);
    connect(OpenData1, &QAction::triggered, this, &TForm1::OpenData1Click);
    connect(CloseData1, &QAction::triggered, this, &TForm1::CloseData1Click);
    connect(Exit1, &QAction::triggered, this, &TForm1::ButtonExitClick);
    connect(Start1, &QAction::triggered, this, &TForm1::ButtonStartPauseClick);
    connect(Reset1, &QAction::triggered, this, &TForm1::ButtonClearClick);
    connect(Solver1, &QAction::triggered, this, &TForm1::Solver1Click);
    connect(Sweep1, &QAction::triggered, this, &TForm1::Sweep1Click);
    connect(Diagram1, &QAction::triggered, this, &TForm1::Diagram1Click);
    connect(Fit1, &QAction::triggered, this, &TForm1::Fit1Click);
    ParameterPanel1->OnMove = [this](const std::string& name, double value) {
        ParameterSliderMove(name, value);
    };
    // What the user does to the model, not what the program writes into it.
    ParameterPanel1->OnChange = [this] { MarkModelChanged(); };
    connect(Rate1, &QLineEdit::textEdited, this, &TForm1::MarkModelChanged);
    connect(Rate2, &QLineEdit::textEdited, this, &TForm1::MarkModelChanged);
    connect(MethodBox, &QComboBox::activated, this, &TForm1::MarkModelChanged);
    connect(Copy1, &QAction::triggered, this, [this] { Clip1Click(true); });
    connect(Print2, &QAction::triggered, this, [this] { Print1Click(true); });
    connect(Bitmap2, &QAction::triggered, this, [this] { Bitmap1Click(true); });
    connect(SavePicture1, &QAction::triggered, this, [this] { SavePicture1Click(true); });
    connect(ExportData1, &QAction::triggered, this, &TForm1::ExportData1Click);
    connect(About2, &QAction::triggered, this, &TForm1::About2Click);
    connect(RateLaws1, &QAction::triggered, this, [this] { ShowRateLawHelp(this); });
    connect(AboutModel1, &QAction::triggered, this, &TForm1::AboutModel1Click);
    connect(Running1, &QAction::triggered, this, &TForm1::Running1Click);
    connect(Clip1, &QAction::triggered, this, [this] { Clip1Click(false); });
    connect(Print1, &QAction::triggered, this, [this] { Print1Click(false); });
    connect(Bitmap1, &QAction::triggered, this, [this] { Bitmap1Click(false); });
    connect(Clear1, &QAction::triggered, this, &TForm1::ButtonClearClick);
    WireRunExtras();
}

// Entering a density, a rate, the table or the method pauses a run. A window that only
// gets the focus back (before is none) is not the user entering a field.
void TForm1::FocusChanged(QWidget* before, QWidget* now) {
    if (before == nullptr || now == nullptr) return;
    for (QWidget* field :
         {static_cast<QWidget*>(N1Edit), static_cast<QWidget*>(N2Edit),
          static_cast<QWidget*>(Rate1), static_cast<QWidget*>(Rate2),
          static_cast<QWidget*>(ParameterPanel1->Table()), static_cast<QWidget*>(MethodBox)}) {
        const auto inside = [field](QWidget* w) { return w == field || field->isAncestorOf(w); };
        if (inside(now) && !inside(before)) {
            Pause();
            return;
        }
    }
}

// --- number edits ---------------------------------------------------------

void TForm1::ShowNumber(TFloatEdit* edit, double value) {
    edit->SetValue(value);
    edit->setProperty(kShownTextProperty, edit->text());
}

void TForm1::ShowNumberText(TFloatEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setProperty(kShownTextProperty, text);
}

// Typed is what the user edited since the program last wrote the edit, even
// when it reads as what was shown (the state may be -11 behind a "0"), and
// any text the program did not write itself.
bool TForm1::TypedNumber(TFloatEdit* edit, double& value) {
    const QString text = edit->text();
    if (!edit->isModified() && text == edit->property(kShownTextProperty).toString()) return false;
    double typed = 0;
    if (!TryTextToFloat(text.toStdString(), typed) || typed < edit->Min() || typed > edit->Max())
        return false;
    value = typed;
    MarkModelChanged();
    // What the user typed is the state from now on.
    edit->setProperty(kShownTextProperty, text);
    edit->setModified(false);
    return true;
}

// --- run control ----------------------------------------------------------

bool TForm1::Running() const {
    return Timer1->Enabled();
}

void TForm1::SetRunCaptions(const QString& caption) {
    ButtonStartPause->setText(caption);
    Start1->setText(caption);
}

template <typename Work> void TForm1::PausingOnFault(Work work) {
    try {
        work();
    } catch (...) {
        // One fault, one message: the run stops before the message is shown,
        // wherever in the tick the fault arose (the step, the drawing).
        if (Running()) ButtonStartPauseClick();
        throw;
    }
}

void TForm1::Timer1Timer() {
    PausingOnFault([this] {
        const bool stopped = RunStop1.Step(Sim);
        if (eulerWarning_.Due(Sim)) statusBar()->showMessage(kEulerHint);
        const int resets = resets_;
        PlotGraph1->GetSeries(1).AddPoint(Sim.t, Sim.N1);
        // A Reset answered inside the first point has cleared the step away.
        if (resets != resets_) return;
        PlotGraph1->GetSeries(2).AddPoint(Sim.t, Sim.N2);
        PlotGraph2->Trajectory().AddPoint(Sim.N1, Sim.N2);
        if (stopped) StopReached();
    });
}

void TForm1::FollowDesktopFont() {
    constexpr double kDesignedPoints = 9;
    const double points = QApplication::font().pointSizeF();
    const double scale = points > kDesignedPoints ? points / kDesignedPoints : 1.0;
    PlotGraph1->SetTextScale(scale);
    PlotGraph2->SetTextScale(scale);
}

void TForm1::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        FollowDesktopFont();
    QMainWindow::changeEvent(event);
}

void TForm1::FocusRate(int species) {
    PageControl1->setCurrentIndex(0);
    QLineEdit* rate = species == 1 ? Rate1 : Rate2;
    rate->setFocus(Qt::OtherFocusReason);
}

void TForm1::ButtonStartPauseClick() {
    if (Running()) {
        SetRunCaptions(kContinueCaption);
        ShowNumber(N1Edit, Sim.N1);
        ShowNumber(N2Edit, Sim.N2);
    } else {
        ParameterPanel1->CommitEdit();
        TypedNumber(dtEdit, Sim.dt);
        TypedNumber(N1Edit, Sim.N1);
        TypedNumber(N2Edit, Sim.N2);
        TModel model;
        model.rows = ParameterPanel1->Rows();
        model.rate1 = Rate1->text().toStdString();
        model.rate2 = Rate2->text().toStdString();
        try {
            Sim.Bind(model.rows, model.rate1, model.rate2);
        } catch (const ERateError& error) {
            ParameterPanel1->SetRows(model.rows);
            PlaneController1->Clear();
            FocusRate(error.Species());
            throw;
        } catch (...) {
            // The rows bound before the fault show their values.
            ParameterPanel1->SetRows(model.rows);
            PlaneController1->Clear();
            throw;
        }
        ParameterPanel1->SetRows(model.rows);
        model.N1 = Sim.N1;
        model.N2 = Sim.N2;
        PlaneController1->RunStarts(model);
        if (!startRow_) startRow_ = TCurveRow{Sim.t, Sim.N1, Sim.N2};
        SetRunCaptions(kPauseCaption);
        eulerWarning_.Rearm();
        statusBar()->clearMessage();
        RunStop1.Arm(Sim);
    }
    Timer1->SetEnabled(!Timer1->Enabled());
    Running1->setChecked(Timer1->Enabled());
    if (Timer1->Enabled())
        Timer2->start();
    else
        Timer2->stop();
    SetHolds(false);
    // At top speed the curves are drawn by the refresh from the first step on.
    if (Running() && Timer1->Interval() == 0) SetHolds(true);
    ShowClock();
}

void TForm1::Running1Click() {
    // Choosing the item has ticked or unticked it already; the mark shows the
    // run state only, also when the start fails.
    Running1->setChecked(Running());
    ButtonStartPauseClick();
}

void TForm1::Pause() {
    if (Running()) ButtonStartPauseClick();
}

void TForm1::ButtonClearClick() {
    ++resets_;
    PlotGraph1->GetSeries(1).Clear();
    PlotGraph1->GetSeries(2).Clear();
    Sim.t = 0;
    TAxis& x = PlotGraph1->XAxis();
    x.SetMin(0);
    x.SetMax(10 * Sim.dt);
    x.SetAutoSizing(true);
    TAxis& y = PlotGraph1->YAxis();
    y.SetMin(std::min(Sim.N1, Sim.N2));
    y.SetMax(std::max(Sim.N1, Sim.N2));
    y.SetAutoSizing(true);
    PlaneController1->Reset(Sim.N1, Sim.N2);
    // A Reset during a run goes on from the densities reached; otherwise the
    // next Start says where the curves begin.
    startRow_.reset();
    if (Running()) startRow_ = TCurveRow{0, Sim.N1, Sim.N2};
    if (!Running()) SetRunCaptions(kStartCaption);
    if (Running()) RunStop1.Arm(Sim); // the run starts again from 0
    ShowClock();
}

void TForm1::TrackBar1Change() {
    Timer1->SetInterval(IntervalOfPosition(TrackBar1->value()));
    SetHolds(false);
}

void TForm1::Timer2Timer() {
    PausingOnFault([this] {
        ShowNumber(N1Edit, Sim.N1);
        ShowNumber(N2Edit, Sim.N2);
        ShowClock();
        ShowSettledCycle();
        if (Timer1->Interval() == 0) {
            // At top speed the curves are drawn once per refresh, not per step.
            for (bool hold : {false, true})
                SetHolds(hold);
        }
    });
}

void TForm1::PlotGraph1TooManyPoints(int) {
    if (Running()) ButtonStartPauseClick();
    // No is the default: a stray Enter must not erase the run.
    if (AskYesNoBox(this, QStringLiteral("Too Many Points"), QLatin1String(kTooManyPointsText),
                    false)) {
        ButtonClearClick();
    } else {
        PlotGraph1->GetSeries(1).SetPointLimit(0);
        PlotGraph1->GetSeries(2).SetPointLimit(0);
    }
}

void TForm1::dtEditExit() {
    TypedNumber(dtEdit, Sim.dt);
}

void TForm1::N1EditExit() {
    TypedNumber(N1Edit, Sim.N1);
}

void TForm1::N2EditExit() {
    TypedNumber(N2Edit, Sim.N2);
}

void TForm1::MethodBoxChange() {
    Sim.Settings.Method = static_cast<TSolverMethod>(std::max(MethodBox->currentIndex(), 0));
}

void TForm1::Solver1Click() {
    const TSolverSettings before = Sim.Settings;
    if (EditSolverTolerances(this, Sim.Settings.RelTol, Sim.Settings.AbsTol) &&
        Sim.Settings != before)
        MarkModelChanged();
}

// --- the model file -----------------------------------------------------------

void TForm1::SpeedButton1Click() {
    Pause();
    if (!MayLeaveModel()) return;
    const QString name = ChooseFileName(
        this, {QStringLiteral("Load Settings"), QLatin1String(kLoadFilter), "ini", false});
    if (!name.isEmpty()) LoadModelSettings(name);
}

void TForm1::SpeedButton2Click() {
    Pause();
    for (;;) {
        const QString name = ChooseFileName(
            this, {QStringLiteral("Save Settings"), QLatin1String(kSettingsFilter), "ini", true});
        if (name.isEmpty()) return;
        // The shipped examples stay as they came: a changed one goes under a new name.
        if (!Examples.Holds(name)) return SaveModelSettings(name);
        ShowErrorDisplay(
            QStringLiteral("'%1' is a shipped example and is kept as it is; choose a new file name")
                .arg(name)
                .toStdString(),
            this);
    }
}

void TForm1::ExampleClick(const QString& fileName) {
    Pause();
    if (!MayLeaveModel()) return;
    LoadModelSettings(fileName);
}

void TForm1::LoadModelSettings(const QString& fileName) {
    // Read into a copy: a file with a bad number changes nothing on screen.
    TModel model;
    model.dt = Sim.dt;
    model.N1 = Sim.N1;
    model.N2 = Sim.N2;
    std::vector<std::string> notes;
    LoadAnyModelFile(fileName.toStdString(), model, notes);

    Sim.Settings = model.solver;
    MethodBox->setCurrentIndex(static_cast<int>(model.solver.Method));
    Sim.dt = model.dt;
    RunStop1.Time = model.stop;
    Sim.N1 = model.N1;
    Sim.N2 = model.N2;
    Rate1->setText(Q(model.rate1));
    Rate2->setText(Q(model.rate2));
    ShowNumber(N1Edit, Sim.N1);
    ShowNumber(N2Edit, Sim.N2);
    ShowNumberText(dtEdit, Q(FloatToText(Sim.dt)));
    ParameterPanel1->SetRows(model.rows);
    SetGraphTitleFromFile(fileName);
    origin_ = model.origin;
    LoadModelData(fileName, model.data);
    modelChanged_ = false;
    names_[0] = model.name1;
    names_[1] = model.name2;
    ShowSpeciesNames();
    // What the file said that has no effect here is told, not silently lost.
    QStringList told;
    for (const std::string& note : notes)
        told << Q(note);
    if (!told.isEmpty()) statusBar()->showMessage(told.join(QStringLiteral("; ")));
    // The plane shows the model just loaded, not the one it had before.
    PlaneController1->Load(PlaneModel());
}

TModel TForm1::ScreenModel() {
    // A density or a cell typed but not yet left is what the user sees.
    ParameterPanel1->CommitEdit();
    TypedNumber(dtEdit, Sim.dt);
    TypedNumber(N1Edit, Sim.N1);
    TypedNumber(N2Edit, Sim.N2);
    TModel model;
    model.dt = Sim.dt;
    model.stop = RunStop1.Time;
    model.N1 = Sim.N1;
    model.N2 = Sim.N2;
    model.rate1 = Rate1->text().toStdString();
    model.rate2 = Rate2->text().toStdString();
    model.rows = ParameterPanel1->Rows();
    model.solver = Sim.Settings;
    model.origin = origin_;
    model.name1 = names_[0];
    model.name2 = names_[1];
    return model;
}

void TForm1::SaveModelSettings(const QString& fileName) {
    TModel model = ScreenModel();
    if (dataLink_) {
        // Filed relative to the model, so that both move together.
        model.data = dataLink_;
        model.data->file = QDir(QFileInfo(fileName).absolutePath())
                               .relativeFilePath(QString::fromStdString(dataLink_->file))
                               .toStdString();
    }
    SaveModelFile(fileName.toStdString(), model);
    SetGraphTitleFromFile(fileName);
    modelChanged_ = false;
}

void TForm1::ExportModel1Click() {
    Pause();
    const QString name = ChooseFileName(
        this, {QStringLiteral("Export Model"),
               QStringLiteral("XPPAUT files|*.ode|SBML files|*.xml;*.sbml"), "ode", true});
    if (!name.isEmpty()) SaveAnyModelFile(name.toStdString(), ScreenModel());
}

void TForm1::ShowSpeciesNames() {
    // Only what changes is set: a title set repaints its graph.
    const auto title = [](TAxis& axis, const QString& text) {
        if (axis.Title() != text) axis.SetTitle(text);
    };
    QString label[2];
    for (int k = 0; k < 2; ++k) {
        const QString number = QString::number(k + 1);
        const QString own = Q(names_[k]);
        label[k] = own.isEmpty() ? QStringLiteral("N") + number : own;
        SpeciesBox[k]->setTitle(QStringLiteral("Species ") + number +
                                (own.isEmpty() ? QString() : QStringLiteral(": ") + own));
        PlotGraph1->GetSeries(k + 1).SetSeriesName(label[k]);
    }
    const bool named = !names_[0].empty() || !names_[1].empty();
    title(PlotGraph1->YAxis(), named
                                   ? QStringLiteral("Density of %1 and %2").arg(label[0], label[1])
                                   : QStringLiteral("Density"));
    title(PlotGraph2->XAxis(), QStringLiteral("Density, ") + label[0]);
    title(PlotGraph2->YAxis(), QStringLiteral("Density, ") + label[1]);
}

void TForm1::MarkModelChanged() {
    modelChanged_ = true;
}

bool TForm1::MayLeaveModel() {
    if (!modelChanged_) return true;
    switch (AskSaveBox(this, Title(),
                       QStringLiteral("The model has changed since it was loaded or saved. "
                                      "Save it?"))) {
    case TSaveAnswer::Discard:
        return true;
    case TSaveAnswer::Cancel:
        return false;
    case TSaveAnswer::Save:
        break;
    }
    SpeedButton2Click();
    return !modelChanged_;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (modelChanged_) Pause(); // the question does not wait on a running model
    bool leave = false;
    try {
        leave = MayLeaveModel();
    } catch (const std::exception& error) {
        ShowErrorDisplay(error, this); // a failed save keeps the window open
    }
    if (leave)
        event->accept();
    else
        event->ignore();
}

void TForm1::SetGraphTitleFromFile(const QString& fileName) {
    // A model that names itself (as the examples do) is titled so.
    QString title = fileName.isEmpty() ? QString() : AboutTitle(fileName);
    if (title.isEmpty()) title = Q(GraphTitleFromFileName(fileName.toStdString()));
    PlotGraph1->Appearance().SetGraphTitle(title);
    PlotGraph2->Appearance().SetGraphTitle(title);
}

// --- start-up and commands -------------------------------------------------------

void TForm1::FormCreate(const QString& modelFile) {
    setWindowTitle(Title());
    ShowNumber(N1Edit, Sim.N1);
    ShowNumber(N2Edit, Sim.N2);
    ShowNumberText(dtEdit, Q(FloatToText(Sim.dt)));
    try {
        LoadModelSettings(modelFile);
    } catch (const std::exception& error) {
        // A bad model file is reported once the window is up, centred on it;
        // the window opens with its defaults.
        QTimer::singleShot(
            0, this, [this, message = ErrorMessage(error)] { ShowErrorDisplay(message, this); });
    }
    ColorButton1ColorChange();
    ColorButton2ColorChange();
    CheckBox1Click();
    CheckBox2Click();
    CheckBox3Click();
    CheckBox4Click();
    TrackBar1Change();
    ButtonClearClick();
    ShowSpeciesNames();
    PlotGraph1->GetSeries(1).SetShowInLegend(le_NameLineSymbol);
    PlotGraph1->GetSeries(2).SetShowInLegend(le_NameLineSymbol);
}

void TForm1::ColorButton1ColorChange() {
    PlotGraph1->GetSeries(1).SetLineColor(ColorButton1->Color());
    PlotGraph1->GetSeries(1).SetPointColor(ColorButton1->Color());
    if (TSeries* observed = PlotGraph1->FindSeries(kObservedSeries1)) {
        observed->SetLineColor(ColorButton1->Color());
        observed->SetPointColor(ColorButton1->Color());
    }
    PlotGraph2->SetNullclineColor(0, ColorButton1->Color());
    RecolorKeptRuns();
}

void TForm1::ColorButton2ColorChange() {
    PlotGraph1->GetSeries(2).SetLineColor(ColorButton2->Color());
    PlotGraph1->GetSeries(2).SetPointColor(ColorButton2->Color());
    if (TSeries* observed = PlotGraph1->FindSeries(kObservedSeries2)) {
        observed->SetLineColor(ColorButton2->Color());
        observed->SetPointColor(ColorButton2->Color());
    }
    PlotGraph2->SetNullclineColor(1, ColorButton2->Color());
    RecolorKeptRuns();
}

void TForm1::CheckBox1Click() {
    PlotGraph1->GetSeries(1).SetShowLine(CheckBox1->isChecked());
}

void TForm1::CheckBox3Click() {
    PlotGraph1->GetSeries(1).SetShowPoints(CheckBox3->isChecked());
}

void TForm1::CheckBox2Click() {
    PlotGraph1->GetSeries(2).SetShowLine(CheckBox2->isChecked());
}

void TForm1::CheckBox4Click() {
    PlotGraph1->GetSeries(2).SetShowPoints(CheckBox4->isChecked());
}

void TForm1::Clip1Click(bool ask) {
    const std::vector<TPlotGraph*> graphs = GraphsToWrite(ask);
    if (graphs.empty()) return;
    std::unique_ptr<QMimeData> data;
    if (graphs.size() == 1) {
        data.reset(graphs[0]->ClipboardData());
    } else {
        data = std::make_unique<QMimeData>();
        data->setImageData(TPictureFile::Image(graphs));
    }
    // Drawing and office programs paste the SVG as a vector picture.
    data->setData(QStringLiteral("image/svg+xml"), TPictureFile::Svg(graphs));
    QGuiApplication::clipboard()->setMimeData(data.release());
}

void TForm1::Print1Click(bool ask) {
    Pause();
    const std::vector<TPlotGraph*> graphs = GraphsToWrite(ask);
    if (graphs.empty()) return;
    // The legend belongs on paper only, also when printing fails.
    for (TPlotGraph* graph : graphs)
        graph->Legend().setVisible(true);
    struct THideLegends {
        const std::vector<TPlotGraph*>& graphs;
        ~THideLegends() {
            for (TPlotGraph* graph : graphs)
                graph->Legend().setVisible(false);
        }
    } hide{graphs};
    if (graphs.size() == 1) return graphs[0]->Print();
    // Both on one page: the screen's picture of the two, scaled to the page.
    QPrinter printer(QPrinter::HighResolution);
    if (!graphs[0]->SetUpPrinter(printer)) return;
    const QPicture picture = TPictureFile::Picture(graphs);
    QPainter painter(&printer);
    if (!painter.isActive()) throw EGraphOutputError("The printer could not be opened");
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF drawn = picture.boundingRect();
    const double scale = std::min(page.width() / drawn.width(), page.height() / drawn.height());
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, picture);
}

void TForm1::Bitmap1Click(bool ask) {
    Pause();
    const std::vector<TPlotGraph*> graphs = GraphsToWrite(ask);
    if (graphs.empty()) return;
    const QString name = ChooseFileName(this, kBitmapFileDialog);
    if (name.isEmpty()) return;
    if (graphs.size() == 1) return graphs[0]->SaveBitmap(name);
    if (!TPictureFile::Image(graphs).save(name, "BMP"))
        throw EGraphOutputError(
            FormatMessage("Cannot write the bitmap file %s", {name.toStdString()}));
}

std::vector<TPlotGraph*> TForm1::GraphsToWrite(bool ask) {
    if (!ask || Views1->View() != TGraphViews::vw_Both) return {&GraphOnShow()};
    TPlotGraph* time = &Views1->TimePlot();
    TPlotGraph* plane = &Views1->PhasePlane();
    switch (ChooseItemBox(this, QStringLiteral("Which Graph"), QStringLiteral("Write which graph?"),
                          {QStringLiteral("Time plot"), QStringLiteral("Phase plane"),
                           QStringLiteral("Both side by side")})) {
    case 0:
        return {time};
    case 1:
        return {plane};
    case 2:
        return {time, plane};
    default:
        return {};
    }
}

TPlotGraph& TForm1::GraphOnShow() {
    return Views1->Current();
}

std::vector<TCurveRow> TForm1::CurvesOnShow() const {
    TCurve curves[2];
    for (int i = 0; i < 2; ++i)
        for (const TDataPoint& p : PlotGraph1->GetSeries(i + 1).Points())
            curves[i].emplace_back(p.X, p.Y);
    std::vector<TCurveRow> rows = MergeCurves(curves[0], curves[1]);
    // The curves hold the steps; the state the run started from comes first.
    if (startRow_) rows.insert(rows.begin(), *startRow_);
    return rows;
}

void TForm1::SavePicture1Click(bool ask) {
    Pause();
    const std::vector<TPlotGraph*> graphs = GraphsToWrite(ask);
    if (!graphs.empty()) SavePicture(this, graphs);
}

void TForm1::ExportData1Click() {
    Pause();
    const QString name = ChooseFileName(this, kCsvFileDialog);
    if (!name.isEmpty()) WriteCurvesCsv(name.toStdString(), CurvesOnShow(), KeptRuns1->Rows());
}

void TForm1::About2Click() {
    ShowInfoBox(this, Title(),
                QStringLiteral("Tarnivell v") + QLatin1String(kProgramVersion) + QLatin1Char('\n') +
                    Title());
}

void TForm1::AboutModel1Click() {
    const QString about = AboutModelText(origin_);
    ShowInfoBox(this, QStringLiteral("About this model"),
                about.isEmpty() ? QStringLiteral("This model says nothing about itself: its file "
                                                 "has no [About] section with a title or source.")
                                : about);
}

void TForm1::ButtonExitClick() {
    // Closing asks for a changed model; main then destroys the window, which
    // stops the timer's worker and saves the window's settings.
    if (close()) QCoreApplication::exit(0);
}
