#include "ExampleLibrary.h"

#include "IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

QString CanonicalFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() ? info.canonicalFilePath() : QString();
}

QString TitleOf(const QFileInfo& file) {
    const QString title = AboutTitle(file.filePath());
    return title.isEmpty() ? file.completeBaseName() : title;
}

} // namespace

QString AboutTitle(const QString& fileName) {
    const IniFile ini(fileName.toStdString());
    return QString::fromStdString(ini.ReadString("About", "Title", ""));
}

QString AboutModelText(const std::string& fileText) {
    const IniFile ini(std::string(), fileText);
    QStringList lines;
    const std::string title = ini.ReadString("About", "Title", "");
    if (!title.empty()) lines << QString::fromStdString(title) << QString();
    for (const std::string& key : ini.ReadSection("About")) {
        if (QString::fromStdString(key).compare(QLatin1String("Title"), Qt::CaseInsensitive) == 0)
            continue;
        const std::string value = ini.ReadString("About", key, "");
        if (!value.empty())
            lines << QStringLiteral("%1: %2").arg(QString::fromStdString(key),
                                                  QString::fromStdString(value));
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

TExampleLibrary::TExampleLibrary(QString folder) : folder_(CanonicalFolder(folder)) {}

TExampleLibrary TExampleLibrary::OfThisProgram() {
    return TExampleLibrary(FindFolder(QCoreApplication::applicationDirPath(),
                                      QStringLiteral(TARNIVELL_INSTALLED_EXAMPLES),
                                      QStringLiteral(TARNIVELL_SOURCE_EXAMPLES)));
}

QString TExampleLibrary::FindFolder(const QString& programFolder, const QString& installedRelative,
                                    const QString& sourceFolder) {
    if (!programFolder.isEmpty()) {
        const QString installed = QDir(programFolder).filePath(installedRelative);
        if (QFileInfo(installed).isDir()) return QDir::cleanPath(installed);
    }
    if (!sourceFolder.isEmpty() && QFileInfo(sourceFolder).isDir())
        return QDir::cleanPath(sourceFolder);
    return {};
}

std::vector<TExample> TExampleLibrary::Examples() const {
    std::vector<TExample> examples;
    if (folder_.isEmpty()) return examples;
    const QFileInfoList files =
        QDir(folder_).entryInfoList({QStringLiteral("*.ini")}, QDir::Files | QDir::Readable);
    for (const QFileInfo& file : files)
        examples.push_back({TitleOf(file), file.filePath()});
    std::stable_sort(examples.begin(), examples.end(), [](const TExample& a, const TExample& b) {
        return a.title.compare(b.title, Qt::CaseInsensitive) < 0;
    });
    return examples;
}

bool TExampleLibrary::Holds(const QString& fileName) const {
    if (folder_.isEmpty() || fileName.isEmpty()) return false;
    // The file need not exist; its folder does when it could be written.
    const QString folder = CanonicalFolder(QFileInfo(fileName).absolutePath());
    return !folder.isEmpty() &&
           (folder == folder_ || folder.startsWith(folder_ + QLatin1Char('/')));
}
