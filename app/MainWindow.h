#pragma once

#include "CurvesCsv.h"
#include "DiagramDialog.h"
#include "EulerStepWarning.h"
#include "ExampleLibrary.h"
#include "FitDialog.h"
#include "KeptRuns.h"
#include "ModelFile.h"
#include "ObservedData.h"
#include "RunStop.h"
#include "Simulation.h"
#include "SweepDialog.h"

#include <QMainWindow>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QGroupBox;
class QCloseEvent;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTabWidget;
class QTimer;
class TAnimTimer;
class TDropColorButton;
class TFixLabelAutoSize;
class TFloatEdit;
class TFormStorage;
class TGraphViews;
class TParameterPanel;
class TPhasePlaneGraph;
class TPlaneController;
class TPlotGraph;
struct TModel;

// The program's one window: the live graph above a panel with the time step,
// the speed, Start/Pause and the two tabs holding the model. The handlers keep
// the names of the controls and events they answer and stay thin; the state
// and the step live in `Sim`, the parameter table and its sliders in
// `ParameterPanel1`, the phase plane's model in `PlaneController1`.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // `modelFile` is the command-line argument (empty when there is none).
    explicit TForm1(const QString& modelFile = QString(), QWidget* parent = nullptr);
    ~TForm1() override;

    // The caption texts of the run states.
    static const QString kStartCaption;
    static const QString kPauseCaption;
    static const QString kContinueCaption;
    // The speed table: 1000 ms halved once per slider position.
    static unsigned IntervalOfPosition(int position);

    TSimulation Sim;
    // The shipped models File > Examples lists; Save never writes among them.
    TExampleLibrary Examples = TExampleLibrary::OfThisProgram();

    // Controls and components, named as the handlers name them.
    TPlotGraph* PlotGraph1 = nullptr;
    TPhasePlaneGraph* PlotGraph2 = nullptr;
    TGraphViews* Views1 = nullptr;
    QWidget* Panel1 = nullptr;
    TFloatEdit* dtEdit = nullptr;
    QComboBox* MethodBox = nullptr;
    QSlider* TrackBar1 = nullptr;
    QPushButton* ButtonStartPause = nullptr;
    QTabWidget* PageControl1 = nullptr;
    TFloatEdit* N1Edit = nullptr;
    TFloatEdit* N2Edit = nullptr;
    QLineEdit* Rate1 = nullptr;
    QLineEdit* Rate2 = nullptr;
    TDropColorButton* ColorButton1 = nullptr;
    TDropColorButton* ColorButton2 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    TParameterPanel* ParameterPanel1 = nullptr;
    TPlaneController* PlaneController1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Load1 = nullptr;
    QMenu* Examples1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* ExportModel1 = nullptr;
    QGroupBox* SpeciesBox[2] = {};
    QAction* OpenData1 = nullptr;
    QAction* CloseData1 = nullptr;
    QAction* ExportData1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Start1 = nullptr;
    QAction* Reset1 = nullptr;
    QAction* Solver1 = nullptr;
    QAction* Sweep1 = nullptr;
    QAction* Diagram1 = nullptr;
    QAction* Fit1 = nullptr;
    QAction* Copy1 = nullptr;
    QAction* Print2 = nullptr;
    QAction* Bitmap2 = nullptr;
    QAction* SavePicture1 = nullptr;
    QAction* About2 = nullptr;
    QAction* RateLaws1 = nullptr;   // Help > Rate laws…
    QAction* AboutModel1 = nullptr; // Help > About this model…
    QAction* Field1 = nullptr;
    QAction* Refresh1 = nullptr;
    QAction* Equilibria1 = nullptr;
    QAction* Cycles1 = nullptr;       // View > Limit cycles: shows or hides them
    QAction* LimitCycles1 = nullptr;  // View > Limit cycles...: lists them
    QAction* Separatrices1 = nullptr; // View > Separatrices: shows or hides them
    QAction* Running1 = nullptr;
    QAction* Clip1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Bitmap1 = nullptr;
    QAction* Clear1 = nullptr;
    TAnimTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    TFormStorage* FormStorage1 = nullptr;
    TFixLabelAutoSize* FixLabelAutoSize1 = nullptr;

    bool Running() const;

    // Run control.
    void Timer1Timer();
    void ButtonStartPauseClick();
    void Running1Click();
    void Pause();
    void ButtonClearClick();
    void TrackBar1Change();
    void Timer2Timer();
    void PlotGraph1TooManyPoints(int index);
    void dtEditExit();
    void N1EditExit();
    void N2EditExit();

    // The integration method: the drop-down and the Run > Solver... dialog set
    // `Sim.Settings`, which the next Start or Continue takes up.
    void MethodBoxChange();
    void Solver1Click();
    // The drop-down's entries in the order of TSolverMethod.
    static const QStringList kMethodCaptions;
    // The status-bar text of a run whose Euler steps are too large.
    static const QString kEulerHint;

    // A parameter's slider moved (`value` is what its Value cell now reads):
    // the bound model takes it from the next step, without a pause or a
    // compile. The phase plane's model takes it too and the plane follows at
    // its next tick: moves within a tick make one figure, of the last.
    void ParameterSliderMove(const std::string& name, double value);

    // Run > Sweep...: pauses, asks for the parameter, span, count, steps and
    // whether each run follows the one before, runs the model as it stands on
    // screen for every value (on all cores unless the runs follow each other)
    // with a progress box (Cancel stops it), then opens the orbit diagram in
    // a window of its own.
    void Sweep1Click();
    // Run > Bifurcation diagram...: asks for the parameter, its range and the
    // density, and opens a diagram window that follows the branches of the
    // model on screen (as the phase plane compiles it, in the plane's default
    // box) without holding up the window or a run. A click in the diagram
    // moves the parameter's slider there; the diagrams' lines follow the
    // sliders.
    void Diagram1Click();
    // Run > Fit...: asks which parameters and initial densities to estimate
    // from the observed data, within which bounds, and opens a window that
    // runs the fit off the window thread and shows the result. Its Apply puts
    // the estimates into the table and the density edits and draws a run
    // from t = 0 with them over the data's time span; Revert puts back the
    // values from before. Says so when there are no observed data.
    void Fit1Click();

    // The stop time, the clock and the runs kept (MainWindowRun.cpp).
    // Run > Stop at...: the time a run pauses at by itself (empty: none),
    // filed with the model. A run started or continued short of it pauses
    // there: at the stop time exactly with an adaptive method, at the first
    // step at or past it with a fixed-step one; continued from there, it runs on.
    void StopAt1Click();
    // Graph > Keep this run: the curves on show stay, lighter, under the
    // runs that follow and go with them into Export data.
    void KeepRun1Click();
    // Graph > Clear kept runs.
    void ClearKept1Click();
    // The status bar's clock reads the run's time.
    void ShowClock();
    QAction* StopAt1 = nullptr;
    QAction* KeepRun1 = nullptr;
    QAction* ClearKept1 = nullptr;
    QLabel* Clock1 = nullptr;
    TRunStop RunStop1;
    std::unique_ptr<TKeptRuns> KeptRuns1;

    // Puts observed data on show as a data file would (for tests).
    void SetObservedData(TObservedData data);

    // The model file.
    void SpeedButton1Click();
    void SpeedButton2Click();
    void ExampleClick(const QString& fileName);
    void LoadModelSettings(const QString& fileName);
    void SaveModelSettings(const QString& fileName);
    // The model as it stands on screen, as File > Save files it: the state,
    // the texts, the table with its sliders' spans and the solver settings.
    TModel ScreenModel();
    void SetGraphTitleFromFile(const QString& fileName);
    // File > Export model...: the model on screen in another program's format (.ode, SBML).
    void ExportModel1Click();
    // The species' own names (none: N1 and N2) in their captions, the legend
    // and the axis titles.
    void ShowSpeciesNames();

    // Observed data (MainWindowData.cpp). File > Open data... reads a table,
    // asking which columns hold the time and the species when their names
    // are not the defaults; the data go with the model into its file.
    void OpenData1Click();
    // File > Close data: the model has no data from now on.
    void CloseData1Click();
    // Reads the data of `fileName` for the model on screen: `columns` names
    // them, or when empty the defaults do, or else the user (false when he
    // cancels). A file that cannot be read or holds a bad table throws and
    // changes nothing.
    bool LoadData(const QString& fileName, const TDataColumns& columns);
    // The observed data the window compares the model with: none until a
    // data file is opened.
    const TObservedData* ObservedData() const { return observedData_ ? &*observedData_ : nullptr; }
    // The first data row's time, which is the model's time 0 (0 without data).
    double DataTimeOrigin() const;
    // The time plot's series of the observed counts of species 1 and 2.
    static constexpr int kObservedSeries1 = 3;
    static constexpr int kObservedSeries2 = 4;

    // Start-up, the series' look, output and the rest of the commands.
    void FormCreate(const QString& modelFile);
    void ColorButton1ColorChange();
    void ColorButton2ColorChange();
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
    void CheckBox4Click();
    // The output commands write the graph on show. From the Graph menu in the
    // split view (`ask`) they first ask which: the time plot, the phase plane
    // or both side by side; from a graph's pop-up menu, the graph clicked.
    void Clip1Click(bool ask = false);
    void Print1Click(bool ask = false);
    void Bitmap1Click(bool ask = false);
    // Graph > Save picture...: PNG at 1x, 2x or 4x, SVG or PDF of the graph on show.
    void SavePicture1Click(bool ask = true);
    // File > Export data...: the curves on show as CSV.
    void ExportData1Click();
    // The graph the window shows, which the picture and data commands write.
    TPlotGraph& GraphOnShow();
    // The graphs an output command writes (see Clip1Click); none when the
    // user cancels the question.
    std::vector<TPlotGraph*> GraphsToWrite(bool ask);
    // The rows of the curves on show: time, N1, N2, from the run's start.
    std::vector<TCurveRow> CurvesOnShow() const;
    void About2Click();
    // The [About] of the model's file: its title, source and description.
    void AboutModel1Click();
    // Closes the window (asking for a changed model) and ends the program.
    void ButtonExitClick();

    // The model on screen differs from the one last loaded or saved: the
    // user typed a rate, a density, the step, a table cell or a span, moved
    // a slider or a row, or chose a method or tolerances.
    bool ModelChanged() const { return modelChanged_; }
    // Before the model on screen is given up: a changed model is offered
    // for saving (Save, Discard or Cancel). False when the user cancels, or
    // the save was cancelled or failed, and the model must stay.
    bool MayLeaveModel();

    // The phase plane (MainWindowPlane.cpp). A click in it while stopped or
    // paused puts the point into the density edits, as if typed, and starts.
    void PlotGraph2Click(double n1, double n2);
    // A Ctrl-click while stopped or paused sketches the orbit through the
    // point, forward and backward, without a run; Reset clears the sketches.
    void PlotGraph2CtrlClick(double n1, double n2);
    void Field1Click();
    // Compiles the model on screen for the plane and draws it again; a model
    // that does not compile leaves the plane empty and reports its error.
    void Refresh1Click();
    void Equilibria1Click();
    void Cycles1Click();
    // Lists the limit cycles of the model on screen in the range the plane
    // shows; the list fills in when a search still running ends.
    void LimitCycles1Click();
    void Separatrices1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    // A new desktop font size reaches the graphs' text (FollowDesktopFont).
    void changeEvent(QEvent* event) override;

private:
    // The graphs' text grows with the desktop's font beyond the 9 points it
    // is designed at; a smaller desktop font leaves it as designed.
    void FollowDesktopFont();
    // Shows the species page with the rate of species 1 or 2 in focus.
    void FocusRate(int species);
    // The look both graphs share: white, titled axes that size and step
    // themselves, labels kept inside, the legend for paper only.
    struct TAxisStyle {
        const char* title;
        bool gridlines;
    };
    static void StyleGraph(TPlotGraph& graph, TAxisStyle x, TAxisStyle y);
    void BuildGraph();
    void BuildPhasePlane();
    void BuildViewMenu();
    // Holds or releases the curves the run appends to: both species' series
    // and the phase plane's trajectory.
    void SetHolds(bool hold);
    QWidget* BuildPanel();
    QWidget* BuildSpeciesTab();
    void BuildMenus();
    void BuildComponents();
    void WireHandlers();
    void SetRunCaptions(const QString& caption);
    // Runs one tick's work; a fault pauses the run before it is reported, so
    // that a run shows one message, not one per tick.
    template <typename Work> void PausingOnFault(Work work);
    void MarkModelChanged();
    void FocusChanged(QWidget* before, QWidget* now);
    // The run control beyond Start and Reset (MainWindowRun.cpp).
    void BuildRunExtras(QMenu* run, QMenu* graph);
    void WireRunExtras();
    // A step brought the run to its stop time: it pauses and says where.
    void StopReached();
    // The kept runs take the species' colours, lighter.
    void RecolorKeptRuns();

    // A number edit that the program writes remembers the text it wrote, so
    // that only what the user typed since is taken back as a new value.
    void ShowNumber(TFloatEdit* edit, double value);
    void ShowNumberText(TFloatEdit* edit, const QString& text);
    bool TypedNumber(TFloatEdit* edit, double& value);
    // The status bar says the period of the stable limit cycle a run has
    // settled onto, and takes the note back when the run leaves it.
    void ShowSettledCycle();
    // The model on screen as the phase plane compiles it: the table, both
    // rates and the densities the edits show.
    TModel PlaneModel() const;
    // The parameters of `model` whose rows have a name and a value, with
    // their sliders' spans, as a sweep or a diagram offers them; none throws
    // "No parameter row has a name and a value to `verb`".
    std::vector<TSweepChoice> ParameterChoices(const TModel& model, const std::string& verb) const;

    // Draws the observed data (or none) on both graphs.
    void ShowObservedData(const std::string& timeColumn);
    // The link of a model file loaded: its data are read, and one that cannot
    // be is reported while the model stays.
    void LoadModelData(const QString& modelFile, const std::optional<TDataLink>& link);

    std::optional<TObservedData> observedData_;
    // The data file (an absolute name) and the columns named; kept when the
    // file could not be read, so that a save keeps the model's link.
    std::optional<TDataLink> dataLink_;
    TSweepRequest sweepRequest_;        // the last sweep asked for, offered again
    TDiagramRequest diagramRequest_;    // the last diagram asked for, offered again
    int resets_ = 0;                    // counts Resets, so a step knows one happened inside it
    std::optional<TCurveRow> startRow_; // where the curves on show start, once a run began
    std::string origin_;                // the text of the model file last loaded
    std::string names_[2];              // the species' own names, as loaded
    bool modelChanged_ = false;
    // The Euler hint comes once per Start or Continue.
    TEulerStepWarning eulerWarning_;
    QString cycleNote_; // the settled cycle's note last shown

    TFitRequest fitRequest_; // the last fit asked for, offered again
};
