#pragma once

#include "AppDialogs.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// What the window asked of its dialogs, and the answers it gets.
struct TDialogLog {
    struct Box {
        QString caption;
        QString text;
        QWidget* parent = nullptr; // the window the box is centred on
        bool defaultYes = true;    // a question's answer to Enter
    };
    std::vector<Box> errors;
    std::vector<Box> questions;
    std::vector<Box> infos;
    std::vector<TFileDialogRequest> fileRequests;
    bool answerYes = true;
    TSaveAnswer saveAnswer = TSaveAnswer::Discard; // the answer to a changed model's question
    QString chosenFile;
    std::vector<QStringList> itemChoices; // the lists ChooseItem offered
    int chosenItem = 0;                   // its answer; -1 cancels
    std::vector<QString> textsOffered;    // the texts AskText offered
    std::optional<QString> textAnswer;    // its answer; none cancels

    void Clear();
};
extern TDialogLog gDialogs;
