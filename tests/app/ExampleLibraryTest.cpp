#include "ExampleLibrary.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

const QString kInstalled = QStringLiteral("../share/tarnivell/examples");

class ExampleLibrary : public ::testing::Test {
protected:
    QString Make(const QString& relative) const {
        const QString path = dir.filePath(relative);
        QDir().mkpath(path);
        return QDir(path).canonicalPath();
    }
    void Write(const QString& relative, const std::string& text) const {
        std::ofstream(dir.filePath(relative).toStdString(), std::ios::binary) << text;
    }
    QTemporaryDir dir;
};

TEST_F(ExampleLibrary, FindsTheInstalledFolderFirstThenTheSourceTree) {
    const QString program = Make("prefix/bin");
    const QString source = Make("source/examples");
    EXPECT_EQ(TExampleLibrary::FindFolder(program, kInstalled, source), source);
    const QString installed = Make("prefix/share/tarnivell/examples");
    EXPECT_EQ(QDir(TExampleLibrary::FindFolder(program, kInstalled, source)).canonicalPath(),
              installed);
    // A program moved elsewhere with its share folder still finds it; one
    // without either finds nothing, and an empty library lists nothing.
    EXPECT_EQ(TExampleLibrary::FindFolder(Make("other/bin"), kInstalled, source), source);
    EXPECT_EQ(TExampleLibrary::FindFolder(Make("other/bin"), kInstalled, dir.filePath("gone")),
              QString());
    EXPECT_EQ(TExampleLibrary::FindFolder(QString(), kInstalled, QString()), QString());
    EXPECT_TRUE(TExampleLibrary(QString()).Examples().empty());
}

TEST_F(ExampleLibrary, ListsTheModelFilesByTitle) {
    Make("ex");
    Write("ex/b.ini", "[About]\nTitle=Alpha model\n[Time]\nStep=1\n");
    Write("ex/a.ini", "[Time]\nStep=1\n");                  // no title: its name
    Write("ex/c.ini", "[about]\ntitle=  beta & gamma  \n"); // letter case, blanks
    Write("ex/screenshot.png", "not a model");
    Write("ex/notes.txt", "[About]\nTitle=Not listed\n");
    Make("ex/folder.ini");
    const std::vector<TExample> examples = TExampleLibrary(dir.filePath("ex")).Examples();
    ASSERT_EQ(examples.size(), 3u);
    EXPECT_EQ(examples[0].title, "a");
    EXPECT_EQ(examples[1].title, "Alpha model");
    EXPECT_EQ(examples[2].title, "beta & gamma");
    EXPECT_EQ(QFileInfo(examples[1].path).fileName(), "b.ini");
    EXPECT_TRUE(QFile::exists(examples[2].path));
}

TEST_F(ExampleLibrary, HoldsEveryFileInItsFolderAndBelowButNothingElse) {
    const QString folder = Make("share/examples");
    Make("share/examples/more");
    Make("share/examples-old");
    Write("share/examples/a.ini", "");
    ASSERT_TRUE(QFile::link(folder, dir.filePath("link")));
    const TExampleLibrary library(folder);
    const struct {
        const char* path;
        bool held;
    } cases[] = {
        {"share/examples/a.ini", true},
        {"share/examples/new.ini", true}, // not there yet: still not to be written
        {"share/examples/more/b.ini", true},
        {"share/examples/../examples/a.ini", true},
        {"link/a.ini", true},
        {"share/examples-old/a.ini", false},
        {"share/a.ini", false},
        {"share/examples/../a.ini", false},
        {"no/such/folder/a.ini", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(library.Holds(dir.filePath(c.path)), c.held) << c.path;
    EXPECT_FALSE(library.Holds(QString()));
    EXPECT_FALSE(TExampleLibrary(QString()).Holds(dir.filePath("share/examples/a.ini")));
}

} // namespace
