// SPDX-License-Identifier: MIT
// The line a support request needs first: which q42ctl, on which system and machine.
#pragma once

#include <QString>

namespace q42::ctl {

// "q42ctl 1.1.0 on Debian GNU/Linux 12 (bookworm), linux 6.1.0-57-amd64, x86_64"
QString SystemLine();

}  // namespace q42::ctl
