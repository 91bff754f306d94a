// Delivers a level-1 product: reads its support file, copies each image file it names into a
// delivery folder (in the same layout) with progress on the console, and writes the support
// file there last, so a delivery folder with a support file is complete.
//
//     deliver LEVEL1.sup FOLDER
#include "util/files/Failure.h"
#include "util/files/FileOps.h"
#include "util/naming/SupFilenamePattern.h"
#include "util/progress/ProgressInterfaceStd.h"
#include "util/support/SupportFile.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>

#include <iostream>

static int refuse(const util::Failure &failure)
{
    std::cerr << "deliver: " << failure.text().toStdString() << '\n';
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: deliver LEVEL1.sup FOLDER\n";
        return 2;
    }
    const QFileInfo input(QString::fromLocal8Bit(argv[1]));
    const QDir folder(QString::fromLocal8Bit(argv[2]));

    //! [read]
    util::SupportFile record;
    util::Failure failure;
    if (record.loadFileChecked(argv[1], &failure) != util::SupportFile::ReadStatus::Complete)
        return refuse(failure);
    if (record.getImageLevel() != 1)
        return refuse(util::Failure::other(input.filePath(), QStringLiteral("not level 1")));
    //! [read]

    //! [name]
    QMap<QString, QString> attributes;
    if (!util::SupFilenamePattern(input.completeBaseName()).attributes(attributes))
        return refuse(util::Failure::other(input.filePath(), QStringLiteral("not a product name")));
    std::cout << "acquired " << attributes.value(QStringLiteral("date")).toStdString() << ' '
              << attributes.value(QStringLiteral("time")).toStdString() << ", band "
              << attributes.value(QStringLiteral("band")).toStdString() << '\n';
    //! [name]

    //! [copy]
    // The delivery keeps the product's layout, so the names in its support file stay true.
    util::ProgressInterfaceStd console;
    for (const auto &image : record.getImageMinifications()) {
        const QString name = QDir::cleanPath(QString::fromStdString(image.fileName));
        if (QDir::isAbsolutePath(name) || name == QLatin1String("..")
            || name.startsWith(QLatin1String("../")))
            return refuse(util::Failure::other(
                input.filePath(), QStringLiteral("an image outside its folder: ") + name));
        const QString target = folder.filePath(name);
        if (!QDir().mkpath(QFileInfo(target).path()))
            return refuse(util::Failure::other(QFileInfo(target).path(),
                                               QStringLiteral("cannot make the folder")));
        if (!util::copyFile(input.dir().filePath(name).toStdString(), target.toStdString(),
                            &console, &failure))
            return refuse(failure);
    }
    //! [copy]

    //! [write]
    const QString output = folder.filePath(input.fileName());
    if (!record.exportL1SupportFile(output.toStdString(), true, false, &failure))
        return refuse(failure);
    //! [write]
    return 0;
}
