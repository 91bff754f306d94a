// Sends progress datagrams through the library's own UDP reporter, as a batch job does, on
// commands read from standard input (fields separated by tabs, one command a line):
//   job ID P1 P2 P3 P4 P5 P6 P7   a reporter with those seven texts
//   start ID TASK | percent ID FRACTION | finish ID TASK
// Where the datagrams go is the reporter's business: QUOR_PROGRESS_TARGET.

#include "util/progress/ProgressInterfaceUdp.h"

#include <QCoreApplication>

#include <chrono>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    std::map<std::string, std::unique_ptr<util::ProgressInterfaceUdp>> jobs;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::vector<std::string> f;
        for (std::size_t from = 0;;) {
            const std::size_t tab = line.find('\t', from);
            f.push_back(line.substr(from, tab == std::string::npos ? tab : tab - from));
            if (tab == std::string::npos)
                break;
            from = tab + 1;
        }
        if (f[0] == "job" && f.size() == 9) {
            auto job = std::make_unique<util::ProgressInterfaceUdp>(
                f[2].c_str(), f[3].c_str(), f[4].c_str(), f[5].c_str(), f[6].c_str(), f[7].c_str(),
                f[8].c_str());
            job->setInterval(0);
            jobs[f[1]] = std::move(job);
        } else if (f.size() == 3 && jobs.count(f[1])) {
            util::ProgressInterfaceUdp &job = *jobs[f[1]];
            // The reporter sends when more than its interval (0 ms) has passed.
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (f[0] == "start")
                job.starting(f[2].c_str());
            else if (f[0] == "percent")
                job.percentDone(std::stod(f[2]));
            else if (f[0] == "finish")
                job.finished(f[2].c_str());
        } else {
            std::cerr << "monitor_sender: cannot read: " << line << std::endl;
            return 2;
        }
        std::cout << "ok" << std::endl;
    }
    return 0;
}
