// Renders the README's picture of a fit: the main window on MODEL (whose
// file links its observed data) fits every parameter and both initial
// densities with Run > Fit... as a user does, applies the estimates and
// saves its time plot through the window's own picture writer.
//
//   render_fit_picture MODEL.ini OUT.png

#include "FitResultDialog.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "PictureFile.h"
#include "PlotGraph.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::cerr << "usage: render_fit_picture MODEL.ini OUT.png\n";
        return 2;
    }
    try {
        TForm1 form(QString::fromLocal8Bit(argv[1]));
        form.resize(900, 600);
        form.show();
        if (!form.ObservedData()) {
            std::cerr << "the model links no observed data\n";
            return 1;
        }
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>())
                if (box->objectName().startsWith(QLatin1String("Choose"))) box->setChecked(true);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        form.Fit1Click();
        auto* result = form.findChild<TFitResultDialog*>();
        if (!result) {
            std::cerr << "no fit was started\n";
            return 1;
        }
        const QDeadlineTimer deadline(120000);
        while (!result->Done() && !deadline.hasExpired()) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
        if (!result->Done()) {
            std::cerr << "the fit was not done in time\n";
            return 1;
        }
        result->ApplyButton->click();
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        form.Views1->SetView(TGraphViews::vw_TimePlot);
        TPlotGraph& graph = form.Views1->Current();
        graph.resize(640, 400);
        TPictureFile::Write(graph, QString::fromLocal8Bit(argv[2]));
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
