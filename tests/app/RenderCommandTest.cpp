// `--render`: the picture the window would show, written without a display.
#include "WindowTestMain.h"

#include "AnimTimer.h"
#include "CommandTest.h"
#include "GraphViews.h"
#include "MainWindow.h"
#include "PhasePlaneGraph.h"
#include "QtColor.h"
#include "RenderCommand.h"
#include "TFormStorage.h"

#include <QFile>
#include <QImage>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

const std::string kModel = std::string(TARNIVELL_EXAMPLES) + "/predator-prey.ini";

class Render : public CommandTest {
protected:
    Render() : CommandTest(RunRender) {}
    std::string Path(const char* name) { return dir.filePath(name).toStdString(); }
};

// The window on the model after `steps` steps at top speed, as a person sees it.
QImage WindowPicture(TGraphViews::TView view, int steps, QSize size) {
    TForm1 form(QString::fromStdString(kModel));
    form.FormStorage1->SetActive(false);
    form.Views1->SetView(view);
    form.TrackBar1->setValue(form.TrackBar1->maximum());
    form.ButtonStartPauseClick();
    for (int i = 0; i < steps; ++i)
        form.Timer1Timer();
    form.ButtonStartPauseClick();
    QImage image(size, QImage::Format_RGB32);
    form.Views1->Current().resize(size);
    form.Views1->Current().DrawToBitmap(image);
    return image;
}

TEST_F(Render, ThePictureIsTheWindowsAfterTheSteps) {
    struct Case {
        const char* view;
        TGraphViews::TView shown;
        const char* size;
        QSize pixels;
    };
    const Case cases[] = {{"phase", TGraphViews::vw_PhasePlane, "500x400", {500, 400}},
                          {"time", TGraphViews::vw_TimePlot, nullptr, {625, 300}},
                          {"time", TGraphViews::vw_TimePlot, "80x80", {80, 80}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.view);
        std::vector<std::string> args{kModel, "--out",   Path("p.png"), "--view",
                                      c.view, "--steps", "300"};
        if (c.size) args.insert(args.end(), {"--size", c.size});
        ASSERT_EQ(Run(args), 0) << err.str();
        EXPECT_EQ(err.str(), "");
        const QImage written(dir.filePath("p.png"));
        ASSERT_EQ(written.size(), c.pixels);
        EXPECT_TRUE(written.convertToFormat(QImage::Format_RGB32) ==
                    WindowPicture(c.shown, 300, c.pixels));
    }
    // The plane after a whole cycle: white, the blue trajectory, the dashed
    // nullclines in both species' colours.
    const QImage plane = QImage(dir.filePath("p.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(Run({kModel, "--out", Path("p.png"), "--view", "phase", "--steps", "2000"}), 0);
    const QImage phase = QImage(dir.filePath("p.png")).convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> count;
    for (int y = 0; y < phase.height(); ++y)
        for (int x = 0; x < phase.width(); ++x)
            ++count[phase.pixel(x, y)];
    EXPECT_GT(count[qRgb(255, 255, 255)], phase.width() * phase.height() / 2);
    for (QRgb colour : {qRgb(0, 0, 255), qRgb(255, 0, 0), qRgb(0, 128, 0)})
        EXPECT_GT(count[colour], 100) << std::hex << colour;
    EXPECT_FALSE(plane == phase);
}

TEST_F(Render, VectorPicturesByTheirExtension) {
    ASSERT_EQ(Run({kModel, "--out", Path("p.pdf"), "--view", "phase", "--steps", "50"}), 0)
        << err.str();
    QFile pdf(dir.filePath("p.pdf"));
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5) == "%PDF-");
    ASSERT_EQ(Run({kModel, "--out", Path("p.svg"), "--steps", "50"}), 0) << err.str();
    QFile svg(dir.filePath("p.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("<svg"));
    EXPECT_TRUE(text.contains("viewBox=\"0 0 625 300\""));
}

TEST_F(Render, BadRequestsAreErrorsAndWriteNothing) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{kModel}, "usage: tarnivell --render"},
        {{kModel, "--out"}, "usage: tarnivell --render"},
        {{kModel, "--out", "x.png", "--view", "side"}, "'side' is not a view: time or phase."},
        {{kModel, "--out", "x.png", "--size", "0x10"}, "'0x10' is not a size WxH"},
        {{kModel, "--out", "x.png", "--size", "640"}, "'640' is not a size WxH"},
        // Smaller, the window's parts would not fit and the picture would
        // come out larger than asked.
        {{kModel, "--out", "x.png", "--size", "10x10"},
         "'10x10' is not a size WxH of 80 to 10000 pixels each way."},
        {{kModel, "--out", "x.png", "--steps", "-1"}, "'-1' is not a valid count for --steps."},
        {{kModel, "--out", "x.txt"}, "Cannot save a picture as 'x.txt'"},
        {{"none.ini", "--out", "x.png"}, "Model file 'none.ini' does not exist."},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        for (std::string& a : args)
            if (a.starts_with("x.")) a = Path(a.c_str());
        EXPECT_EQ(Run(args), 1) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << c.message;
    }
}

} // namespace
