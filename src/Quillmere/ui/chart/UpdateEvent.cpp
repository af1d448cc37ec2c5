// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateEvent.h"

namespace APT_QMR {

CUpdateEvent::~CUpdateEvent() = default;

}  // namespace APT_QMR
