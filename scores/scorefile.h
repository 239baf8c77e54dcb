#pragma once

#include "app/services.h"

#include <QString>

namespace scorefile {

// config.ini in the program's own folder when that folder is writable (a portable copy, a
// build tree), otherwise in the per-user data folder (an install in /usr/bin).
QString resolvePath(const Folders &folders);

} // namespace scorefile
