// Renders the README's pictures of the parameter sliders and of a sweep: the
// main window on its Parameters tab after a run of MODEL, and the orbit
// diagram of NAME over FROM..TO in the sweep window, as the screen shows them.
//
//   render_slider_pictures MODEL.ini NAME FROM TO SLIDERS.png SWEEP.png

#include "DropColorButton.h"
#include "DropColorButtonPalette.h"
#include "MainWindow.h"
#include "ModelFile.h"
#include "ModelSweep.h"
#include "ParameterPanel.h"
#include "ParameterSliders.h"
#include "SweepWindow.h"

#include <QApplication>
#include <QPixmap>
#include <QSlider>
#include <QTabWidget>

#include <exception>
#include <iostream>
#include <string>

namespace {

bool Save(QWidget* window, const QString& file) {
    window->show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    if (window->grab().save(file)) return true;
    std::cerr << "cannot write " << file.toStdString() << '\n';
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 7) {
        std::cerr << "usage: render_slider_pictures MODEL.ini NAME FROM TO SLIDERS.png SWEEP.png\n";
        return 2;
    }
    try {
        TForm1 form(QString::fromLocal8Bit(argv[1]));
        form.resize(760, 600);
        form.PageControl1->setCurrentIndex(1);
        form.ButtonStartPauseClick();
        for (int step = 0; step < 3000; ++step)
            form.Timer1Timer();
        // One slider moved off its row's value, as a user would leave it.
        if (QSlider* slider = form.ParameterPanel1->Sliders()->Slider(0))
            slider->setValue(TParameterSliders::kPositions * 3 / 5);
        form.ButtonStartPauseClick();
        if (!Save(&form, QString::fromLocal8Bit(argv[5]))) return 1;

        TModel model;
        LoadModelFile(argv[1], model);
        TSweepRequest request;
        request.name = argv[2];
        request.options.from = std::stod(argv[3]);
        request.options.to = std::stod(argv[4]);
        request.options.count = 120; // the dialog's other defaults
        const TSweepResult result = RunSweep(request.options, ModelSweepFactory(model, request));
        TSweepWindow sweep(argv[2], result, form.ColorButton1->Color(), form.ColorButton2->Color());
        sweep.resize(640, 480);
        return Save(&sweep, QString::fromLocal8Bit(argv[6])) ? 0 : 1;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
