#include "tools/quorutil/CommandLine.h"
#include "tools/quorutil/Commands.h"
#include "tools/quorutil/Output.h"
#include "tools/quorutil/Report.h"
#include "tools/quorutil/Tool.h"

#include "util/files/FileOps.h"
#include "util/progress/ProgressInterfaceFancy.h"
#include "util/progress/ProgressInterfaceQt.h"
#include "util/progress/ProgressInterfaceStd.h"
#include "util/progress/ProgressInterfaceUdp.h"
#include "util/progress/QtProgressDialog.h"

#include <QApplication>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>

#include <cerrno>
#include <cstring>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <thread>

#include <unistd.h>

namespace quorutil {

namespace {

// Runs the copy on a worker thread while the modal dialog follows it on this (GUI) thread.
int copyWithDialog(const std::string &src, const std::string &dst, std::ostream &err)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())) {
        err << "quorutil copy: --gui needs a GUI application\n";
        return ExitFailure;
    }
    util::ProgressInterfaceQt relay;
    util::QtProgressDialog dialog(nullptr, relay, "Copy to " + dst);
    util::Failure failure;
    bool copied = false;
    std::thread worker([&] {
        copied = util::copyFile(src, dst, &relay, &failure);
        QMetaObject::invokeMethod(&dialog, "accept", Qt::QueuedConnection);
    });
    dialog.exec();
    worker.join();
    return copied ? ExitOk : report(err, "copy", failure);
}

} // namespace

int copyCommand(const CommandLine &cmd, std::ostream & /*out*/, std::ostream &err)
{
    QString progress = cmd.value("--progress");
    const std::string src = localPath(cmd.positional().at(0));
    const std::string dst = localPath(cmd.positional().at(1));
    if (cmd.isSet("--gui"))
        return copyWithDialog(src, dst, err);

    if (progress.isEmpty()) {
        // Backspaces only make sense on a screen; logs and CI get whole lines.
        progress = isTerminal(STDOUT_FILENO) && isTerminal(STDERR_FILENO) ? "fancy" : "std";
    }
    std::unique_ptr<util::ProgressInterface> reporter;
    if (progress == "std") {
        reporter = std::make_unique<util::ProgressInterfaceStd>();
    } else if (progress == "fancy") {
        reporter = std::make_unique<util::ProgressInterfaceFancy>();
    } else if (progress == "udp") {
        // A malformed QUOR_PROGRESS_TARGET silences the reporter; say so, and copy all the same.
        QHostAddress address;
        quint16 port = 0;
        QString why;
        if (!util::ProgressInterfaceUdp::targetFromEnvironment(address, port, &why))
            err << "quorutil copy: no progress datagrams: " << why.toStdString() << "\n";
        const std::string host = QHostInfo::localHostName().toStdString();
        reporter = std::make_unique<util::ProgressInterfaceUdp>(
            "quorutil", src.c_str(), dst.c_str(), "", "copy", "", host.c_str());
    }

    util::Failure failure;
    if (!util::copyFile(src, dst, reporter.get(), &failure))
        return report(err, cmd, failure);
    return ExitOk;
}

int rmtreeCommand(const CommandLine &cmd, std::ostream & /*out*/, std::ostream &err)
{
    const std::string path = localPath(cmd.positional().first());
    util::Failure failure;
    if (util::removeDir(path, &failure))
        return ExitOk;
    return report(err, cmd, failure);
}

} // namespace quorutil
