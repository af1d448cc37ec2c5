#include "UpdateEvent.h"

namespace APT_QMR {

CUpdateEvent::~CUpdateEvent() = default;

}  // namespace APT_QMR
