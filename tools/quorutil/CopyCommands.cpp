#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Tool.h"

#include "util/files/FileOps.h"
#include "util/progress/ProgressInterfaceFancy.h"
#include "util/progress/ProgressInterfaceQt.h"
#include "util/progress/ProgressInterfaceStd.h"
#include "util/progress/ProgressInterfaceUdp.h"
#include "util/progress/QtProgressDialog.h"

#include <QApplication>
#include <QFile>
#include <QHostInfo>

#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace quorutil {

namespace {

const char copyUsage[] =
    "Usage: quorutil copy SRC DST [--progress none|std|fancy|udp] [--gui]\n"
    "\n"
    "Copies SRC to DST (replacing DST) and reports the progress:\n"
    "  --progress fancy  one status line redrawn in place (default on a terminal)\n"
    "  --progress std    plain lines (default when output is not a terminal)\n"
    "  --progress udp    datagrams for 'quorutil monitor': broadcast, port 45454, or\n"
    "                    QUOR_PROGRESS_TARGET=host:port\n"
    "  --progress none   nothing\n"
    "  --gui             copy in the background behind a progress dialog\n";

const char rmtreeUsage[] = "Usage: quorutil rmtree DIR\n"
                           "\n"
                           "Deletes DIR and everything below it; links are removed, never "
                           "followed.\nStops at the first entry it cannot delete and names it.\n";

std::string localPath(const QString &arg)
{
    return QFile::encodeName(arg).toStdString();
}

// Runs the copy on a worker thread while the modal dialog follows it on this (GUI) thread.
int copyWithDialog(const std::string &src, const std::string &dst, std::ostream &err)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        err << "quorutil copy: --gui needs a GUI application\n";
        return ExitFailure;
    }
    util::ProgressInterfaceQt relay;
    util::QtProgressDialog dialog(nullptr, relay, "Copy to " + dst);
    std::string failure;
    std::thread worker([&] {
        try {
            util::copyFile(src, dst, &relay);
        } catch (const std::exception &e) {
            failure = e.what();
        }
        QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
    });
    dialog.exec();
    worker.join();
    if (!failure.empty()) {
        err << "quorutil copy: " << failure << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace

int copyCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    QStringList paths;
    QString progress;
    bool gui = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << copyUsage;
            return ExitOk;
        } else if (arg == QLatin1String("--gui")) {
            gui = true;
        } else if (arg == QLatin1String("--progress") && i + 1 < args.size()) {
            progress = args.at(++i);
        } else if (arg.startsWith(QLatin1String("--progress="))) {
            progress = arg.mid(11);
        } else if (arg.startsWith(QLatin1String("--")) && arg.size() > 2) {
            err << "quorutil copy: unknown option " << arg.toStdString() << "\n\n" << copyUsage;
            return ExitUsage;
        } else {
            paths << arg;
        }
    }
    static const QStringList kinds = {"none", "std", "fancy", "udp"};
    if (paths.size() != 2 || (!progress.isEmpty() && !kinds.contains(progress))) {
        err << copyUsage;
        return ExitUsage;
    }
    const std::string src = localPath(paths.at(0));
    const std::string dst = localPath(paths.at(1));
    if (gui)
        return copyWithDialog(src, dst, err);

    if (progress.isEmpty()) {
        // Backspaces only make sense on a screen; logs and CI get whole lines.
        progress = ::isatty(STDOUT_FILENO) && ::isatty(STDERR_FILENO) ? "fancy" : "std";
    }
    std::unique_ptr<util::ProgressInterface> reporter;
    if (progress == "std") {
        reporter = std::make_unique<util::ProgressInterfaceStd>();
    } else if (progress == "fancy") {
        reporter = std::make_unique<util::ProgressInterfaceFancy>();
    } else if (progress == "udp") {
        const std::string host = QHostInfo::localHostName().toStdString();
        reporter = std::make_unique<util::ProgressInterfaceUdp>(
            "quorutil", src.c_str(), dst.c_str(), "", "copy", "", host.c_str());
    }

    try {
        util::copyFile(src, dst, reporter.get());
    } catch (const std::exception &e) {
        err << "quorutil copy: " << e.what() << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

int rmtreeCommand(const QStringList &args, std::ostream &out, std::ostream &err)
{
    if (args.size() == 1 && (args.first() == "--help" || args.first() == "-h")) {
        out << rmtreeUsage;
        return ExitOk;
    }
    if (args.size() != 1 || args.first().isEmpty()) {
        err << rmtreeUsage;
        return ExitUsage;
    }
    const std::string path = localPath(args.first());
    // A link to a directory is removed as a link; anything else but a directory is refused.
    struct stat st, target;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)
        && !(S_ISLNK(st.st_mode) && ::stat(path.c_str(), &target) == 0
             && S_ISDIR(target.st_mode))) {
        err << "quorutil rmtree: not a directory: " << path << "\n";
        return ExitFailure;
    }
    std::string failedPath;
    int error = 0;
    if (!util::removeDir(path, failedPath, error)) {
        err << "quorutil rmtree: cannot delete " << failedPath << ": " << std::strerror(error)
            << "\n";
        return ExitFailure;
    }
    return ExitOk;
}

} // namespace quorutil
