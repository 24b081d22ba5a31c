#include "WindowTestMain.h"

#include "AppDialogs.h"
#include "Application.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

TDialogLog gDialogs;

void TDialogLog::Clear() {
    errors.clear();
    questions.clear();
    infos.clear();
    fileSpecs.clear();
}

bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    if (done()) return true;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > timeoutMs) loop.quit();
    });
    poll.start();
    loop.exec();
    return done();
}

void ProcessEventsFor(int ms) {
    ProcessEventsUntil([] { return false; }, ms);
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    // The window keeps its own settings file in the current folder.
    QTemporaryDir home;
    QDir::setCurrent(home.path());

    TAppDialogs& dialogs = AppDialogs();
    dialogs.ShowError = [](QWidget*, const QString& caption, const QString& text) {
        gDialogs.errors.push_back({caption, text});
    };
    dialogs.AskYesNo = [](QWidget*, const QString& caption, const QString& text) {
        gDialogs.questions.push_back({caption, text});
        return gDialogs.answerYes;
    };
    dialogs.ShowInfo = [](QWidget*, const QString& caption, const QString& text) {
        gDialogs.infos.push_back({caption, text});
    };
    dialogs.ChooseFile = [](QWidget*, const TFileDialogSpec& spec) {
        gDialogs.fileSpecs.push_back(spec);
        return gDialogs.chosenFile;
    };
    return RUN_ALL_TESTS();
}
