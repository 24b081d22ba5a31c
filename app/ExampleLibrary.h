#pragma once

#include <QString>

#include <vector>

// A model file that ships with the program, as File > Examples lists it.
struct TExample {
    QString title; // the file's About/Title, else its name without ".ini"
    QString path;
};

// The title a model file gives itself in [About] (Title=), or empty.
QString AboutTitle(const QString& fileName);
// What a model file's text says of the model in [About], as plain text for
// Help > About this model…: the title on a line of its own, then the source
// and any other key as "Key: value", in the file's order. Empty when it says
// nothing.
QString AboutModelText(const std::string& fileText);

// The folder of shipped example models and what it holds. An installed
// program finds it below its own folder (bin/../share/tarnivell/examples);
// one run from its build folder uses the source tree's examples/.
class TExampleLibrary {
public:
    explicit TExampleLibrary(QString folder = QString());

    // The library of this program: FindFolder with the running executable's
    // folder and the source tree it was built from.
    static TExampleLibrary OfThisProgram();

    // The installed folder (`installedRelative` taken from `programFolder`)
    // when it exists, else `sourceFolder` when that exists, else empty.
    static QString FindFolder(const QString& programFolder, const QString& installedRelative,
                              const QString& sourceFolder);

    const QString& Folder() const { return folder_; }

    // The ".ini" files of the folder, ordered by title without regard to case.
    std::vector<TExample> Examples() const;

    // True when `fileName` lies in the folder (or below it), whether the file
    // exists or not: such a file belongs to the installation and is never
    // written by the program.
    bool Holds(const QString& fileName) const;

private:
    QString folder_; // canonical, or empty when there is none
};
