// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The uninstaller removes through the same remover as the package's purge:
// no link followed, no mount point entered (see treeremove/TreeRemover.h).
#include <QString>
#include <QStringList>

#include "treeremove/TreeRemover.h"

namespace appinstaller {

using TreeRemover = treeremove::TreeRemover;

// Lines of the remover as the uninstaller's report holds them.
inline QStringList ToStringList(const treeremove::Lines& lines) {
    QStringList out;
    for (const std::string& l : lines) out << QString::fromLocal8Bit(l.c_str());
    return out;
}

}  // namespace appinstaller
