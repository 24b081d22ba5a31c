// Renders the window's phase plane as the screen shows it before a run, with
// View > Separatrices checked and orbits sketched through the points given
// (as Ctrl-clicks would), once the limit cycles and separatrices are in.
//
//   render_plane_picture MODEL.ini OUT.png [N1,N2 ...]

#include "GraphViews.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "PlaneController.h"
#include "TFormStorage.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::cerr << "usage: render_plane_picture MODEL.ini OUT.png [N1,N2 ...]\n";
        return 2;
    }
    try {
        TForm1 form(QString::fromLocal8Bit(argv[1]));
        form.FormStorage1->SetActive(false);
        form.resize(760, 600);
        form.Views1->SetView(TGraphViews::vw_PhasePlane);
        form.show();
        form.Separatrices1->trigger();
        QElapsedTimer waited;
        waited.start();
        while (form.PlaneController1->Cycles() == nullptr && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        for (int i = 3; i < argc; ++i) {
            const QStringList point = QString::fromLocal8Bit(argv[i]).split(',');
            if (point.size() == 2)
                form.PlotGraph2CtrlClick(point[0].toDouble(), point[1].toDouble());
        }
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        if (!form.grab().save(QString::fromLocal8Bit(argv[2]))) {
            std::cerr << "cannot write " << argv[2] << '\n';
            return 1;
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
