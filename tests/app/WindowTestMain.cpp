#include "WindowTestMain.h"

#include "AppDialogs.h"
#include "Application.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TDialogLog gDialogs;

void TDialogLog::Clear() {
    errors.clear();
    questions.clear();
    infos.clear();
    fileRequests.clear();
    itemChoices.clear();
    chosenItem = 0;
    textsOffered.clear();
    textAnswer.reset();
    saveAnswer = TSaveAnswer::Discard;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    // The window keeps its own settings file in the current folder.
    QTemporaryDir home;
    QDir::setCurrent(home.path());

    TAppDialogs& dialogs = AppDialogs();
    dialogs.ShowError = [](QWidget* parent, const QString& caption, const QString& text) {
        gDialogs.errors.push_back({caption, text, parent});
    };
    dialogs.AskYesNo = [](QWidget*, const QString& caption, const QString& text, bool defaultYes) {
        gDialogs.questions.push_back({caption, text, nullptr, defaultYes});
        return gDialogs.answerYes;
    };
    dialogs.AskSave = [](QWidget*, const QString& caption, const QString& text) {
        gDialogs.questions.push_back({caption, text});
        return gDialogs.saveAnswer;
    };
    dialogs.ShowInfo = [](QWidget*, const QString& caption, const QString& text) {
        gDialogs.infos.push_back({caption, text});
    };
    dialogs.ChooseFile = [](QWidget*, const TFileDialogRequest& dialogRequest) {
        gDialogs.fileRequests.push_back(dialogRequest);
        return gDialogs.chosenFile;
    };
    dialogs.ChooseItem = [](QWidget*, const QString&, const QString&, const QStringList& choices) {
        gDialogs.itemChoices.push_back(choices);
        return gDialogs.chosenItem;
    };
    dialogs.AskText = [](QWidget*, const QString&, const QString&, QString& text) {
        gDialogs.textsOffered.push_back(text);
        if (gDialogs.textAnswer) text = *gDialogs.textAnswer;
        return gDialogs.textAnswer.has_value();
    };
    return RUN_ALL_TESTS();
}
