// Renders the README's picture of a bifurcation diagram: the main window on
// MODEL asks for the diagram of NAME over FROM..TO in density N1 or N2 as a
// user does, and the diagram window saves its graph through its own
// Graph > Save picture once the branches are drawn.
//
//   render_diagram_picture MODEL.ini NAME FROM TO N1|N2 OUT.png

#include "AppDialogs.h"
#include "DiagramWindow.h"
#include "MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 7) {
        std::cerr << "usage: render_diagram_picture MODEL.ini NAME FROM TO N1|N2 OUT.png\n";
        return 2;
    }
    try {
        TForm1 form(QString::fromLocal8Bit(argv[1]));
        form.show();
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            dialog->findChild<QComboBox*>("ParameterBox")->setCurrentText(argv[2]);
            dialog->findChild<QLineEdit*>("FromEdit")->setText(argv[3]);
            dialog->findChild<QLineEdit*>("ToEdit")->setText(argv[4]);
            dialog->findChild<QComboBox*>("DensityBox")->setCurrentText(argv[5]);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        form.Diagram1Click();
        auto* window = form.findChild<TDiagramWindow*>();
        if (!window) {
            std::cerr << "no diagram window opened\n";
            return 1;
        }
        window->resize(640, 440);
        const QDeadlineTimer deadline(120000);
        while (!window->Done() && !deadline.hasExpired()) {
            QApplication::processEvents();
            QThread::msleep(20);
        }
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents();
        if (!window->Done()) {
            std::cerr << "the diagram was not done in time\n";
            return 1;
        }
        AppDialogs().ChooseFile = [&](QWidget*, const TFileDialogRequest&) {
            return QString::fromLocal8Bit(argv[6]);
        };
        AppDialogs().ChooseItem = [](QWidget*, const QString&, const QString&, const QStringList&) {
            return 0;
        };
        window->SavePicture1->trigger();
        return 0;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
}
