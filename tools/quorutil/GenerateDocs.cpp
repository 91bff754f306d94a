// Writes the pages made from the command table at build time: quorutil(1) and the bash
// completion. "quorutil_docs man|completion OUT".

#include "tools/quorutil/CommandTable.h"

#include "util/files/AtomicWrite.h"
#include "util/files/Failure.h"

#include <cstring>
#include <iostream>

int main(int argc, char *argv[])
{
    if (argc != 3
        || (std::strcmp(argv[1], "man") != 0 && std::strcmp(argv[1], "completion") != 0)) {
        std::cerr << "Usage: quorutil_docs man|completion OUT\n";
        return 2;
    }
    const std::string text =
        std::strcmp(argv[1], "man") == 0 ? quorutil::manPage() : quorutil::bashCompletion();
    util::Failure failure;
    if (!util::writeFileAtomically(QString::fromLocal8Bit(argv[2]), text.data(), text.size(),
                                   &failure)) {
        std::cerr << "quorutil_docs: " << failure.text().toStdString() << "\n";
        return 1;
    }
    return 0;
}
